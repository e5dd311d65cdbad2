// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/clock.h"

#include <time.h>

namespace zoka {

quint32 SystemClock::tick() const
{
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    const quint64 ms = quint64(ts.tv_sec) * 1000u + quint64(ts.tv_nsec) / 1000000u;
    return quint32(ms);
}

namespace {
SystemClock systemClock;
Clock *current = nullptr;
}

Clock &clock() { return current ? *current : systemClock; }
void setClock(Clock *c) { current = c; }
bool usingSystemClock() { return current == nullptr; }

} // namespace zoka
