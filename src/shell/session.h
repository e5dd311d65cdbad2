// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include "platform/runlock.h"
#include "shell/config.h"

#include <QSize>
#include <QString>
#include <array>
#include <functional>

namespace zoka {

struct RunSetup;
struct RunOutcome;

// What the examiner has chosen in the main window for the next administration or
// analysis.
struct ExaminerChoices {
    int testIndex = 0;          // 0-9; -1 while a chosen file name matches no test
    QString patientName;        // at most 20 characters, never "_" or "."
    int itemCount = 0;          // item count chosen; 0 = none
    int fileItemCount = 0;      // count carried by the result-file name (65 for test 6)
    bool unlimitedChosen = false; // endless series chosen for the next administration
    int speedIndex = 1;         // test 7 speed: 0 lente, 1 moyenne, 2 rapide, 3 fallback
    QString resultFileName;     // result file of the administration being started (bare name)
    // The file of that name the examiner agreed to replace at "Passation" (invalid: none
    // was there); the run asks again when another has appeared since.
    FileIdentity agreedResultFile;
    QString selectedFile;       // result file chosen for analysis (bare name); empty = none
};

// What the instructions window hands to the test window for one run.
struct RunState {
    QString outputFile;          // practice: ProgramDir/Essais; real run: the result file's path
    bool practiceMode = false;   // true only while a practice run's window is shown
    int practiceRuns = 0;        // practice runs done in this administration
    int itemCount = 0;           // items of the run being started
    bool unlimited = false;      // endless series in force for the run now shown
    std::array<int, 65> itemSequence{}; // per-item values, indices 0..64
    std::array<int, 65> stimulusTop{};  // indices 1..64 used
    std::array<int, 65> stimulusLeft{}; // indices 1..64 used
    int essaiState = 0;          // state of the instructions window (EssaiStates)
};

// The display mode found at start-up, put back at the end.
struct ScreenAtStart {
    int width = 0;
    int height = 0;
};

// Everything the logic asks of the world outside it: the windows it opens and the
// display. The program fills it once (src/main.cpp); tests fill fakes. An empty
// function does nothing (a window that is not there), except loadConfiguration and
// saveConfiguration, which then use the configuration file.
struct Services {
    std::function<void()> showIntro;                    // title picture and help
    std::function<void()> showOptions;                  // options window (start-up and button)
    std::function<void()> startAdministration;          // instructions, practice and run
    std::function<QString()> showAnalysis;              // returns the patient the file's header gave
    std::function<void(const QString &)> showFollowUp;  // follow-up of a patient (may be empty)
    std::function<RunOutcome(const RunSetup &)> runTestWindow; // one test window; empty: no run
    std::function<bool(int, int)> switchScreenMode;
    std::function<QSize()> screenSize;
    std::function<bool()> loadConfiguration;
    std::function<bool()> saveConfiguration;
    bool timingJournal = false; // each real run appends its line to the timing journal
};

// One session of the program: the configuration, the examiner's choices, the results
// directory and the run being prepared. The program owns one and hands it by
// reference to the logic and the windows; a new Session is the state of a fresh start.
struct Session {
    // The directory the program found its data in at start-up (the user's copy of an
    // installation, else the directory it was started in): "Zoka.ini" is read there.
    QString startDir;
    ConfigRecord config;
    QString resultsDir;        // results directory in force (absolute; empty before start-up)
    ExaminerChoices choices;
    RunState run;
    ScreenAtStart screen;
    QString versionShort;      // the version without its last letter, for the caption
    bool journalWarned = false; // the one warning about an unwritable timing journal given
    Services services;

    // config.ProgramDir + "/" + name.
    QString programFile(const QString &name) const;
    // A file of the results directory in force: resultsDir + "/" + name, or, before a
    // results directory is in force, the program directory's file (relative names
    // were read there then).
    QString resultFile(const QString &name) const;
    // The directory relative names are taken in: the results directory in force, else
    // the program directory, else the start directory.
    QString baseDir() const;
};

} // namespace zoka
