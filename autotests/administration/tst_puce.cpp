// "Puce Astérisque" and "Puce Carré" on a 1280 x 1024 screen and the fake clock: the
// target at its cells, the hit box through the stage scaling (edges in, 2 pixels
// out), the 30 s limit, the hand pointer, one start however often the window is
// activated, the stop key.
#include "administration/essailogic.h"
#include "administration/runstate.h"
#include "epreuves/widgets/tformtpa.h"
#include "platform/clock.h"
#include "platform/stagegeometry.h"
#include "platform/trialtimer.h"
#include "shell/sharedstate.h"

#include <QGuiApplication>
#include <QTemporaryDir>
#include <QtTest>

using namespace zoka;

namespace {

const QSize Screen(1280, 1024);

struct Window {
    Window(int test, const QString &dir, bool practice)
    {
        resetSharedState();
        resetRunState();
        Config.ProgramDir = dir;
        PatientName = "Dupont";
        PracticeMode = practice;
        OutputFile = practice ? dir + "/Essais" : dir + (test == 8 ? "/Dupont_64.PAS" : "/Dupont_64.PCA");
        RunItemCount = practice ? 10 : 64;
        ItemCount = FileItemCount = 64;
        FillStimulusGrid(practice, 64);
        setClock(&clk);
        if (test == 8)
            w.reset(new TFormTpa);
        else
            w.reset(new TFormTpc);
        timer = new FakeTrialTimer;
        w->setTrialTimer(std::unique_ptr<TrialTimer>(timer));
        w->resize(Screen);
        w->setRunSetup(currentRunSetup(test));
        target = test == 8 ? static_cast<TFormTpa *>(w.get())->label1()
                           : static_cast<TFormTpc *>(w.get())->shape1();
    }
    ~Window() { setClock(nullptr); }
    bool start()
    {
        w->show();
        if (!QTest::qWaitForWindowExposed(w.get()))
            return false;
        if (!QTest::qWaitFor([this] { return w->protocol()->running(); }, 5000))
            return false;
        if (!w->isActiveWindow()) // a platform that does not activate by itself
            w->FormActivate();
        return w->protocol()->state() == TestProtocol::State::Showing;
    }
    QRect box() const { return w->stage()->element(target).box; }
    // A press in the middle of the window pixel that shows stage pixel `p`.
    void click(QPoint p)
    {
        const QPointF c = StageGeometry(Screen).toWindow(QRectF(p.x() + 0.5, p.y() + 0.5, 0, 0)).topLeft();
        QTest::mouseClick(w->stage(), Qt::LeftButton, {}, QPoint(int(c.x()), int(c.y())));
    }
    QList<QByteArray> lines() const
    {
        QFile f(w->runSetup().outputFile);
        return f.open(QIODevice::ReadOnly) ? f.readAll().split('\n').mid(1) : QList<QByteArray>();
    }

    FakeClock clk{7000};
    std::unique_ptr<TestWindow> w;
    FakeTrialTimer *timer = nullptr;
    int target = -1;
};

QList<QByteArray> crlf(const QList<QByteArray> &l)
{
    QList<QByteArray> out;
    for (const QByteArray &x : l)
        out << x + "\r";
    return out << QByteArray();
}

} // namespace

class TestPuce : public QObject {
    Q_OBJECT

private slots:
    void init() { QLocale::setDefault(QLocale(QLocale::French, QLocale::France)); }

