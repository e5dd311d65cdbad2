// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/eventtime.h"

#include "platform/clock.h"

namespace zoka {

namespace {
bool onClock = false;
}

void setEventTimesOnClock(bool value) { onClock = value; }
bool eventTimesOnClock() { return onClock; }

quint32 pressTick(quint32 now, quint64 eventTime)
{
    // A test clock never matches the events' times.
    if (!onClock || !usingSystemClock() || eventTime == 0)
        return now;
    const quint32 stamp = quint32(eventTime); // the tick is 32 bits, as the server's time
    const quint32 age = ticksBetween(stamp, now);
    // A stamp after `now` (age wraps to a huge value) or too old is not ours.
    return age <= MaxEventAgeMs ? stamp : now;
}

} // namespace zoka
