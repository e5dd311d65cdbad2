// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/widgets/timingcheckrun.h"

#include "platform/messages.h"
#include "platform/realtime.h"
#include "platform/soundplayer.h"
#include "platform/trialtimer.h"
#include "platform/widgets/eventclock.h"
#include "platform/widgets/presenter.h"
#include "platform/widgets/soundplayer_pulse.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>
#include <QWidget>

#include <pulse/pulseaudio.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <thread>
#include <time.h>

namespace zoka {

namespace {

constexpr int RefreshPresentations = 300;
constexpr int TimerCount = 100;
constexpr int PulseTimeoutMs = 3000;
constexpr int MonitorRate = 44100;
constexpr int OnsetTones = 3;
constexpr int LoudSample = 1000; // about -30 dBFS: a tone, not the floor of silence

qint64 monotonicNs()
{
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return qint64(ts.tv_sec) * 1000000000LL + ts.tv_nsec;
}

// 100 one-shot trial timers of 10 to 30 ms, each armed when the last one fired, as
// trials arm them; how late each fired after its due time.
QList<double> measureTimers()
{
    QList<double> lateness;
    std::unique_ptr<TrialTimer> timer = makeTrialTimer();
    QEventLoop loop;
    qint64 firedNs = 0;
    timer->setCallback([&] {
        firedNs = monotonicNs();
        loop.quit();
    });
    QTimer guard;
    guard.setSingleShot(true);
    QObject::connect(&guard, &QTimer::timeout, &loop, &QEventLoop::quit);
    for (int i = 0; i < TimerCount; ++i) {
        const int interval = 10 + 5 * (i % 5);
        firedNs = 0;
        guard.start(interval + 1000);
        const qint64 armedNs = monotonicNs();
        timer->start(interval);
        loop.exec();
        guard.stop();
        if (firedNs == 0) // never fired: a second late counts as such
            firedNs = monotonicNs();
        lateness << double(firedNs - armedNs) / 1e6 - interval;
    }
    return lateness;
}

// Everything of one recording of the monitor, on the client library's thread.
struct Monitor {
    pa_threaded_mainloop *loop = nullptr;
    pa_context *context = nullptr;
    pa_stream *stream = nullptr;
    QByteArray defaultSink;
    QByteArray monitorSource;
    bool infoDone = false;
    std::atomic<bool> armed{false};
    std::atomic<qint64> loudNs{0};
    std::atomic<qint64> chunks{0};

    ~Monitor()
    {
        if (loop)
            pa_threaded_mainloop_stop(loop);
        if (stream) {
            pa_stream_set_read_callback(stream, nullptr, nullptr);
            pa_stream_disconnect(stream);
            pa_stream_unref(stream);
        }
        if (context) {
            pa_context_disconnect(context);
            pa_context_unref(context);
        }
        if (loop)
            pa_threaded_mainloop_free(loop);
    }

    bool waitFor(const std::function<bool()> &done, int ms) { return waitWithPulseLock(loop, done, ms); }

    // Library thread: a fragment of the monitor. The time of its first loud sample is
    // the fragment's arrival less the samples after it.
    void read()
    {
        const void *data = nullptr;
        size_t bytes = 0;
        while (pa_stream_readable_size(stream) > 0 && pa_stream_peek(stream, &data, &bytes) == 0 && bytes > 0) {
            const qint64 now = monotonicNs();
            ++chunks;
            if (data && armed && loudNs == 0) {
                const auto *s = static_cast<const qint16 *>(data);
                const size_t n = bytes / sizeof(qint16);
                for (size_t j = 0; j < n; ++j) {
                    if (std::abs(int(s[j])) >= LoudSample) {
                        loudNs = now - qint64(n - j) * 1000000000LL / MonitorRate;
                        break;
                    }
                }
            }
            pa_stream_drop(stream);
        }
    }

