// SPDX-License-Identifier: GPL-3.0-or-later
// Sound onset: how long after the onset tick the tone really leaves the sound
// server. A listener records the monitor of a sink (a private null sink in
// bench/sound_onset.sh) and notes the monotonic time at which the first
// non-silent sample of each tone reaches it; the delay is that time minus the tick
// read just before the play command (the onset tick of the auditory tests).
//
//   sound_onset <player> <wave file> <monitor source> <onsets> [out.tsv]
//   player: zoka (the test windows' player) | zoka-qt (the end sound's player) |
//           qsoundeffect | qaudiosink | qaudiosink-small | qaudiosink-fresh |
//           qaudiosink-small-fresh | qaudiosink-running | pulse-uncork | pulse-seek
//
// One line per onset goes to out.tsv (n, delay ms, play-call ms); the summary
// (median, SD, min, max over the onsets) goes to standard output.
#include "platform/messages.h"
#include "platform/soundplayer.h"
#include "platform/widgets/soundplayer_pulse.h"
#include "platform/widgets/soundplayer_qt.h"

#include <QAudioDevice>
#include <QAudioFormat>
#include <QAudioSink>
#include <QBuffer>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QMediaDevices>
#include <QSoundEffect>
#include <QTimer>
#include <QUrl>

#include <pulse/pulseaudio.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdio>
#include <functional>
#include <memory>
#include <vector>

namespace {

double nowMs()
{
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return ts.tv_sec * 1000.0 + ts.tv_nsec / 1e6;
}

// 16-bit mono PCM of a wave file (the program's tones are 16-bit mono 44100 Hz).
struct Pcm {
    QByteArray bytes;
    int rate = 44100;
    int channels = 1;
};

Pcm loadPcm(const QString &path)
{
    QFile f(path);
    Pcm p;
    if (!f.open(QIODevice::ReadOnly))
        return p;
    const QByteArray b = f.readAll();
    const zoka::WaveInfo w = zoka::parseWaveHeader(b);
    if (!w.ok || w.bitsPerSample != 16)
        return p;
    p.rate = w.sampleRate;
    p.channels = w.channels;
    p.bytes = b.mid(b.indexOf("data") + 8, qsizetype(w.frames * 2 * w.channels));
    return p;
}

constexpr int Threshold = 4; // of 32767: above the silence of a null sink (exact zeros)

// Listens to a source and records when sound starts after silence.
class Listener {
public:
    bool start(const char *source)
    {
        m_loop = pa_threaded_mainloop_new();
        m_ctx = pa_context_new(pa_threaded_mainloop_get_api(m_loop), "sound_onset listener");
        pa_context_set_state_callback(m_ctx, [](pa_context *, void *u) {
            pa_threaded_mainloop_signal(static_cast<Listener *>(u)->m_loop, 0);
        }, this);
        if (pa_context_connect(m_ctx, nullptr, PA_CONTEXT_NOFLAGS, nullptr) < 0)
            return false;
        pa_threaded_mainloop_lock(m_loop);
        pa_threaded_mainloop_start(m_loop);
        for (;;) {
            const pa_context_state_t s = pa_context_get_state(m_ctx);
            if (s == PA_CONTEXT_READY)
                break;
            if (!PA_CONTEXT_IS_GOOD(s)) {
                pa_threaded_mainloop_unlock(m_loop);
                return false;
            }
            pa_threaded_mainloop_wait(m_loop);
        }
        pa_sample_spec format{PA_SAMPLE_S16LE, 44100, 1};
        m_stream = pa_stream_new(m_ctx, "monitor", &format, nullptr);
        pa_stream_set_read_callback(m_stream, [](pa_stream *s, size_t, void *u) {
            static_cast<Listener *>(u)->read(s);
        }, this);
        pa_buffer_attr attr{};
        attr.maxlength = uint32_t(-1);
        attr.fragsize = 2 * 44; // 1 ms
        attr.tlength = attr.prebuf = attr.minreq = uint32_t(-1);
        const int rc = pa_stream_connect_record(m_stream, source, &attr, PA_STREAM_ADJUST_LATENCY);
        pa_threaded_mainloop_unlock(m_loop);
        return rc == 0;
    }

