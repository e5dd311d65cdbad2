// SPDX-License-Identifier: GPL-3.0-or-later
// Plays the patient in an end-to-end run of a visual reaction-time test: for each
// item, watches a screen area for the stimulus colour, presses the mouse button a
// given delay after the stimulus appears (or not at all), and reports when it saw
// the stimulus come and go and when it pressed, in milliseconds of the monotonic
// clock the program also reads. It can watch a second area for a fixation point
// during each foreperiod, and press while that point is up.
//
//   driver <plan> [<screenshot prefix>]
// Plan, one line per item:
//   x y w h colour delay [fx fy fw fh fixpress] [shot]
//   x y w h      the area of the stimulus, screen pixels
//   colour       k (black), r (red) or b (blue): the stimulus's colour
//   delay        ms after the onset seen to press; -1: no press
//   fx fy fw fh  the area of the fixation point (red); "-" for none
//   fixpress     ms after the point is seen to press (an untimely press); -1: none
//   shot         "s": a screenshot at the onset (or at the point, if one is watched)
//                into <prefix><item>.ppm (<prefix><item>-fixation.ppm)
// Output, one line per item:
//   item onset press gone fixation_on fixation_off centre
//   (ms; -1 when none; centre: 1 when the middle pixel of the area had the stimulus
//   colour at the onset, which tells a cross from a ring)
#include "../e2e_x11.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <fstream>
#include <sstream>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

using e2e::nowMs;
using e2e::sleepUntil;


struct Area {
    int x = 0, y = 0, w = 0, h = 0;
    bool valid() const { return w > 0 && h > 0; }
};

struct Item {
    Area stim;
    char colour = 'k';
    int delay = -1;
    Area fix;
    int fixPress = -1;
    bool shot = false;
};

bool matches(unsigned long p, char colour)
{
    const int r = int((p >> 16) & 255), g = int((p >> 8) & 255), b = int(p & 255);
    switch (colour) {
    case 'r': return r > 192 && g < 64 && b < 64;
    case 'b': return b > 192 && r < 64 && g < 64;
    default: return r < 64 && g < 64 && b < 64;
    }
}

Display *dpy = nullptr;
Window root = 0;

// Whether any pixel of the area has the colour; `centre` gets the middle pixel's.
bool seen(const Area &a, char colour, bool *centre = nullptr)
{
    XImage *img = XGetImage(dpy, root, a.x, a.y, unsigned(a.w), unsigned(a.h), AllPlanes, ZPixmap);
    if (!img)
        return false;
    bool any = false;
    const bool direct = img->bits_per_pixel == 32;
    for (int y = 0; y < a.h && !any; ++y) {
        const auto *row = reinterpret_cast<const uint32_t *>(img->data + y * img->bytes_per_line);
        for (int x = 0; x < a.w && !any; ++x)
            any = matches(direct ? row[x] : XGetPixel(img, x, y), colour);
    }
    if (centre)
        *centre = matches(XGetPixel(img, a.w / 2, a.h / 2), colour);
    XDestroyImage(img);
    return any;
}


void press()
{
    XTestFakeButtonEvent(dpy, 1, True, 0);
    XTestFakeButtonEvent(dpy, 1, False, 0);
    XFlush(dpy);
}

void screenshot(const std::string &path) { e2e::screenshot(dpy, root, path); }

Area area(std::istringstream &in)
{
    std::string x;
    Area a;
    in >> x;
    if (x == "-")
        return a;
    a.x = std::atoi(x.c_str());
    in >> a.y >> a.w >> a.h;
    return a;
}

} // namespace

int main(int argc, char **argv)
{
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s plan [shot-prefix]\n", argv[0]);
        return 2;
    }
    std::vector<Item> items;
    std::ifstream planFile(argv[1]);
    for (std::string line; std::getline(planFile, line);) {
        if (line.empty() || line[0] == '#')
            continue;
        std::istringstream in(line);
        Item it;
        it.stim = area(in);
        std::string colour, rest;
        in >> colour >> it.delay;
        it.colour = colour.empty() ? 'k' : colour[0];
        it.fix = area(in);
        if (!(in >> it.fixPress))
            it.fixPress = -1;
        in >> rest;
        it.shot = rest == "s";
        items.push_back(it);
    }
    const std::string prefix = argc > 2 ? argv[2] : "";

    dpy = XOpenDisplay(nullptr);
    if (!dpy) {
        std::fprintf(stderr, "no display\n");
        return 2;
    }
    root = DefaultRootWindow(dpy);
    for (size_t i = 0; i < items.size(); ++i) {
        const Item &it = items[i];
        // The foreperiod: watch for the point (if any) and the stimulus.
        double on = -1, fixOn = -1, fixOff = -1, fixPressAt = -1;
        bool centre = false;
        const double limit = nowMs() + (i == 0 ? 30000 : 15000);
        while (nowMs() < limit) {
            if (it.fix.valid()) {
                const bool up = seen(it.fix, 'r');
                const double t = nowMs();
                if (up && fixOn < 0) {
                    fixOn = t;
                    if (it.shot && !prefix.empty())
                        screenshot(prefix + std::to_string(i + 1) + "-fixation.ppm");
                    if (it.fixPress >= 0)
                        fixPressAt = fixOn + it.fixPress;
                } else if (!up && fixOn >= 0 && fixOff < 0) {
                    fixOff = t;
                }
            }
            if (fixPressAt >= 0 && nowMs() >= fixPressAt) {
                press();
                fixPressAt = -1;
            }
            if (seen(it.stim, it.colour, &centre)) {
                on = nowMs();
                break;
            }
            usleep(200);
        }
        if (on < 0) {
            std::fprintf(stderr, "item %zu: no stimulus within the time allowed\n", i + 1);
            return 1;
        }
        // (A screenshot takes a while: plans ask for one at items left unanswered.)
        if (it.shot && !it.fix.valid() && !prefix.empty())
            screenshot(prefix + std::to_string(i + 1) + ".ppm");
        double pressed = -1;
        if (it.delay >= 0) {
            sleepUntil(on + it.delay);
            press();
            pressed = nowMs();
        }
        double gone = -1;
        const double goneLimit = nowMs() + 10000;
        while (nowMs() < goneLimit) {
            if (!seen(it.stim, it.colour)) {
                gone = nowMs();
                break;
            }
            usleep(200);
        }
        if (gone < 0) {
            std::fprintf(stderr, "item %zu: stimulus still up after 10 s\n", i + 1);
            return 1;
        }
        std::printf("%zu %.3f %.3f %.3f %.3f %.3f %d\n", i + 1, on, pressed, gone, fixOn, fixOff, centre ? 1 : 0);
        std::fflush(stdout);
    }
    XCloseDisplay(dpy);
    return 0;
}
