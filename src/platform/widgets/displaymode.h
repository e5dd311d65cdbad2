// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QSize>

struct _XDisplay; // Xlib's Display

namespace zoka {

// Display resolution of the screen the program runs on.

// Current size of the screen in pixels.
QSize currentScreenSize();

// When `width` differs from the current screen width, asks the display server for a
// width x height mode (resolution only; depth and refresh stay). The outcome is not
// examined: a server that refuses (or has no such mode) leaves the screen as it is.
// Does nothing on platforms without a display server that can change modes
// (offscreen, wayland). Always returns true.
bool SwitchScreenMode(int width, int height);

} // namespace zoka

namespace zoka {

// The program's connection to its X server; null on other platforms (offscreen,
// wayland) and before the application exists.
_XDisplay *x11Display();

// Waits until the display server has carried out every drawing request sent so far
// (what has been drawn is on the screen on return). Does nothing without an X server.
void syncWithDisplay();

} // namespace zoka
