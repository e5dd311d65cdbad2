// SPDX-License-Identifier: GPL-3.0-or-later
// The visual reaction-time windows on a 1280 x 1024 screen (the stage scaled by 1.6,
// 32 pixels down): what is drawn where, in which face and colour; the placeholder
// window.
#include "rt_helpers.h"

#include "epreuves/widgets/testwindows.h"
#include "epreuves/widgets/lateralisefixationwindow.h"
#include "epreuves/widgets/lateralisewindow.h"
#include "epreuves/widgets/unsupportedtestwindow.h"
#include "epreuves/widgets/doublebinairewindow.h"
#include "epreuves/widgets/simplebinairewindow.h"
#include "platform/soundplayer.h"
#include "platform/stagegeometry.h"
#include "platform/widgets/faces.h"
#include "protocol/resultwriter.h"

#include <QFontInfo>
#include <QGuiApplication>
#include <QLabel>
#include <QTemporaryDir>
#include <QtTest>

using namespace zoka;

namespace {

const QSize Screen(1280, 1024);

bool startWindow(TestWindow &w, rt::Sim &sim, const RunSetup &s)
{
    if (!testWindow(w.testIndex())) // the test has its window
        return false;
    sim.press = [&] { QTest::mouseClick(w.stage(), Qt::LeftButton, {}, QPoint(3, 3)); };
    sim.key = [&](int) { QTest::keyClick(&w, Qt::Key_Escape); };
    w.resize(Screen);
    w.setRunSetup(s);
    w.show();
    return QTest::qWaitForWindowExposed(&w) && QTest::qWaitFor([&] { return w.protocol()->running(); });
}

// The box (in stage pixels) of the pixels that are not white, and the darkest one.
struct Ink {
    QRectF box;
    QRgb darkest = qRgb(255, 255, 255);
};
Ink inkOf(const QImage &img)
{
    const StageGeometry g(img.size());
    Ink ink;
    QRect px;
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x)
            if (const QRgb c = img.pixel(x, y); c != qRgb(255, 255, 255)) {
                px |= QRect(x, y, 1, 1);
                if (qRed(c) + qGreen(c) + qBlue(c) < qRed(ink.darkest) + qGreen(ink.darkest) + qBlue(ink.darkest))
                    ink.darkest = c;
            }
    ink.box = QRectF((px.topLeft() - g.offset()) / g.scale(), QSizeF(px.size()) / g.scale());
    return ink;
}

bool near(const QRectF &a, const QRectF &b)
{
    return (a.topLeft() - b.topLeft()).manhattanLength() < 1.5 && (a.bottomRight() - b.bottomRight()).manhattanLength() < 1.5;
}

} // namespace

class TestVisualRtWindows : public QObject {
    Q_OBJECT

private slots:
    void init()
    {
        QLocale::setDefault(QLocale(QLocale::French, QLocale::France));
        setSoundPlayerFactory([] { return std::make_unique<FakeSoundPlayer>(); });
    }
    void cleanup() { setSoundPlayerFactory({}); }

    // Each symbol bold, in its colour, its ink inside its label's box, centred near
    // (401, 298).
    void symbols_data()
    {
        QTest::addColumn<int>("test");
        QTest::addColumn<QString>("script"); // up to the symbol's onset
        QTest::addColumn<QRgb>("colour");
        QTest::addColumn<QRect>("label");
        QTest::newRow("SB cross") << 3 << ">" << qRgb(0, 0, 0) << QRect(378, 263, 46, 68);
        QTest::newRow("SB ring") << 3 << "*2(> >) >" << qRgb(0, 0, 0) << QRect(382, 269, 39, 60);
        QTest::newRow("DB red cross") << 4 << "> +10 p >" << qRgb(255, 0, 0) << QRect(378, 263, 46, 68);
        QTest::newRow("DB red ring") << 4 << "> +10 p > > >" << qRgb(255, 0, 0) << QRect(382, 269, 39, 60);
        QTest::newRow("DB blue ring") << 4 << ">" << qRgb(0, 0, 255) << QRect(382, 269, 39, 60);
        QTest::newRow("DB blue cross") << 4 << "*6(> +10 p) >" << qRgb(0, 0, 255) << QRect(378, 263, 46, 68);
    }
    void symbols()
    {
        QFETCH(int, test);
        QFETCH(QString, script);
        QFETCH(QRgb, colour);
        QFETCH(QRect, label);
        QTemporaryDir dir;
        rt::Sim sim;
        std::unique_ptr<TestWindow> w(test == 3 ? static_cast<TestWindow *>(new SimpleBinaireWindow) : new DoubleBinaireWindow);
        QVERIFY(startWindow(*w, sim, rt::preparedRun(test, 32, false, dir.path())));
        QVERIFY(inkOf(w->stage()->grab().toImage()).box.isEmpty());
        QVERIFY(sim.run(script));
        const Ink ink = inkOf(w->stage()->grab().toImage());
        QVERIFY(label.adjusted(-1, -1, 1, 1).contains(ink.box.toAlignedRect()));
        QVERIFY(qAbs(ink.box.center().x() - 401) <= 3 && qAbs(ink.box.center().y() - 298) <= 4);
        QVERIFY(ink.box.width() > 33.5); // bold strokes: 32 px wide with regular ones
        QCOMPARE(ink.darkest, colour);
        for (int e = 0; e < w->stage()->elementCount(); ++e)
            QCOMPARE(QFontInfo(w->stage()->element(e).font).family(), QString("Tahoma"));
        QVERIFY(!faceInstalled("Tahoma Sans Nulle Part")); // never a stand-in
        sim.key(27);
    }

