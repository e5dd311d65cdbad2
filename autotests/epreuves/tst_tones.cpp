// SPDX-License-Identifier: GPL-3.0-or-later
// Whole runs of "TR auditif" and "TR mixte" on the protocol engine, with a fake
// clock, timer and player, checked byte for byte against their result files.
#include "battery/series.h"
#include "epreuves/auditif.h"
#include "epreuves/mixte.h"
#include "platform/clock.h"
#include "platform/messages.h"
#include "platform/soundplayer.h"
#include "platform/trialtimer.h"
#include "protocol/protocol.h"
#include "protocol/resultwriter.h"

#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

using namespace zoka;

namespace {

const QByteArray Header = "Dupont: 07/12/2026 \xE0 09:05:03";

class FakeSurface final : public StimulusSurface {
public:
    void setShown(int, bool s) override { shown = s; }
    bool isShown(int) const override { return shown; }
    void moveTo(int, int, int) override {}
    QRect box(int) const override { return {}; }
    void setText(int, const QString &) override {}
    void setFont(int, const QString &, int, bool) override {}
    void setColours(int, quint32, quint32) override {}
    void drawNow() override { drawnShown = shown; }
    bool shown = false;
    bool drawnShown = false;
};

class FakeHost final : public ProtocolHost {
public:
    void takePointer() override { ++taken; }
    void restorePointer() override {}
    void closeWindow() override { ++closed; }
    int taken = 0;
    int closed = 0;
};

// One run of test `id` with its programme on fakes; `player` may be replaced.
struct Rig {
    explicit Rig(TestId id, SoundPlayer *other = nullptr) : id(id)
    {
        setClock(&clk);
        SoundPlayer &p = other ? *other : player;
        if (id == TestId::Auditif)
            programme = std::make_unique<AuditifProgramme>(p);
        else
            programme = std::make_unique<MixteProgramme>(surface, 0, p);
        protocol = std::make_unique<TestProtocol>(*programme, timer, writer, host);
    }
    ~Rig() { setClock(nullptr); }

    void start(bool practice, int items, bool endless = false)
    {
        RunSetup s;
        s.testIndex = index(id);
        s.practice = practice;
        s.practiceFile = dir.path() + "/Essais";
        s.outputFile = practice ? s.practiceFile : dir.path() + "/Dupont.AUD";
        s.programDir = dir.path();
        s.itemCount = items;
        s.endless = endless;
        if (practice)
            std::copy(PracticeSequence.begin(), PracticeSequence.end(), s.foreperiods.begin() + 1);
        else
            s.foreperiods = MasterSequence;
        s.stimulusSeries = runStimulusSeries(id, practice, items);
        s.responseWindowMs = 3000;
        s.patient = "Dupont";
        s.shownAt = QDateTime(QDate(2026, 12, 7), QTime(9, 5, 3));
        protocol->start(s);
        path = s.outputFile;
    }
    // The armed interval runs out and the timer fires.
    void elapse()
    {
        QVERIFY(timer.isActive());
        clk.advance(quint32(timer.interval()));
        timer.fire();
    }
    void pressAfter(quint32 ms)
    {
        clk.advance(ms);
        protocol->press(clk.tick());
    }
    QByteArray file() const
    {
        QFile f(path);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
    }

    TestId id;
    QTemporaryDir dir;
    QString path;
    FakeClock clk{100000};
    FakeTrialTimer timer;
    ResultWriter writer;
    FakeSurface surface;
    FakeHost host;
    FakeSoundPlayer player;
    std::unique_ptr<StimulusProgramme> programme;
    std::unique_ptr<TestProtocol> protocol;
};

QByteArray lines(const QList<QByteArray> &l)
{
    QByteArray out;
    for (const QByteArray &x : l)
        out += x + "\r\n";
    return out;
}

// A player whose play command takes long enough for the trial timer to run out and
// for a press to come in (an error box left up), and then fails.
class StallingPlayer final : public SoundPlayer {
public:
    std::function<void()> whilePlaying;
    bool open(const QString &) override { return m_open = true; }
    bool play() override
    {
        whilePlaying();
        showError(soundPlaybackErrorText(QStringLiteral("Songrave.wav")));
        return false;
    }
    void stop() override {}
    void rewind() override {}
    bool isPlaying() const override { return false; }
    void close() override { m_open = false; }
    bool isOpen() const override { return m_open; }
    QString fileName() const override { return {}; }
    int durationMs() const override { return 0; }

private:
    bool m_open = false;
};

} // namespace

class TestTones : public QObject {
    Q_OBJECT

private slots:
    void init() { QLocale::setDefault(QLocale(QLocale::French, QLocale::France)); }

