// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// What the end-to-end drivers share: the monotonic clock the program also reads,
// waiting for a moment on it, their display and arguments, and a screenshot of the
// root window.
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <string>
#include <unistd.h>
#include <vector>

namespace e2e {

// Milliseconds of CLOCK_MONOTONIC, the program's own clock.
inline double nowMs()
{
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return ts.tv_sec * 1000.0 + ts.tv_nsec / 1e6;
}

// Returns at `t` (ms of nowMs()): sleeps, then spins the last 1.5 ms for precision.
inline void sleepUntil(double t)
{
    for (;;) {
        const double left = t - nowMs();
        if (left <= 0)
            return;
        if (left > 2)
            usleep(useconds_t((left - 1.5) * 1000));
    }
}

// The integers of a comma-separated argument ("400,900,-1").
inline std::vector<int> intList(char *text)
{
    std::vector<int> values;
    for (char *tok = std::strtok(text, ","); tok; tok = std::strtok(nullptr, ","))
        values.push_back(std::atoi(tok));
    return values;
}

// The display, or nullptr once "no display" is said. A watcher started before the run
// says "watching" on stderr when it is ready: the run may start.
inline Display *openDisplay(bool watcher = false)
{
    Display *d = XOpenDisplay(nullptr);
    if (!d) {
        std::fprintf(stderr, "no display\n");
        return nullptr;
    }
    if (watcher) {
        std::fputs("watching\n", stderr);
        std::fflush(stderr);
    }
    return d;
}

// Writes the whole root window as a binary PPM file.
inline void screenshot(Display *d, Window root, const std::string &path)
{
    XWindowAttributes a;
    XGetWindowAttributes(d, root, &a);
    XImage *img = XGetImage(d, root, 0, 0, unsigned(a.width), unsigned(a.height), AllPlanes, ZPixmap);
    if (!img)
        return;
    if (FILE *f = std::fopen(path.c_str(), "wb")) {
        std::fprintf(f, "P6\n%d %d\n255\n", a.width, a.height);
        for (int y = 0; y < a.height; ++y)
            for (int x = 0; x < a.width; ++x) {
                const unsigned long p = XGetPixel(img, x, y);
                const unsigned char rgb[3] = {static_cast<unsigned char>((p >> 16) & 255),
                                              static_cast<unsigned char>((p >> 8) & 255),
                                              static_cast<unsigned char>(p & 255)};
                std::fwrite(rgb, 1, 3, f);
            }
        std::fclose(f);
    }
    XDestroyImage(img);
}

} // namespace e2e
