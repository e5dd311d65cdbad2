// "Attention soutenue" on the fake clock: the codes of the items, the practice error
// sound, the stream and its sizes, phases timed from the run's start, the stop key,
// refused runs, the analysis of the file a run leaves, and the window's drawing.
#include "analysis/analysis.h"
#include "battery/series.h"
#include "epreuves/attentionsoutenue.h"
#include "epreuves/widgets/tformtas.h"
#include "platform/clock.h"
#include "platform/cp1252.h"
#include "platform/messages.h"
#include "platform/soundplayer.h"
#include "platform/stagegeometry.h"
#include "platform/trialtimer.h"
#include "protocol/resultwriter.h"

#include <QFontInfo>
#include <QTemporaryDir>
#include <QtTest>

using namespace zoka;

namespace {

// Records what the programme puts on the stage; a drawing may take time.
class Surface final : public StimulusSurface {
public:
    explicit Surface(FakeClock &c) : clock(c) {}
    void setShown(int e, bool s) override { shown[e] = s; }
    bool isShown(int e) const override { return shown[e]; }
    void moveTo(int, int, int) override {}
    QRect box(int) const override { return {}; }
    void setText(int, const QString &t) override { text = t; }
    void setFont(int, const QString &f, int px, bool) override { face = f, pixels = px; }
    void setColours(int, quint32, quint32) override {}
    void drawNow() override
    {
        clock.advance(drawMs);
        if (shown[0] && !drawnChar) // the character came up
            presented << qMakePair(text, pixels);
        if (shown[0] && shown[1])
            overlap = true;
        drawnChar = shown[0];
    }
    FakeClock &clock;
    bool shown[2] = {false, false}; // 0 = Caract, 1 = Mask
    bool drawnChar = false, overlap = false;
    QString text, face;
    int pixels = 0;
    quint32 drawMs = 0;
    QList<QPair<QString, int>> presented;
};

struct Host final : ProtocolHost {
    void takePointer() override {}
    void restorePointer() override {}
    void closeWindow() override { closedAt = zoka::clock().tick(), ++closed; }
    quint32 closedAt = 0;
    int closed = 0;
};

RunSetup streamSetup(const QString &dir, bool practice, int speed)
{
    RunSetup s;
    s.testIndex = 7;
    s.practice = practice;
    s.programDir = dir;
    s.practiceFile = dir + "/Essais";
    s.outputFile = practice ? s.practiceFile : dir + QString("/Dupont_228-%1.AS").arg(speed);
    s.itemCount = practice ? 25 : 228;
    s.stimulusSeries = runStimulusSeries(TestId::AttentionSoutenue, practice, s.itemCount);
    s.speedIndex = speed;
    s.responseWindowMs = SpeedTable[size_t(speed)];
    s.patient = "Dupont";
    s.shownAt = QDateTime(QDate(2026, 12, 7), QTime(9, 5, 3));
    return s;
}

struct Rig {
    Rig() : surface(clk), programme(surface, 0, 1, sound, [this](const QString &) { return faceOk; }),
            protocol(programme, timer, writer, host)
    {
        setClock(&clk);
    }
    ~Rig() { setClock(nullptr); }

    RunSetup setup(bool practice, int speed = 1) const { return streamSetup(dir.path(), practice, speed); }
    // The run's phases count from the first mask on the screen.
    void start(const RunSetup &s)
    {
        period = quint32(StreamMaskMs + s.responseWindowMs);
        protocol.start(s);
        t0 = armedAt = clk.tick();
    }
    // Lets the clock run to `t`, handling every timer event on its tick, or `late` ms
    // after it.
    void runTo(quint32 t, quint32 late = 0)
    {
        while (timer.isActive() && armedAt + quint32(timer.interval()) + late <= t) {
            clk.set(armedAt + quint32(timer.interval()) + late);
            timer.fire();
            armedAt = clk.tick();
        }
        if (qint32(t - clk.tick()) > 0)
            clk.set(t);
    }
    // Item n's mask goes up at itemStart(n), its character 250 ms later.
    quint32 itemStart(int n) const { return t0 + quint32(n - 1) * period; }
    QByteArray file(const RunSetup &s) const
    {
        QFile f(s.outputFile);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
    }

