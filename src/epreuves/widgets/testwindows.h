// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include "protocol/protocol.h"

namespace zoka {

class TestWindow;

// Shows the test window of `setup.testIndex` for one run, as the instructions window
// launches it: borderless and maximised (the 800 x 600 stage), pointer hidden while
// it is up and restored afterwards, modal. Returns when the window has closed.
RunOutcome ExecTestWindow(const RunSetup &setup);

// The window of `testIndex`, made on first use and kept; nullptr for a test that has
// no window in this version.
TestWindow *testWindow(int testIndex);

} // namespace zoka
