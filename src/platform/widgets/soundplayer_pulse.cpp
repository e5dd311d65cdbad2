// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/widgets/soundplayer_pulse.h"

#include "platform/clock.h"
#include "platform/messages.h"

#include <QElapsedTimer>
#include <QFile>

#include <pulse/pulseaudio.h>

#include <atomic>
#include <functional>
#include <thread>

namespace zoka {

namespace {

// The placeholder sink a sound server makes when the machine has no output.
const char *const PlaceholderSink = "auto_null";
constexpr int ConnectTimeoutMs = 3000;
// At most this much of a tone is written at play(); a longer sound is fed on as
// the stream asks for it.
constexpr qsizetype FirstWriteMax = 2 * 1024 * 1024;

pa_sample_format_t sampleFormat(int bits)
{
    switch (bits) {
    case 8:
        return PA_SAMPLE_U8;
    case 16:
        return PA_SAMPLE_S16LE;
    case 24:
        return PA_SAMPLE_S24LE;
    case 32:
        return PA_SAMPLE_S32LE;
    default:
        return PA_SAMPLE_INVALID;
    }
}

} // namespace

bool waitWithPulseLock(pa_threaded_mainloop *loop, const std::function<bool()> &done, int ms)
{
    QElapsedTimer t;
    t.start();
    while (!done()) {
        if (t.elapsed() >= ms)
            return false;
        pa_threaded_mainloop_unlock(loop);
        std::this_thread::sleep_for(std::chrono::microseconds(500));
        pa_threaded_mainloop_lock(loop);
    }
    return true;
}

// Everything of the client library: its thread (a threaded main loop), the context
// and the one stream. Callbacks run on the library's thread.
struct PulseSoundPlayer::Connection {
    pa_threaded_mainloop *loop = nullptr;
    pa_context *context = nullptr;
    pa_stream *stream = nullptr;
    std::atomic<bool> broken{false}; // the server or the stream went away
    // The tone being fed (library thread, under the lock).
    const QByteArray *pcm = nullptr;
    qsizetype fed = 0;
    QByteArray defaultSink;
    QByteArray serverName;
    QByteArray serverVersion;
    bool serverInfoDone = false;
    bool timingDone = false;

    ~Connection()
    {
        if (loop)
            pa_threaded_mainloop_stop(loop);
        if (stream) {
            pa_stream_set_state_callback(stream, nullptr, nullptr);
            pa_stream_set_write_callback(stream, nullptr, nullptr);
            pa_stream_disconnect(stream);
            pa_stream_unref(stream);
        }
        if (context) {
            pa_context_set_state_callback(context, nullptr, nullptr);
            pa_context_disconnect(context);
            pa_context_unref(context);
        }
        if (loop)
            pa_threaded_mainloop_free(loop);
    }

    void lock() { pa_threaded_mainloop_lock(loop); }
    void unlock() { pa_threaded_mainloop_unlock(loop); }

    // With the lock held: waits until `done` holds, at most `ms`.
    bool waitFor(const std::function<bool()> &done, int ms) { return waitWithPulseLock(loop, done, ms); }

    // With the lock held: the stream's latency as the server reports it now, device
    // included (-1 when the server does not answer). A stream that has run empty
    // (the server went on with silence) reports how far it ran past its data instead;
    // its latency is then the device's alone.
    qint64 latencyUs()
    {
        timingDone = false;
        pa_operation *op = pa_stream_update_timing_info(stream, [](pa_stream *, int, void *u) {
            static_cast<Connection *>(u)->timingDone = true;
        }, this);
        if (!op)
            return -1;
        pa_operation_unref(op);
        if (!waitFor([this] { return timingDone || broken; }, ConnectTimeoutMs) || broken)
            return -1;
        pa_usec_t usec = 0;
        int negative = 0;
        if (pa_stream_get_latency(stream, &usec, &negative) != 0)
            return -1;
        if (negative) {
            const pa_timing_info *ti = pa_stream_get_timing_info(stream);
            return ti ? qint64(ti->sink_usec) : -1;
        }
        return qint64(usec);
    }