    // One press at (dx, dy) from the target's top-left corner, in stage pixels.
    void hitBox_data()
    {
        QTest::addColumn<int>("test");
        QTest::addColumn<QPoint>("at");
        QTest::addColumn<bool>("answers");
        QTest::newRow("* top-left corner") << 8 << QPoint(0, 0) << true;
        QTest::newRow("* bottom-right corner") << 8 << QPoint(26, 60) << true;
        QTest::newRow("* blank beside the star") << 8 << QPoint(2, 58) << true;
        QTest::newRow("* 1 px right") << 8 << QPoint(27, 30) << false;
        QTest::newRow("* 2 px left") << 8 << QPoint(-2, 30) << false;
        QTest::newRow("* 2 px below") << 8 << QPoint(13, 62) << false;
        QTest::newRow("* 2 px above") << 8 << QPoint(13, -2) << false;
        QTest::newRow("square top-left corner") << 9 << QPoint(0, 0) << true;
        QTest::newRow("square bottom-right corner") << 9 << QPoint(20, 20) << true;
        QTest::newRow("square white inside") << 9 << QPoint(10, 10) << true;
        QTest::newRow("square 1 px below") << 9 << QPoint(10, 21) << false;
        QTest::newRow("square 2 px right") << 9 << QPoint(22, 10) << false;
    }
    void hitBox()
    {
        QFETCH(int, test);
        QFETCH(QPoint, at);
        QFETCH(bool, answers);
        QTemporaryDir dir;
        Window win(test, dir.path(), false);
        QVERIFY(win.start());
        const QRect box = win.box();
        QCOMPARE(box.topLeft(), QPoint(StimulusLeft[1], StimulusTop[1])); // row 5, column 4
        QCOMPARE(box.topLeft(), QPoint(342, 330));
        QCOMPARE(box.size(), test == 8 ? QSize(27, 61) : QSize(21, 21));
        win.clk.advance(640);
        win.click(box.topLeft() + at);
        QCOMPARE(win.w->protocol()->position(), answers ? 2 : 1);
        QCOMPARE(win.w->protocol()->untimelyPresses(), answers ? 0 : -1);
        // At once at the next place (item 2: row 1, column 1), timed from there.
        QCOMPARE(win.box().topLeft(), answers ? QPoint(42, 30) : QPoint(342, 330));
        QCOMPARE(win.w->protocol()->onsetTick(), answers ? 7640u : 7000u);
        QTest::keyClick(win.w.get(), Qt::Key_Escape);
        QCOMPARE(win.lines(), crlf(answers ? QList<QByteArray>{"0", "640", "0"} : QList<QByteArray>{"0", "-1"}));
    }

    // Whole runs: clicks on the target after known delays, one item left to its 30 s
    // limit, one press 2 pixels beside the box, the window activated again in the
    // middle (no new start), the hand pointer during the run only.
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
        QTemporaryDir dir;
        Window win(test, dir.path(), practice);
        QVERIFY(win.start());
        QCOMPARE(QGuiApplication::overrideCursor()->shape(), Qt::PointingHandCursor);
        for (int k = 1; k <= (stopAt ? stopAt : 10); ++k) {
            QCOMPARE(win.box().topLeft(), QPoint(StimulusLeft[k], StimulusTop[k]));
            QVERIFY(win.w->stage()->element(win.target).shown);
            if (k == stopAt) {
                QTest::keyClick(win.w.get(), Qt::Key_Escape);
                break;
            }
            if (k == 3) {
                win.clk.advance(30000);
                QVERIFY(win.timer->fire());
                continue;
            }
            if (k == 5) {
                win.click(win.box().topLeft() + QPoint(-2, 5));
                win.w->FormActivate(); // activated again: nothing restarts
                QCOMPARE(win.w->protocol()->position(), 5);
            }
            win.clk.advance(quint32(300 + 10 * k));
            win.click(win.box().center());
        }
        QVERIFY(!win.w->isVisible());
        QVERIFY(!win.w->stage()->element(win.target).shown); // not up when the window comes back
        QCOMPARE(QGuiApplication::overrideCursor(), nullptr);
        QCOMPARE(win.timer->armed(), QList<int>(stopAt ? stopAt : 10, 30000));
        QCOMPARE(win.lines(), crlf(expected));
        const bool writable = QFileInfo(win.w->runSetup().outputFile).permissions() & QFile::WriteOwner;
        QCOMPARE(writable, practice);
        if (practice) // practice item 2 sits at row 1, column 7
            QCOMPARE(QPoint(StimulusLeft[2], StimulusTop[2]), QPoint(642, 30));
    }
};

QTEST_MAIN(TestPuce)
#include "tst_puce.moc"
