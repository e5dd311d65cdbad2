// SPDX-License-Identifier: GPL-3.0-or-later
// The "TR visuel centré" window: the stage and its scaling, the square's place,
// presses and keys reaching the protocol, the pointer, the modal run.
#include "administration/runstate.h"
#include "platform/clock.h"
#include "platform/messages.h"
#include "platform/stagegeometry.h"
#include "platform/trialtimer.h"
#include "shell/session.h"
#include "epreuves/widgets/testwindows.h"
#include "epreuves/widgets/visuelcentrewindow.h"

#include <QGuiApplication>
#include <QMouseEvent>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

using namespace zoka;

namespace {

QByteArray bytesOf(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

Session prepareRun(const QString &dir, bool practice, int items)
{
    Session session;
    session.config.ProgramDir = dir;
    session.config.StopKeyCode = 27;
    session.choices.patientName = "Dupont";
    session.run.practiceMode = practice;
    session.run.outputFile = practice ? dir + "/Essais" : dir + "/Dupont_16.VC";
    session.run.itemCount = items;
    const int fp[] = {5, 3, 1, 7, 1, 5, 7, 3, 5, 3};
    for (int i = 0; i < 10; ++i)
        session.run.itemSequence[size_t(i + 1)] = fp[i];
    return session;
}

bool blackAt(const QImage &img, int x, int y) { return img.pixelColor(x, y) == QColor(Qt::black); }
bool whiteAt(const QImage &img, int x, int y) { return img.pixelColor(x, y) == QColor(Qt::white); }

} // namespace

class TestVisuelCentre : public QObject {
    Q_OBJECT

private slots:
    void init() { QLocale::setDefault(QLocale(QLocale::French, QLocale::France)); }

    void stageGeometry_data()
    {
        QTest::addColumn<QSize>("screen");
        QTest::addColumn<double>("scale");
        QTest::addColumn<QPointF>("offset");
        QTest::newRow("800x600") << QSize(800, 600) << 1.0 << QPointF(0, 0);
        QTest::newRow("1024x768") << QSize(1024, 768) << 1.28 << QPointF(0, 0);
        QTest::newRow("1920x1080") << QSize(1920, 1080) << 1.8 << QPointF(240, 0);
        QTest::newRow("1280x1024") << QSize(1280, 1024) << 1.6 << QPointF(0, 32);
    }
    void stageGeometry()
    {
        QFETCH(QSize, screen);
        QFETCH(double, scale);
        QFETCH(QPointF, offset);
        const StageGeometry g(screen);
        QCOMPARE(g.scale(), scale);
        QCOMPARE(g.offset(), offset);
        // The square's corners map there and back.
        const QRectF sq = g.toWindow(QRectF(390, 290, 21, 21));
        QCOMPARE(g.toStage(sq.topLeft() + QPointF(0.1, 0.1)), QPoint(390, 290));
        QCOMPARE(g.toStage(sq.bottomRight() - QPointF(0.1, 0.1)), QPoint(410, 310));
        QCOMPARE(g.toStage(sq.topLeft() - QPointF(0.1, 0.1)), QPoint(389, 289));
        QCOMPARE(g.toStage(offset), QPoint(0, 0));
    }

