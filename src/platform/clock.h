// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QtGlobal>

namespace zoka {

// The millisecond tick every reaction time is measured with: an unsigned 32-bit
// reading of a monotonic clock. Differences are taken in unsigned arithmetic
// (`later - earlier`), so a wrap of the tick does not disturb a measurement.
class Clock {
public:
    virtual ~Clock() = default;
    virtual quint32 tick() const = 0;
};

// CLOCK_MONOTONIC, in milliseconds, truncated to 32 bits.
class SystemClock final : public Clock {
public:
    quint32 tick() const override;
};

// A clock that moves only when told to; for tests.
class FakeClock final : public Clock {
public:
    explicit FakeClock(quint32 start = 0) : m_now(start) {}
    quint32 tick() const override { return m_now; }
    void advance(quint32 ms) { m_now += ms; }
    void set(quint32 now) { m_now = now; }

private:
    quint32 m_now;
};

// The clock in force for the whole program (a SystemClock unless a test installs another).
Clock &clock();
// Installs `c` (not owned) as the program's clock; nullptr puts the system clock back.
void setClock(Clock *c);
// Whether the program's clock is the system clock (no test clock installed).
bool usingSystemClock();

inline quint32 ticksBetween(quint32 earlier, quint32 later) { return later - earlier; }

} // namespace zoka
