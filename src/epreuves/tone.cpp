// SPDX-License-Identifier: GPL-3.0-or-later
#include "epreuves/tone.h"

#include "platform/soundplayer.h"

namespace zoka {

bool ToneStimulus::open(const RunSetup &setup)
{
    m_failed = false;
    m_starting = false;
    const bool opened = m_player.open(setup.dataFile(FileName));
    m_outputPath = opened ? m_player.outputPath() : QString();
    m_latencyUs = opened ? m_player.outputLatencyUs() : -1;
    return opened;
}

void ToneStimulus::fillTiming(RunTiming &timing) const
{
    // A player that says nothing of its path is still the program's tone player.
    timing.soundPath = m_outputPath.isEmpty() ? QStringLiteral("lecteur de sons") : m_outputPath;
    timing.sinkLatencyUs = m_latencyUs;
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
