// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/widgets/eventclock.h"

#include "platform/clock.h"

#include <QGuiApplication>
#include <QtGui/qguiapplication_platform.h>

#include <X11/Xatom.h>
#include <X11/Xlib.h>

namespace zoka {

bool displayTimesOnClock()
{
    if (QGuiApplication::platformName() != QLatin1String("xcb") || !usingSystemClock())
        return false;
    // A connection of our own to the program's display.
    const char *name = nullptr;
    if (auto *x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>())
        if (Display *qtDisplay = x11->display())
            name = DisplayString(qtDisplay);
    Display *d = XOpenDisplay(name);
    if (!d)
        return false;
    const Window w = XCreateSimpleWindow(d, DefaultRootWindow(d), 0, 0, 1, 1, 0, 0, 0);
    XSelectInput(d, w, PropertyChangeMask);
    const Atom probe = XInternAtom(d, "ZOKA_CLOCK_PROBE", False);
    bool onClock = true;
    for (int i = 0; i < 3 && onClock; ++i) {
        const quint32 before = clock().tick();
        XChangeProperty(d, w, probe, XA_STRING, 8, PropModeReplace, nullptr, 0);
        XEvent ev;
        XWindowEvent(d, w, PropertyChangeMask, &ev);
        const quint32 after = clock().tick();
        // A server on a coarse clock may lag ours by a few milliseconds.
        const quint32 stamp = quint32(ev.xproperty.time);
        onClock = ticksBetween(before - 5, stamp) <= ticksBetween(before - 5, after);
    }
    XDestroyWindow(d, w);
    XCloseDisplay(d);
    return onClock;
}

} // namespace zoka
