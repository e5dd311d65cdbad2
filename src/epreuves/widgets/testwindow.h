// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include "protocol/protocol.h"
#include "platform/realtime.h"
#include "platform/trialtimer.h"
#include "platform/widgets/pointer.h"
#include "protocol/resultwriter.h"
#include "epreuves/widgets/stagewidget.h"
#include "protocol/resultwriter.h"

#include <QDialog>

#include <memory>

namespace zoka {

// What every test window shares: a borderless full-screen modal window showing the
// 800 x 600 stage, the trial timer, the result file and the protocol engine.
//
// A test's window (see VisuelCentreWindow) adds, in its constructor:
//  - its stage elements (stage()->addElement: filled squares, outlines, texts,
//    pictures), whose numbers it hands to its programme;
//  - its programme, a StimulusProgramme of its own (plain logic in src/epreuves/),
//    given with setProgramme(); the programme draws through the stage as a
//    StimulusSurface and keeps its own counters; its extra timers come from
//    makeTrialTimer() and its players from makeSoundPlayer(), so tests can fake them;
// and its entry in the window table (testwindows.cpp). Everything else (file, header,
// timing, presses, stop key, finishing, file errors, pointer) is done here.
class TestWindow : public QDialog, public ProtocolHost {
public:
    TestWindow(TestId test, QWidget *parent = nullptr);
    ~TestWindow() override;

    int testIndex() const { return m_testIndex; }
    StageWidget *stage() const { return m_stage; }
    TestProtocol *protocol() const { return m_protocol.get(); }
    TrialTimer &trialTimer() { return *m_trialTimer; }

    // Replaces the trial timer (tests drive the window with a fake one). Must be
    // called before the first run.
    void setTrialTimer(std::unique_ptr<TrialTimer> timer);
    // The setup of the next run (run() sets it; tests showing the window themselves
    // set it first).
    void setRunSetup(const RunSetup &setup) { m_setup = setup; }
    // The setup of the run being shown (or last shown).
    const RunSetup &runSetup() const { return m_setup; }

    // The pointer shape of the run: hidden, or the hand for the pointing tests (the
    // scheme of the test table).
    Qt::CursorShape runPointer = Qt::BlankCursor;

    // ProtocolHost
    void takePointer() override;
    void restorePointer() override;
    void closeWindow() override;
    int drawingLeadMs() const override;
    void drawingDue(std::optional<quint32> tick) override;
    std::optional<quint32> shownTick() const override;

    // Handlers common to every test window.
    void FormShow();
    void FormMouseDown(quint32 tick, const QPoint &stagePos);
    void FormKeyPress(int code);
    void FormActivate();

    // Shows the window and runs one administration of the test on it with `setup`;
    // returns when the window has closed.
    RunOutcome run(const RunSetup &setup);

protected:
    // Set by the test's window before the first run.
    void setProgramme(StimulusProgramme *programme);
    void showEvent(QShowEvent *e) override;
    void keyPressEvent(QKeyEvent *e) override;
    void closeEvent(QCloseEvent *e) override;
    void changeEvent(QEvent *e) override;

public:
    void reject() override;

private:
    void makeProtocol();
    // What the window knows of how the run was timed: display, session, presses,
    // scheduling, and what the programme adds (a tone test's sound path).
    void fillTiming(RunTiming &timing) const;

    int m_testIndex;
    RunSetup m_setup;
    bool m_started = false;
    int m_exposeWaits = 0; // FormShow put off until the window is exposed
    StageWidget *m_stage;
    std::unique_ptr<TrialTimer> m_trialTimer;
    ResultWriter m_writer;
    StimulusProgramme *m_programme = nullptr;
    std::unique_ptr<TestProtocol> m_protocol;
    PointerGuard m_pointer;
    RunPriority m_priority; // real-time scheduling and locked memory while the run goes on
};

} // namespace zoka
