// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include "platform/soundplayer.h"

#include <QObject>

class QSoundEffect;

namespace zoka {

// The real wave player, on QSoundEffect. The file's header is read and checked at
// open() (so a bad file is reported at once, with its name), and the playing state
// follows the sound's own length on the program's clock.
//
// A machine without any audio output plays nothing but otherwise behaves the same
// (isPlaying() for the sound's length); audioOutputAvailable() lets a window that
// depends on hearing the sound warn about it.
class QtSoundPlayer final : public QObject, public SoundPlayer {
    Q_OBJECT
public:
    explicit QtSoundPlayer(QObject *parent = nullptr);
    ~QtSoundPlayer() override;

    bool open(const QString &path) override;
    bool play() override;
    void stop() override;
    void rewind() override;
    bool isPlaying() const override;
    void close() override;
    bool isOpen() const override { return m_open; }
    QString fileName() const override { return m_open ? m_file : QString(); }
    int durationMs() const override { return m_open ? m_info.durationMs : 0; }

    static bool audioOutputAvailable();

private:
    void onStatusChanged();
    QSoundEffect *makeEffect();
    void dropEffects();

    // Every play uses an effect of its own, loaded in advance while the previous
    // one plays or waits: no loading delay at the onset, and no state carried over
    // from an earlier playing (an effect stuck in an error state, or one that will
    // not start a second time).
    QSoundEffect *m_current = nullptr; // the one played last
    QSoundEffect *m_next = nullptr;    // loaded, ready for the next play()
    bool m_open = false;
    bool m_playing = false;
    bool m_errorShown = false;
    bool m_haveOutput = false;
    QString m_file;
    WaveInfo m_info;
    quint32 m_startTick = 0;
};

} // namespace zoka
