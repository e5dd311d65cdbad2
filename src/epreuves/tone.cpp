#include "epreuves/tone.h"

#include "platform/soundplayer.h"

namespace zoka {

bool ToneStimulus::open(const RunSetup &setup)
{
    m_failed = false;
    m_starting = false;
    return m_player.open(setup.dataFile(FileName));
}

void ToneStimulus::start()
{
    if (m_starting || m_failed)
        return;
    m_starting = true;
    m_failed = !m_player.play();
    m_starting = false;
}

void ToneStimulus::stop()
{
    m_player.stop();
    m_player.rewind();
}

void ToneStimulus::close() { m_player.close(); }

bool ToneStimulus::sounding() const { return m_player.isPlaying(); }

} // namespace zoka