    void stop()
    {
        if (!m_loop)
            return;
        pa_threaded_mainloop_stop(m_loop);
        if (m_stream)
            pa_stream_unref(m_stream);
        pa_context_disconnect(m_ctx);
        pa_context_unref(m_ctx);
        pa_threaded_mainloop_free(m_loop);
        m_loop = nullptr;
    }

    // Waits for a new sound: the next non-silent sample after at least 30 ms of silence.
    void arm()
    {
        m_onset = -1;
        m_armed = true;
    }
    double onset() const { return m_onset.load(); }
    double silentFor() const { return m_silentSince > 0 ? nowMs() - m_silentSince.load() : 0; }
    long long chunks() const { return m_chunks; }

private:
    void read(pa_stream *s)
    {
        const double t = nowMs();
        const void *data = nullptr;
        size_t n = 0;
        while (pa_stream_readable_size(s) > 0) {
            if (pa_stream_peek(s, &data, &n) < 0)
                return;
            if (n == 0)
                break;
            ++m_chunks;
            if (data) {
                const qint16 *x = static_cast<const qint16 *>(data);
                for (size_t i = 0; i < n / 2; ++i) {
                    const bool loud = std::abs(int(x[i])) >= Threshold;
                    if (loud) {
                        if (m_armed && m_silentSince > 0 && t - m_silentSince >= 30) {
                            m_onset = t;
                            m_armed = false;
                        }
                        m_silentSince = 0;
                    } else if (m_silentSince == 0) {
                        m_silentSince = t;
                    }
                }
            }
            pa_stream_drop(s);
        }
    }

    pa_threaded_mainloop *m_loop = nullptr;
    pa_context *m_ctx = nullptr;
    pa_stream *m_stream = nullptr;
    std::atomic<double> m_onset{-1};
    std::atomic<bool> m_armed{false};
    std::atomic<double> m_silentSince{0};
    std::atomic<long long> m_chunks{0};
};

// The players compared. play() starts the tone from its beginning, stop() silences it.
class Player {
public:
    virtual ~Player() = default;
    virtual bool prepare() = 0;
    virtual void play() = 0;
    virtual void stop() = 0;
};

QAudioFormat monoFormat(const Pcm &pcm)
{
    QAudioFormat f;
    f.setSampleRate(pcm.rate);
    f.setChannelCount(pcm.channels);
    f.setSampleFormat(QAudioFormat::Int16);
    return f;
}

class SoundEffectPlayer final : public Player {
public:
    explicit SoundEffectPlayer(const QString &file) : m_file(file) {}
    bool prepare() override
    {
        m_effect.setSource(QUrl::fromLocalFile(m_file));
        QElapsedTimer t;
        t.start();
        while (m_effect.status() != QSoundEffect::Ready && t.elapsed() < 5000)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        return m_effect.status() == QSoundEffect::Ready;
    }
    void play() override { m_effect.play(); }
    void stop() override { m_effect.stop(); }

private:
    QString m_file;
    QSoundEffect m_effect;
};

// The whole tone in memory, played through a QAudioSink started on it at each onset
// (the same sink every time, or a new one for every tone).
class AudioSinkPlayer final : public Player {
public:
    AudioSinkPlayer(const Pcm &pcm, int bufferBytes, bool fresh = false)
        : m_pcm(pcm), m_bufferBytes(bufferBytes), m_fresh(fresh)
    {
    }
    bool prepare() override
    {
        makeSink();
        m_buffer.setData(m_pcm.bytes);
        return m_buffer.open(QIODevice::ReadOnly);
    }
    void play() override
    {
        if (m_fresh)
            makeSink();
        m_buffer.seek(0);
        m_sink->start(&m_buffer);
    }
    void stop() override { m_sink->stop(); }

private:
    void makeSink()
    {
        m_sink = std::make_unique<QAudioSink>(QMediaDevices::defaultAudioOutput(), monoFormat(m_pcm));
        if (m_bufferBytes > 0)
            m_sink->setBufferSize(m_bufferBytes);
    }

