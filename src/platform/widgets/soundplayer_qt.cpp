// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/widgets/soundplayer_qt.h"

#include "platform/clock.h"
#include "platform/messages.h"

#include <QAudioDevice>
#include <QMediaDevices>
#include <QSoundEffect>
#include <QUrl>

namespace zoka {

QtSoundPlayer::QtSoundPlayer(QObject *parent) : QObject(parent) {}

QtSoundPlayer::~QtSoundPlayer() { dropEffects(); }

bool QtSoundPlayer::audioOutputAvailable()
{
    return !QMediaDevices::audioOutputs().isEmpty();
}

QSoundEffect *QtSoundPlayer::makeEffect()
{
    if (!m_haveOutput)
        return nullptr;
    auto *e = new QSoundEffect(this);
    connect(e, &QSoundEffect::statusChanged, this, &QtSoundPlayer::onStatusChanged);
    e->setSource(QUrl::fromLocalFile(m_file));
    return e;
}

void QtSoundPlayer::dropEffects()
{
    for (QSoundEffect *e : {m_current, m_next}) {
        if (e) {
            e->disconnect(this);
            e->stop();
            e->deleteLater();
        }
    }
    m_current = nullptr;
    m_next = nullptr;
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
    m_next = makeEffect();
    return true;
}

void QtSoundPlayer::onStatusChanged()
{
    auto *e = qobject_cast<QSoundEffect *>(sender());
    if (!e || e->status() != QSoundEffect::Error || !m_open || m_errorShown)
        return;
    // The header was fine but the audio system could not decode or start the sound.
    m_errorShown = true;
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
    if (m_haveOutput) {
        if (m_current) {
            m_current->disconnect(this);
            m_current->stop();
            m_current->deleteLater();
        }
        m_current = m_next ? m_next : makeEffect();
        m_next = makeEffect();
        m_current->play(); // at once when loaded; otherwise as soon as it is
    }
    m_playing = true;
    m_startTick = clock().tick();
    return true;
}

void QtSoundPlayer::stop()
{
    m_playing = false;
    if (m_current)
        m_current->stop();
}

void QtSoundPlayer::rewind()
{
    // Every play() starts a fresh effect from the beginning: nothing to move.
}

bool QtSoundPlayer::isPlaying() const
{
    return m_open && m_playing
        && ticksBetween(m_startTick, clock().tick()) < quint32(m_info.durationMs);
}

void QtSoundPlayer::close()
{
    m_playing = false;
    dropEffects();
    m_open = false;
    m_file.clear();
    m_info = WaveInfo();
}

} // namespace zoka
