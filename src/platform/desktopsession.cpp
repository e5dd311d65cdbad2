// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/desktopsession.h"

#include <QtGlobal>

namespace zoka {

SessionEnvironment currentSessionEnvironment()
{
    SessionEnvironment env;
    env.xdgSessionType = qEnvironmentVariable("XDG_SESSION_TYPE");
    env.waylandDisplay = qEnvironmentVariable("WAYLAND_DISPLAY");
    env.display = qEnvironmentVariable("DISPLAY");
    env.qpaPlatform = qEnvironmentVariable("QT_QPA_PLATFORM");
    return env;
}

QString sessionType(const SessionEnvironment &env)
{
    const QString declared = env.xdgSessionType.trimmed().toLower();
    if (!declared.isEmpty() && declared != QLatin1String("unspecified"))
        return declared;
    if (!env.waylandDisplay.isEmpty())
        return QStringLiteral("wayland");
    if (!env.display.isEmpty())
        return QStringLiteral("x11");
    return {};
}

bool runThroughXWayland(const SessionEnvironment &env)
{
    return env.qpaPlatform.isEmpty() && sessionType(env) == QLatin1String("wayland");
}

} // namespace zoka
