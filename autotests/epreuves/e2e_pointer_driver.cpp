// SPDX-License-Identifier: GPL-3.0-or-later
// Plays the patient in an end-to-end run of a pointing test ("Puce Astérisque",
// "Puce Carré") on a 1280 x 1024 screen (the 800 x 600 stage scaled by 1.6, 32
// pixels down): finds the target among the cells of the 8 x 8 grid, moves the
// pointer onto it, clicks a known delay after it appeared (or lets it time out),
// and on chosen items first clicks 2 stage pixels left of the target's box.
//
//   driver <items> <box w,h> <delays> [<outside items>] [<shot.ppm> <item>]
//   delays: comma-separated ms per item, -1 = no click (the 30 s limit)
//   outside items: comma-separated item numbers ("-" for none)
// Output, one line per item: item row col seen click outside moved x0 y0 x1 y1
// (ms of the monotonic clock, -1 when none; row and column from 1; x0..y1 the dark
// pixels of the target in stage pixels).
#include "../e2e_x11.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <set>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

using e2e::nowMs;
using e2e::sleepUntil;
using e2e::screenshot;

constexpr double Scale = 1.6;
constexpr double OffsetY = 32;



bool dark(unsigned long p) { return ((p >> 16) & 255) + ((p >> 8) & 255) + (p & 255) < 3 * 100; }

// Screen pixel of the middle of stage pixel (x, y).
int sx(double x) { return int(std::floor((x + 0.5) * Scale)); }
int sy(double y) { return int(std::floor(OffsetY + (y + 0.5) * Scale)); }

struct Cell {
    int row = 0, col = 0; // from 1; 0 = none
    bool operator==(const Cell &o) const { return row == o.row && col == o.col; }
};

// The cell holding dark pixels: a few screen lines through each row of cells.
Cell findTarget(Display *d, Window root)
{
    for (int r = 0; r < 8; ++r) {
        const int top = 30 + 75 * r;
        for (int dy : {3, 10, 17, 24, 40, 55}) {
            XImage *img = XGetImage(d, root, 0, sy(top + dy), 1280, 1, AllPlanes, ZPixmap);
            if (!img)
                continue;
            int found = -1;
            for (int x = 0; x < 1280 && found < 0; ++x)
                if (dark(XGetPixel(img, x, 0)))
                    found = x;
            XDestroyImage(img);
            if (found >= 0) {
                // The scaled target's first pixel may lie a little left of its
                // stage box: a cell takes what starts from 20 pixels before it.
                const int stageX = int(found / Scale);
                const int c = (stageX - 42 + 20) / 100;
                if (c >= 0 && c < 8)
                    return Cell{r + 1, c + 1};
            }
        }
    }
    return Cell{};
}

// The dark pixels of the cell's area, in stage pixels; `probe` gets the screen
// pixel of one of them nearest to their middle ({-1, -1}: none).
void boundsIn(Display *d, Window root, const Cell &cell, int b[4], int probe[2])
{
    const int left = 42 + 100 * (cell.col - 1) - 10, top = 30 + 75 * (cell.row - 1) - 10;
    const int x0 = sx(left), y0 = sy(top);
    const int w = std::min(int(60 * Scale), 1280 - x0), h = std::min(int(85 * Scale), 1024 - y0);
    b[0] = b[1] = 1 << 20;
    b[2] = b[3] = -1;
    probe[0] = probe[1] = -1;
    XImage *img = XGetImage(d, root, x0, y0, unsigned(w), unsigned(h), AllPlanes, ZPixmap);
    if (!img)
        return;
    long sumX = 0, sumY = 0, n = 0;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            if (dark(XGetPixel(img, x, y))) {
                const int stx = int(std::floor((x0 + x) / Scale));
                const int sty = int(std::floor((y0 + y - OffsetY) / Scale));
                b[0] = std::min(b[0], stx);
                b[1] = std::min(b[1], sty);
                b[2] = std::max(b[2], stx);
                b[3] = std::max(b[3], sty);
                sumX += x;
                sumY += y;
                ++n;
            }
    long best = -1;
    for (int y = 0; n && y < h; ++y)
        for (int x = 0; x < w; ++x)
            if (dark(XGetPixel(img, x, y))) {
                const long dist = (x - sumX / n) * (x - sumX / n) + (y - sumY / n) * (y - sumY / n);
                if (best < 0 || dist < best) {
                    best = dist;
                    probe[0] = x0 + x;
                    probe[1] = y0 + y;
                }
            }
    XDestroyImage(img);
}

// Waits for the screen pixel (x, y) to be dark no more: the target has left that
// place (it goes from one place to the next in one presentation, so this is also
// when it appears at the next). The time, or -1 after `timeoutMs`.
double waitLeave(Display *d, Window root, int x, int y, double timeoutMs)
{
    const double end = nowMs() + timeoutMs;
    while (nowMs() < end) {
        XImage *img = XGetImage(d, root, x, y, 1, 1, AllPlanes, ZPixmap);
        const bool still = img && dark(XGetPixel(img, 0, 0));
        if (img)
            XDestroyImage(img);
        if (!still)
            return nowMs();
        usleep(100);
    }
    return -1;
}

