// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include "protocol/protocol.h"

#include <QString>
#include <array>

namespace zoka {

// State handed from the instructions window to the test windows for one run.
extern QString OutputFile;   // practice: ProgramDir/Essais; real run: ResultFileName
extern bool PracticeMode;    // true only while a practice run's window is shown
extern int PracticeRuns;     // practice runs done in this administration
extern int RunItemCount;     // items of the run being started
extern std::array<int, 65> ItemSequence;  // per-item values, indices 0..64
extern std::array<int, 65> StimulusTop;   // indices 1..64 used
extern std::array<int, 65> StimulusLeft;  // indices 1..64 used
extern int EssaiState;       // state of the instructions window

void resetRunState();

// The setup of the run the instructions window has prepared for `testIndex`, from
// the run state above, the shell's shared state and the test's fixed series. The
// time the window is shown is filled in by the window.
RunSetup currentRunSetup(int testIndex);

} // namespace zoka