    Pcm m_pcm;
    int m_bufferBytes;
    bool m_fresh;
    QBuffer m_buffer;
    std::unique_ptr<QAudioSink> m_sink;
};

// A QAudioSink that never stops: it pulls silence from this device until play(),
// then the tone.
class ToneDevice final : public QIODevice {
public:
    explicit ToneDevice(const QByteArray &pcm) : m_pcm(pcm) { open(QIODevice::ReadOnly); }
    void trigger() { m_at = 0; }
    void silence() { m_at = -1; }
    bool isSequential() const override { return true; }
    qint64 bytesAvailable() const override { return 1 << 20; }

protected:
    qint64 readData(char *data, qint64 len) override
    {
        len &= ~qint64(1);
        qint64 done = 0;
        if (m_at >= 0 && m_at < m_pcm.size()) {
            done = qMin(len, m_pcm.size() - m_at);
            memcpy(data, m_pcm.constData() + m_at, size_t(done));
            m_at += done;
        }
        memset(data + done, 0, size_t(len - done));
        return len;
    }
    qint64 writeData(const char *, qint64) override { return -1; }

private:
    QByteArray m_pcm;
    qint64 m_at = -1;
};

class RunningSinkPlayer final : public Player {
public:
    RunningSinkPlayer(const Pcm &pcm, int bufferBytes) : m_pcm(pcm), m_device(pcm.bytes), m_bufferBytes(bufferBytes) {}
    bool prepare() override
    {
        m_sink = std::make_unique<QAudioSink>(QMediaDevices::defaultAudioOutput(), monoFormat(m_pcm));
        m_sink->setBufferSize(m_bufferBytes);
        m_sink->start(&m_device);
        return m_sink->error() == QAudio::NoError;
    }
    void play() override { m_device.trigger(); }
    void stop() override { m_device.silence(); }

private:
    Pcm m_pcm;
    ToneDevice m_device;
    int m_bufferBytes;
    std::unique_ptr<QAudioSink> m_sink;
};

// The PulseAudio API directly, two ways: a corked stream holding the whole tone,
// uncorked at the onset; or an open stream left empty (it plays silence) into which
// the tone is written at the read index at the onset.
class PulsePlayer final : public Player {
public:
    PulsePlayer(const Pcm &pcm, bool uncork, int latencyMs)
        : m_pcm(pcm), m_uncork(uncork), m_latencyMs(latencyMs)
    {
    }
    ~PulsePlayer() override
    {
        if (m_loop) {
            pa_threaded_mainloop_stop(m_loop);
            if (m_stream)
                pa_stream_unref(m_stream);
            pa_context_disconnect(m_ctx);
            pa_context_unref(m_ctx);
            pa_threaded_mainloop_free(m_loop);
        }
    }
    bool prepare() override
    {
        m_loop = pa_threaded_mainloop_new();
        m_ctx = pa_context_new(pa_threaded_mainloop_get_api(m_loop), "sound_onset player");
        pa_context_set_state_callback(m_ctx, [](pa_context *, void *u) {
            pa_threaded_mainloop_signal(static_cast<PulsePlayer *>(u)->m_loop, 0);
        }, this);
        if (pa_context_connect(m_ctx, nullptr, PA_CONTEXT_NOFLAGS, nullptr) < 0)
            return false;
        pa_threaded_mainloop_lock(m_loop);
        pa_threaded_mainloop_start(m_loop);
        while (pa_context_get_state(m_ctx) != PA_CONTEXT_READY) {
            if (!PA_CONTEXT_IS_GOOD(pa_context_get_state(m_ctx))) {
                pa_threaded_mainloop_unlock(m_loop);
                return false;
            }
            pa_threaded_mainloop_wait(m_loop);
        }
        pa_sample_spec format{PA_SAMPLE_S16LE, uint32_t(m_pcm.rate), uint8_t(m_pcm.channels)};
        m_stream = pa_stream_new(m_ctx, "tone", &format, nullptr);
        pa_stream_set_state_callback(m_stream, [](pa_stream *, void *u) {
            pa_threaded_mainloop_signal(static_cast<PulsePlayer *>(u)->m_loop, 0);
        }, this);
        pa_buffer_attr attr{};
        attr.maxlength = uint32_t(m_pcm.bytes.size() * 2);
        attr.tlength = uint32_t(pa_usec_to_bytes(pa_usec_t(m_latencyMs) * 1000, &format));
        attr.prebuf = 0;
        attr.minreq = uint32_t(-1);
        attr.fragsize = uint32_t(-1);
        int flags = PA_STREAM_ADJUST_LATENCY;
        if (m_uncork)
            flags |= PA_STREAM_START_CORKED;
        pa_stream_connect_playback(m_stream, nullptr, &attr, pa_stream_flags_t(flags), nullptr, nullptr);
        while (pa_stream_get_state(m_stream) != PA_STREAM_READY) {
            if (!PA_STREAM_IS_GOOD(pa_stream_get_state(m_stream))) {
                pa_threaded_mainloop_unlock(m_loop);
                return false;
            }
            pa_threaded_mainloop_wait(m_loop);
        }
        if (m_uncork)
            load();
        pa_threaded_mainloop_unlock(m_loop);
        return true;
    }
    void play() override
    {
        pa_threaded_mainloop_lock(m_loop);
        if (m_uncork)
            pa_operation_unref(pa_stream_cork(m_stream, 0, nullptr, nullptr));
        else
            pa_stream_write(m_stream, m_pcm.bytes.constData(), size_t(m_pcm.bytes.size()), nullptr, 0,
                            PA_SEEK_RELATIVE_ON_READ);
        pa_threaded_mainloop_unlock(m_loop);
    }
    void stop() override
    {
        pa_threaded_mainloop_lock(m_loop);
        if (m_uncork)
            pa_operation_unref(pa_stream_cork(m_stream, 1, nullptr, nullptr));
        pa_operation_unref(pa_stream_flush(m_stream, nullptr, nullptr));
        if (m_uncork)
            load();
        pa_threaded_mainloop_unlock(m_loop);
    }

private:
    void load()
    {
        pa_stream_write(m_stream, m_pcm.bytes.constData(), size_t(m_pcm.bytes.size()), nullptr, 0,
                        PA_SEEK_RELATIVE_ON_READ);
    }

