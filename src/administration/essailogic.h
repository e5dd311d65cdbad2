// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include "protocol/protocol.h"

#include <QString>
#include <QStringList>
#include <functional>

namespace zoka {

class SoundPlayer;

// Texts of the instructions window.
namespace essaitexts {
extern const QString Continuer;     // "&Continuer"
extern const QString Oui;           // "&Oui"
extern const QString Passer;        // "Passer"
extern const QString Non;           // "Non"
extern const QString Quitter;       // "&Quitter"
extern const QString ReadyPractice; // "Prêt pour les essais?"
extern const QString RedoPractice;  // "Refaire les essais?"
extern const QString ReadyTest;     // "Prêt pour l'épreuve?"
extern const QString Thanks;        // "Merci de votre collaboration"
} // namespace essaitexts

// States of the instructions window (EssaiState).
enum EssaiStates {
    EssaiFinishedClosed = 0, // after the finished state
    EssaiInstructions = 1,   // instructions shown
    EssaiReadyPractice = 2,  // "Prêt pour les essais?"
    EssaiPracticeRunning = 3,
    EssaiRedoPractice = 4,   // "Refaire les essais?"
    EssaiReadyTest = 5,      // "Prêt pour l'épreuve?"
    EssaiFinished = 6,       // real run running, then "Merci de votre collaboration"
};

// Names of the data files the administration reads or writes.
QString instructionFileName(int testIndex); // "Cons_" + extension + ".txt"
QString practiceScratchFile();              // ProgramDir/Essais
QString endSoundFile();                     // ProgramDir/SonFin.wav

// Lines of the memo for ShowMessageLine(n, text): n - 1 empty lines, then `text`
// (n below 1 counts as 1).
QStringList messageLines(int n, const QString &text);

// Stimulus positions of tests 1, 2, 8, 9 (StimulusTop/StimulusLeft): the 8 x 8
// practice layout, the 8 x 8 layout of 64-item runs, or the 6 x 6 layout of every
// other real run (entries 37-64 then untouched).
void FillStimulusGrid(bool practice, int fileItemCount);

// Whether the test of `testIndex` places its stimuli on the grid.
bool usesStimulusGrid(int testIndex);

// The timing journal (TimingJournalName in the program directory): every
// administration whose real run took place, even cut short by the stop key or a file
// error, appends its line when the run ends. Off until the program turns it on
// (turning it on again also allows the one warning about an unwritable journal again).
void setTimingJournalEnabled(bool on);

// Run-state preparation, as the instructions window does it before each run.
void preparePracticeRun(int testIndex);  // ItemSequence, RunItemCount, OutputFile...
void prepareRealRun(int testIndex);      // from ItemCount / UnlimitedChosen / ResultFileName

// What the instructions window shows; the window mirrors it after every handler.
struct EssaiView {
    enum class Focus { None, Continuer, Non, Quitter };

    QString title;
    QStringList consLines;
    int consHeight = 265;
    bool imageVisible = false;
    int imageTop = 213;
    QString continuerCaption;
    bool continuerVisible = true;
    QString nonCaption;
    bool nonVisible = false;
    Focus focus = Focus::None;
    bool closeRequested = false;
};

// The instructions and practice-trial manager, without a window: the handlers of
// the instructions window act on the shared run state and on an EssaiView.
// The test window and the end-sound player are supplied by the caller.
class EssaiLogic {
public:
    using TestWindowLauncher = std::function<RunOutcome(const RunSetup &setup)>;

    EssaiLogic(TestWindowLauncher launcher, SoundPlayer *endSound);

    // Called before a test window is launched, so that the window can show the
    // current view first.
    void setViewChangedCallback(std::function<void()> cb) { m_viewChanged = std::move(cb); }

    const EssaiView &view() const { return m_view; }

    // Start of an administration (before the window is shown): PracticeRuns 0,
    // ItemSequence[1..64] from the master series.
    static void beginAdministration();

    void FormShow();
    void ContinuerClick();
    void NonClick();
    void QuitterClick();

    void ShowMessageLine(int n, const QString &text);
    // Fills the grid when the test uses one and shows the test window with the
    // run's setup (returns when it has closed).
    RunOutcome LaunchTestWindow();
    // Plays SonFin.wav without waiting; false (reported by the player) on failure.
    bool PlayEndSound();

private:
    bool practiceRun();
    bool realRun();
    bool mayReplaceResultFile();
    void journalRun(const RunOutcome &outcome);
    void endAfterFileError();
    void changed();

    TestWindowLauncher m_launcher;
    SoundPlayer *m_endSound;
    std::function<void()> m_viewChanged;
    EssaiView m_view;
};

} // namespace zoka
