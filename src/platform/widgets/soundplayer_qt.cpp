#include "platform/widgets/soundplayer_qt.h"

#include "platform/clock.h"
#include "platform/messages.h"

#include <QAudioDevice>
#include <QMediaDevices>
#include <QSoundEffect>
#include <QUrl>

namespace zoka {

QtSoundPlayer::QtSoundPlayer(QObject *parent) : QObject(parent) {}

QtSoundPlayer::~QtSoundPlayer()
{
    if (m_effect)
        m_effect->stop();
}

bool QtSoundPlayer::audioOutputAvailable()
{
    return !QMediaDevices::audioOutputs().isEmpty();
}

bool QtSoundPlayer::open(const QString &path)
{
    close();
    WaveInfo info;
    if (!checkSoundFile(path, &info))
        return false;
    m_info = info;
    m_file = path;
    m_open = true;
    m_errorShown = false;
    m_haveOutput = audioOutputAvailable();
    if (m_haveOutput) {
        // A fresh effect per file: QSoundEffect keeps decoding state of its source.
        delete m_effect;
        m_effect = new QSoundEffect(this);
        connect(m_effect, &QSoundEffect::statusChanged, this, &QtSoundPlayer::onStatusChanged);
        m_effect->setSource(QUrl::fromLocalFile(path));
    }
    return true;
}

void QtSoundPlayer::onStatusChanged()
{
    if (!m_effect || m_effect->status() != QSoundEffect::Error || !m_open || m_errorShown)
        return;
    // The header was fine but the audio system could not decode or start the sound.
    m_errorShown = true;
    m_playing = false;
    const QString file = m_file;
    close();
    showError(soundPlaybackErrorText(file));
}

bool QtSoundPlayer::play()
{
    if (!m_open) {
        showError(soundPlaybackErrorText(QString()));
        return false;
    }
    if (m_effect) {
        m_effect->stop();
        m_effect->play(); // starts as soon as the (small) file is loaded
    }
    m_playing = true;
    m_startTick = clock().tick();
    return true;
}

void QtSoundPlayer::stop()
{
    m_playing = false;
    if (m_effect)
        m_effect->stop();
}

void QtSoundPlayer::rewind()
{
    // QSoundEffect always starts from the beginning after stop(): nothing to move.
}

bool QtSoundPlayer::isPlaying() const
{
    return m_open && m_playing
        && ticksBetween(m_startTick, clock().tick()) < quint32(m_info.durationMs);
}

void QtSoundPlayer::close()
{
    stop();
    m_open = false;
    m_file.clear();
    m_info = WaveInfo();
}

} // namespace zoka
