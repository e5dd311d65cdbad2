// SPDX-License-Identifier: GPL-3.0-or-later
// Plays the patient in an end-to-end run of "TR visuel centré": watches one pixel of
// the screen for the black square, presses the mouse button a given delay after it
// appears (or not at all), and reports when it saw the square come and go and when
// it pressed, in milliseconds of the monotonic clock the program also reads.
//
//   driver <items> <delays> <x> <y> [<screenshot.ppm> <item>]
//   delays: comma-separated milliseconds per item, -1 = no press (let it time out)
// Output, one line per item: item onset_seen press_sent gone_seen (ms, -1 if none).
#include "../e2e_x11.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

using e2e::nowMs;
using e2e::sleepUntil;
using e2e::screenshot;


bool isBlack(Display *d, Window root, int x, int y)
{
    XImage *img = XGetImage(d, root, x, y, 1, 1, AllPlanes, ZPixmap);
    if (!img)
        return false;
    const unsigned long p = XGetPixel(img, 0, 0) & 0xFFFFFF;
    XDestroyImage(img);
    return p == 0;
}

// Waits until the pixel is (or is no longer) black; returns the time seen, or -1
// after `timeoutMs`.
double waitFor(Display *d, Window root, int x, int y, bool black, double timeoutMs)
{
    const double end = nowMs() + timeoutMs;
    while (nowMs() < end) {
        if (isBlack(d, root, x, y) == black)
            return nowMs();
        usleep(200);
    }
    return -1;
}



} // namespace

int main(int argc, char **argv)
{
    if (argc < 5) {
        std::fprintf(stderr, "usage: %s items delays x y [shot.ppm item]\n", argv[0]);
        return 2;
    }
    const int items = std::atoi(argv[1]);
    const std::vector<int> delays = e2e::intList(argv[2]);
    const int x = std::atoi(argv[3]), y = std::atoi(argv[4]);
    const char *shot = argc > 6 ? argv[5] : nullptr;
    const int shotItem = argc > 6 ? std::atoi(argv[6]) : -1;

    Display *d = e2e::openDisplay();
    if (!d)
        return 2;
    const Window root = DefaultRootWindow(d);
    for (int i = 1; i <= items; ++i) {
        const int delay = i - 1 < int(delays.size()) ? delays[size_t(i - 1)] : -1;
        const double on = waitFor(d, root, x, y, true, 15000);
        if (on < 0) {
            std::fprintf(stderr, "item %d: no square within 15 s\n", i);
            return 1;
        }
        double pressed = -1;
        if (delay >= 0) {
            sleepUntil(on + delay);
            XTestFakeButtonEvent(d, 1, True, 0);
            XTestFakeButtonEvent(d, 1, False, 0);
            XFlush(d);
            pressed = nowMs();
        }
        if (i == shotItem && shot && delay < 0)
            screenshot(d, root, shot);
        const double gone = waitFor(d, root, x, y, false, 5000);
        if (gone < 0) {
            std::fprintf(stderr, "item %d: square still up after 5 s\n", i);
            return 1;
        }
        std::printf("%d %.3f %.3f %.3f\n", i, on, pressed, gone);
        std::fflush(stdout);
    }
    XCloseDisplay(d);
    return 0;
}
