// SPDX-License-Identifier: GPL-3.0-or-later
// "Puce Astérisque" and "Puce Carré" on a 1280 x 1024 screen and the fake clock: the
// hit box through the stage scaling (edges in, 2 pixels out), the cells in order,
// the 30 s limit, the hand pointer, one start however often the window is
// activated, the stop key.
#include "administration/essailogic.h"
#include "administration/runstate.h"
#include "epreuves/widgets/puceasterisquewindow.h"
#include "epreuves/widgets/pucecarrewindow.h"
#include "platform/widgets/faces.h"
#include "platform/clock.h"
#include "platform/stagegeometry.h"
#include "platform/trialtimer.h"
#include "shell/session.h"

#include <QGuiApplication>
#include <QTemporaryDir>
#include <QtTest>

using namespace zoka;

namespace {

struct Window {
    Window(int test, bool practice)
    {
        session.config.ProgramDir = dir.path();
        session.run.practiceMode = practice;
        session.run.outputFile = dir.filePath(practice ? "Essais" : "Dupont_64.PAS");
        session.run.itemCount = practice ? 10 : 64;
        session.choices.fileItemCount = 64;
        FillStimulusGrid(session.run, practice, 64);
        setClock(&clk);
        w.reset(test == 8 ? static_cast<TestWindow *>(new PuceAsterisqueWindow) : new PuceCarreWindow);
        timer = new FakeTrialTimer;
        w->setTrialTimer(std::unique_ptr<TrialTimer>(timer));
        w->resize(1280, 1024);
        w->setRunSetup(currentRunSetup(session, test));
        w->show();
        QVERIFY(QTest::qWaitForWindowExposed(w.get()));
        QTRY_VERIFY(w->protocol()->running());
        if (!w->isActiveWindow()) // a platform that does not activate by itself
            w->FormActivate();
    }
    ~Window() { setClock(nullptr); }
    QRect box() const { return w->stage()->element(target).box; }
    // A press in the middle of the screen pixel that shows stage pixel `p`.
    void click(QPoint p)
    {
        const QPointF c = StageGeometry(QSize(1280, 1024)).toWindow(QRectF(p.x() + 0.5, p.y() + 0.5, 0, 0)).topLeft();
        QTest::mouseClick(w->stage(), Qt::LeftButton, {}, c.toPoint());
    }
    QList<QByteArray> lines() const
    {
        QFile f(w->runSetup().outputFile);
        return f.open(QIODevice::ReadOnly) ? f.readAll().split('\n').mid(1) : QList<QByteArray>();
    }

    QTemporaryDir dir;
    FakeClock clk{7000};
    Session session;
    std::unique_ptr<TestWindow> w;
    FakeTrialTimer *timer = nullptr;
    const int target = 0; // the window's one stage element
};

QList<QByteArray> crlf(QList<QByteArray> l)
{
    for (QByteArray &x : l)
        x += "\r";
    return l << QByteArray();
}

} // namespace

class TestPuce : public QObject {
    Q_OBJECT

private slots:
    void init() { QLocale::setDefault(QLocale(QLocale::French, QLocale::France)); }

    // One press at `at` from the target's top-left corner (stage pixels), 640 ms
    // after item 1 came up at row 5, column 4; then the stop key.
    void hitBox_data()
    {
        QTest::addColumn<int>("test");
        QTest::addColumn<QPoint>("at");
        QTest::addColumn<bool>("answers");
        QTest::newRow("* top-left corner") << 8 << QPoint(0, 0) << true;
        QTest::newRow("* bottom-right corner") << 8 << QPoint(26, 60) << true;
        QTest::newRow("* blank below the star") << 8 << QPoint(2, 58) << true;
        QTest::newRow("* 1 px right") << 8 << QPoint(27, 30) << false;
        QTest::newRow("* 2 px left") << 8 << QPoint(-2, 30) << false;
        QTest::newRow("* 2 px below") << 8 << QPoint(13, 62) << false;
        QTest::newRow("square white inside") << 9 << QPoint(10, 10) << true;
        QTest::newRow("square bottom-right corner") << 9 << QPoint(20, 20) << true;
        QTest::newRow("square 1 px below") << 9 << QPoint(10, 21) << false;
        QTest::newRow("square 2 px above") << 9 << QPoint(10, -2) << false;
    }
    void hitBox()
    {
        QFETCH(int, test);
        QFETCH(QPoint, at);
        QFETCH(bool, answers);
        Window win(test, false);
        QCOMPARE(win.box(), QRect(QPoint(342, 330), test == 8 ? QSize(27, 61) : QSize(21, 21)));
        win.clk.advance(640);
        win.click(win.box().topLeft() + at);
        // Answered: at once at item 2's place (row 1, column 1), timed from there.
        QCOMPARE(win.box().topLeft(), answers ? QPoint(42, 30) : QPoint(342, 330));
        QCOMPARE(win.w->protocol()->onsetTick(), answers ? 7640u : 7000u);
        QTest::keyClick(win.w.get(), Qt::Key_Escape);
        QCOMPARE(win.lines(), crlf(answers ? QList<QByteArray>{"0", "640", "0"} : QList<QByteArray>{"0", "-1"}));
    }

    // Clicks after known delays, item 3 left to its 30 s limit, a press 2 pixels
    // beside the box and a new activation in item 5, the hand pointer during the run.
    void runs_data()
    {
        QTest::addColumn<int>("test");
        QTest::addColumn<bool>("practice");
        QTest::addColumn<int>("stopAt"); // the stop key during this item (0: none)
        QTest::addColumn<QList<QByteArray>>("expected");
        QTest::newRow("Puce Astérisque practice")
            << 8 << true << 0
            << QList<QByteArray>{"0", "310", "320", "30000", "340", "350", "360", "370", "380", "390", "400", "-1"};
        QTest::newRow("Puce Carré test, stop key at item 10")
            << 9 << false << 10
            << QList<QByteArray>{"0", "310", "320", "30000", "340", "350", "360", "370", "380", "390", "-1"};
    }
    void runs()
    {
        QFETCH(int, test);
        QFETCH(bool, practice);
        QFETCH(int, stopAt);
        QFETCH(QList<QByteArray>, expected);
        Window win(test, practice);
        QCOMPARE(QGuiApplication::overrideCursor()->shape(), Qt::PointingHandCursor);
        for (int k = 1; k <= 10 && k != stopAt; ++k) {
            QCOMPARE(win.box().topLeft(), QPoint(win.session.run.stimulusLeft[k], win.session.run.stimulusTop[k]));
            if (k == 3) {
                win.clk.advance(30000);
                QVERIFY(win.timer->fire());
                continue;
            }
            if (k == 5) {
                win.click(win.box().topLeft() + QPoint(-2, 5));
                win.w->FormActivate(); // nothing restarts
            }
            win.clk.advance(quint32(300 + 10 * k));
            win.click(win.box().center());
        }
        QTest::keyClick(win.w.get(), Qt::Key_Escape);
        QVERIFY(!win.w->isVisible());
        QVERIFY(!win.w->stage()->element(win.target).shown); // not up when the window comes back
        QCOMPARE(QGuiApplication::overrideCursor(), nullptr);
        QCOMPARE(win.timer->armed(), QList<int>(stopAt ? stopAt : 10, 30000));
        QCOMPARE(win.lines(), crlf(expected));
        QCOMPARE(bool(QFileInfo(win.w->runSetup().outputFile).permissions() & QFile::WriteOwner), practice);
        QVERIFY(faceInstalled("Times New Roman")); // or its metric twin
    }
};

QTEST_MAIN(TestPuce)
#include "tst_puce.moc"
