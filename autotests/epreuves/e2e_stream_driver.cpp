// SPDX-License-Identifier: GPL-3.0-or-later
// Plays the patient in an end-to-end run of "Attention soutenue": watches one pixel
// of the mask (yellow while the mask is up, white while a character is up), presses
// the mouse button at known times in the mask or on the character, may press the
// stop key during a given character, and reports when it saw every phase begin and
// end and when it pressed, in milliseconds of the monotonic clock the program reads.
//
//   driver <items> <x> <y> <box x,y,w,h> <script> [<stop item> [<shot.ppm> <item>]]
//   script: one entry per item, comma-separated, cycled: "-" no press,
//           "m<ms>" a press <ms> after the mask went up, "c<ms>" a press <ms> after
//           the character appeared, "m<ms>c<ms>" both.
//   stop item: the stop key 200 ms after that character appeared (0: none).
//   shot: a screen dump of the mask and one of the character of that item
//         (<shot>-mask.ppm, <shot>-char.ppm).
// Output, one line per item: item mask_seen char_seen end_seen mask_press char_press
// dark_pixels (ms; -1 when none). dark_pixels: pixels of the box darker than grey
// while the character was up (a character was drawn). The last character ends when
// most of those pixels are gone.
#include "../e2e_x11.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>

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


enum Colour { Yellow, White, Other };

Colour colourAt(Display *d, Window root, int x, int y)
{
    XImage *img = XGetImage(d, root, x, y, 1, 1, AllPlanes, ZPixmap);
    if (!img)
        return Other;
    const unsigned long p = XGetPixel(img, 0, 0) & 0xFFFFFF;
    XDestroyImage(img);
    return p == 0xFFFF00 ? Yellow : p == 0xFFFFFF ? White : Other;
}

// Waits until the pixel has (want = true) or no longer has the colour `c`; returns
// the time seen, or -1 after `timeoutMs`.
double waitColour(Display *d, Window root, int x, int y, Colour c, bool want, double timeoutMs)
{
    const double end = nowMs() + timeoutMs;
    while (nowMs() < end) {
        if ((colourAt(d, root, x, y) == c) == want)
            return nowMs();
        usleep(150);
    }
    return -1;
}


void press(Display *d)
{
    XTestFakeButtonEvent(d, 1, True, 0);
    XTestFakeButtonEvent(d, 1, False, 0);
    XFlush(d);
}

int darkPixels(Display *d, Window root, int bx, int by, int bw, int bh)
{
    XImage *img = XGetImage(d, root, bx, by, unsigned(bw), unsigned(bh), AllPlanes, ZPixmap);
    if (!img)
        return -1;
    int n = 0;
    for (int y = 0; y < bh; ++y)
        for (int x = 0; x < bw; ++x) {
            const unsigned long p = XGetPixel(img, x, y);
            n += ((p >> 16) & 255) + ((p >> 8) & 255) + (p & 255) < 3 * 96;
        }
    XDestroyImage(img);
    return n;
}


struct Step {
    int mask = -1; // ms after the mask went up
    int chr = -1;  // ms after the character appeared
};

std::vector<Step> parseScript(char *text)
{
    std::vector<Step> steps;
    for (char *tok = std::strtok(text, ","); tok; tok = std::strtok(nullptr, ",")) {
        Step s;
        if (const char *m = std::strchr(tok, 'm'))
            s.mask = std::atoi(m + 1);
        if (const char *c = std::strchr(tok, 'c'))
            s.chr = std::atoi(c + 1);
        steps.push_back(s);
    }
    if (steps.empty())
        steps.push_back(Step{});
    return steps;
}

} // namespace

int main(int argc, char **argv)
{
    if (argc < 6) {
        std::fprintf(stderr, "usage: %s items x y bx,by,bw,bh script [stop [shot item]]\n", argv[0]);
        return 2;
    }
    const int items = std::atoi(argv[1]);
    const int x = std::atoi(argv[2]), y = std::atoi(argv[3]);
    int bx = 0, by = 0, bw = 0, bh = 0;
    std::sscanf(argv[4], "%d,%d,%d,%d", &bx, &by, &bw, &bh);
    const std::vector<Step> script = parseScript(argv[5]);
    const int stopItem = argc > 6 ? std::atoi(argv[6]) : 0;
    const std::string shot = argc > 8 ? argv[7] : "";
    const int shotItem = argc > 8 ? std::atoi(argv[8]) : -1;

    Display *d = e2e::openDisplay(true);
    if (!d)
        return 2;
    const Window root = DefaultRootWindow(d);
    double maskSeen = waitColour(d, root, x, y, Yellow, true, 20000);
    if (maskSeen < 0) {
        std::fprintf(stderr, "no mask within 20 s\n");
        return 1;
    }
    for (int i = 1; i <= items; ++i) {
        const Step &s = script[size_t(i - 1) % script.size()];
        double maskPress = -1, charPress = -1;
        if (s.mask >= 0) {
            sleepUntil(maskSeen + s.mask);
            if (colourAt(d, root, x, y) == Yellow) { // still the mask
                press(d);
                maskPress = nowMs();
            }
        }
        if (i == shotItem && !shot.empty())
            screenshot(d, root, shot + "-mask.ppm");
        const double charSeen = waitColour(d, root, x, y, Yellow, false, 2000);
        if (charSeen < 0) {
            std::fprintf(stderr, "item %d: mask still up after 2 s\n", i);
            return 1;
        }
        if (i == stopItem) {
            sleepUntil(charSeen + 200);
            const KeyCode esc = XKeysymToKeycode(d, XK_Escape);
            XTestFakeKeyEvent(d, esc, True, 0);
            XTestFakeKeyEvent(d, esc, False, 0);
            XFlush(d);
            std::printf("%d %.3f %.3f -1 %.3f -1 -1\n", i, maskSeen, charSeen, maskPress);
            std::fflush(stdout);
            break;
        }
        if (s.chr >= 0) {
            sleepUntil(charSeen + s.chr);
            press(d);
            charPress = nowMs();
        }
        const int dark = darkPixels(d, root, bx, by, bw, bh);
        if (i == shotItem && !shot.empty())
            screenshot(d, root, shot + "-char.ppm");
        // The next mask, or after the last character the character gone from the box.
        double endSeen = -1;
        if (i < items) {
            endSeen = waitColour(d, root, x, y, Yellow, true, 3000);
        } else {
            for (const double until = nowMs() + 3000; endSeen < 0 && nowMs() < until;)
                if (darkPixels(d, root, bx, by, bw, bh) * 4 < dark)
                    endSeen = nowMs();
        }
        if (endSeen < 0) {
            std::fprintf(stderr, "item %d: character still up after 3 s\n", i);
            return 1;
        }
        std::printf("%d %.3f %.3f %.3f %.3f %.3f %d\n", i, maskSeen, charSeen, endSeen, maskPress,
                    charPress, dark);
        std::fflush(stdout);
        maskSeen = endSeen;
    }
    XCloseDisplay(d);
    return 0;
}
