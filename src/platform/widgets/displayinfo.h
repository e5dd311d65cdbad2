// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QString>

namespace zoka {

// The display server the program's windows go through: "Xorg 21.1.7", "Xvfb 21.1.7",
// "XWayland 22.1.9", another X server's vendor and release, or the platform's name
// when it is not X11 ("wayland", "offscreen").
QString displayServerName();

// Whether a compositor stands between the program's pictures and the screen: a
// Wayland session (the program then runs through XWayland), or an X screen whose
// compositing-manager selection (_NET_WM_CM_S<n>) has an owner.
bool compositorInPath(const QString &sessionType);

} // namespace zoka
