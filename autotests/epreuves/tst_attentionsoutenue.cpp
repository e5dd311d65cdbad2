// SPDX-License-Identifier: GPL-3.0-or-later
// "Attention soutenue" on the fake clock: the codes of the items and the practice
// error sound, whole runs on the run's schedule (late events, slow drawing), the
// characters and sizes, the analysis of the file, refused runs.
#include "analysis/analysis.h"
#include "battery/series.h"
#include "epreuves/attentionsoutenue.h"
#include "platform/clock.h"
#include "platform/messages.h"
#include "platform/refreshschedule.h"
#include "platform/soundplayer.h"
#include "platform/trialtimer.h"
#include "protocol/resultwriter.h"

#include <QTemporaryDir>
#include <cmath>
#include <QtTest>

using namespace zoka;

namespace {

// A window whose drawings go on a display's refresh (refresh n at n x refreshUs
// microseconds) when refreshUs is set.
struct Host final : ProtocolHost {
    void takePointer() override {}
    void restorePointer() override {}
    void closeWindow() override { closedAt = zoka::clock().tick(); }
    int drawingLeadMs() const override { return refreshLeadMs(refreshUs / 1000.0); }
    void drawingDue(std::optional<quint32> t) override
    {
        due = t;
        shown.reset();
    }
    std::optional<quint32> shownTick() const override { return shown; }
    quint32 nearest(quint32 t) const { return quint32(std::llround(t * 1000.0 / refreshUs) * refreshUs / 1000); }
    quint32 nextFrom(quint32 t) const { return quint32(qint64(std::ceil(t * 1000.0 / refreshUs)) * refreshUs / 1000); }
    quint32 closedAt = 0;
    int refreshUs = 0;
    std::optional<quint32> due, shown;
};

// Element 0 = Caract, 1 = Mask. Records each character as it comes up; a drawing
// may take time, and then waits for its refresh.
struct Surface final : StimulusSurface {
    explicit Surface(FakeClock &c, Host &h) : clock(c), host(h) {}
    void setShown(int e, bool s) override { shown[e] = s; }
    bool isShown(int e) const override { return shown[e]; }
    void moveTo(int, int, int) override {}
    QRect box(int) const override { return {}; }
    void setText(int, const QString &t) override { text = t; }
    void setFont(int, const QString &, int px, bool) override { pixels = px; }
    void setColours(int, quint32, quint32) override {}
    void drawNow() override
    {
        clock.advance(drawMs);
        if (host.refreshUs) {
            const quint32 now = clock.tick();
            quint32 at = host.due ? host.nearest(*host.due) : host.nextFrom(now);
            if (qint32(at - now) < 0)
                at = host.nextFrom(now); // too late for it: the next one
            clock.set(at);
            host.shown = at;
        }
        if (shown[0] && !up)
            presented << text + QString::number(pixels);
        up = shown[0];
    }
    FakeClock &clock;
    Host &host;
    bool shown[2] = {false, false}, up = false;
    QString text;
    int pixels = 0;
    quint32 drawMs = 0;
    QStringList presented; // "k133": character and pixel height
};

struct Rig {
    Rig() : surface(clk, host), programme(surface, 0, 1, sound, [this](const QString &) { return faceOk; }),
            protocol(programme, timer, writer, host)
    {
        setClock(&clk);
    }
    ~Rig() { setClock(nullptr); }
    RunSetup setup(bool practice, int speed = 1) const
    {
        RunSetup s;
        s.testIndex = 7;
        s.practice = practice;
        s.programDir = dir.path();
        s.practiceFile = dir.filePath("Essais");
        s.outputFile = practice ? s.practiceFile : dir.filePath(QString("Dupont_228-%1.AS").arg(speed));
        s.itemCount = practice ? 25 : 228;
        s.stimulusSeries = runStimulusSeries(TestId::AttentionSoutenue, practice, 228);
        s.responseWindowMs = SpeedTable[size_t(speed)];
        s.patient = "Dupont";
        return s;
    }
    // The schedule counts from the first mask on the screen (after its drawing).
    void start(const RunSetup &s)
    {
        period = quint32(StreamMaskMs + s.responseWindowMs);
        protocol.start(s);
        t0 = armedAt = clk.tick();
    }
    // Runs the clock to `t`, each timer event handled `late` ms after it is due.
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
    quint32 itemStart(int n) const { return t0 + quint32(n - 1) * period; } // its mask goes up
    QList<QByteArray> lines(const RunSetup &s) const
    {
        QFile f(s.outputFile);
        return f.open(QIODevice::ReadOnly) ? f.readAll().split('\n') : QList<QByteArray>();
    }

    QTemporaryDir dir;
    FakeClock clk{50000};
    FakeTrialTimer timer;
    ResultWriter writer;
    Host host;
    Surface surface;
    FakeSoundPlayer sound;
    bool faceOk = true;
    AttentionSoutenueProgramme programme;
    TestProtocol protocol;
    quint32 t0 = 0, armedAt = 0, period = 0;
};

bool readOnly(const QString &path) { return !(QFileInfo(path).permissions() & QFile::WriteOwner); }

} // namespace

class TestAttentionSoutenue : public QObject {
    Q_OBJECT

private slots:
    void init() { QLocale::setDefault(QLocale(QLocale::French, QLocale::France)); }

