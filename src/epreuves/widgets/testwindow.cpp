// SPDX-License-Identifier: GPL-3.0-or-later
#include "epreuves/widgets/testwindow.h"

#include "platform/clock.h"
#include "platform/eventtime.h"
#include "platform/desktopsession.h"
#include "platform/widgets/displayinfo.h"
#include "platform/widgets/displaymode.h"
#include "shell/stopkey.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QScreen>
#include <QTimer>
#include <QVBoxLayout>
#include <QWindow>

namespace zoka {

TestWindow::TestWindow(TestId test, QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::FramelessWindowHint),
      m_testIndex(index(test)),
      m_stage(new StageWidget(this)),
      m_trialTimer(makeTrialTimer())
{
    // The pointing tests show the hand (the programme decides in classifyPress()
    // whether a press is on the target); every other test hides the pointer.
    if (testEntry(test).scheme == ProtocolScheme::Pointing)
        runPointer = Qt::PointingHandCursor;
    setModal(true);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(m_stage);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, Qt::white);
    setPalette(pal);
    setAutoFillBackground(true);
    setFocusPolicy(Qt::StrongFocus);
    m_stage->onPress = [this](quint32 tick, QPoint stagePos) { FormMouseDown(tick, stagePos); };
}

TestWindow::~TestWindow()
{
    m_protocol.reset();
    m_pointer.restore();
}

void TestWindow::setProgramme(StimulusProgramme *programme)
{
    m_programme = programme;
    makeProtocol();
}

void TestWindow::setTrialTimer(std::unique_ptr<TrialTimer> timer)
{
    m_protocol.reset();
    m_trialTimer = std::move(timer);
    makeProtocol();
}

void TestWindow::makeProtocol()
{
    m_protocol.reset();
    if (m_programme && m_trialTimer)
        m_protocol = std::make_unique<TestProtocol>(*m_programme, *m_trialTimer, m_writer, *this);
}

void TestWindow::takePointer()
{
    m_pointer.take(runPointer);
    setCursor(runPointer);
}

void TestWindow::restorePointer()
{
    m_pointer.restore();
    unsetCursor();
}

void TestWindow::closeWindow() { QDialog::accept(); }

int TestWindow::drawingLeadMs() const
{
    return m_stage->presenting() ? m_stage->presenter().leadMs() : 0;
}

void TestWindow::drawingDue(std::optional<quint32> tick) { m_stage->setDrawingDue(tick); }

std::optional<quint32> TestWindow::shownTick() const { return m_stage->shownTick(); }

RunOutcome TestWindow::run(const RunSetup &setup)
{
    m_setup = setup;
    m_started = false;
    if (QScreen *screen = QGuiApplication::primaryScreen())
        setGeometry(screen->geometry());
    setWindowState(windowState() | Qt::WindowFullScreen);
    exec();
    m_priority.lower();
    RunOutcome outcome;
    if (m_protocol) {
        outcome.ran = m_started && !m_protocol->refused();
        outcome.fileError = m_protocol->fileError();
    }
    // How the run's drawings reached the screen (not known for a run that never began).
    if (m_started) {
        const Presenter &presenter = m_stage->presenter();
        outcome.timing.presentation = m_stage->presenting() ? QStringLiteral("present") : QStringLiteral("repaint");
        outcome.timing.fallbackReason = presenter.reason();
        outcome.timing.refreshPeriodMs = presenter.refreshPeriodMs();
        outcome.timing.presentations = presenter.presentations();
        outcome.timing.missedFrames = presenter.missedFrames();
    }
    m_stage->stopPresenting();
    outcome.shownAt = m_setup.shownAt;
    fillTiming(outcome.timing);
    return outcome;
}

void TestWindow::fillTiming(RunTiming &timing) const
{
    const QString session = sessionType(currentSessionEnvironment());
    timing.displayServer = displayServerName();
    timing.sessionType = session;
    timing.compositorInPath = compositorInPath(session) || timing.displayServer.startsWith(QLatin1String("XWayland"));
    timing.pressTiming = eventTimesOnClock() ? QStringLiteral("event") : QStringLiteral("handler");
    timing.realtime = m_priority.granted();
    timing.memoryLocked = m_priority.memoryLocked();
    if (m_programme)
        m_programme->fillTiming(timing);
}

void TestWindow::showEvent(QShowEvent *e)
{
    QDialog::showEvent(e);
    // The run starts once the window is really up (a message box shown from inside
    // the show would sit under the window being mapped).
    if (!e->spontaneous()) {
        m_exposeWaits = 0;
        QMetaObject::invokeMethod(this, [this] { FormShow(); }, Qt::QueuedConnection);
    }
}

void TestWindow::FormShow()
{
    if (!m_protocol || m_protocol->running() || !isVisible())
        return;
    // The run is timed from its first drawing: it starts once the window is on the
    // screen (a window the server never exposes starts after a second all the same).
    if (windowHandle() && !windowHandle()->isExposed() && m_exposeWaits < 200) {
        ++m_exposeWaits;
        QTimer::singleShot(5, this, [this] { FormShow(); });
        return;
    }
    // The window's first drawing, a whole screen, may still be on its way to the
    // server; the first stimulus must not wait behind it.
    syncWithDisplay();
    activateWindow();
    setFocus();
    // Stimuli go on the display's refresh where the display allows it (the reason
    // is kept where it does not).
    m_stage->startPresenting();
    m_setup.shownAt = QDateTime::currentDateTime();
    m_started = true;
    m_priority.raise();
    m_protocol->start(m_setup);
    // The window may have become active before the run was ready to start.
    if (isActiveWindow())
        FormActivate();
}

void TestWindow::FormMouseDown(quint32 tick, const QPoint &stagePos)
{
    if (m_protocol)
        m_protocol->press(tick, stagePos);
}

void TestWindow::FormKeyPress(int code)
{
    if (m_protocol)
        m_protocol->key(code);
}

void TestWindow::FormActivate()
{
    if (m_protocol)
        m_protocol->activate();
}

void TestWindow::changeEvent(QEvent *e)
{
    QDialog::changeEvent(e);
    if (e->type() == QEvent::ActivationChange && isActiveWindow())
        FormActivate();
}

void TestWindow::keyPressEvent(QKeyEvent *e)
{
    // Every key is the window's: Esc must not close the dialog by itself.
    e->accept();
    FormKeyPress(keyPressCharCode(e->key(), e->text()));
}

void TestWindow::closeEvent(QCloseEvent *e)
{
    // Closed from outside (the window manager's close, even of a hidden or lost
    // window): the run ends as with the stop key; a run not started yet never starts.
    // Either way exec() returns, so that the instructions window never waits for nothing.
    e->ignore();
    if (m_protocol && m_protocol->running())
        m_protocol->abort(); // the window closes itself
    else
        QDialog::reject();
}

void TestWindow::reject()
{
    if (m_protocol && m_protocol->running()) {
        m_protocol->abort();
        return;
    }
    QDialog::reject();
}

} // namespace zoka