    // The square at item 1's cell of a 36-item run; the frame all the run, the red
    // point in it from 3 s into practice item 1, the frame's line whole over it.
    void squareFrameAndPoint()
    {
        QTemporaryDir dir;
        QVERIFY(QFile::copy(ZOKA_GENERATED_DATA_DIR "/PtFix.bmp", dir.path() + "/PtFix.bmp"));
        const StageGeometry g(Screen);
        auto at = [&](const QImage &img, double x, double y) {
            const QPointF c = g.toWindow(QRectF(x + 0.5, y + 0.5, 0, 0)).topLeft();
            return img.pixel(int(std::floor(c.x())), int(std::floor(c.y())));
        };
        rt::Sim sim;
        LateraliseWindow trl;
        QVERIFY(startWindow(trl, sim, rt::preparedRun(1, 36, false, dir.path())));
        QVERIFY(sim.run(">"));
        QVERIFY(near(inkOf(trl.stage()->grab().toImage()).box, QRectF(462, 240, 21, 21)));
        sim.key(27);

        LateraliseFixationWindow trfc;
        QVERIFY(startWindow(trfc, sim, rt::preparedRun(2, 0, false, dir.path())));
        QVERIFY(near(inkOf(trfc.stage()->grab().toImage()).box, QRectF(385, 274, 25, 25)));
        QVERIFY(sim.run("+3000"));
        const QImage img = trfc.stage()->grab().toImage();
        for (const QPointF p : {QPointF(398, 285), QPointF(390, 285), QPointF(406, 285), QPointF(398, 278), QPointF(398, 293)})
            QCOMPARE(at(img, p.x(), p.y()), qRgb(255, 0, 0));
        for (const QPointF p : {QPointF(409, 280), QPointF(400, 298), QPointF(385, 290), QPointF(400, 274)})
            QCOMPARE(at(img, p.x(), p.y()), qRgb(0, 0, 0));
        QVERIFY(sim.run("+499") && trfc.programme().pointShown());
        QVERIFY(sim.run("+1 p k")); // the point is gone: an untimely press only
        QVERIFY(!trfc.isVisible());
        QVERIFY(rt::fileBytes(dir.path() + "/Essais").endsWith(headerTimeText(trfc.runSetup().shownAt.time()).toLatin1()
                                                             + "\r\n0\r\n-1 0\r\n"));
    }

    // A press changes the line; Return or Escape close with the pointer back and
    // TRnul.nul holding the date alone.
    void placeholder_data()
    {
        QTest::addColumn<int>("key");
        QTest::newRow("Return") << int(Qt::Key_Return);
        QTest::newRow("Escape") << int(Qt::Key_Escape);
    }
    void placeholder()
    {
        QFETCH(int, key);
        QTemporaryDir dir;
        UnsupportedTestWindow w(dir.path());
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        QCOMPARE(QGuiApplication::overrideCursor()->shape(), Qt::BlankCursor);
        QTest::mouseClick(&w, Qt::LeftButton, {}, QPoint(50, 50));
        QCOMPARE(w.Message->text(), QString("Cliquez sur le bouton ou pressez <Return> pour quitter!"));
        QTest::keyClick(&w, Qt::Key(key));
        QVERIFY(!w.isVisible());
        QCOMPARE(QGuiApplication::overrideCursor(), nullptr);
        QCOMPARE(rt::fileBytes(QDir(dir.path()).filePath("TRnul.nul")), headerDateText(QDate::currentDate()).toLatin1() + "\r\n");
    }
};

QTEST_MAIN(TestVisualRtWindows)
#include "tst_visualrt_windows.moc"
