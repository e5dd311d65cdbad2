// SPDX-License-Identifier: GPL-3.0-or-later
// Plays the patient in an end-to-end run of "TR auditif" (or "TR mixte"): listens
// to the sound server's output (raw 16-bit mono samples at 44100 Hz on standard
// input, from parec on the null sink's monitor), and with --square X,Y also
// watches that screen pixel for the black square; presses the mouse button a given
// delay after each stimulus starts (or not at all), and reports when it heard or
// saw each stimulus start and stop and when it pressed, in milliseconds of the
// monotonic clock the program also reads.
//
//   driver [--square X,Y] <items> <delays> [<item>:<ms> ...]
//   delays: comma-separated milliseconds per item, -1 = no press (time-out)
//   <item>:<ms>: an untimely press <ms> after the stimulus before item <item> ended
// Output, one line per item: item onset press_sent gone kind (ms, -1 if none; kind
// A = tone, V = square).
#include "../e2e_x11.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <map>
#include <poll.h>
#include <unistd.h>
#include <vector>

namespace {

using e2e::nowMs;
using e2e::sleepUntil;



constexpr int Threshold = 4; // of 32767: the null sink's silence is exact zeros
constexpr double OnsetSilenceMs = 30;
constexpr double GoneSilenceMs = 20;

bool isBlack(Display *d, int x, int y)
{
    XImage *img = XGetImage(d, DefaultRootWindow(d), x, y, 1, 1, AllPlanes, ZPixmap);
    if (!img)
        return false;
    const unsigned long p = XGetPixel(img, 0, 0) & 0xFFFFFF;
    XDestroyImage(img);
    return p == 0;
}

// Follows the sound (samples read as they come) and, if asked, the square.
class Senses {
public:
    Display *display = nullptr;
    int squareX = -1, squareY = -1;

    // Waits until a tone starts after at least OnsetSilenceMs of silence, or the
    // square appears: true, when (arrival of the first loud sample, or the pixel
    // seen black) and which.
    bool awaitOnset(double timeoutMs, double *at, char *kind)
    {
        m_haveOnset = false;
        const double end = nowMs() + timeoutMs;
        while (nowMs() < end) {
            if (!listen())
                return false;
            if (m_haveOnset) {
                m_haveOnset = false;
                m_haveGone = false;
                *at = m_event;
                *kind = 'A';
                return true;
            }
            if (squareX >= 0 && isBlack(display, squareX, squareY)) {
                *at = nowMs();
                *kind = 'V';
                return true;
            }
        }
        return false;
    }
    // Waits until the stimulus of `kind` is gone: GoneSilenceMs of silence after the
    // tone (the arrival of the first silent sample), or the square no longer seen.
    bool awaitGone(char kind, double timeoutMs, double *at)
    {
        const double end = nowMs() + timeoutMs;
        while (nowMs() < end) {
            if (!listen())
                return false;
            if (kind == 'A' && m_haveGone) {
                m_haveGone = false;
                *at = m_gone;
                return true;
            }
            if (kind == 'V' && !isBlack(display, squareX, squareY)) {
                *at = nowMs();
                return true;
            }
        }
        return false;
    }

private:
    // Reads what has come (waiting a little for it) and follows sound and silence.
    bool listen()
    {
        pollfd p{0, POLLIN, 0};
        const int ready = poll(&p, 1, squareX >= 0 ? 0 : 5);
        if (ready <= 0) {
            if (squareX >= 0)
                usleep(200);
            return true;
        }
        char buf[4096];
        const ssize_t n = read(0, buf + m_carry, sizeof buf - m_carry);
        if (n <= 0)
            return false;
        const double t = nowMs();
        const size_t bytes = m_carry + size_t(n);
        for (size_t i = 0; i + 1 < bytes; i += 2) {
            short v;
            std::memcpy(&v, buf + i, 2);
            if (std::abs(int(v)) >= Threshold) {
                if (!m_loud && m_silentSamples * 1000.0 / 44100 >= OnsetSilenceMs) {
                    m_loud = true;
                    m_event = t;
                    m_haveOnset = true;
                }
                m_silentSamples = 0;
            } else {
                if (m_silentSamples == 0)
                    m_silenceStart = t;
                ++m_silentSamples;
                if (m_loud && m_silentSamples * 1000.0 / 44100 >= GoneSilenceMs) {
                    m_loud = false;
                    m_gone = m_silenceStart;
                    m_haveGone = true;
                }
            }
        }
        m_carry = bytes % 2;
        if (m_carry)
            buf[0] = buf[bytes - 1];
        return true;
    }

    size_t m_carry = 0;
    long long m_silentSamples = 1 << 20;
    bool m_loud = false;
    bool m_haveOnset = false;
    bool m_haveGone = false;
    double m_event = 0;
    double m_gone = 0;
    double m_silenceStart = 0;
};

void pressButton(Display *d)
{
    XTestFakeButtonEvent(d, 1, True, 0);
    XTestFakeButtonEvent(d, 1, False, 0);
    XFlush(d);
}

} // namespace

int main(int argc, char **argv)
{
    Senses senses;
    int arg = 1;
    if (argc > 2 && std::strcmp(argv[1], "--square") == 0) {
        std::sscanf(argv[2], "%d,%d", &senses.squareX, &senses.squareY);
        arg = 3;
    }
    if (argc < arg + 2) {
        std::fprintf(stderr, "usage: %s [--square x,y] items delays [item:ms ...] < samples\n", argv[0]);
        return 2;
    }
    const int items = std::atoi(argv[arg]);
    const std::vector<int> delays = e2e::intList(argv[arg + 1]);
    std::map<int, int> untimely;
    for (int i = arg + 2; i < argc; ++i) {
        int item = 0, ms = 0;
        if (std::sscanf(argv[i], "%d:%d", &item, &ms) == 2)
            untimely[item] = ms;
    }
    Display *d = e2e::openDisplay();
    if (!d)
        return 2;
    senses.display = d;
    for (int i = 1; i <= items; ++i) {
        const int delay = i - 1 < int(delays.size()) ? delays[size_t(i - 1)] : -1;
        double on = -1, gone = -1, pressed = -1;
        char kind = '?';
        if (!senses.awaitOnset(15000, &on, &kind)) {
            std::fprintf(stderr, "item %d: no stimulus within 15 s\n", i);
            return 1;
        }
        if (delay >= 0) {
            sleepUntil(on + delay);
            pressed = nowMs();
            pressButton(d);
        }
        if (!senses.awaitGone(kind, 5000, &gone)) {
            std::fprintf(stderr, "item %d: stimulus still there after 5 s\n", i);
            return 1;
        }
        std::printf("%d %.3f %.3f %.3f %c\n", i, on, pressed, gone, kind);
        std::fflush(stdout);
        if (untimely.count(i + 1)) {
            sleepUntil(gone + untimely[i + 1]);
            pressButton(d);
        }
    }
    XCloseDisplay(d);
    return 0;
}