    QTemporaryDir dir;
    FakeClock clk{50000};
    FakeTrialTimer timer;
    ResultWriter writer;
    Surface surface;
    FakeSoundPlayer sound;
    Host host;
    bool faceOk = true;
    AttentionSoutenueProgramme programme;
    TestProtocol protocol;
    quint32 t0 = 0, armedAt = 0, period = 0;
};

const QByteArray Header = "Dupont: 07/12/2026 \xE0 09:05:03\r\n0\r\n";

bool readOnly(const QString &path)
{
    return (QFileInfo(path).permissions() & (QFile::WriteOwner | QFile::WriteGroup | QFile::WriteOther)) == 0;
}

} // namespace

class TestAttentionSoutenue : public QObject {
    Q_OBJECT

private slots:
    void init() { QLocale::setDefault(QLocale(QLocale::French, QLocale::France)); }

    // Presses at known times within one item (ms from its mask going up; the
    // character comes at 250 and stays 1000 ms): the item's line and the error
    // sounds it gives.
    void itemCodes_data()
    {
        QTest::addColumn<bool>("practice");
        QTest::addColumn<int>("item");
        QTest::addColumn<QList<int>>("presses");
        QTest::addColumn<QByteArray>("line");
        QTest::addColumn<int>("sounds");
        QTest::newRow("no press") << true << 1 << QList<int>{} << QByteArray("S 0") << 0;
        QTest::newRow("letter, second press ignored") << true << 1 << QList<int>{650, 900} << QByteArray("S 400") << 0;
        QTest::newRow("mask only") << true << 1 << QList<int>{100} << QByteArray("S -1") << 1;
        QTest::newRow("mask twice") << true << 1 << QList<int>{0, 249} << QByteArray("S -1") << 2;
        QTest::newRow("mask then character") << true << 1 << QList<int>{100, 600} << QByteArray("S -350") << 1;
        QTest::newRow("0 ms kept as 1, later press ignored") << true << 1 << QList<int>{250, 700} << QByteArray("S 1") << 0;
        QTest::newRow("1 ms kept, later press ignored") << true << 1 << QList<int>{251, 700} << QByteArray("S 1") << 0;
        QTest::newRow("mask then 0 ms") << true << 1 << QList<int>{100, 250, 700} << QByteArray("S -1") << 1;
        QTest::newRow("last tick of the character") << true << 1 << QList<int>{1249} << QByteArray("S 999") << 0;
        QTest::newRow("digit 3 pressed twice: one sound") << true << 10 << QList<int>{600, 900} << QByteArray("3 350") << 1;
        QTest::newRow("digit 3 left alone") << true << 10 << QList<int>{} << QByteArray("3 0") << 0;
        QTest::newRow("test run: never a sound") << false << 11 << QList<int>{100, 450} << QByteArray("3 -200") << 0;
    }
    void itemCodes()
    {
        QFETCH(bool, practice);
        QFETCH(int, item);
        QFETCH(QList<int>, presses);
        QFETCH(QByteArray, line);
        QFETCH(int, sounds);
        Rig r;
        const RunSetup s = r.setup(practice);
        r.start(s);
        for (int at : presses) {
            r.runTo(r.itemStart(item) + quint32(at));
            r.protocol.press(r.clk.tick());
        }
        r.runTo(r.itemStart(item + 1)); // the item's character has ended
        QCOMPARE(r.sound.playCount(), sounds);
        r.protocol.key(27);
        const QList<QByteArray> lines = r.file(s).split('\n');
        QCOMPARE(lines.size(), 2 + item + 1); // no closing line
        QCOMPARE(lines[1 + item], line + "\r");
        QCOMPARE(readOnly(s.outputFile), !practice);
    }

