// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include "platform/runlock.h"
#include "shell/config.h"

#include <QString>

namespace zoka {

// The shell's shared state. Global and single-threaded: it changes only from the
// window in front (every other window is modal over the main window).
extern int TestIndex;          // 0-9; -1 while a chosen file name matches no test
extern QString PatientName;    // at most 20 characters, never "_" or "."
extern int ItemCount;          // item count chosen; 0 = none
extern int FileItemCount;      // count carried by the result-file name (65 for test 6)
extern bool UnlimitedChosen;   // endless series chosen for the next administration
extern bool UnlimitedActive;   // endless series in force for the run now shown
extern int SpeedIndex;         // test 7 speed: 0 lente, 1 moyenne, 2 rapide, 3 fallback
extern QString ResultFileName; // result file of the administration being started
// The file of that name the examiner agreed to replace at "Passation" (invalid: none
// was there); the run asks again when another has appeared since.
extern FileIdentity AgreedResultFile;
extern QString SelectedFile;   // result file chosen for analysis; empty = none
extern QString ResultsDirPath; // results directory in force
extern int InitialScreenWidth;
extern int InitialScreenHeight;
extern QString VersionShort;
extern bool FileClickInProgress;
extern ConfigRecord Config;

// Puts every shared variable back to its start-up value (tests).
void resetSharedState();

// Path of a program data file: Config.ProgramDir + "/" + name.
QString programFile(const QString &name);

} // namespace zoka
