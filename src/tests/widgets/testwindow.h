#pragma once
#include "administration/protocol.h"
#include "platform/trialtimer.h"
#include "platform/widgets/pointer.h"
#include "tests/resultwriter.h"
#include "tests/widgets/stagewidget.h"

#include <QDialog>

#include <memory>

namespace zoka {

// What every test window shares: a borderless full-screen modal window showing the
// 800 x 600 stage, the trial timer Timer1, the result file and the protocol engine.
//
// A test's window (see TForm1) adds, in its constructor:
//  - its stage elements (stage()->addElement: filled squares, outlines, texts,
//    pictures), whose numbers it hands to its programme;
//  - its programme, a StimulusProgramme of its own (plain logic in src/tests/),
//    given with setProgramme(); the programme draws through the stage as a
//    StimulusSurface and keeps its own counters, timers and player;
//  - for the pointing tests: runPointer = Qt::PointingHandCursor and an override of
//    pressOnTarget();
// and its entry in testWindow() (testwindows.cpp). Everything else (file, header,
// timing, presses, stop key, finishing, file errors, pointer) is done here.
class TestWindow : public QDialog, public ProtocolHost {
public:
    TestWindow(int testIndex, QWidget *parent = nullptr);
    ~TestWindow() override;

    int testIndex() const { return m_testIndex; }
    StageWidget *stage() const { return m_stage; }
    TestProtocol *protocol() const { return m_protocol.get(); }
    TrialTimer &timer1() { return *m_timer1; }

    // Replaces the trial timer (tests drive the window with a fake one). Must be
    // called before the first run.
    void setTrialTimer(std::unique_ptr<TrialTimer> timer);

    // The pointer shape of the run: hidden, or the hand for the pointing tests.
    Qt::CursorShape runPointer = Qt::BlankCursor;

    // ProtocolHost
    void takePointer() override;
    void restorePointer() override;
    void closeWindow() override;

    // Handlers common to every test window.
    void FormShow();
    void FormMouseDown(quint32 tick, const QPoint &stagePos);
    void FormKeyPress(int code);
    void FormActivate();

    // Shows the window and runs one administration of the test on it; returns when
    // the window has closed.
    int run();

protected:
    // Set by the test's window before the first run.
    void setProgramme(StimulusProgramme *programme);
    // Whether a press at `stagePos` is on the target (pointing tests); every press
    // counts for the reaction-time tests.
    virtual bool pressOnTarget(const QPoint &stagePos) const;

    void showEvent(QShowEvent *e) override;
    void keyPressEvent(QKeyEvent *e) override;
    void closeEvent(QCloseEvent *e) override;
    void changeEvent(QEvent *e) override;

public:
    void reject() override;

private:
    void makeProtocol();

    int m_testIndex;
    StageWidget *m_stage;
    std::unique_ptr<TrialTimer> m_timer1;
    ResultWriter m_writer;
    StimulusProgramme *m_programme = nullptr;
    std::unique_ptr<TestProtocol> m_protocol;
    PointerGuard m_pointer;
};

} // namespace zoka
