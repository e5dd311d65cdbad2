// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

namespace zoka {

// Whether the display server stamps input events on the program's clock: under
// X11, asks the server for its time a few times (a property change on a window of
// a connection of our own) and checks that each answer lies between two readings
// of clock() taken around the request. False on other platforms or when the check
// fails (a remote server, another clock).
bool displayTimesOnClock();

} // namespace zoka
