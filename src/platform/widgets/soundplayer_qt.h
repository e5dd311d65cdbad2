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

    QSoundEffect *m_effect = nullptr;
    bool m_open = false;
    bool m_playing = false;
    bool m_errorShown = false;
    bool m_haveOutput = false;
    QString m_file;
    WaveInfo m_info;
    quint32 m_startTick = 0;
};

} // namespace zoka
