// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QList>
#include <QObject>
#include <QTimer>
#include <functional>
#include <memory>

namespace zoka {

// A one-shot trial timer. Every start() restarts the countdown from the moment of
// the call; stop() disarms it. When it expires it is no longer active and the
// callback runs once.
class TrialTimer {
public:
    virtual ~TrialTimer() = default;
    virtual void start(int intervalMs) = 0;
    virtual void stop() = 0;
    virtual bool isActive() const = 0;
    void setCallback(std::function<void()> cb) { m_callback = std::move(cb); }

protected:
    void expire()
    {
        if (m_callback)
            m_callback();
    }

private:
    std::function<void()> m_callback;
};

// Qt's precise single-shot timer on the UI thread's event loop. Long waits end about
// 1 ms per second late; trial timers use PreciseTrialTimer (precisetimer.h), which
// falls back to this one only where the kernel has no timerfd.
class QtTrialTimer final : public TrialTimer {
public:
    QtTrialTimer();
    void start(int intervalMs) override;
    void stop() override;
    bool isActive() const override;

private:
    QTimer m_timer;
};

// The trial timers of the windows (the trial timer, a fixation timer, a phase timer) all come
// from here: the precise timer unless a factory was installed (tests install one that
// makes fake timers, so that whole runs of every window run on the fake clock).
using TrialTimerFactory = std::function<std::unique_ptr<TrialTimer>()>;
void setTrialTimerFactory(TrialTimerFactory factory); // empty: the precise timer
std::unique_ptr<TrialTimer> makeTrialTimer();

// For tests: records every interval armed; fires only when fire() is called.
class FakeTrialTimer final : public TrialTimer {
public:
    void start(int intervalMs) override
    {
        m_armed.append(intervalMs);
        m_interval = intervalMs;
        m_active = true;
    }
    void stop() override { m_active = false; }
    bool isActive() const override { return m_active; }
    int interval() const { return m_interval; }
    const QList<int> &armed() const { return m_armed; }
    void clearArmed() { m_armed.clear(); }
    // Expires the timer if it is armed; returns whether it was.
    bool fire()
    {
        if (!m_active)
            return false;
        m_active = false;
        expire();
        return true;
    }

private:
    QList<int> m_armed;
    int m_interval = 0;
    bool m_active = false;
};

} // namespace zoka