    // Connects and starts recording the default output's monitor; "" or why not.
    QString start()
    {
        loop = pa_threaded_mainloop_new();
        context = loop ? pa_context_new(pa_threaded_mainloop_get_api(loop), "ZOKA contrôle") : nullptr;
        if (!context || pa_context_connect(context, nullptr, PA_CONTEXT_NOAUTOSPAWN, nullptr) < 0
            || pa_threaded_mainloop_start(loop) < 0)
            return QStringLiteral("pas de serveur son");
        pa_threaded_mainloop_lock(loop);
        const auto unlockWith = [this](const QString &why) {
            pa_threaded_mainloop_unlock(loop);
            return why;
        };
        if (!waitFor([this] { return !PA_CONTEXT_IS_GOOD(pa_context_get_state(context))
                                  || pa_context_get_state(context) == PA_CONTEXT_READY; }, PulseTimeoutMs)
            || pa_context_get_state(context) != PA_CONTEXT_READY)
            return unlockWith(QStringLiteral("pas de serveur son"));
        pa_operation *op = pa_context_get_server_info(context, [](pa_context *, const pa_server_info *i, void *u) {
            auto *m = static_cast<Monitor *>(u);
            if (i && i->default_sink_name)
                m->defaultSink = i->default_sink_name;
            m->infoDone = true;
        }, this);
        if (op)
            pa_operation_unref(op);
        if (!op || !waitFor([this] { return infoDone; }, PulseTimeoutMs) || defaultSink.isEmpty())
            return unlockWith(QStringLiteral("pas de sortie son"));
        infoDone = false;
        op = pa_context_get_sink_info_by_name(context, defaultSink.constData(),
                                              [](pa_context *, const pa_sink_info *i, int eol, void *u) {
            auto *m = static_cast<Monitor *>(u);
            if (i && i->monitor_source_name)
                m->monitorSource = i->monitor_source_name;
            if (eol)
                m->infoDone = true;
        }, this);
        if (op)
            pa_operation_unref(op);
        if (!op || !waitFor([this] { return infoDone; }, PulseTimeoutMs) || monitorSource.isEmpty())
            return unlockWith(QStringLiteral("la sortie son n'a pas de source moniteur"));
        const pa_sample_spec sampleFormat{PA_SAMPLE_S16LE, uint32_t(MonitorRate), 1};
        stream = pa_stream_new(context, "Moniteur", &sampleFormat, nullptr);
        if (!stream)
            return unlockWith(QStringLiteral("le serveur son refuse l'enregistrement du moniteur"));
        pa_stream_set_read_callback(stream, [](pa_stream *, size_t, void *u) { static_cast<Monitor *>(u)->read(); },
                                    this);
        pa_buffer_attr attr{};
        attr.maxlength = attr.tlength = attr.prebuf = attr.minreq = uint32_t(-1);
        attr.fragsize = uint32_t(pa_usec_to_bytes(1000, &sampleFormat)); // 1 ms fragments
        if (pa_stream_connect_record(stream, monitorSource.constData(), &attr, PA_STREAM_ADJUST_LATENCY) < 0
            || !waitFor([this] { return !PA_STREAM_IS_GOOD(pa_stream_get_state(stream))
                                     || pa_stream_get_state(stream) == PA_STREAM_READY; }, PulseTimeoutMs)
            || pa_stream_get_state(stream) != PA_STREAM_READY)
            return unlockWith(QStringLiteral("le serveur son refuse l'enregistrement du moniteur"));
        pa_threaded_mainloop_unlock(loop);
        return {};
    }
};

// Waits `ms` with the event loop running (the window stays drawn).
void pause(int ms)
{
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

} // namespace

namespace {

// `monitor` started before the player opened its stream.
ToneOnset measureToneOnset(Monitor &monitor, const QString &started, SoundPlayer &player)
{
    ToneOnset result;
    result.reason = started;
    if (!result.reason.isEmpty())
        return result;
    // The server may take a while to start sending the monitor (up to a second was
    // seen): the tone waits until its fragments flow.
    for (int waited = 0; waited < 3000 && monitor.chunks == 0; waited += 50)
        pause(50);
    if (monitor.chunks == 0) {
        result.reason = QStringLiteral("le moniteur de la sortie ne donne rien");
        return result;
    }
    // Its first fragments may come late, while the server shortens its buffer: a
    // while more, and the median of a few tones.
    pause(500);
    QList<double> onsets;
    for (int tone = 0; tone < OnsetTones; ++tone) {
        monitor.loudNs = 0;
        monitor.armed = true;
        const qint64 tickNs = monotonicNs();
        if (!player.play()) {
            result.reason = QStringLiteral("le son n'a pas pu être joué");
            return result;
        }
        QElapsedTimer waited;
        waited.start();
        while (monitor.loudNs == 0 && waited.elapsed() < 1000)
            std::this_thread::sleep_for(std::chrono::microseconds(200));
        monitor.armed = false;
        player.stop();
        if (monitor.loudNs == 0) {
            result.reason = QStringLiteral("le son n'a pas été entendu sur le moniteur");
            return result;
        }
        onsets << double(monitor.loudNs - tickNs) / 1e6;
        pause(150); // silence again on the monitor
    }
    result.ok = true;
    result.ms = summarise(onsets).median;
    return result;
}

} // namespace

TimingCheckFigures runTimingCheck(QWidget *window, const QString &toneFile,
                                  const std::function<void(const QString &)> &progress)
{
    const auto say = [&](const QString &what) {
        if (progress)
            progress(what);
        QCoreApplication::processEvents();
    };
    TimingCheckFigures f;
    RunPriority priority;
    priority.raise();
    f.realtime = priority.granted();
    f.memoryLocked = priority.memoryLocked();

    say(QStringLiteral("Mesure du rafraîchissement de l'écran…"));
    f.refresh = measureRefresh(window, RefreshPresentations);

    say(QStringLiteral("Mesure des minuteries des essais…"));
    f.timerLatenessMs = measureTimers();

    say(QStringLiteral("Heure des appuis…"));
    f.eventTimesOnClock = displayTimesOnClock();

    say(QStringLiteral("Mesure de la sortie son…"));
    {
        // The player's error boxes are kept out of the way: their text is the reason.
        MessageService &previous = messages();
        ScriptedMessageService quiet;
        setMessageService(&quiet);
        // The monitor is recorded before the player's stream opens.
        Monitor monitor;
        const QString monitorStarted = monitor.start();
        std::unique_ptr<SoundPlayer> player = makeSoundPlayer();
        if (player->open(toneFile)) {
            f.soundPath = player->outputPath().isEmpty() ? QStringLiteral("lecteur de sons") : player->outputPath();
            f.sinkLatencyUs = player->outputLatencyUs();
            const ToneOnset onset = measureToneOnset(monitor, monitorStarted, *player);
            f.onsetMeasured = onset.ok;
            f.onsetMs = onset.ms;
            f.onsetReason = onset.reason;
            player->close();
        } else {
            f.soundReason = quiet.texts().isEmpty() ? QStringLiteral("le son ne peut être joué")
                                                    : quiet.texts().first().simplified();
            f.onsetReason = QStringLiteral("pas de sortie son");
        }
        setMessageService(&previous);
    }
    priority.lower();
    return f;
}

} // namespace zoka