    // A whole test run without a press at each speed, every timer event handled late
    // and every drawing taking time (one event held up past a whole phase): each
    // character still comes up on the run's schedule, the run ends 228 periods after
    // it began, and the file holds 228 lines of 0, K at 115, and analyses.
    void wholeRunOnSchedule_data()
    {
        QTest::addColumn<int>("speed");
        QTest::addColumn<int>("late");
        QTest::addColumn<int>("drawMs");
        QTest::newRow("lente") << 0 << 0 << 0;
        QTest::newRow("moyenne, events 3 ms late, drawing 2 ms") << 1 << 3 << 2;
        QTest::newRow("rapide, events 1 ms late") << 2 << 1 << 0;
        QTest::newRow("fallback speed 3") << 3 << 0 << 1;
    }
    void wholeRunOnSchedule()
    {
        QFETCH(int, speed);
        QFETCH(int, late);
        QFETCH(int, drawMs);
        Rig r;
        r.surface.drawMs = quint32(drawMs);
        const RunSetup s = r.setup(false, speed);
        r.start(s);
        QList<quint32> onsets;
        for (int k = 1; k <= 228; ++k) {
            if (k == 100) { // the event loop is held up 1400 ms (past two phases)
                r.clk.advance(1400);
                r.timer.fire();
                r.armedAt = r.clk.tick();
            }
            r.runTo(r.itemStart(k) + 300 + quint32(late + drawMs), quint32(late));
            onsets << r.protocol.onsetTick() - (r.itemStart(k) + 250);
        }
        r.runTo(r.itemStart(229) + 10, quint32(late));
        QCOMPARE(r.host.closed, 1);
        QCOMPARE(r.host.closedAt, r.itemStart(229) + quint32(late + drawMs));
        for (int k = 1; k <= 228; ++k)
            if (k != 100)
                QVERIFY2(onsets[k - 1] == quint32(late + drawMs), qPrintable(QString::number(k)));
        QVERIFY(!r.surface.overlap);
        QCOMPARE(r.surface.face, QString("Times New Roman"));
        QCOMPARE(r.surface.presented.size(), 228);
        QCOMPARE(r.surface.presented[0], qMakePair(QString("k"), 133));
        QCOMPARE(r.surface.presented[114], qMakePair(QString("K"), 133));
        QCOMPARE(r.surface.presented[5], qMakePair(QString("m"), 160));
        QCOMPARE(r.surface.presented[11], qMakePair(QString("m"), 64));
        QCOMPARE(r.surface.presented[227], qMakePair(QString("3"), 96));
        const QByteArray bytes = r.file(s);
        QCOMPARE(bytes.count("\r\n"), 230);
        QCOMPARE(bytes.count("3 0\r\n"), 30);
        QVERIFY(bytes.startsWith(Header + "k 0\r\nd 0\r\n") && bytes.endsWith("E 0\r\n3 0\r\n"));
        QVERIFY(readOnly(s.outputFile));

        AnalysisState st;
        prepareAnalysis(st, s.outputFile, 7, speed, "Dupont", ProgramVersion);
        QVERIFY(openAnalysis(st));
        const QString report = st.Report.text();
        QVERIFY(report.contains(QString::fromUtf8("Nombre d'absences de réaction (attendues) au chiffre 3= 30")));
        QVERIFY(report.contains(QString::fromUtf8("Total des non-appuis= 228 (Chiffre= 30 Lettres= 198)")));
        QVERIFY(report.contains(QString("228 items (durée: %1 msec)").arg(SpeedTable[size_t(speed)])));
    }

    // The stop key during character 50: 49 lines, no closing line, marked; the
    // analysis reads it as incomplete. Presses and keys afterwards change nothing.
    void stopDuringCharacter50()
    {
        ScopedScriptedMessages msgs;
        Rig r;
        const RunSetup s = r.setup(false);
        r.start(s);
        r.runTo(r.itemStart(50) + 400);
        r.protocol.press(r.clk.tick());
        r.protocol.key('a');
        r.protocol.key(27);
        r.protocol.press(r.clk.tick());
        r.protocol.key(27);
        QVERIFY(!r.timer.isActive());
        QCOMPARE(r.host.closed, 1);
        QCOMPARE(r.sound.isOpen(), false);
        QVERIFY(!r.surface.shown[0] && !r.surface.shown[1]); // nothing up at the next showing
        const QByteArray bytes = r.file(s);
        QCOMPARE(bytes.count("\r\n"), 2 + 49);
        QVERIFY(bytes.endsWith("\r\nR 0\r\nk 0\r\n")); // characters 48 and 49
        QVERIFY(readOnly(s.outputFile));
        AnalysisState st;
        prepareAnalysis(st, s.outputFile, 7, 1, "Dupont", ProgramVersion);
        openAnalysis(st);
        QVERIFY(st.Report.text().contains(QString::fromUtf8("Données incomplètes (49 sur 228)")));
    }