    // TR auditif, practice: a press 300 ms into the tone stops it at once and the next
    // foreperiod counts from the press; no press: stopped at 3000; presses in the
    // silence are untimely; a tone shorter than the window: a press after its end is
    // untimely and the item still ends at 3000, without playing the tone again.
    void auditifPractice()
    {
        Rig r(TestId::Auditif);
        r.start(true, 6);
        QCOMPARE(r.player.calls, QStringList({"open " + r.dir.path() + "/Songrave.wav"}));
        r.pressAfter(1000);                // silence of item 1: untimely
        r.clk.advance(4000);
        r.timer.fire();                    // tone 1
        QCOMPARE(r.protocol->onsetTick(), 105000u);
        QVERIFY(r.player.isPlaying());
        r.pressAfter(300);
        QVERIFY(!r.player.isPlaying());
        QCOMPARE(r.timer.interval(), 3000); // item 2's foreperiod, from the press
        r.elapse();                        // tone 2
        r.elapse();                        // no press: 3000
        QVERIFY(!r.player.isPlaying());
        r.player.setDuration(1000);        // from now on a 1 s tone
        r.elapse();                        // tone 3
        r.pressAfter(999);                 // still sounding: 999
        r.elapse();                        // tone 4
        r.pressAfter(1500);                // ended: untimely
        r.clk.advance(1500);
        r.timer.fire();                    // 3000, and the next foreperiod
        QCOMPARE(r.timer.interval(), 1000);
        r.elapse();                        // tone 5
        r.pressAfter(0);                   // 0 ms: 1
        r.elapse();                        // tone 6
        r.protocol->key(27);               // stopped while it sounds: no line
        QCOMPARE(r.player.playCount(), 6);
        QCOMPARE(r.player.calls.last(), QStringLiteral("close"));
        QCOMPARE(r.timer.armed(), QList<int>({5000, 3000, 3000, 3000, 1000, 3000, 7000, 3000, 1000, 3000, 5000, 3000}));
        QCOMPARE(r.file(), lines({Header, "0", "300", "3000", "999", "3000", "1", "-2"}));
        QCOMPARE(r.host.closed, 1);
    }

    // The journal's sound fields: what the player said of its output when the tone
    // opened, still known once the run has closed it.
    void toneTimingOfTheRun_data()
    {
        QTest::addColumn<int>("test");
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("recorded");
        QTest::newRow("auditif") << int(TestId::Auditif) << "PulseAudio 16.1, sortie carte" << "PulseAudio 16.1, sortie carte";
        QTest::newRow("mixte, a player that names nothing") << int(TestId::Mixte) << "" << "lecteur de sons";
    }
    void toneTimingOfTheRun()
    {
        QFETCH(int, test);
        QFETCH(QString, path);
        Rig r{TestId(test)};
        r.player.fakeOutputPath = path;
        r.player.fakeLatencyUs = path.isEmpty() ? -1 : 23456;
        r.start(true, 6);
        r.protocol->key(27);
        QVERIFY(!r.player.isOpen());
        RunTiming t;
        r.programme->fillTiming(t);
        QTEST(t.soundPath, "recorded");
        QCOMPARE(t.sinkLatencyUs, path.isEmpty() ? -1 : 23456);
    }

    // The modality of every onset follows the fixed series: practice V V A A V A from
    // item 1; the test run from item 0 (65 items); an endless run goes on at item 1.
    // Square items draw the square, tone items play the tone, and nothing else.
    void mixteModalityOrder_data()
    {
        QTest::addColumn<bool>("practice");
        QTest::addColumn<bool>("endless");
        QTest::addColumn<int>("onsets");
        QTest::addColumn<QString>("expected");
        QTest::addColumn<QList<int>>("firstForeperiods");
        QTest::newRow("practice") << true << false << 6 << QStringLiteral("VVAAVA") << QList<int>({5, 3, 1, 7});
        QTest::newRow("test") << false << false << 65 << TrmSeries << QList<int>({3, 3, 5, 1});
        QTest::newRow("endless") << false << true << 70 << TrmSeries + TrmSeries.mid(1, 5) << QList<int>({3, 3, 5, 1});
    }
    void mixteModalityOrder()
    {
        QFETCH(bool, practice);
        QFETCH(bool, endless);
        QFETCH(int, onsets);
        QFETCH(QString, expected);
        QFETCH(QList<int>, firstForeperiods);
        Rig r(TestId::Mixte);
        r.start(practice, practice ? 6 : 64, endless);
        QString seen;
        QList<int> foreperiods;
        for (int k = 0; k < onsets; ++k) {
            foreperiods << r.timer.interval() / 1000;
            const int plays = r.player.playCount();
            r.elapse();
            const bool tone = r.player.playCount() == plays + 1;
            QVERIFY(tone != r.surface.drawnShown);
            seen += tone ? u'A' : u'V';
            r.elapse(); // no press: 3000; the tone stopped or the square hidden
            QVERIFY(!r.surface.drawnShown && !r.player.isPlaying());
        }
        QCOMPARE(seen, expected);
        QCOMPARE(foreperiods.mid(0, 4), firstForeperiods);
        if (endless) {
            QCOMPARE(foreperiods.mid(65, 2), QList<int>({3, 5})); // items 1 and 2 again
            r.protocol->key(27);
        }
        const QByteArray file = r.file();
        QVERIFY(file.startsWith(Header + (endless ? " #\r\n0\r\n" : "\r\n0\r\n")));
        QCOMPARE(file.count("3000\r\n"), qsizetype(onsets));
        QVERIFY(file.endsWith("3000\r\n0\r\n"));
        QCOMPARE(r.host.closed, 1);
    }

