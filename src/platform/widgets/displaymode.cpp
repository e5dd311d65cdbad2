#include "platform/widgets/displaymode.h"

#include <QGuiApplication>
#include <QScreen>
#include <QtGui/qguiapplication_platform.h>

#include <X11/Xlib.h>
#include <X11/extensions/Xrandr.h>

namespace zoka {

namespace {
Display *x11Display()
{
    if (QGuiApplication::platformName() != QLatin1String("xcb"))
        return nullptr;
    auto *x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    return x11 ? x11->display() : nullptr;
}

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
    Display *dpy = x11Display();
    if (hasRandr(dpy)) {
        const Window root = DefaultRootWindow(dpy);
        if (XRRScreenConfiguration *conf = XRRGetScreenInfo(dpy, root)) {
            Rotation rotation = 0;
            const SizeID current = XRRConfigCurrentConfiguration(conf, &rotation);
            int count = 0;
            XRRScreenSize *sizes = XRRConfigSizes(conf, &count);
            QSize s;
            if (sizes && current < count)
                s = QSize(sizes[current].width, sizes[current].height);
            XRRFreeScreenConfigInfo(conf);
            if (s.isValid())
                return s;
        }
        return QSize(DisplayWidth(dpy, DefaultScreen(dpy)), DisplayHeight(dpy, DefaultScreen(dpy)));
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
