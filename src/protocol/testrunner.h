// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include "protocol/protocol.h"

#include <functional>

namespace zoka {

// Runs one test window for `setup` and returns when it has closed. The window layer
// installs the real one at start-up; the instructions window calls it without
// knowing the test windows.
using TestWindowRunner = std::function<RunOutcome(const RunSetup &setup)>;

void setTestWindowRunner(TestWindowRunner runner);
// Runs the installed runner; without one, nothing runs (ran = false).
RunOutcome runTestWindow(const RunSetup &setup);

} // namespace zoka
