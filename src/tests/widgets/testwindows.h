#pragma once

namespace zoka {

// Shows the test window of `testIndex` for one run, as the instructions window
// launches it: borderless and maximised (the 800 x 600 stage), pointer hidden while
// it is up and restored afterwards, modal. Reads the run state (OutputFile,
// PracticeMode, RunItemCount, ItemSequence, StimulusTop/Left, UntimelyPresses).
// Returns when the window has closed.
void ExecTestWindow(int testIndex);

} // namespace zoka

namespace zoka {
class TestWindow;
// The window of `testIndex`, made on first use and kept; nullptr for a test that has
// no window in this version.
TestWindow *testWindow(int testIndex);
} // namespace zoka