    Pcm m_pcm;
    bool m_uncork;
    int m_latencyMs;
    pa_threaded_mainloop *m_loop = nullptr;
    pa_context *m_ctx = nullptr;
    pa_stream *m_stream = nullptr;
};

// The program's own players: the one of the test windows, and the one on
// QSoundEffect that plays the end sound.
template <typename P> class ZokaPlayer final : public Player {
public:
    explicit ZokaPlayer(const QString &file) : m_file(file) {}
    bool prepare() override { return m_player.open(m_file); }
    void play() override { m_player.play(); }
    void stop() override
    {
        m_player.stop();
        m_player.rewind();
    }

private:
    QString m_file;
    P m_player;
};

double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    const size_t n = v.size();
    return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    if (argc < 5) {
        std::fprintf(stderr, "usage: %s player wave monitor onsets [out.tsv]\n", argv[0]);
        return 2;
    }
    const QString kind = QString::fromLocal8Bit(argv[1]);
    const QString file = QString::fromLocal8Bit(argv[2]);
    const int onsets = std::atoi(argv[4]);
    FILE *out = argc > 5 ? std::fopen(argv[5], "w") : nullptr;
    const Pcm pcm = loadPcm(file);
    if (pcm.bytes.isEmpty()) {
        std::fprintf(stderr, "cannot read %s\n", argv[2]);
        return 1;
    }
    // Where the first sample that the listener can tell from silence lies in the file.
    double leadMs = 0;
    for (qsizetype i = 0; i + 1 < pcm.bytes.size(); i += 2 * pcm.channels) {
        const qint16 v = qint16(quint16(quint8(pcm.bytes[i])) | quint16(quint8(pcm.bytes[i + 1]) << 8));
        if (std::abs(int(v)) >= Threshold) {
            leadMs = double(i / (2 * pcm.channels)) * 1000.0 / pcm.rate;
            break;
        }
    }

