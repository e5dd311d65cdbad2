// SPDX-License-Identifier: GPL-3.0-or-later
// Press timing: what a press's recorded tick owes to the event loop. One program,
// two roles:
//
//   press_timing window <out.tsv> [busy]
//     a full-screen test-window stage; for every press it writes the tick the
//     stage reports (the input event's own time where it is on the program's
//     clock) and the tick read first thing when the event reaches the stage (the
//     former way). "busy": the event loop is kept busy 0-40 ms out of every 50
//     (as by a long redraw or a slow disk), so that presses wait in the queue.
//   press_timing press <count> <out.tsv>
//     presses the mouse button <count> times (X test extension), 250-650 ms apart,
//     and writes the monotonic millisecond at which each press was sent.
//
// bench/press_timing.sh runs both under Xvfb, idle and under load, and compares.
#include "platform/clock.h"
#include "platform/eventtime.h"
#include "platform/widgets/eventclock.h"
#include "epreuves/widgets/stagewidget.h"

#include <QApplication>
#include <QMouseEvent>
#include <QTimer>

#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>

#include <cstdio>
#include <ctime>
#include <unistd.h>

namespace {

double nowMs()
{
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return ts.tv_sec * 1000.0 + ts.tv_nsec / 1e6;
}

// Reads the tick as the stage's handler formerly did: first thing, when the event
// reaches the widget.
class FirstRead final : public QObject {
public:
    quint32 tick = 0;
    bool eventFilter(QObject *, QEvent *e) override
    {
        if (e->type() == QEvent::MouseButtonPress || e->type() == QEvent::MouseButtonDblClick)
            tick = zoka::clock().tick();
        return false;
    }
};

int window(int argc, char **argv)
{
    QApplication app(argc, argv);
    FILE *out = std::fopen(argv[2], "w");
    if (!out)
        return 1;
    const bool busy = argc > 3 && QByteArray(argv[3]) == "busy";
    const bool onClock = zoka::displayTimesOnClock();
    zoka::setEventTimesOnClock(onClock);
    std::fprintf(stderr, "event times on the program's clock: %s\n", onClock ? "yes" : "no");

    zoka::StageWidget stage;
    FirstRead first;
    stage.installEventFilter(&first);
    stage.onPress = [&](quint32 tick, QPoint) {
        std::fprintf(out, "%u\t%u\n", tick, first.tick);
        std::fflush(out);
    };
    QTimer spin;
    int n = 0;
    QObject::connect(&spin, &QTimer::timeout, [&] {
        const double until = nowMs() + (n++ * 13) % 41;
        while (nowMs() < until) {
        }
    });
    if (busy)
        spin.start(50);
    stage.showFullScreen();
    return app.exec();
}

int press(char **argv)
{
    const int count = std::atoi(argv[2]);
    FILE *out = std::fopen(argv[3], "w");
    Display *d = XOpenDisplay(nullptr);
    if (!out || !d)
        return 1;
    XTestFakeMotionEvent(d, -1, 400, 300, 0);
    XSync(d, False);
    usleep(300000);
    for (int i = 0; i < count; ++i) {
        usleep(useconds_t((250 + (i * 89) % 400) * 1000));
        const double sent = nowMs();
        XTestFakeButtonEvent(d, 1, True, 0);
        XFlush(d);
        std::fprintf(out, "%.3f\n", sent);
        XTestFakeButtonEvent(d, 1, False, 0);
        XFlush(d);
    }
    XCloseDisplay(d);
    std::fclose(out);
    return 0;
}

} // namespace

int main(int argc, char **argv)
{
    if (argc >= 3 && QByteArray(argv[1]) == "window")
        return window(argc, argv);
    if (argc >= 4 && QByteArray(argv[1]) == "press")
        return press(argv);
    std::fprintf(stderr, "usage: %s window <out.tsv> [busy] | press <count> <out.tsv>\n", argv[0]);
    return 2;
}