    // Library thread: the stream wants data; the rest of a long tone goes on.
    void feed(size_t wanted)
    {
        if (!pcm || fed >= pcm->size())
            return;
        const qsizetype n = qMin(qsizetype(wanted), pcm->size() - fed);
        if (n > 0 && pa_stream_write(stream, pcm->constData() + fed, size_t(n), nullptr, 0, PA_SEEK_RELATIVE) == 0)
            fed += n;
    }
};

PulseSoundPlayer::PulseSoundPlayer() = default;

PulseSoundPlayer::~PulseSoundPlayer() { close(); }

bool PulseSoundPlayer::connectStream(QString *why)
{
    const QString noOutput = QStringLiteral("aucune sortie son n'est disponible");
    auto c = std::make_unique<Connection>();
    c->loop = pa_threaded_mainloop_new();
    if (!c->loop) {
        *why = noOutput;
        return false;
    }
    c->context = pa_context_new(pa_threaded_mainloop_get_api(c->loop), "ZOKA");
    Connection *raw = c.get();
    if (c->context) {
        pa_context_set_state_callback(c->context, [](pa_context *ctx, void *u) {
            const pa_context_state_t s = pa_context_get_state(ctx);
            if (s == PA_CONTEXT_FAILED || s == PA_CONTEXT_TERMINATED)
                static_cast<Connection *>(u)->broken = true;
        }, raw);
    }
    if (!c->context || pa_context_connect(c->context, nullptr, PA_CONTEXT_NOAUTOSPAWN, nullptr) < 0
        || pa_threaded_mainloop_start(c->loop) < 0) {
        *why = noOutput;
        return false;
    }

    c->lock();
    const bool ready = c->waitFor([raw] {
        const pa_context_state_t s = pa_context_get_state(raw->context);
        return s == PA_CONTEXT_READY || !PA_CONTEXT_IS_GOOD(s);
    }, ConnectTimeoutMs) && pa_context_get_state(c->context) == PA_CONTEXT_READY;
    if (!ready) {
        c->unlock();
        *why = noOutput;
        return false;
    }

    // A server without a real output (only its placeholder sink) plays to nobody.
    pa_operation *op = pa_context_get_server_info(c->context, [](pa_context *, const pa_server_info *i, void *u) {
        auto *conn = static_cast<Connection *>(u);
        if (i && i->default_sink_name)
            conn->defaultSink = i->default_sink_name;
        if (i && i->server_name)
            conn->serverName = i->server_name;
        if (i && i->server_version)
            conn->serverVersion = i->server_version;
        conn->serverInfoDone = true;
    }, raw);
    if (op)
        pa_operation_unref(op);
    if (!op || !c->waitFor([raw] { return raw->serverInfoDone || raw->broken; }, ConnectTimeoutMs)
        || c->defaultSink.isEmpty() || c->defaultSink == PlaceholderSink) {
        c->unlock();
        *why = noOutput;
        return false;
    }

    const pa_sample_spec format{sampleFormat(m_info.bitsPerSample), uint32_t(m_info.sampleRate),
                              uint8_t(m_info.channels)};
    c->stream = pa_sample_spec_valid(&format) ? pa_stream_new(c->context, "Stimulus", &format, nullptr) : nullptr;
    if (!c->stream) {
        c->unlock();
        *why = QStringLiteral("le système audio n'accepte pas ce format");
        return false;
    }
    pa_stream_set_state_callback(c->stream, [](pa_stream *s, void *u) {
        if (!PA_STREAM_IS_GOOD(pa_stream_get_state(s)))
            static_cast<Connection *>(u)->broken = true;
    }, raw);
    pa_stream_set_write_callback(c->stream, [](pa_stream *, size_t n, void *u) {
        static_cast<Connection *>(u)->feed(n);
    }, raw);
    // A small target buffer and no pre-buffering: the stream plays at once whatever
    // is written, and silence while it is empty. The whole tone fits in the queue.
    const uint32_t target = uint32_t(pa_usec_to_bytes(pa_usec_t(TargetLatencyMs) * 1000, &format));
    pa_buffer_attr attr{};
    attr.tlength = target;
    attr.minreq = target / 2;
    attr.prebuf = 0;
    attr.maxlength = uint32_t(-1); // the server's largest queue
    attr.fragsize = uint32_t(-1);
    const bool connected = pa_stream_connect_playback(c->stream, nullptr, &attr, PA_STREAM_ADJUST_LATENCY,
                                                      nullptr, nullptr) == 0
        && c->waitFor([raw] {
               const pa_stream_state_t s = pa_stream_get_state(raw->stream);
               return s == PA_STREAM_READY || !PA_STREAM_IS_GOOD(s);
           }, ConnectTimeoutMs)
        && pa_stream_get_state(c->stream) == PA_STREAM_READY;
    if (connected)
        m_latencyUs = c->latencyUs();
    c->unlock();
    if (!connected) {
        *why = QStringLiteral("le système audio refuse de le jouer");
        return false;
    }
    m_outputPath = QStringLiteral("%1 %2, sortie %3")
                       .arg(QString::fromUtf8(c->serverName), QString::fromUtf8(c->serverVersion),
                            QString::fromUtf8(c->defaultSink));
    m_pa = std::move(c);
    return true;
}

bool PulseSoundPlayer::open(const QString &path)
{
    close();
    WaveInfo info;
    if (!checkSoundFile(path, &info))
        return false;
    QFile f(path);
    QByteArray pcm;
    if (f.open(QIODevice::ReadOnly) && f.seek(info.dataOffset))
        pcm = f.read(info.frames * info.channels * (info.bitsPerSample / 8));
    if (pcm.size() != info.frames * info.channels * (info.bitsPerSample / 8)) {
        showError(soundFileErrorText(path, QStringLiteral("accès au fichier refusé")));
        return false;
    }
    m_info = info;
    m_pcm = pcm;
    QString why;
    if (!connectStream(&why)) {
        m_pcm.clear();
        m_info = WaveInfo();
        showError(soundFileErrorText(path, why));
        return false;
    }
    m_file = path;
    m_open = true;
    return true;
}

bool PulseSoundPlayer::play()
{
    if (!m_open || !m_pa || m_pa->broken) {
        const QString file = m_open ? m_file : QString();
        close();
        showError(soundPlaybackErrorText(file));
        return false;
    }
    m_pa->lock();
    // Written at the read position, the tone replaces the silence the server was
    // about to play (and any rest of an earlier tone): it starts now.
    const qsizetype first = qMin(m_pcm.size(), FirstWriteMax);
    const bool ok = pa_stream_write(m_pa->stream, m_pcm.constData(), size_t(first), nullptr, 0,
                                    PA_SEEK_RELATIVE_ON_READ) == 0;
    m_pa->pcm = &m_pcm;
    m_pa->fed = ok ? first : m_pcm.size();
    m_pa->unlock();
    if (!ok) {
        const QString file = m_file;
        close();
        showError(soundPlaybackErrorText(file));
        return false;
    }
    m_playing = true;
    m_startTick = clock().tick();
    return true;
}

void PulseSoundPlayer::stop()
{
    m_playing = false;
    if (!m_pa)
        return;
    m_pa->lock();
    m_pa->pcm = nullptr;
    if (pa_operation *op = pa_stream_flush(m_pa->stream, nullptr, nullptr))
        pa_operation_unref(op);
    m_pa->unlock();
}

void PulseSoundPlayer::rewind()
{
    // Every play() starts from the beginning of the sound: nothing to move.
}

bool PulseSoundPlayer::isPlaying() const
{
    return m_open && m_playing
        && ticksBetween(m_startTick, clock().tick()) < quint32(m_info.durationMs);
}

void PulseSoundPlayer::close()
{
    m_playing = false;
    m_open = false;
    m_pa.reset();
    m_pcm.clear();
    m_file.clear();
    m_outputPath.clear();
    m_latencyUs = -1;
    m_info = WaveInfo();
}

} // namespace zoka
