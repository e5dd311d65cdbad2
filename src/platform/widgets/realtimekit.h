// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include "platform/realtime.h"

namespace zoka {

// Asks RealtimeKit (org.freedesktop.RealtimeKit1, on the system bus) to make the
// calling thread real-time at `priority`; RLIMIT_RTTIME must already be set (the
// limit is lowered here to the service's own ceiling when that is lower). Returns an
// empty text when granted, else why not in French: no system bus, no service, a
// refusal and the service's words. Waits at most a second or so for the service.
QString realtimeKitMakeThreadRealtime(int priority);

// The system's calls, RealtimeKit included: what the program installs at start-up.
RealtimeSystem desktopRealtime();

} // namespace zoka