    // The square covers x 390-410, y 290-310 of the stage, on an unscaled and on a
    // scaled screen, and only while it is up.
    void squareDrawnOnStage_data()
    {
        QTest::addColumn<QSize>("size");
        QTest::newRow("800x600") << QSize(800, 600);
        QTest::newRow("1920x1080") << QSize(1920, 1080);
    }
    void squareDrawnOnStage()
    {
        QFETCH(QSize, size);
        QTemporaryDir dir;
        Session session = prepareRun(dir.path(), true, 6);
        FakeClock clk(5000);
        setClock(&clk);
        VisuelCentreWindow w;
        auto *timer = new FakeTrialTimer;
        w.setTrialTimer(std::unique_ptr<TrialTimer>(timer));
        w.resize(size);
        w.setRunSetup(currentRunSetup(session, 0));
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        QTRY_VERIFY(w.protocol()->running());
        QCOMPARE(w.stage()->size(), size);
        QCOMPARE(QGuiApplication::overrideCursor()->shape(), Qt::BlankCursor);
        QCOMPARE(timer->armed(), QList<int>({5000}));

        const StageGeometry g(size);
        // The window pixel showing the middle of stage pixel (x, y).
        auto at = [&](int x, int y) {
            const QPointF c = g.toWindow(QRectF(x + 0.5, y + 0.5, 0, 0)).topLeft();
            return QPoint(int(std::floor(c.x())), int(std::floor(c.y())));
        };
        QImage img = w.stage()->grab().toImage();
        QVERIFY(whiteAt(img, at(400, 300).x(), at(400, 300).y()));

        clk.advance(5000);
        timer->fire();
        img = w.stage()->grab().toImage();
        for (const QPoint p : {QPoint(390, 290), QPoint(410, 290), QPoint(390, 310), QPoint(410, 310), QPoint(400, 300)})
            QVERIFY2(blackAt(img, at(p.x(), p.y()).x(), at(p.x(), p.y()).y()), qPrintable(QString("%1,%2").arg(p.x()).arg(p.y())));
        for (const QPoint p : {QPoint(389, 300), QPoint(411, 300), QPoint(400, 289), QPoint(400, 311)})
            QVERIFY2(whiteAt(img, at(p.x(), p.y()).x(), at(p.x(), p.y()).y()), qPrintable(QString("%1,%2").arg(p.x()).arg(p.y())));
        if (size.width() > 800) // the margins are white
            QVERIFY(whiteAt(img, 5, size.height() / 2));

        // A press anywhere (here in the corner of the stage) answers the square.
        clk.advance(321);
        QTest::mouseClick(w.stage(), Qt::RightButton, {}, at(5, 5));
        img = w.stage()->grab().toImage();
        QVERIFY(whiteAt(img, at(400, 300).x(), at(400, 300).y()));
        // The second press of a double click is a press of its own: untimely.
        QMouseEvent dbl(QEvent::MouseButtonDblClick, QPointF(at(5, 5)), QPointF(at(5, 5)),
                        Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(w.stage(), &dbl);
        QCOMPARE(w.protocol()->untimelyPresses(), -1);
        // Esc is the stop key: it finishes the run and closes the window.
        QTest::keyClick(&w, Qt::Key_A);
        QVERIFY(w.isVisible());
        QTest::keyClick(&w, Qt::Key_Escape);
        QVERIFY(!w.isVisible());
        QCOMPARE(w.result(), int(QDialog::Accepted));
        QCOMPARE(QGuiApplication::overrideCursor(), nullptr);
        const QList<QByteArray> lines = bytesOf(dir.path() + "/Essais").split('\n');
        QCOMPARE(lines.size(), 5);
        QVERIFY(lines[0].startsWith("Dupont: ") && lines[0].endsWith("\r"));
        QCOMPARE(lines[1], QByteArray("0\r"));
        QCOMPARE(lines[2], QByteArray("321\r"));
        QCOMPARE(lines[3], QByteArray("-1\r"));
        setClock(nullptr);
    }

    // The modal run through ExecTestWindow, as the instructions window starts it; the
    // window is made once and reused.
    void execTestWindow()
    {
        QTemporaryDir dir;
        Session session = prepareRun(dir.path(), false, 16);
        TestWindow *w = testWindow(0);
        QVERIFY(w);
        QCOMPARE(testWindow(0), w);
        w->setTrialTimer(std::make_unique<FakeTrialTimer>());
        for (int run = 0; run < 2; ++run) {
            bool sawBlank = false;
            QTimer::singleShot(50, [&] {
                QWidget *modal = QApplication::activeModalWidget();
                sawBlank = QGuiApplication::overrideCursor()
                           && QGuiApplication::overrideCursor()->shape() == Qt::BlankCursor;
                QTest::keyClick(modal ? modal : w, Qt::Key_Escape);
            });
            const RunOutcome outcome = ExecTestWindow(currentRunSetup(session, 0));
            // No X server here: drawn at once, and the run says why.
            QCOMPARE(outcome.timing.presentation, QStringLiteral("repaint"));
            QVERIFY(outcome.timing.fallbackReason.startsWith(QStringLiteral("pas de serveur X")));
            QVERIFY(sawBlank);
            QVERIFY(!w->isVisible());
            QCOMPARE(QGuiApplication::overrideCursor(), nullptr);
            const QList<QByteArray> lines = bytesOf(dir.path() + "/Dupont_16.VC").split('\n');
            QCOMPARE(lines.size(), 4);
            QCOMPARE(lines[2], QByteArray("0\r"));
            QFile::setPermissions(dir.path() + "/Dupont_16.VC", QFile::ReadOwner | QFile::WriteOwner);
        }
    }

    // Closing the window from outside ends the run as the stop key does; a file
    // that cannot be created is reported and the window closes with the pointer back.
    void closedFromOutsideAndFileError()
    {
        QTemporaryDir dir;
        Session session = prepareRun(dir.path(), false, 16);
        FakeClock clk(5000);
        setClock(&clk);
        {
            VisuelCentreWindow w;
            auto *timer = new FakeTrialTimer;
            w.setTrialTimer(std::unique_ptr<TrialTimer>(timer));
            w.resize(800, 600);
            w.setRunSetup(currentRunSetup(session, 0));
            w.show();
            QVERIFY(QTest::qWaitForWindowExposed(&w));
            QTRY_VERIFY(w.protocol()->running());
            clk.advance(3000);
            timer->fire();
            w.close();
            QVERIFY(!w.isVisible());
            QVERIFY(!timer->isActive());
            QCOMPARE(w.result(), int(QDialog::Accepted));
            QCOMPARE(QGuiApplication::overrideCursor(), nullptr);
            const QList<QByteArray> lines = bytesOf(dir.path() + "/Dupont_16.VC").split('\n');
            QCOMPARE(lines.size(), 4);
            QCOMPARE(lines[2], QByteArray("0\r"));
        }
        {
            ScopedScriptedMessages msgs;
            session.run.outputFile = dir.path() + "/absent/Dupont_16.VC";
            VisuelCentreWindow w;
            auto *timer = new FakeTrialTimer;
            w.setTrialTimer(std::unique_ptr<TrialTimer>(timer));
            w.resize(800, 600);
            w.setRunSetup(currentRunSetup(session, 0));
            w.show();
            QTRY_COMPARE(msgs.service.texts(), QStringList({"Le fichier " + session.run.outputFile + " ne peut être écrit : Fichier introuvable."}));
            QVERIFY(!w.isVisible());
            QVERIFY(!timer->isActive());
            QCOMPARE(QGuiApplication::overrideCursor(), nullptr);
        }
        setClock(nullptr);
    }

    // The other element kinds the test windows draw, and the hit boxes of the
    // pointing tests.
    void stageElements()
    {
        StageWidget stage;
        stage.resize(800, 600);
        StageWidget::Element frame;
        frame.kind = StageWidget::Element::Outline;
        frame.box = QRect(100, 100, 21, 21);
        frame.penWidth = 3;
        frame.shown = true;
        const int f = stage.addElement(frame);
        StageWidget::Element mask;
        mask.kind = StageWidget::Element::Filled;
        mask.box = QRect(325, 217, 150, 176);
        mask.fill = Qt::yellow;
        mask.pen = Qt::yellow;
        mask.shown = true;
        const int m = stage.addElement(mask);
        StageWidget::Element pic;
        pic.kind = StageWidget::Element::Picture;
        pic.picture = QImage(5, 4, QImage::Format_RGB32);
        pic.picture.fill(Qt::red);
        pic.box = QRect(386, 275, 25, 25);
        pic.shown = true;
        stage.addElement(pic);
        StageWidget::Element text;
        text.kind = StageWidget::Element::Text;
        text.text = "+";
        text.font = QFont("Tahoma", 40, QFont::Bold);
        text.pen = Qt::blue;
        text.box = QRect(600, 100, 46, 68);
        text.shown = true;
        stage.addElement(text);

        const QImage img = stage.grab().toImage();
        QVERIFY(blackAt(img, 100, 100) && blackAt(img, 102, 102) && blackAt(img, 120, 120) && blackAt(img, 118, 110));
        QVERIFY(whiteAt(img, 103, 103) && whiteAt(img, 110, 110) && whiteAt(img, 121, 110));
        QCOMPARE(img.pixelColor(325, 217), QColor(Qt::yellow));
        QCOMPARE(img.pixelColor(474, 392), QColor(Qt::yellow));
        QVERIFY(whiteAt(img, 475, 392));
        QCOMPARE(img.pixelColor(386, 275), QColor(Qt::red));
        QCOMPARE(img.pixelColor(390, 278), QColor(Qt::red));
        QCOMPARE(img.pixelColor(391, 278), QColor(Qt::yellow)); // the mask beside the picture
        bool blue = false;
        for (int y = 100; y < 168 && !blue; ++y)
            for (int x = 600; x < 646 && !blue; ++x)
                blue = img.pixelColor(x, y).blue() > 200 && img.pixelColor(x, y).red() < 100;
        QVERIFY(blue);

        QCOMPARE(stage.elementAt(QPoint(100, 100)), f);
        QCOMPARE(stage.elementAt(QPoint(120, 120)), f);
        QCOMPARE(stage.elementAt(QPoint(121, 120)), -1);
        QCOMPARE(stage.elementAt(QPoint(400, 300)), m);
        stage.setShown(f, false);
        QCOMPARE(stage.elementAt(QPoint(110, 110)), -1);
        stage.moveTo(m, 0, 0);
        QCOMPARE(stage.element(m).box, QRect(0, 0, 150, 176));
    }

    void testWithoutWindow()
    {
        ScopedScriptedMessages msgs;
        QTemporaryDir dir;
        Session session = prepareRun(dir.path(), true, 6);
        ExecTestWindow(currentRunSetup(session, 10));
        QCOMPARE(msgs.service.shown().size(), 1);
        QCOMPARE(msgs.service.shown().first().kind, MsgKind::Information);
        QVERIFY(msgs.service.texts().first().contains(QString::fromUtf8("« 10 »")));
        QVERIFY(!QFile::exists(dir.path() + "/Essais"));
    }
};

QTEST_MAIN(TestVisuelCentre)
#include "tst_visuelcentre.moc"
