// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include "protocol/protocol.h"
#include "shell/session.h"

namespace zoka {

// The setup of the run the instructions window has prepared in `session.run` for the
// test of `testIndex`, from the examiner's choices, the configuration and the test's
// fixed series. The time the window is shown is filled in by the window.
RunSetup currentRunSetup(const Session &session, int testIndex);

} // namespace zoka
