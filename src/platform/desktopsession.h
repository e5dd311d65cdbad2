// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QString>

namespace zoka {

// The desktop session the program runs in, from its environment.
struct SessionEnvironment {
    QString xdgSessionType; // XDG_SESSION_TYPE
    QString waylandDisplay; // WAYLAND_DISPLAY
    QString display;        // DISPLAY
    QString qpaPlatform;    // QT_QPA_PLATFORM
};

// The environment of this process.
SessionEnvironment currentSessionEnvironment();

// "wayland", "x11", another type the session declares ("tty", ...), or "" when
// nothing says. XDG_SESSION_TYPE first; without it, a Wayland display makes a Wayland
// session and an X display an X11 one.
QString sessionType(const SessionEnvironment &env);

// Whether the program must be told to run through XWayland: a Wayland session where
// the user has not chosen a platform himself (QT_QPA_PLATFORM). The test windows time
// presentations and presses through the X server, which a Wayland compositor offers
// as XWayland.
bool runThroughXWayland(const SessionEnvironment &env);

} // namespace zoka
