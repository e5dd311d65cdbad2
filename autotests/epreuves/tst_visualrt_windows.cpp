// The windows of TR latéralisé (+ Fixation), TR simple and double binaire on a
// 1280 x 1024 screen (stage scaled by 1.6, 32 pixels down): what is drawn where,
// in which face and colour; and the placeholder window.
#include "rt_helpers.h"

#include "epreuves/widgets/testwindows.h"
#include "epreuves/widgets/tformtrl.h"
#include "epreuves/widgets/tformtrnul.h"
#include "epreuves/widgets/tformtrs.h"
#include "platform/messages.h"
#include "platform/soundplayer.h"
#include "platform/stagegeometry.h"
#include "platform/widgets/faces.h"

#include <QFontInfo>
#include <QGuiApplication>
#include <QLabel>
#include <QTemporaryDir>
#include <QtTest>

using namespace zoka;

namespace {

const QSize Screen(1280, 1024);

// Shows `w` with the run `s` and lets the run start; presses go through the stage.
bool startWindow(TestWindow &w, rt::Sim &sim, const RunSetup &s)
{
    sim.press = [&] { QTest::mouseClick(w.stage(), Qt::LeftButton, {}, QPoint(3, 3)); };
    sim.key = [&](int) { QTest::keyClick(&w, Qt::Key_Escape); };
    w.resize(Screen);
    w.setRunSetup(s);
    w.show();
    return QTest::qWaitForWindowExposed(&w) && QTest::qWaitFor([&] { return w.protocol()->running(); });
}

// The ink (pixels not white) of the stage grab, in stage pixels, with its colours.
struct Ink {
    QRectF box;
    QSet<QRgb> colours;
};
Ink inkOf(const QImage &img, const QRect &stageArea)
{
    const StageGeometry g(img.size());
    const QRect win = g.toWindow(QRectF(stageArea)).toAlignedRect();
    Ink ink;
    QRect px;
    for (int y = win.top(); y <= win.bottom(); ++y)
        for (int x = win.left(); x <= win.right(); ++x)
            if (img.pixel(x, y) != qRgb(255, 255, 255)) {
                px |= QRect(x, y, 1, 1);
                ink.colours << img.pixel(x, y);
            }
    if (!px.isNull())
        ink.box = QRectF((px.left() - g.offset().x()) / g.scale(), (px.top() - g.offset().y()) / g.scale(),
                         px.width() / g.scale(), px.height() / g.scale());
    return ink;
}

// Within a stage pixel (the scaled stage rounds to whole screen pixels).
bool near(const QRectF &a, const QRectF &b)
{
    return qAbs(a.left() - b.left()) < 1 && qAbs(a.top() - b.top()) < 1 && qAbs(a.right() - b.right()) < 1
           && qAbs(a.bottom() - b.bottom()) < 1;
}

QRgb darkest(const QSet<QRgb> &colours)
{
    QRgb best = qRgb(255, 255, 255);
    for (QRgb c : colours)
        if (qRed(c) + qGreen(c) + qBlue(c) < qRed(best) + qGreen(best) + qBlue(best))
            best = c;
    return best;
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

    // Each symbol in Tahoma bold, in its colour, centred near (401, 298) with its
    // ink inside its label's box, drawn on the scaled stage.
    void symbols_data()
    {
        QTest::addColumn<int>("test");
        QTest::addColumn<QString>("script"); // up to the symbol's onset
        QTest::addColumn<QRgb>("colour");
        QTest::addColumn<QRect>("label");
        QTest::newRow("SB cross") << 3 << ">" << qRgb(0, 0, 0) << QRect(378, 263, 46, 68);
        QTest::newRow("SB ring") << 3 << "> > > > >" << qRgb(0, 0, 0) << QRect(382, 269, 39, 60);
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
        QVERIFY2(faceInstalled("Tahoma"), "Tahoma (fonts-wine) is not installed");
        QTemporaryDir dir;
        rt::Sim sim;
        std::unique_ptr<TestWindow> w;
        if (test == 3)
            w = std::make_unique<TFormTrs>();
        else
            w = std::make_unique<TFormTrd>();
        QVERIFY(startWindow(*w, sim, rt::preparedRun(test, false, 32, false, dir.path())));
        QVERIFY(inkOf(w->stage()->grab().toImage(), QRect(0, 0, 800, 600)).colours.isEmpty());
        QVERIFY(sim.run(script));
        const QImage img = w->stage()->grab().toImage();
        const Ink ink = inkOf(img, QRect(0, 0, 800, 600));
        QVERIFY2(label.adjusted(-1, -1, 1, 1).contains(ink.box.toAlignedRect()),
                 qPrintable(QString("ink %1,%2 %3x%4").arg(ink.box.x()).arg(ink.box.y()).arg(ink.box.width()).arg(ink.box.height())));
        QVERIFY(qAbs(ink.box.center().x() - 401) <= 3 && qAbs(ink.box.center().y() - 298) <= 4);
        QCOMPARE(darkest(ink.colours), colour);
        for (int e = 0; e < w->stage()->elementCount(); ++e)
            QCOMPARE(QFontInfo(w->stage()->element(e).font).family(), QString("Tahoma"));
        sim.key(27);
    }

    // The square at item 1's cell of a 36-item run; the fixation frame all the run,
    // the red point inside it from 3 s into practice item 1, the frame's line whole.
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
        TFormTrl trl;
        QVERIFY(startWindow(trl, sim, rt::preparedRun(1, false, 36, false, dir.path())));
        QVERIFY(sim.run(">"));
        const Ink square = inkOf(trl.stage()->grab().toImage(), QRect(0, 0, 800, 600));
        QVERIFY(near(square.box, QRectF(462, 240, 21, 21)));
        sim.key(27);

        TFormTrfc trfc;
        QVERIFY(startWindow(trfc, sim, rt::preparedRun(2, true, 0, false, dir.path())));
        QImage img = trfc.stage()->grab().toImage();
        QVERIFY(near(inkOf(img, QRect(0, 0, 800, 600)).box, QRectF(385, 274, 25, 25)));
        QCOMPARE(at(img, 397, 286), qRgb(255, 255, 255));
        QVERIFY(sim.run("+3000"));
        img = trfc.stage()->grab().toImage();
        for (const QPointF p : {QPointF(398, 285), QPointF(390, 285), QPointF(406, 285), QPointF(398, 278), QPointF(398, 293)})
            QVERIFY2(at(img, p.x(), p.y()) == qRgb(255, 0, 0), qPrintable(QString("%1,%2").arg(p.x()).arg(p.y())));
        for (const QPointF p : {QPointF(409, 280), QPointF(400, 298), QPointF(385, 290), QPointF(400, 274)})
            QVERIFY2(at(img, p.x(), p.y()) == qRgb(0, 0, 0), qPrintable(QString("%1,%2").arg(p.x()).arg(p.y())));
        QVERIFY(sim.run("+499"));
        QVERIFY(trfc.programme().pointShown());
        QVERIFY(sim.run("+1 p k"));
        QVERIFY(!trfc.isVisible());
        QVERIFY(rt::fileBytes(dir.path() + "/Essais").endsWith(" \xE0 " + headerTimeText(trfc.runSetup().shownAt.time()).toLatin1() + "\r\n0\r\n-1 0\r\n"));
    }

