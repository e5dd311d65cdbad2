// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/precisetimer.h"

#include <QSocketNotifier>

#include <cerrno>
#include <sys/timerfd.h>
#include <unistd.h>

namespace zoka {

PreciseTrialTimer::PreciseTrialTimer()
{
    m_fd = ::timerfd_create(CLOCK_MONOTONIC, TFD_NONBLOCK | TFD_CLOEXEC);
    if (m_fd < 0) {
        m_fallback = std::make_unique<QtTrialTimer>();
        m_fallback->setCallback([this] { expire(); });
        return;
    }
    m_notifier = std::make_unique<QSocketNotifier>(m_fd, QSocketNotifier::Read);
    QObject::connect(m_notifier.get(), &QSocketNotifier::activated, [this] { readable(); });
}

PreciseTrialTimer::~PreciseTrialTimer()
{
    m_notifier.reset();
    if (m_fd >= 0)
        ::close(m_fd);
}

void PreciseTrialTimer::start(int intervalMs)
{
    if (m_fallback) {
        m_fallback->start(intervalMs);
        return;
    }
    // A zero it_value would disarm the timer: an interval of 0 expires at once.
    const long long ns = intervalMs > 0 ? (long long)intervalMs * 1000000LL : 1LL;
    itimerspec when{};
    when.it_value.tv_sec = time_t(ns / 1000000000LL);
    when.it_value.tv_nsec = long(ns % 1000000000LL);
    // Arming anew also clears an expiry that has not been read yet.
    ::timerfd_settime(m_fd, 0, &when, nullptr);
    m_active = true;
}

void PreciseTrialTimer::stop()
{
    if (m_fallback) {
        m_fallback->stop();
        return;
    }
    itimerspec when{};
    ::timerfd_settime(m_fd, 0, &when, nullptr);
    m_active = false;
}

bool PreciseTrialTimer::isActive() const { return m_fallback ? m_fallback->isActive() : m_active; }

void PreciseTrialTimer::readable()
{
    quint64 expirations = 0;
    const ssize_t n = ::read(m_fd, &expirations, sizeof expirations);
    // Nothing to read: the timer was stopped or armed again after it expired.
    if (n != ssize_t(sizeof expirations) || expirations == 0 || !m_active)
        return;
    m_active = false;
    expire();
}

} // namespace zoka

namespace zoka {

namespace {
TrialTimerFactory &timerFactory()
{
    static TrialTimerFactory factory;
    return factory;
}
} // namespace

void setTrialTimerFactory(TrialTimerFactory factory) { timerFactory() = std::move(factory); }

std::unique_ptr<TrialTimer> makeTrialTimer()
{
    if (const TrialTimerFactory &f = timerFactory())
        return f();
    return std::make_unique<PreciseTrialTimer>();
}

} // namespace zoka
