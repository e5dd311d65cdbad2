// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/widgets/displaymode.h"

#include <QGuiApplication>
#include <QScreen>
#include <QtGui/qguiapplication_platform.h>

#include <X11/Xlib.h>
#include <X11/extensions/Xrandr.h>

namespace zoka {

Display *x11Display()
{
    if (QGuiApplication::platformName() != QLatin1String("xcb"))
        return nullptr;
    auto *x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    return x11 ? x11->display() : nullptr;
}

namespace {

bool hasRandr(Display *dpy)
{
    int eventBase = 0, errorBase = 0;
    return dpy && XRRQueryExtension(dpy, &eventBase, &errorBase);
}

// A server that refuses a request answers with an X error; it must not end the
// program (the default handler does).
int ignoreXError(Display *, XErrorEvent *) { return 0; }
} // namespace

QSize currentScreenSize()
{
    if (Display *dpy = x11Display()) {
        // The root window's size, asked of the server (a plain round trip; no output
        // probing).
        Window root = DefaultRootWindow(dpy);
        Window rootReturn = 0;
        int x = 0, y = 0;
        unsigned width = 0, height = 0, border = 0, depth = 0;
        if (XGetGeometry(dpy, root, &rootReturn, &x, &y, &width, &height, &border, &depth))
            return QSize(int(width), int(height));
    }
    if (QScreen *screen = QGuiApplication::primaryScreen())
        return screen->size();
    return {};
}

bool SwitchScreenMode(int width, int height)
{
    Display *dpy = x11Display();
    if (!hasRandr(dpy) || width <= 0 || height <= 0)
        return true;
    if (currentScreenSize().width() == width)
        return true;

    const Window root = DefaultRootWindow(dpy);
    XRRScreenConfiguration *conf = XRRGetScreenInfo(dpy, root);
    if (!conf)
        return true;
    int count = 0;
    XRRScreenSize *sizes = XRRConfigSizes(conf, &count);
    int wanted = -1;
    for (int i = 0; i < count; ++i)
        if (sizes[i].width == width && sizes[i].height == height)
            wanted = i;
    if (wanted >= 0) {
        Rotation rotation = 0;
        XRRConfigCurrentConfiguration(conf, &rotation);
        XSync(dpy, False);
        auto *previous = XSetErrorHandler(ignoreXError);
        XRRSetScreenConfig(dpy, conf, root, SizeID(wanted), rotation, CurrentTime);
        XSync(dpy, False);
        XSetErrorHandler(previous);
    }
    XRRFreeScreenConfigInfo(conf);
    return true;
}

} // namespace zoka

namespace zoka {

void syncWithDisplay()
{
    if (Display *dpy = x11Display())
        XSync(dpy, False);
}

} // namespace zoka
