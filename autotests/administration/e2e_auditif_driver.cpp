// Plays the patient in an end-to-end run of "TR auditif": listens to the sound
// server's output (raw 16-bit mono samples at 44100 Hz on standard input, from
// parec on the null sink's monitor), presses the mouse button a given delay after
// each tone starts (or not at all), and reports when it heard each tone start and
// stop and when it pressed, in milliseconds of the monotonic clock the program
// also reads.
//
//   driver <items> <delays> [<item>:<ms> ...]
//   delays: comma-separated milliseconds per item, -1 = no press (time-out)
//   <item>:<ms>: an untimely press <ms> after the tone before item <item> stopped
// Output, one line per item: item onset_heard press_sent gone_heard (ms, -1 if none).
#include <X11/Xlib.h>
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

double nowMs()
{
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return ts.tv_sec * 1000.0 + ts.tv_nsec / 1e6;
}

void sleepUntil(double t)
{
    for (;;) {
        const double left = t - nowMs();
        if (left <= 0)
            return;
        if (left > 2)
            usleep(useconds_t((left - 1.5) * 1000));
    }
}

constexpr int Threshold = 4; // of 32767: the null sink's silence is exact zeros
constexpr double OnsetSilenceMs = 30;
constexpr double GoneSilenceMs = 20;

// Reads the samples as they come and follows sound and silence.
class Ear {
public:
    // Waits until a sound starts after at least OnsetSilenceMs of silence (true, and
    // the arrival time of its first loud sample), or `timeoutMs` passes.
    bool awaitOnset(double timeoutMs, double *at) { return await(true, timeoutMs, at); }
    // Waits until GoneSilenceMs of silence follow a sound; `at` is the arrival of
    // the first silent sample.
    bool awaitGone(double timeoutMs, double *at) { return await(false, timeoutMs, at); }

private:
    bool await(bool onset, double timeoutMs, double *at)
    {
        const double end = nowMs() + timeoutMs;
        while (nowMs() < end) {
            pollfd p{0, POLLIN, 0};
            if (poll(&p, 1, 5) <= 0)
                continue;
            char buf[4096];
            const ssize_t n = read(0, buf + m_carry, sizeof buf - m_carry);
            if (n <= 0)
                return false;
            const double t = nowMs();
            const size_t bytes = m_carry + size_t(n);
            for (size_t i = 0; i + 1 < bytes; i += 2) {
                short v;
                std::memcpy(&v, buf + i, 2);
                const bool loud = std::abs(int(v)) >= Threshold;
                m_samples += 1;
                if (loud) {
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
            if (onset && m_haveOnset) {
                m_haveOnset = false;
                m_haveGone = false;
                *at = m_event;
                return true;
            }
            if (!onset && m_haveGone) {
                m_haveGone = false;
                *at = m_gone;
                return true;
            }
        }
        return false;
    }

    size_t m_carry = 0;
    long long m_samples = 0;
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
    if (argc < 3) {
        std::fprintf(stderr, "usage: %s items delays [item:ms ...] < samples\n", argv[0]);
        return 2;
    }
    const int items = std::atoi(argv[1]);
    std::vector<int> delays;
    for (char *tok = std::strtok(argv[2], ","); tok; tok = std::strtok(nullptr, ","))
        delays.push_back(std::atoi(tok));
    std::map<int, int> untimely;
    for (int i = 3; i < argc; ++i) {
        int item = 0, ms = 0;
        if (std::sscanf(argv[i], "%d:%d", &item, &ms) == 2)
            untimely[item] = ms;
    }
    Display *d = XOpenDisplay(nullptr);
    if (!d) {
        std::fprintf(stderr, "no display\n");
        return 2;
    }
    Ear ear;
    for (int i = 1; i <= items; ++i) {
        const int delay = i - 1 < int(delays.size()) ? delays[size_t(i - 1)] : -1;
        double on = -1, gone = -1, pressed = -1;
        if (!ear.awaitOnset(15000, &on)) {
            std::fprintf(stderr, "item %d: no tone within 15 s\n", i);
            return 1;
        }
        if (delay >= 0) {
            sleepUntil(on + delay);
            pressed = nowMs();
            pressButton(d);
        }
        if (!ear.awaitGone(5000, &gone)) {
            std::fprintf(stderr, "item %d: tone still sounding after 5 s\n", i);
            return 1;
        }
        std::printf("%d %.3f %.3f %.3f\n", i, on, pressed, gone);
        std::fflush(stdout);
        if (untimely.count(i + 1)) {
            sleepUntil(gone + untimely[i + 1]);
            pressButton(d);
        }
    }
    XCloseDisplay(d);
    return 0;
}
