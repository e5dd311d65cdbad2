// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include "platform/soundplayer.h"

#include <QByteArray>

#include <functional>
#include <memory>

struct pa_threaded_mainloop;

namespace zoka {

// With the client library's lock held on `loop`: waits until `done` holds, at most
// `ms`, letting the library's thread run between two looks (the lock is given up
// for half a millisecond each time). False when `ms` ran out first.
bool waitWithPulseLock(pa_threaded_mainloop *loop, const std::function<bool()> &done, int ms);

// The wave player of the test windows, on the PulseAudio client API (PipeWire's
// pulse server included). Built for a short, steady delay between play() and the
// sound leaving the sound server:
//  - open() reads the whole file, connects to the server and opens one playback
//    stream in the file's own format, with a small buffer; it fails, with a French
//    error box naming the file, when the file is bad, when there is no sound server
//    or no real output (only the server's placeholder sink), or when the server
//    refuses the stream;
//  - the stream then runs empty (the server plays silence, and the output stays
//    awake between tones); play() writes the whole tone at the stream's read
//    position, which the server plays at once; stop() drops what is left of it.
// isPlaying() follows the sound's length on the program's clock, as the interface
// says. The client library runs its own thread; every call here takes its lock.
class PulseSoundPlayer final : public SoundPlayer {
public:
    PulseSoundPlayer();
    ~PulseSoundPlayer() override;

    bool open(const QString &path) override;
    bool play() override;
    void stop() override;
    void rewind() override;
    bool isPlaying() const override;
    void close() override;
    bool isOpen() const override { return m_open; }
    QString fileName() const override { return m_open ? m_file : QString(); }
    int durationMs() const override { return m_open ? m_info.durationMs : 0; }
    // The sound server's name and version and its default output; the stream's
    // latency (pa_stream_get_latency(), the device's own included) asked right after
    // the stream opened, while it held nothing: the delay before a tone written at the
    // read position reaches the output.
    QString outputPath() const override { return m_open ? m_outputPath : QString(); }
    qint64 outputLatencyUs() const override { return m_open ? m_latencyUs : -1; }

    // Buffer the stream asks for, in milliseconds.
    static constexpr int TargetLatencyMs = 20;

private:
    struct Connection;
    // Connects and opens the stream; on failure fills `why` (French, for the box).
    bool connectStream(QString *why);

    std::unique_ptr<Connection> m_pa;
    QByteArray m_pcm; // the data chunk, as the stream plays it
    WaveInfo m_info;
    QString m_file;
    bool m_open = false;
    bool m_playing = false;
    quint32 m_startTick = 0;
    QString m_outputPath;
    qint64 m_latencyUs = -1;
};

} // namespace zoka
