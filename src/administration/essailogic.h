// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include "protocol/protocol.h"
#include "shell/session.h"

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

// States of the instructions window (RunState::essaiState).
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
QString practiceScratchFile(const Session &session); // ProgramDir/Essais
QString endSoundFile(const Session &session);        // ProgramDir/SonFin.wav

// Lines of the memo for ShowMessageLine(n, text): n - 1 empty lines, then `text`
// (n below 1 counts as 1).
QStringList messageLines(int n, const QString &text);

// Stimulus positions of tests 1, 2, 8, 9 (run.stimulusTop/stimulusLeft): the 8 x 8
// practice layout, the 8 x 8 layout of 64-item runs, or the 6 x 6 layout of every
// other real run (entries 37-64 then untouched).
void FillStimulusGrid(RunState &run, bool practice, int fileItemCount);

// Whether the test of `testIndex` places its stimuli on the grid.
bool usesStimulusGrid(int testIndex);

// The timing journal (TimingJournalName in the program directory): with
// services.timingJournal on, every administration whose real run took place, even cut
// short by the stop key or a file error, appends its line when the run ends; the
// examiner is warned once a session when it cannot be written.

// Run-state preparation (session.run), as the instructions window does it before each run.
void preparePracticeRun(Session &session, int testIndex); // sequence, count, output file...
void prepareRealRun(Session &session, int testIndex);     // from the examiner's choices

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
// the instructions window act on the session's run state and on an EssaiView. The
// test window is the session's services.runTestWindow; the end-sound player is the
// window's.
class EssaiLogic {
public:
    EssaiLogic(Session &session, SoundPlayer *endSound);

    // Called before a test window is launched, so that the window can show the
    // current view first.
    void setViewChangedCallback(std::function<void()> cb) { m_viewChanged = std::move(cb); }

    const EssaiView &view() const { return m_view; }

    // Start of an administration (before the window is shown): no practice run yet,
    // itemSequence[1..64] from the master series.
    static void beginAdministration(RunState &run);

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

    Session &m_session;
    SoundPlayer *m_endSound;
    std::function<void()> m_viewChanged;
    EssaiView m_view;
};

} // namespace zoka