    // The small buffer of the QAudioSink players: 50 ms, or SOUND_ONSET_BUFFER_MS. (Qt's
    // pulse sink pulls whole 20 ms periods and never writes into a buffer that cannot
    // take one, so below about 40 ms it stays silent.)
    const int bufferMs = qEnvironmentVariableIsSet("SOUND_ONSET_BUFFER_MS")
        ? qEnvironmentVariableIntValue("SOUND_ONSET_BUFFER_MS") : 50;
    const int smallBuffer = pcm.rate * 2 * pcm.channels * bufferMs / 1000;
    // Target latency of the direct PulseAudio streams: 10 ms, or SOUND_ONSET_LATENCY_MS.
    const int pulseLatencyMs = qEnvironmentVariableIsSet("SOUND_ONSET_LATENCY_MS")
        ? qEnvironmentVariableIntValue("SOUND_ONSET_LATENCY_MS") : 10;
    std::unique_ptr<Player> player;
    if (kind == "qsoundeffect")
        player = std::make_unique<SoundEffectPlayer>(file);
    else if (kind == "qaudiosink")
        player = std::make_unique<AudioSinkPlayer>(pcm, 0);
    else if (kind == "qaudiosink-small")
        player = std::make_unique<AudioSinkPlayer>(pcm, smallBuffer);
    else if (kind == "qaudiosink-fresh")
        player = std::make_unique<AudioSinkPlayer>(pcm, 0, true);
    else if (kind == "qaudiosink-small-fresh")
        player = std::make_unique<AudioSinkPlayer>(pcm, smallBuffer, true);
    else if (kind == "qaudiosink-running")
        player = std::make_unique<RunningSinkPlayer>(pcm, smallBuffer);
    else if (kind == "pulse-uncork")
        player = std::make_unique<PulsePlayer>(pcm, true, pulseLatencyMs);
    else if (kind == "pulse-seek")
        player = std::make_unique<PulsePlayer>(pcm, false, pulseLatencyMs);
    else if (kind == "zoka")
        player = std::make_unique<ZokaPlayer<zoka::PulseSoundPlayer>>(file);
    else if (kind == "zoka-qt")
        player = std::make_unique<ZokaPlayer<zoka::QtSoundPlayer>>(file);
    else {
        std::fprintf(stderr, "unknown player %s\n", argv[1]);
        return 2;
    }

    Listener listener;
    if (!listener.start(argv[3])) {
        std::fprintf(stderr, "cannot record %s\n", argv[3]);
        return 1;
    }
    if (!player->prepare()) {
        std::fprintf(stderr, "player %s cannot be prepared\n", argv[1]);
        return 1;
    }

    std::vector<double> delays, calls;
    int missed = 0;
    // Waits until `done` holds, running the event loop (the Qt players need it) and
    // looking every 5 ms, without spinning: the machine's cores go to the players.
    auto waitUntil = [&](const std::function<bool()> &done, double ms) {
        const double end = nowMs() + ms;
        if (done())
            return true;
        QEventLoop loop;
        QTimer poll;
        QObject::connect(&poll, &QTimer::timeout, [&] {
            if (done() || nowMs() >= end)
                loop.quit();
        });
        poll.start(5);
        loop.exec();
        return done();
    };
    waitUntil([] { return false; }, 500); // let the streams settle
    for (int n = 1; n <= onsets; ++n) {
        // Silence between tones, of a varying length (250-610 ms).
        waitUntil([&] { return listener.silentFor() >= 250 + (n * 37) % 360; }, 3000);
        const double armedSilence = listener.silentFor();
        listener.arm();
        const double t0 = nowMs(); // the onset tick, to the microsecond
        player->play();
        const double t1 = nowMs();
        if (!waitUntil([&] { return listener.onset() > 0; }, 2000)) {
            std::fprintf(stderr, "onset %d not heard (silence before it %.0f ms, now %.0f ms)\n", n,
                         armedSilence, listener.silentFor());
            ++missed;
            player->stop();
            continue;
        }
        const double delay = listener.onset() - t0 - leadMs;
        delays.push_back(delay);
        calls.push_back(t1 - t0);
        if (out)
            std::fprintf(out, "%d\t%.3f\t%.3f\n", n, delay, t1 - t0);
        waitUntil([] { return false; }, 120);
        player->stop();
    }
    listener.stop();
    if (out)
        std::fclose(out);
    if (delays.empty()) {
        std::printf("%-20s no onset heard (%d missed)\n", argv[1], missed);
        return 1;
    }
    double mean = 0;
    for (double d : delays)
        mean += d;
    mean /= double(delays.size());
    double var = 0;
    for (double d : delays)
        var += (d - mean) * (d - mean);
    const double sd = delays.size() > 1 ? std::sqrt(var / double(delays.size() - 1)) : 0;
    std::printf("%-20s n=%zu missed=%d median %.2f ms  SD %.2f ms  min %.2f  max %.2f  play call median %.3f ms\n",
                argv[1], delays.size(), missed, median(delays), sd,
                *std::min_element(delays.begin(), delays.end()),
                *std::max_element(delays.begin(), delays.end()), median(calls));
    return 0;
}