    // Presses at ms from the item's mask going up (its character comes at 250 and
    // stays 1000 ms), then the stop key once the item is over.
    void itemCodes_data()
    {
        QTest::addColumn<bool>("practice");
        QTest::addColumn<int>("item");
        QTest::addColumn<QList<int>>("presses");
        QTest::addColumn<QByteArray>("line");
        QTest::addColumn<int>("sounds");
        QTest::newRow("no press") << true << 1 << QList<int>{} << QByteArray("S 0") << 0;
        QTest::newRow("letter, second press ignored") << true << 1 << QList<int>{650, 900} << QByteArray("S 400") << 0;
        QTest::newRow("mask only, twice") << true << 1 << QList<int>{0, 249} << QByteArray("S -1") << 2;
        QTest::newRow("mask then character") << true << 1 << QList<int>{100, 600} << QByteArray("S -350") << 1;
        QTest::newRow("0 ms kept as 1, later press ignored") << true << 1 << QList<int>{250, 700} << QByteArray("S 1") << 0;
        QTest::newRow("1 ms kept, later press ignored") << true << 1 << QList<int>{251, 700} << QByteArray("S 1") << 0;
        QTest::newRow("mask then 0 ms") << true << 1 << QList<int>{100, 250, 700} << QByteArray("S -1") << 1;
        QTest::newRow("last tick of the character") << true << 1 << QList<int>{1249} << QByteArray("S 999") << 0;
        QTest::newRow("3 pressed twice: one sound") << true << 10 << QList<int>{600, 900} << QByteArray("3 350") << 1;
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
        r.runTo(r.itemStart(item + 1) + 300); // the next character is up
        r.protocol.key('a');
        r.protocol.key(27);
        r.protocol.press(r.clk.tick()); // after the finish: nothing
        QCOMPARE(r.sound.playCount(), sounds);
        const QList<QByteArray> lines = r.lines(s);
        QCOMPARE(lines.size(), 2 + item + 1); // no closing line
        QCOMPARE(lines[1 + item], line + "\r");
        QCOMPARE(readOnly(s.outputFile), !practice);
        QVERIFY(!r.surface.shown[0] && !r.surface.shown[1]); // nothing up at the next showing
    }

    // A test run without a press, every timer event handled late and every drawing
    // taking time, one event held up 1400 ms: each character comes up on the run's
    // schedule and the run ends 228 periods after its first mask. The file analyses.
    void wholeRunOnSchedule_data()
    {
        QTest::addColumn<int>("speed");
        QTest::addColumn<int>("late");
        QTest::addColumn<int>("drawMs");
        QTest::addColumn<int>("refreshUs"); // 0: drawn at once
        QTest::newRow("lente") << 0 << 0 << 0 << 0;
        QTest::newRow("moyenne, events 3 ms late, drawing 2 ms") << 1 << 3 << 2 << 0;
        QTest::newRow("rapide, events 1 ms late") << 2 << 1 << 0 << 0;
        // On a refresh: every phase on the refresh nearest to its due time, whole
        // refreshes from the first mask, without drift.
        QTest::newRow("lente at 60 Hz") << 0 << 1 << 1 << 16667;
        QTest::newRow("moyenne at 75 Hz") << 1 << 1 << 1 << 13333;
        QTest::newRow("rapide at 144 Hz, events 2 ms late") << 2 << 2 << 1 << 6944;
    }
    void wholeRunOnSchedule()
    {
        QFETCH(int, speed);
        QFETCH(int, late);
        QFETCH(int, drawMs);
        QFETCH(int, refreshUs);
        Rig r;
        r.host.refreshUs = refreshUs;
        r.surface.drawMs = quint32(drawMs);
        const RunSetup s = r.setup(false, speed);
        r.start(s);
        const quint32 lag = refreshUs ? 0 : quint32(late + drawMs);
        const auto due = [&](quint32 t) { return refreshUs ? r.host.nearest(t) : t + lag; };
        for (int k = 1; k <= 228; ++k) {
            if (k == 100) {
                r.clk.advance(1400);
                r.timer.fire();
                r.armedAt = r.clk.tick();
            }
            r.runTo(r.itemStart(k) + 300 + lag, quint32(late));
            if (k != 100)
                QCOMPARE(r.protocol.onsetTick(), due(r.itemStart(k) + 250));
        }
        r.runTo(r.itemStart(229) + 10, quint32(late));
        QCOMPARE(r.host.closedAt, due(r.itemStart(229)));
        QCOMPARE(r.surface.presented.size(), 228);
        QCOMPARE(r.surface.presented.mid(0, 2), QStringList({"k133", "d125"}));
        QCOMPARE(r.surface.presented.mid(113, 2), QStringList({"396", "K133"})); // block 2: case swapped, sizes again
        const QList<QByteArray> lines = r.lines(s);
        QCOMPARE(lines.size(), 2 + 228 + 1);
        QCOMPARE(lines.count("3 0\r"), 30);
        QVERIFY(readOnly(s.outputFile));

        ScopedScriptedMessages msgs;
        AnalysisState st;
        prepareAnalysis(st, s.outputFile, 7, speed, "Dupont", ProgramVersion);
        QVERIFY(openAnalysis(st));
        QVERIFY(st.Report.text().contains(QString::fromUtf8("Total des non-appuis= 228 (Chiffre= 30 Lettres= 198)")));
        QVERIFY(st.Report.text().contains(QString("228 items (durée: %1 msec)").arg(SpeedTable[size_t(speed)])));
        QVERIFY(msgs.service.texts().isEmpty());
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
        s.itemCount += fault == 2;
        r.start(s);
        QCOMPARE(msgs.service.texts().size(), 1);
        QVERIFY2(msgs.service.texts().first().contains(message), qPrintable(msgs.service.texts().first()));
        QVERIFY(r.protocol.refused() && !r.timer.isActive());
        QVERIFY(!QFile::exists(s.outputFile));
    }
};

QTEST_GUILESS_MAIN(TestAttentionSoutenue)
#include "tst_attentionsoutenue.moc"