// Waits for the target at a cell other than `other` (with `gone`: for the target
// no longer at `other`, the window closing); returns the time seen. A scan that
// meets the target nowhere (it moved while the lines were read) does not count.
double waitMove(Display *d, Window root, const Cell &other, Cell &now, double timeoutMs,
                bool gone = false)
{
    const double end = nowMs() + timeoutMs;
    while (nowMs() < end) {
        now = findTarget(d, root);
        if (!(now == other) && (gone || now.row != 0))
            return nowMs();
        usleep(200);
    }
    return -1;
}

// The pointer out of the way, in the white margin under the stage, so that it is
// never taken for a target.
void parkPointer(Display *d)
{
    XTestFakeMotionEvent(d, -1, 640, 1012, 0);
    XFlush(d);
}

void clickAt(Display *d, int x, int y)
{
    XTestFakeMotionEvent(d, -1, x, y, 0);
    XTestFakeButtonEvent(d, 1, True, 0);
    XTestFakeButtonEvent(d, 1, False, 0);
    XFlush(d);
}


} // namespace

int main(int argc, char **argv)
{
    if (argc < 4) {
        std::fprintf(stderr, "usage: %s items w,h delays [outside] [shot.ppm item]\n", argv[0]);
        return 2;
    }
    const int items = std::atoi(argv[1]);
    int bw = 0, bh = 0;
    std::sscanf(argv[2], "%d,%d", &bw, &bh);
    const std::vector<int> delays = e2e::intList(argv[3]);
    std::set<int> outside;
    if (argc > 4)
        for (char *tok = std::strtok(argv[4], ","); tok; tok = std::strtok(nullptr, ","))
            if (std::strcmp(tok, "-") != 0)
                outside.insert(std::atoi(tok));
    const char *shot = argc > 6 ? argv[5] : nullptr;
    const int shotItem = argc > 6 ? std::atoi(argv[6]) : -1;

    Display *d = e2e::openDisplay(true);
    if (!d)
        return 2;
    const Window root = DefaultRootWindow(d);
    // The test window: white down to the screen's bottom corner (the windows behind
    // it are grey there).
    for (const double until = nowMs() + 20000;;) {
        XImage *img = XGetImage(d, root, 2, 1020, 1, 1, AllPlanes, ZPixmap);
        const bool white = img && (XGetPixel(img, 0, 0) & 0xFFFFFF) == 0xFFFFFF;
        if (img)
            XDestroyImage(img);
        if (white)
            break;
        if (nowMs() > until) {
            std::fprintf(stderr, "no test window within 20 s\n");
            return 1;
        }
        usleep(1000);
    }
    parkPointer(d);
    Cell cell;
    double seen = waitMove(d, root, Cell{}, cell, 20000);
    if (seen < 0) {
        std::fprintf(stderr, "no target within 20 s\n");
        return 1;
    }
    for (int i = 1; i <= items; ++i) {
        const int delay = i - 1 < int(delays.size()) ? delays[size_t(i - 1)] : -1;
        const int left = 42 + 100 * (cell.col - 1), top = 30 + 75 * (cell.row - 1);
        // Onto the middle of the box.
        XTestFakeMotionEvent(d, -1, sx(left + bw / 2), sy(top + bh / 2), 0);
        XFlush(d);
        int b[4], probe[2];
        boundsIn(d, root, cell, b, probe);
        if (i == shotItem && shot)
            screenshot(d, root, shot);
        double outsideSent = -1;
        if (outside.count(i)) {
            sleepUntil(seen + 100);
            clickAt(d, sx(left - 2), sy(top + bh / 2));
            outsideSent = nowMs();
            usleep(150000);
            if (!(findTarget(d, root) == cell)) {
                std::fprintf(stderr, "item %d: the target moved on a click beside it\n", i);
                return 1;
            }
            XTestFakeMotionEvent(d, -1, sx(left + bw / 2), sy(top + bh / 2), 0);
            XFlush(d);
        }
        double clicked = -1;
        if (delay >= 0) {
            sleepUntil(seen + delay);
            XTestFakeButtonEvent(d, 1, True, 0);
            XTestFakeButtonEvent(d, 1, False, 0);
            XFlush(d);
            clicked = nowMs();
        }
        parkPointer(d);
        // The move is timed on one pixel of the target leaving (quick to read); the
        // scan of the grid then says where it went.
        Cell next;
        double moved = probe[0] >= 0 ? waitLeave(d, root, probe[0], probe[1], delay >= 0 ? 5000 : 35000) : -1;
        if (moved >= 0 && i < items) {
            next = findTarget(d, root);
            if (next.row == 0 || next == cell)
                moved = -1;
        }
        if (moved < 0)
            moved = waitMove(d, root, cell, next, delay >= 0 ? 5000 : 35000, i == items);
        if (moved < 0) {
            std::fprintf(stderr, "item %d: the target did not move\n", i);
            return 1;
        }
        std::printf("%d %d %d %.3f %.3f %.3f %.3f %d %d %d %d\n", i, cell.row, cell.col, seen, clicked,
                    outsideSent, moved, b[0], b[1], b[2], b[3]);
        std::fflush(stdout);
        cell = next;
        seen = moved;
    }
    XCloseDisplay(d);
    return 0;
}
