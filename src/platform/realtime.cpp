// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/realtime.h"

#include <QFile>
#include <QStringList>

#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <optional>
#include <sched.h>
#include <sys/mman.h>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace zoka {

namespace {

std::optional<RealtimeSystem> &installed()
{
    static std::optional<RealtimeSystem> system;
    return system;
}

// The thread made real-time, and whether the soft RLIMIT_RTTIME put it back.
std::atomic<pid_t> realtimeThread{0};
std::atomic<bool> rtTimeOverrun{false};

// SIGXCPU: the real-time thread kept the processor past the soft limit. It goes back
// among the ordinary threads (a system call, safe in a handler) instead of being
// killed at the hard limit.
void onCpuLimit(int)
{
    const pid_t tid = realtimeThread.load();
    if (tid == 0)
        return;
    struct sched_param p {};
    p.sched_priority = 0;
    ::syscall(SYS_sched_setscheduler, tid, SCHED_OTHER, &p);
    rtTimeOverrun = true;
}

// CAP_IPC_LOCK in the effective set (bit 14 of CapEff).
bool hasIpcLock()
{
    QFile f(QStringLiteral("/proc/self/status"));
    if (!f.open(QIODevice::ReadOnly))
        return false;
    while (!f.atEnd()) {
        const QByteArray line = f.readLine();
        if (line.startsWith("CapEff:")) {
            bool ok = false;
            const quint64 caps = line.mid(7).trimmed().toULongLong(&ok, 16);
            return ok && (caps & (quint64(1) << 14));
        }
    }
    return false;
}

QString errorWords(int err) { return QString::fromLocal8Bit(std::strerror(err)); }

} // namespace

RealtimeSystem systemRealtime()
{
    RealtimeSystem s;
    s.limitRtTime = [](qint64 softUs, qint64 hardUs) {
        struct rlimit now {};
        if (::getrlimit(RLIMIT_RTTIME, &now) != 0)
            return errno;
        struct rlimit lim {};
        lim.rlim_max = rlim_t(hardUs);
        if (now.rlim_max != RLIM_INFINITY && now.rlim_max < lim.rlim_max)
            lim.rlim_max = now.rlim_max; // an ordinary user can only lower it
        lim.rlim_cur = qMin(rlim_t(softUs), lim.rlim_max);
        struct sigaction sa {};
        sa.sa_handler = onCpuLimit;
        sigemptyset(&sa.sa_mask);
        sa.sa_flags = SA_RESTART;
        ::sigaction(SIGXCPU, &sa, nullptr);
        return ::setrlimit(RLIMIT_RTTIME, &lim) == 0 ? 0 : errno;
    };
    s.setFifo = [](int priority) {
        struct sched_param p {};
        p.sched_priority = priority;
        if (::sched_setscheduler(0, SCHED_FIFO | SCHED_RESET_ON_FORK, &p) != 0)
            return errno;
        realtimeThread = pid_t(::syscall(SYS_gettid));
        rtTimeOverrun = false;
        return 0;
    };
    s.setOrdinary = [] {
        realtimeThread = 0;
        struct sched_param p {};
        p.sched_priority = 0;
        return ::sched_setscheduler(0, SCHED_OTHER, &p) == 0 ? 0 : errno;
    };
    s.lockMemory = [](bool future) {
        return ::mlockall(MCL_CURRENT | (future ? MCL_FUTURE : 0)) == 0 ? 0 : errno;
    };
    s.unlockMemory = [] { ::munlockall(); };
    s.canLockFuture = [] {
        struct rlimit lim {};
        return hasIpcLock() || (::getrlimit(RLIMIT_MEMLOCK, &lim) == 0 && lim.rlim_cur == RLIM_INFINITY);
    };
    s.overran = [] { return rtTimeOverrun.load(); };
    return s;
}

// The thread RealtimeKit made real-time is watched like one the scheduler made so.
void noteRealtimeThread()
{
    realtimeThread = pid_t(::syscall(SYS_gettid));
    rtTimeOverrun = false;
}

void setRealtimeSystem(const RealtimeSystem *system)
{
    if (system)
        installed() = *system;
    else
        installed().reset();
}

bool realtimeInstalled() { return installed().has_value(); }

void RunPriority::raise()
{
    lower();
    m_granted = QStringLiteral("non demandé");
    if (!installed())
        return;
    m_system = *installed();
    m_active = true;
    m_locked = false;
    m_realtime = false;

    if (m_system.lockMemory) {
        // First, while the thread is still an ordinary one: faulting every page in
        // takes a while. Pages mapped later are locked too only where no limit can
        // make a later allocation fail.
        m_futureLocked = m_system.canLockFuture && m_system.canLockFuture();
        m_locked = m_system.lockMemory(m_futureLocked) == 0;
    }

    QStringList refusals;
    if (m_system.limitRtTime) {
        if (const int err = m_system.limitRtTime(RunRtTimeSoftUs, RunRtTimeHardUs))
            refusals << QStringLiteral("RLIMIT_RTTIME : ") + errorWords(err);
    }
    if (m_system.setFifo) {
        const int err = m_system.setFifo(RunRealtimePriority);
        if (err == 0) {
            m_realtime = true;
            m_granted = QStringLiteral("SCHED_FIFO %1").arg(RunRealtimePriority);
        } else {
            refusals << QStringLiteral("sched_setscheduler : ") + errorWords(err);
        }
    }
    if (!m_realtime && m_system.realtimeKit) {
        const QString why = m_system.realtimeKit(RunRealtimePriority);
        if (why.isEmpty()) {
            m_realtime = true;
            m_granted = QStringLiteral("RealtimeKit, priorité %1").arg(RunRealtimePriority);
        } else {
            refusals << QStringLiteral("RealtimeKit : ") + why;
        }
    }
    if (!m_realtime)
        m_granted = QStringLiteral("refusé (") + refusals.join(QStringLiteral("; ")) + QLatin1Char(')');
}

void RunPriority::lower()
{
    if (!m_active)
        return;
    m_active = false;
    if (m_realtime) {
        if (m_system.overran && m_system.overran())
            m_granted += QStringLiteral(", retiré pour un calcul trop long");
        if (m_system.setOrdinary)
            m_system.setOrdinary();
    }
    if (m_locked && m_system.unlockMemory)
        m_system.unlockMemory();
    m_realtime = false;
}

} // namespace zoka
