// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>

namespace zoka {

// Wave-sound playback, as the test windows and the instructions window use it:
// open a ".wav" file, play it without waiting, stop, rewind, ask whether it is
// playing, close. One player holds one file at a time.
//
// Failures are reported by the player itself, with one French error box through
// messages(), and returned as false, so a caller only decides what to do next
// (go on without the sound, or stop).
//
// isPlaying() is true from play() until stop(), close(), or the moment the sound's
// own length has run out, measured on the program's clock (clock()). It does not
// depend on how quickly the audio system starts or ends the sound, so a window that
// treats "the tone is playing" as "the stimulus is up" gets exactly the tone's length.
class SoundPlayer {
public:
    virtual ~SoundPlayer() = default;

    // Gives the player the file `path` and opens it (closing any file it held). A
    // missing, unreadable or malformed file is reported and gives false; the player
    // is then closed.
    virtual bool open(const QString &path) = 0;
    // Starts playing from the current position (the beginning after open() or
    // rewind()) and returns at once. Playing while already playing restarts the
    // sound. false (reported) when no file is open.
    virtual bool play() = 0;
    // Stops the sound at once. The next play() starts from the beginning.
    virtual void stop() = 0;
    // Back to the beginning of the sound (seek to start).
    virtual void rewind() = 0;
    virtual bool isPlaying() const = 0;
    // Stops and forgets the file.
    virtual void close() = 0;
    virtual bool isOpen() const = 0;
    // Path given to the last successful open(); empty when closed.
    virtual QString fileName() const = 0;
    // Length of the open sound in milliseconds (0 when closed).
    virtual int durationMs() const = 0;
    // Where the open sound goes (sound server and output), empty when not known; and
    // the delay the output reports between a sample handed over and the device
    // playing it, measured at open(), in microseconds (-1 when not known).
    virtual QString outputPath() const { return {}; }
    virtual qint64 outputLatencyUs() const { return -1; }
};

// What the header of a wave file says. Only uncompressed PCM (8, 16, 24 or 32 bits,
// 1 or 2 channels) is accepted.
struct WaveInfo {
    bool ok = false;
    QString error;      // French reason when !ok
    int sampleRate = 0;
    int channels = 0;
    int bitsPerSample = 0;
    qint64 frames = 0;  // sample frames in the data chunk
    qint64 dataOffset = 0; // where the samples start in the file
    int durationMs = 0; // frames / sampleRate, rounded up
};

// Reads and checks the header of the wave file `path` (never reports by itself).
WaveInfo readWaveInfo(const QString &path);
WaveInfo parseWaveHeader(const QByteArray &bytes);

// French texts of the player's error boxes.
QString soundFileErrorText(const QString &path, const QString &reason);
QString soundPlaybackErrorText(const QString &path);

// Reads `path` as open() does: false (and the error box shown) when it cannot be
// played; on success fills `info`.
bool checkSoundFile(const QString &path, WaveInfo *info);

// The wave players of the windows all come from here. The window layer installs the
// real player at start-up and tests install fakes; without a factory every player
// reports, at open(), that the program has no sound output.
using SoundPlayerFactory = std::function<std::unique_ptr<SoundPlayer>()>;
void setSoundPlayerFactory(SoundPlayerFactory factory);
std::unique_ptr<SoundPlayer> makeSoundPlayer();

// A player for tests: plays nothing, records every call, and can be told to fail.
// Without a duration a sound plays until stop() or finish(); with one, isPlaying()
// turns false once that many milliseconds of clock() have passed since play().
class FakeSoundPlayer final : public SoundPlayer {
public:
    bool open(const QString &path) override;
    bool play() override;
    void stop() override;
    void rewind() override;
    bool isPlaying() const override;
    void close() override;
    bool isOpen() const override { return m_open; }
    QString fileName() const override { return m_open ? m_file : QString(); }
    int durationMs() const override { return m_open ? qMax(m_duration, 0) : 0; }
    QString outputPath() const override { return m_open ? fakeOutputPath : QString(); }
    qint64 outputLatencyUs() const override { return m_open ? fakeLatencyUs : -1; }

    // Test controls.
    QString fakeOutputPath;       // what outputPath() says while open
    qint64 fakeLatencyUs = -1;    // what outputLatencyUs() says while open
    bool failOpen = false;        // open() reports a missing file and fails
    bool failPlay = false;        // play() reports a playback error and fails
    bool checkFiles = false;      // open() really reads the wave header
    void setDuration(int ms) { m_duration = ms; }
    void finish() { m_playing = false; } // the sound reaches its end
    QStringList calls;            // "open <path>", "play", "stop", "rewind", "close"
    int playCount() const { return int(calls.count(QStringLiteral("play"))); }

private:
    bool m_open = false;
    bool m_playing = false;
    QString m_file;
    int m_duration = -1;
    quint32 m_startTick = 0;
};

} // namespace zoka
