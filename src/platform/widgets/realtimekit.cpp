// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/widgets/realtimekit.h"

#include <QDBusConnection>
#include <QDBusError>
#include <QDBusInterface>
#include <QDBusReply>
#include <QDBusVariant>

#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace zoka {

namespace {

const QString Service = QStringLiteral("org.freedesktop.RealtimeKit1");
const QString Path = QStringLiteral("/org/freedesktop/RealtimeKit1");
constexpr int CallTimeoutMs = 1500;

// A property of the service, -1 when it cannot be read.
qint64 property(const QDBusConnection &bus, const QString &name)
{
    QDBusInterface props(Service, Path, QStringLiteral("org.freedesktop.DBus.Properties"), bus);
    props.setTimeout(CallTimeoutMs);
    const QDBusReply<QDBusVariant> reply = props.call(QStringLiteral("Get"), Service, name);
    if (!reply.isValid())
        return -1;
    bool ok = false;
    const qint64 v = reply.value().variant().toLongLong(&ok);
    return ok ? v : -1;
}

QString errorText(const QDBusError &error)
{
    if (error.type() == QDBusError::ServiceUnknown)
        return QStringLiteral("service absent");
    if (error.type() == QDBusError::NoReply || error.type() == QDBusError::Timeout)
        return QStringLiteral("pas de réponse du service");
    if (error.type() == QDBusError::AccessDenied)
        return QStringLiteral("accès refusé");
    const QString words = error.message().isEmpty() ? error.name() : error.message();
    return QStringLiteral("refusé par le service (") + words + QLatin1Char(')');
}

} // namespace

QString realtimeKitMakeThreadRealtime(int priority)
{
    const QDBusConnection bus = QDBusConnection::systemBus();
    if (!bus.isConnected())
        return QStringLiteral("pas de bus système D-Bus");

    const qint64 maxPriority = property(bus, QStringLiteral("MaxRealtimePriority"));
    if (maxPriority < 0) {
        QDBusInterface probe(Service, Path, QStringLiteral("org.freedesktop.DBus.Peer"), bus);
        probe.setTimeout(CallTimeoutMs);
        const QDBusMessage pong = probe.call(QStringLiteral("Ping"));
        if (pong.type() == QDBusMessage::ErrorMessage)
            return errorText(QDBusError(pong));
    } else if (maxPriority < priority) {
        return QStringLiteral("priorité limitée à %1 par le service").arg(maxPriority);
    }
    // The service refuses a process whose RLIMIT_RTTIME is above its ceiling.
    const qint64 rtTimeMax = property(bus, QStringLiteral("RTTimeUSecMax"));
    if (rtTimeMax > 0) {
        struct rlimit lim {};
        if (::getrlimit(RLIMIT_RTTIME, &lim) == 0
            && (lim.rlim_max == RLIM_INFINITY || lim.rlim_max > rlim_t(rtTimeMax))) {
            lim.rlim_max = rlim_t(rtTimeMax);
            lim.rlim_cur = rlim_t(rtTimeMax / 2);
            ::setrlimit(RLIMIT_RTTIME, &lim);
        }
    }

    QDBusInterface kit(Service, Path, Service, bus);
    kit.setTimeout(CallTimeoutMs);
    const quint64 thread = quint64(::syscall(SYS_gettid));
    const QDBusMessage reply = kit.call(QStringLiteral("MakeThreadRealtime"), QVariant::fromValue(thread),
                                        QVariant::fromValue(quint32(priority)));
    if (reply.type() == QDBusMessage::ErrorMessage)
        return errorText(QDBusError(reply));
    noteRealtimeThread();
    return {};
}

RealtimeSystem desktopRealtime()
{
    RealtimeSystem system = systemRealtime();
    system.realtimeKit = [](int priority) { return realtimeKitMakeThreadRealtime(priority); };
    return system;
}

} // namespace zoka