    // Runs that cannot be given are refused before anything is written.
    void refused_data()
    {
        QTest::addColumn<int>("fault");
        QTest::addColumn<QString>("message");
        QTest::newRow("SonErr.wav missing") << 0 << "SonErr.wav";
        QTest::newRow("face missing") << 1 << missingFaceText("Times New Roman");
        QTest::newRow("longer than the stream") << 2 << QString::fromUtf8("compte 25 caractères ; une passation de 26 items");
    }
    void refused()
    {
        QFETCH(int, fault);
        QFETCH(QString, message);
        ScopedScriptedMessages msgs;
        Rig r;
        RunSetup s = r.setup(true);
        r.sound.failOpen = fault == 0;
        r.faceOk = fault != 1;
        if (fault == 2)
            s.itemCount = 26;
        r.start(s);
        QCOMPARE(msgs.service.texts().size(), 1);
        QVERIFY2(msgs.service.texts().first().contains(message), qPrintable(msgs.service.texts().first()));
        QVERIFY(r.protocol.refused());
        QVERIFY(!QFile::exists(s.outputFile));
        QVERIFY(!r.timer.isActive());
        QCOMPARE(r.host.closed, 1);
    }

    // The window on a 1280 x 1024 screen: the yellow mask exactly over the scaled box,
    // then the character in Times New Roman (or its metric twin) in the white box.
    void windowDrawsMaskAndCharacter()
    {
        QTemporaryDir dir;
        FakeClock clk(1000);
        setClock(&clk);
        setSoundPlayerFactory([] { return std::make_unique<FakeSoundPlayer>(); });
        TFormTas w;
        auto *timer = new FakeTrialTimer;
        w.setTrialTimer(std::unique_ptr<TrialTimer>(timer));
        w.resize(1280, 1024);
        w.setRunSetup(streamSetup(dir.path(), true, 1));
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        QTRY_VERIFY(w.protocol()->running());
        const StageGeometry g(QSize(1280, 1024));
        auto px = [&](const QImage &img, int x, int y) {
            const QPointF c = g.toWindow(QRectF(x + 0.5, y + 0.5, 0, 0)).topLeft();
            return img.pixelColor(int(c.x()), int(c.y()));
        };
        QImage img = w.stage()->grab().toImage();
        for (const QPoint p : {QPoint(325, 217), QPoint(474, 392), QPoint(400, 300)})
            QCOMPARE(px(img, p.x(), p.y()), QColor(Qt::yellow));
        for (const QPoint p : {QPoint(324, 300), QPoint(475, 300), QPoint(400, 216), QPoint(400, 393)})
            QCOMPARE(px(img, p.x(), p.y()), QColor(Qt::white));
        clk.advance(250);
        timer->fire();
        img = w.stage()->grab().toImage();
        int black = 0, yellow = 0;
        for (int y = 217; y < 393; ++y)
            for (int x = 325; x < 475; ++x) {
                black += px(img, x, y).lightness() < 60;
                yellow += px(img, x, y) == QColor(Qt::yellow);
            }
        QVERIFY2(black > 300, qPrintable(QString::number(black))); // "S" at 100 points
        QCOMPARE(yellow, 0);
        const QString drawn = QFontInfo(w.stage()->element(w.caract()).font).family();
        QVERIFY2(drawn == "Liberation Serif" || drawn == "Times New Roman", qPrintable(drawn));
        QCOMPARE(w.stage()->element(w.caract()).font.pixelSize(), 133);
        QTest::keyClick(&w, Qt::Key_Escape);
        QVERIFY(!w.isVisible());
        setSoundPlayerFactory({});
        setClock(nullptr);
    }
};

QTEST_MAIN(TestAttentionSoutenue)
#include "tst_attentionsoutenue.moc"
