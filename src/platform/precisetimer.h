// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include "platform/trialtimer.h"

#include <memory>

class QSocketNotifier;

namespace zoka {

// The trial timer of the test windows: a one-shot kernel timer (timerfd on the
// monotonic clock) watched by the UI thread's event loop.
//
// An event loop's own timers wake through poll(), whose timeout the kernel lets run
// late by about 1 ms per second waited (0.1 % slack for ordinary processes): a 7 s
// foreperiod would end some 7 ms late. A timerfd expires on time; the loop then
// wakes because its descriptor became readable.
//
// Every start() restarts the countdown from the moment of the call; stop() disarms
// it and drops an expiry not yet handled. Falls back to QtTrialTimer's behaviour if
// the kernel gives no timerfd.
class PreciseTrialTimer final : public TrialTimer {
public:
    PreciseTrialTimer();
    ~PreciseTrialTimer() override;
    PreciseTrialTimer(const PreciseTrialTimer &) = delete;
    PreciseTrialTimer &operator=(const PreciseTrialTimer &) = delete;

    void start(int intervalMs) override;
    void stop() override;
    bool isActive() const override;

private:
    void readable();

    int m_fd = -1;
    bool m_active = false;
    std::unique_ptr<QSocketNotifier> m_notifier;
    std::unique_ptr<QtTrialTimer> m_fallback;
};

} // namespace zoka
