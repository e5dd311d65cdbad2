// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/widgets/displayinfo.h"

#include <QGuiApplication>
#include <QtGui/qguiapplication_platform.h>

#include "platform/widgets/displaymode.h"

#include <X11/Xlib.h>
#include <X11/extensions/Xrandr.h>

namespace zoka {

namespace {

// X.Org's release number 1.mm.pp.ss (12101007) as mm.pp.ss.
QString xorgRelease(int release)
{
    return QStringLiteral("%1.%2.%3").arg(release / 100000 % 100).arg(release / 1000 % 100).arg(release % 1000);
}

// Xvfb shows one RandR output named "screen", of no physical size.
bool isVirtualFramebuffer(Display *dpy)
{
    int eventBase = 0, errorBase = 0;
    if (!XRRQueryExtension(dpy, &eventBase, &errorBase))
        return false;
    XRRScreenResources *res = XRRGetScreenResourcesCurrent(dpy, DefaultRootWindow(dpy));
    if (!res)
        return false;
    bool virt = false;
    if (res->noutput == 1) {
        if (XRROutputInfo *out = XRRGetOutputInfo(dpy, res, res->outputs[0])) {
            virt = QByteArray(out->name, out->nameLen) == "screen" && out->mm_width == 0;
            XRRFreeOutputInfo(out);
        }
    }
    XRRFreeScreenResources(res);
    return virt;
}

} // namespace

QString displayServerName()
{
    Display *dpy = x11Display();
    if (!dpy)
        return QGuiApplication::platformName();
    const QString vendor = QString::fromLocal8Bit(ServerVendor(dpy));
    const int release = VendorRelease(dpy);
    int opcode = 0, event = 0, error = 0;
    const bool xorg = vendor.contains(QLatin1String("X.Org"));
    const QString version = xorg ? xorgRelease(release) : QString::number(release);
    if (XQueryExtension(dpy, "XWAYLAND", &opcode, &event, &error))
        return QStringLiteral("XWayland ") + version;
    if (xorg)
        return (isVirtualFramebuffer(dpy) ? QStringLiteral("Xvfb ") : QStringLiteral("Xorg ")) + version;
    return vendor + QLatin1Char(' ') + version;
}

bool compositorInPath(const QString &sessionType)
{
    if (sessionType == QLatin1String("wayland"))
        return true;
    Display *dpy = x11Display();
    if (!dpy)
        return false;
    const QByteArray name = "_NET_WM_CM_S" + QByteArray::number(DefaultScreen(dpy));
    const Atom selection = XInternAtom(dpy, name.constData(), False);
    return selection != None && XGetSelectionOwner(dpy, selection) != None;
}

} // namespace zoka