    // TR mixte: the item is up for its whole window whatever the tone does: a press
    // after a short tone has ended answers it; presses between items are untimely;
    // the onset of a tone is read before it is played, a square's once it is drawn.
    void mixteShortToneAndPresses()
    {
        Rig r(TestId::Mixte);
        r.player.setDuration(50);
        r.start(true, 6);
        r.elapse();                // item 1, square
        r.pressAfter(250);
        r.pressAfter(100);         // in the next foreperiod: untimely
        r.clk.advance(2900);
        r.timer.fire();            // item 2, square
        r.pressAfter(420);
        r.elapse();                // item 3, tone of 50 ms
        QCOMPARE(r.player.playCount(), 1);
        r.pressAfter(150);         // 100 ms after its end: still a response
        r.elapse();                // item 4, tone
        r.elapse();                // no press
        r.elapse();                // item 5, square
        r.pressAfter(3000);        // at the limit, before the time-out event
        r.elapse();                // item 6, tone
        r.pressAfter(1);
        QCOMPARE(r.file(), lines({Header, "0", "250", "420", "150", "3000", "3000", "1", "-1"}));
        QCOMPARE(r.player.calls.mid(1), QStringList({"play", "stop", "rewind", "play", "stop", "rewind", "play",
                                                     "stop", "rewind", "close"}));
    }

    // A tone that cannot be played: no sound output, or a file that will not open,
    // refuses the run before anything is written; a player failing at an onset ends
    // the run there with no line for that item (never a silent run of 3000s).
    void toneCannotBePlayed_data()
    {
        QTest::addColumn<int>("test");
        QTest::addColumn<QString>("failure");
        QTest::addColumn<QString>("message");
        QTest::addColumn<QByteArray>("expected");
        const QByteArray none = "<missing>";
        for (TestId id : {TestId::Auditif, TestId::Mixte}) {
            const char *name = id == TestId::Auditif ? "TR auditif" : "TR mixte";
            QTest::addRow("%s: no sound output", name) << index(id) << "output"
                << "aucune sortie son n'est disponible" << none;
            QTest::addRow("%s: tone will not open", name) << index(id) << "open" << "introuvable" << none;
            QTest::addRow("%s: tone will not play", name) << index(id) << "play"
                << "erreur du système audio" << (id == TestId::Auditif ? lines({Header, "0", "0"})
                                                                      : lines({Header, "0", "3000", "3000", "0"}));
        }
    }
    void toneCannotBePlayed()
    {
        QFETCH(int, test);
        QFETCH(QString, failure);
        QFETCH(QString, message);
        QFETCH(QByteArray, expected);
        ScopedScriptedMessages msgs;
        std::unique_ptr<SoundPlayer> unavailable = makeSoundPlayer(); // no factory: no output
        Rig r(TestId(test), failure == "output" ? unavailable.get() : nullptr);
        r.player.failOpen = failure == "open";
        r.player.failPlay = failure == "play";
        r.start(true, 6);
        for (int i = 0; i < 6 && r.protocol->running(); ++i) {
            r.elapse();
            if (r.protocol->running())
                r.elapse();
        }
        QCOMPARE(msgs.service.texts().size(), 1);
        QVERIFY2(msgs.service.texts().first().contains(message), qPrintable(msgs.service.texts().first()));
        QVERIFY(msgs.service.texts().first().contains("Songrave.wav"));
        QCOMPARE(r.file(), expected);
        QCOMPARE(r.host.taken, expected == "<missing>" ? 0 : 1);
        QCOMPARE(r.host.closed, 1);
        QVERIFY(!r.timer.isActive());
        QVERIFY(!r.protocol->running());
    }

    // While the player is busy starting a tone (its error box up), the trial timer
    // running out does not end the item, and a press does not count.
    void nothingCountsWhileTheToneStarts()
    {
        ScopedScriptedMessages msgs;
        StallingPlayer stalling;
        Rig r(TestId::Auditif, &stalling);
        stalling.whilePlaying = [&] {
            r.pressAfter(200);
            r.elapse();
            r.elapse();
        };
        r.start(true, 6);
        r.elapse();
        QCOMPARE(r.file(), lines({Header, "0", "0"}));
        QCOMPARE(r.timer.armed(), QList<int>({5000, 3000, 3000, 3000}));
        QVERIFY(!r.timer.isActive());
        QCOMPARE(msgs.service.texts().size(), 1);
    }
};

QTEST_MAIN(TestTones)
#include "tst_tones.moc"