    // The design faces: drawn in themselves or their metric twin, never in a
    // stand-in the system picks; fonts-wine's Tahoma Bold is known to be regular.
    void faces_data()
    {
        QTest::addColumn<QString>("family");
        QTest::addColumn<bool>("installed");
        QTest::addColumn<bool>("boldRegular");
        QTest::newRow("Tahoma") << "Tahoma" << true << true;
        QTest::newRow("Times New Roman") << "Times New Roman" << true << false;
        QTest::newRow("missing face") << "Tahoma Sans Nulle Part" << false << false;
    }
    void faces()
    {
        QFETCH(QString, family);
        QFETCH(bool, installed);
        QFETCH(bool, boldRegular);
        QCOMPARE(faceInstalled(family), installed);
        if (installed)
            QCOMPARE(boldDrawnRegular(family), boldRegular);
    }

    // Each of the four tests has its window: no "not available" message.
    void windowsExist()
    {
        for (int test = 1; test <= 4; ++test) {
            TestWindow *w = testWindow(test);
            QVERIFY(w);
            QCOMPARE(w->testIndex(), test);
        }
    }

    // The placeholder window: a press changes the label; Return (or Escape) closes
    // it with the pointer back and TRnul.nul holding the date alone.
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
        const QString cwd = QDir::currentPath();
        QDir::setCurrent(dir.path());
        TFormTrNul w;
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        QCOMPARE(QGuiApplication::overrideCursor()->shape(), Qt::BlankCursor);
        QCOMPARE(w.Label1->text(), QString("Epreuve non supportée actuellement"));
        QTest::mouseClick(&w, Qt::LeftButton, {}, QPoint(50, 50));
        QCOMPARE(w.Label1->text(), QString("Cliquez sur le bouton ou pressez <Return> pour quitter!"));
        QVERIFY(w.isVisible());
        QTest::keyClick(&w, Qt::Key(key));
        QVERIFY(!w.isVisible());
        QCOMPARE(QGuiApplication::overrideCursor(), nullptr);
        QCOMPARE(rt::fileBytes("TRnul.nul"), headerDateText(QDate::currentDate()).toLatin1() + "\r\n");
        QDir::setCurrent(cwd);
    }
};

QTEST_MAIN(TestVisualRtWindows)
#include "tst_visualrt_windows.moc"
