// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QtGlobal>

namespace zoka {

// The time of a press. A press is timed by its input event's own time when the
// display server stamps events on the program's clock (X11: the server's
// millisecond time, CLOCK_MONOTONIC on a local server): a busy or slow event loop
// then adds nothing to a reaction time. Otherwise, and for an event whose time
// cannot be right, by the tick read first thing in the handler.

// Set once by the window layer, after checking the display server's clock.
void setEventTimesOnClock(bool onClock);
bool eventTimesOnClock();

// An event older than this is not trusted (its time is from another clock).
constexpr quint32 MaxEventAgeMs = 10000;

// The tick of a press handled at `now` (clock().tick() read first thing) whose event
// carries `eventTime` (ms, 0 when the platform gives none).
quint32 pressTick(quint32 now, quint64 eventTime);

} // namespace zoka
