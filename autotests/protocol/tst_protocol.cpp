// SPDX-License-Identifier: GPL-3.0-or-later
// Whole runs of the test-window protocol on a fake clock and a fake trial timer,
// checked byte for byte against the result file they must leave.
#include "protocol/protocol.h"
#include "administration/runstate.h"
#include "platform/clock.h"
#include "platform/messages.h"
#include "platform/runlock.h"
#include "platform/refreshschedule.h"
#include "platform/trialtimer.h"
#include "shell/session.h"
#include "protocol/resultwriter.h"
#include "epreuves/visuelcentre.h"
#include "scratchdisk.h"

#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include <csignal>
#include <fcntl.h>
#include <unistd.h>
#include <sys/resource.h>

using namespace zoka;

namespace {

const QList<int> Master16 = {3, 5, 1, 7, 1, 3, 7, 5, 5, 1, 7, 3, 3, 7, 1, 5};
const std::array<int, 65> MasterSeq = {3, 3, 5, 1, 7, 1, 3, 7, 5, 5, 1, 7, 3, 3, 7, 1, 5, 7, 3, 5, 1, 1,
                                       5, 3, 7, 7, 5, 1, 3, 3, 5, 1, 7, 1, 7, 3, 5, 5, 7, 3, 1, 1, 5,
                                       3, 7, 7, 3, 5, 1, 3, 7, 1, 5, 5, 1, 7, 3, 3, 1, 5, 7, 1, 7, 3, 5};
const QByteArray Header = "Dupont: 07/12/2026 \xE0 09:05:03";

// A window whose drawings go on a display's refresh (refresh n at n x refreshMs)
// when refreshMs is set.
class FakeHost final : public ProtocolHost {
public:
    void takePointer() override
    {
        ++taken;
        hidden = true;
    }
    void restorePointer() override { hidden = false; }
    void closeWindow() override { ++closed; }
    int drawingLeadMs() const override { return refreshLeadMs(refreshMs); }
    void drawingDue(std::optional<quint32> t) override
    {
        due = t;
        shown.reset();
    }
    std::optional<quint32> shownTick() const override { return shown; }
    int taken = 0;
    int closed = 0;
    bool hidden = false;
    int refreshMs = 0;
    std::optional<quint32> due, shown;
};

// A surface that records what is shown and lets a draw take time on the fake clock
// (and, when what is shown changes, wait for the refresh nearest to the host's due
// time, or the next one).
class FakeSurface final : public StimulusSurface {
public:
    FakeSurface(FakeClock &c, FakeHost &h) : clock(c), host(h) {}
    void setShown(int, bool s) override { shown = s; }
    bool isShown(int) const override { return shown; }
    void moveTo(int, int l, int t) override { pos = QPoint(l, t); }
    QRect box(int) const override { return QRect(pos, QSize(21, 21)); }
    void setText(int, const QString &) override {}
    void setFont(int, const QString &, int, bool) override {}
    void setColours(int, quint32, quint32) override {}
    void drawNow() override
    {
        clock.advance(drawMs);
        const quint32 p = quint32(host.refreshMs);
        if (p && shown != drawnShown) { // nothing to present otherwise
            const quint32 now = clock.tick();
            quint32 at = host.due ? (*host.due + p / 2) / p * p : (now + p - 1) / p * p;
            if (qint32(at - now) < 0)
                at = (now + p - 1) / p * p;
            clock.set(at);
            host.shown = at;
        }
        ++draws;
        drawnShown = shown;
    }
    FakeClock &clock;
    FakeHost &host;
    bool shown = true;
    bool drawnShown = true;
    QPoint pos;
    int draws = 0;
    quint32 drawMs = 0;
};

struct Rig {
    Rig() : surface(clk, host), programme(surface, 0), protocol(programme, timer, writer, host)
    {
        setClock(&clk);
    }
    ~Rig() { setClock(nullptr); }

    RunSetup setup(const QString &dir, bool practice, int items, bool endless = false)
    {
        RunSetup s;
        s.testIndex = 0;
        s.practice = practice;
        s.practiceFile = dir + "/Essais";
        s.outputFile = practice ? s.practiceFile : dir + "/Dupont_16.VC";
        s.itemCount = items;
        s.endless = endless;
        if (practice) {
            const int p[] = {5, 3, 1, 7, 1, 5, 7, 3, 5, 3};
            for (int i = 0; i < 10; ++i)
                s.foreperiods[size_t(i + 1)] = p[i];
        } else {
            s.foreperiods = MasterSeq;
        }
        s.responseWindowMs = 3000;
        s.patient = "Dupont";
        s.practiceRuns = 1;
        s.shownAt = QDateTime(QDate(2026, 12, 7), QTime(9, 5, 3));
        s.stopKeyCode = 27;
        return s;
    }
    // Lets the armed interval run out on the clock and fires the timer.
    void elapse()
    {
        QVERIFY(timer.isActive());
        clk.advance(quint32(timer.interval()));
        timer.fire();
    }
    void pressAfter(quint32 ms)
    {
        clk.advance(ms);
        protocol.press(clk.tick());
    }

    FakeClock clk{100000};
    FakeTrialTimer timer;
    ResultWriter writer;
    FakeHost host;
    FakeSurface surface;
    VisuelCentreProgramme programme;
    TestProtocol protocol;
};

// The not-analysed mark: no write permission bit left (checked on the mode bits,
// which holds also when the tests run as root).
bool marked(const QString &path)
{
    const QFileInfo fi(path);
    return fi.exists()
           && (fi.permissions() & (QFile::WriteOwner | QFile::WriteGroup | QFile::WriteOther)) == 0;
}

QByteArray fileBytes(const QString &path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return QByteArray("<missing>");
    return f.readAll();
}

QByteArray lines(const QList<QByteArray> &l)
{
    QByteArray out;
    for (const QByteArray &x : l)
        out += x + "\r\n";
    return out;
}

} // namespace

class TestProtocolRuns : public QObject {
    Q_OBJECT

private slots:
    void init()
    {
        QLocale::setDefault(QLocale(QLocale::French, QLocale::France));
    }

    void practiceRunWithoutPresses()
    {
        QTemporaryDir dir;
        Rig r;
        r.protocol.start(r.setup(dir.path(), true, 6));
        QCOMPARE(r.host.taken, 1);
        QVERIFY(r.host.hidden);
        for (int i = 0; i < 6; ++i) {
            r.elapse(); // onset
            QVERIFY(r.surface.drawnShown);
            r.elapse(); // time-out
            QVERIFY(!r.surface.drawnShown);
        }
        QCOMPARE(r.timer.armed(),
                 QList<int>({5000, 3000, 3000, 3000, 1000, 3000, 7000, 3000, 1000, 3000, 5000, 3000}));
        QCOMPARE(fileBytes(dir.path() + "/Essais"),
                 lines({Header, "1", "3000", "3000", "3000", "3000", "3000", "3000", "0"}));
        QVERIFY(!marked(dir.path() + "/Essais"));
        QVERIFY(!r.timer.isActive());
        QVERIFY(!r.host.hidden);
        QCOMPARE(r.host.closed, 1);
        QCOMPARE(r.protocol.state(), TestProtocol::State::Finished);
    }

    // Responses at known delays; the onset is read after the square is drawn; the
    // next foreperiod counts from the press; the finished file is marked.
    void testRunWithResponses()
    {
        QTemporaryDir dir;
        Rig r;
        r.surface.drawMs = 4; // drawing the square takes 4 ms
        r.protocol.start(r.setup(dir.path(), false, 16));
        QList<QByteArray> expected = {Header, "1"};
        QList<int> armed;
        for (int k = 1; k <= 16; ++k) {
            armed << Master16[k - 1] * 1000 << 3000;
            r.elapse();
            QVERIFY(r.surface.shown);
            QCOMPARE(r.protocol.onsetTick(), r.clk.tick());
            if (k % 4 == 0) {
                r.elapse(); // omission
                expected << "3000";
            } else {
                r.pressAfter(quint32(200 + 10 * k));
                QVERIFY(!r.surface.shown);
                expected << QByteArray::number(200 + 10 * k);
                // The next foreperiod is armed at the press.
                if (k < 16)
                    QCOMPARE(r.timer.interval(), Master16[k] * 1000);
            }
        }
        expected << "0";
        QCOMPARE(r.timer.armed(), armed);
        QCOMPARE(fileBytes(dir.path() + "/Dupont_16.VC"), lines(expected));
        QVERIFY(marked(dir.path() + "/Dupont_16.VC"));
        QCOMPARE(r.host.closed, 1);
        QVERIFY(!r.host.hidden);
    }

    // Presses in a foreperiod are untimely and do not restart it; two quick presses
    // on one square: the second falls in the next foreperiod; a measured 0 is 1;
    // a press handled at or past the limit before the time-out event still counts.
    void untimelyDoubleAndEdges()
    {
        QTemporaryDir dir;
        Rig r;
        r.protocol.start(r.setup(dir.path(), false, 4));
        r.pressAfter(500);
        r.pressAfter(500);
        QCOMPARE(r.protocol.untimelyPresses(), -2);
        QCOMPARE(r.timer.armed(), QList<int>({3000})); // not restarted
        r.clk.advance(2000);                           // foreperiod runs out on time
        r.timer.fire();
        r.pressAfter(250);
        r.pressAfter(30); // second press of a double click: untimely
        QCOMPARE(r.protocol.untimelyPresses(), -3);
        r.elapse();       // item 2 onset
        r.pressAfter(0);  // same tick as the onset
        r.elapse();       // item 3 onset
        r.pressAfter(3000); // at the limit, before the time-out event
        r.elapse();       // item 4 onset
        r.pressAfter(3004);
        QCOMPARE(fileBytes(dir.path() + "/Dupont_16.VC"),
                 lines({Header, "1", "250", "1", "3000", "3004", "-3"}));
        QCOMPARE(r.timer.armed(), QList<int>({3000, 3000, 5000, 3000, 1000, 3000, 7000, 3000}));
    }

    // On a display's refresh: the foreperiod's timer fires ahead of its due time, the
    // square goes on the refresh nearest to it (the next one when the timer came too
    // late) and its onset is that refresh; the response window runs from it. A press
    // timed before that onset (handled after the drawing) is untimely.
    void refreshRounding_data()
    {
        QTest::addColumn<quint32>("start");
        QTest::addColumn<int>("refreshMs");
        QTest::addColumn<int>("late");   // the timer event handled late, ms
        QTest::addColumn<int>("armed");  // the first foreperiod's interval
        QTest::addColumn<int>("onset");  // onset - due time
        QTest::newRow("drawn at once") << 100007u << 0 << 0 << 3000 << 0;
        QTest::newRow("due on a refresh") << 100000u << 20 << 0 << 2986 << 0;
        QTest::newRow("nearest refresh before") << 100007u << 20 << 0 << 2986 << -7;
        QTest::newRow("nearest refresh after") << 100013u << 20 << 0 << 2986 << 7;
        QTest::newRow("late event, refresh still ahead") << 100000u << 20 << 10 << 2986 << 0;
        QTest::newRow("late event, refresh missed") << 100000u << 20 << 16 << 2986 << 20;
    }
    void refreshRounding()
    {
        QFETCH(quint32, start);
        QFETCH(int, refreshMs);
        QFETCH(int, late);
        QFETCH(int, armed);
        QFETCH(int, onset);
        QTemporaryDir dir;
        Rig r;
        r.host.refreshMs = refreshMs;
        r.surface.shown = r.surface.drawnShown = false; // nothing to draw at the start
        r.clk.set(start);
        r.protocol.start(r.setup(dir.path(), false, 3));
        QCOMPARE(r.timer.interval(), armed);
        r.clk.advance(quint32(armed + late));
        r.timer.fire();
        QCOMPARE(qint32(r.protocol.onsetTick() - (start + 3000)), onset);
        QCOMPARE(r.timer.interval(), 3000 - int(r.clk.tick() - r.protocol.onsetTick()));
        r.protocol.press(r.protocol.onsetTick() - 1); // came before the square
        QCOMPARE(r.protocol.untimelyPresses(), -1);
        r.clk.set(r.protocol.onsetTick() + 250);
        r.protocol.press(r.protocol.onsetTick() + 240); // handled 10 ms after it came
        QCOMPARE(fileBytes(dir.path() + "/Dupont_16.VC").split('\n').value(2), QByteArray("240\r"));
        // Item 2's foreperiod (5 s) counts from the press itself.
        QCOMPARE(r.timer.interval(), 5000 - 10 - (refreshMs ? 14 : 0));
        // Item 2 unanswered: the square goes on the first refresh after its window,
        // and item 3's foreperiod (1 s) counts from that refresh.
        r.elapse();
        const quint32 window2 = r.protocol.onsetTick() + 3000;
        r.elapse();
        const quint32 p = quint32(refreshMs), gone = p ? (window2 + p - 1) / p * p : window2;
        QCOMPARE(r.timer.interval(), int(gone + 1000 - (p ? 14 : 0) - r.clk.tick()));
    }

    void tickWrapsAround()
    {
        QTemporaryDir dir;
        Rig r;
        r.clk.set(0xFFFFFFFFu - 3000u - 100u);
        r.protocol.start(r.setup(dir.path(), false, 1));
        r.elapse();
        r.pressAfter(300); // the tick wraps between onset and press
        QVERIFY(r.clk.tick() < r.protocol.onsetTick());
        QCOMPARE(fileBytes(dir.path() + "/Dupont_16.VC"), lines({Header, "1", "300", "0"}));
    }

    // The stop key in each state; other keys do nothing; nothing after the finish.
    void stopKey_data()
    {
        QTest::addColumn<int>("onsets");   // timer events before the key
        QTest::addColumn<int>("presses");  // responses before the key
        QTest::addColumn<QByteArray>("expected");
        QTest::newRow("before the first onset") << 0 << 0 << lines({Header, "1", "0"});
        QTest::newRow("square up") << 1 << 0 << lines({Header, "1", "0"});
        QTest::newRow("second foreperiod") << 1 << 1 << lines({Header, "1", "120", "0"});
        QTest::newRow("second square up") << 2 << 1 << lines({Header, "1", "120", "0"});
    }
    void stopKey()
    {
        QFETCH(int, onsets);
        QFETCH(int, presses);
        QFETCH(QByteArray, expected);
        QTemporaryDir dir;
        Rig r;
        r.protocol.key(27); // not started: nothing
        QCOMPARE(r.host.closed, 0);
        r.protocol.start(r.setup(dir.path(), false, 16));
        for (int i = 0; i < onsets; ++i) {
            r.elapse();
            if (i < presses)
                r.pressAfter(120);
        }
        r.protocol.key('a');
        r.protocol.key(13);
        r.protocol.key(-1);
        QVERIFY(r.protocol.running());
        r.protocol.key(27);
        QVERIFY(!r.timer.isActive());
        QCOMPARE(r.host.closed, 1);
        QVERIFY(!r.host.hidden);
        const QString path = dir.path() + "/Dupont_16.VC";
        QCOMPARE(fileBytes(path), expected);
        QVERIFY(marked(path));
        // A press, a key or a stray timer event after the finish touches nothing.
        r.pressAfter(10);
        r.protocol.key(27);
        r.timer.start(10);
        r.timer.fire();
        r.protocol.abort();
        QCOMPARE(fileBytes(path), expected);
        QCOMPARE(r.host.closed, 1);
        QCOMPARE(r.protocol.untimelyPresses(), 0);
    }

    void otherStopKeyCode()
    {
        QTemporaryDir dir;
        Rig r;
        RunSetup s = r.setup(dir.path(), true, 6);
        s.stopKeyCode = 'q';
        r.protocol.start(s);
        r.protocol.key(27);
        r.protocol.key('Q');
        QVERIFY(r.protocol.running());
        r.protocol.key('q');
        QVERIFY(!r.protocol.running());
        QCOMPARE(fileBytes(dir.path() + "/Essais"), lines({Header, "1", "0"}));
        QVERIFY(!marked(dir.path() + "/Essais"));
    }

    // A 16-item run written out by hand: untimely presses in two foreperiods (the
    // foreperiod keeps its length), responses, a press on the onset tick, a press
    // just under the limit and time-outs.
    void sixteenItemsByHand()
    {
        QTemporaryDir dir;
        Rig r;
        const quint32 t0 = r.clk.tick();
        r.protocol.start(r.setup(dir.path(), false, 16));
        r.pressAfter(1200);            // item 1 foreperiod (3 s): untimely
        r.clk.advance(1800);
        r.timer.fire();                // square 1 at t0 + 3000
        QCOMPARE(r.protocol.onsetTick(), t0 + 3000);
        r.pressAfter(312);             // 312
        r.elapse();                    // square 2, 5 s after the press
        QCOMPARE(r.protocol.onsetTick(), t0 + 3000 + 312 + 5000);
        r.elapse();                    // no press: 3000
        r.elapse();                    // square 3, 1 s after the time-out
        QCOMPARE(r.protocol.onsetTick(), t0 + 3000 + 312 + 5000 + 3000 + 1000);
        r.pressAfter(0);               // 0 ms: 1
        r.pressAfter(100);             // item 4 foreperiod (7 s): two untimely presses
        r.pressAfter(200);
        r.clk.advance(6700);
        r.timer.fire();
        r.pressAfter(2999);            // 2999
        for (int k = 5; k <= 15; ++k) {
            r.elapse();
            r.pressAfter(quint32(200 + k));
        }
        r.elapse();                    // square 16
        r.elapse();                    // no press: 3000, then the closing line
        QCOMPARE(fileBytes(dir.path() + "/Dupont_16.VC"),
                 QByteArray("Dupont: 07/12/2026 \xE0 09:05:03\r\n1\r\n312\r\n3000\r\n1\r\n"
                            "2999\r\n205\r\n206\r\n207\r\n208\r\n209\r\n210\r\n211\r\n"
                            "212\r\n213\r\n214\r\n215\r\n3000\r\n-3\r\n"));
        QCOMPARE(r.timer.armed(),
                 QList<int>({3000, 3000, 5000, 3000, 1000, 3000, 7000, 3000, 1000, 3000, 3000,
                             3000, 7000, 3000, 5000, 3000, 5000, 3000, 1000, 3000, 7000, 3000,
                             3000, 3000, 3000, 3000, 7000, 3000, 1000, 3000, 5000, 3000}));
        QVERIFY(marked(dir.path() + "/Dupont_16.VC"));
        QCOMPARE(r.host.closed, 1);
    }

    // Endless series stopped during item 70: items 1-64, then 1-5 again.
    void endlessSeries()
    {
        QTemporaryDir dir;
        Rig r;
        r.protocol.start(r.setup(dir.path(), false, 64, true));
        QList<QByteArray> expected = {Header + " #", "1"};
        QList<int> armed;
        for (int n = 1; n <= 69; ++n) {
            const int k = (n - 1) % 64 + 1;
            armed << MasterSeq[size_t(k)] * 1000 << 3000;
            r.elapse();
            r.pressAfter(quint32(100 + n));
            expected << QByteArray::number(100 + n);
        }
        armed << MasterSeq[6] * 1000 << 3000;
        r.elapse(); // item 70's square is up at the stop key
        r.protocol.key(27);
        expected << "0";
        QCOMPARE(r.timer.armed(), armed);
        QCOMPARE(fileBytes(dir.path() + "/Dupont_16.VC"), lines(expected));
        // Item 65 is item 1 again (3 s), item 70 is item 6 (3 s); 69 item lines.
        QCOMPARE(armed.mid(128, 2), QList<int>({3000, 3000}));
        QCOMPARE(armed.mid(138, 2), QList<int>({3000, 3000}));
        QCOMPARE(fileBytes(dir.path() + "/Dupont_16.VC").count("\r\n"), 2 + 69 + 1);
        QVERIFY(fileBytes(dir.path() + "/Dupont_16.VC").startsWith(Header + " #\r\n1\r\n101\r\n"));
        QVERIFY(fileBytes(dir.path() + "/Dupont_16.VC").endsWith("\r\n168\r\n169\r\n0\r\n"));
    }

    // The result file cannot be created: the error names the file in the run-time
    // words, nothing is armed, the pointer comes back and the window closes.
    void fileCannotBeCreated_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("words");
        QTest::newRow("missing directory") << "/nonexistent-dir/Dupont_16.VC" << "Fichier introuvable";
        QTest::newRow("a directory") << "/tmp" << QString::fromUtf8("Accès au fichier refusé");
        QTest::newRow("disk full") << "/dev/full" << "Disque plein";
        QTest::newRow("empty name") << "" << "Nom de fichier incorrect";
        // "ro:": in a read-only directory (the practice file in the program directory).
        // "link:": the name is a symbolic link to a file elsewhere; "held:": a run of
        // another program holds the file. Either file stays as it was.
        QTest::newRow("a symbolic link") << "link:/Dupont_16.VC" << QString::fromUtf8("Lien symbolique refusé");
        QTest::newRow("held by another run") << "held:/Dupont_16.VC" << RunInProgressText;
        QTest::newRow("read-only directory") << "ro:/Essais" << QString::fromUtf8("Système de fichiers en lecture seule");
    }
    void fileCannotBeCreated()
    {
        QFETCH(QString, path);
        QFETCH(QString, words);
        QTemporaryDir dir;
        ScratchDisk disk(dir.path());
        if (path.startsWith("ro:")) {
            if (!(disk.mounted() && disk.makeReadOnly()))
                QSKIP("a read-only directory needs a tmpfs of its own, which only the superuser can mount");
            path = dir.path() + path.mid(3);
        }
        const QString outside = dir.path() + "/ailleurs";
        int heldFd = -1;
        const auto release = qScopeGuard([&] { if (heldFd >= 0) ::close(heldFd); });
        if (path.startsWith("link:") || path.startsWith("held:")) {
            const bool link = path.startsWith("link:");
            path = dir.path() + path.mid(5);
            QFile f(link ? outside : path);
            QVERIFY(f.open(QIODevice::WriteOnly) && f.write("avant\r\n") == 7);
            f.close();
            if (link)
                QVERIFY(QFile::link(outside, path));
            heldFd = link ? -1 : ::open(QFile::encodeName(path).constData(), O_RDWR);
            QVERIFY(link || (heldFd >= 0 && lockForWriting(heldFd)));
        }
        const QString message = "Le fichier " + path + " ne peut être écrit : " + words + ".";
        ScopedScriptedMessages msgs;
        Rig r;
        RunSetup s = r.setup(dir.path(), false, 16);
        s.outputFile = path;
        r.protocol.start(s);
        QCOMPARE(msgs.service.texts(), QStringList({message}));
        QCOMPARE(msgs.service.shown().first().kind, MsgKind::Error);
        QVERIFY(!r.timer.isActive());
        QCOMPARE(r.host.closed, 1);
        QVERIFY(!r.host.hidden);
        QCOMPARE(r.protocol.fileError(), message);
        r.protocol.key(27);
        r.pressAfter(5);
        QCOMPARE(msgs.service.texts().size(), 1);
        if (heldFd >= 0 || QFileInfo(path).isSymLink()) {
            QCOMPARE(fileBytes(heldFd >= 0 ? path : outside), QByteArray("avant\r\n"));
            QVERIFY(!marked(heldFd >= 0 ? path : outside));
        }
        QCOMPARE(r.host.closed, 1);
    }

    // The disk refuses a line during the run (a file size limit, a disk full before
    // the first line or filling up during an endless run): the run stops at once,
    // the file keeps the whole lines written before (a line the disk took in part is
    // cut away), the test file is marked not analysed, the message names the file,
    // no timer is left armed and later events do nothing.
    void diskRefusesALineMidRun_data()
    {
        QTest::addColumn<int>("fault"); // 0 size limit, 1 full at the start, 2 fills up, 3 replaced
        QTest::addColumn<int>("items"); // item lines the file keeps, -1 none and no header
        QTest::addColumn<int>("err");
        const int header = (Header + " #\r\n1\r\n").size();
        QTest::newRow("size limit, in the middle of a line") << 0 << 2 << int(EFBIG);
        QTest::newRow("full disk from the start") << 1 << -1 << int(ENOSPC);
        // The file's one block of the tmpfs takes whole lines of "3000" up to its end.
        QTest::newRow("disk fills up during the run")
            << 2 << int((::sysconf(_SC_PAGESIZE) - header) / 6) << int(ENOSPC);
        // Another program puts a new file in its place (its rewrite of the notes): the
        // line written when that is seen is the last; the new file is left alone.
        QTest::newRow("file replaced during the run") << 3 << 3 << int(ESTALE);
    }
    void diskRefusesALineMidRun()
    {
        QFETCH(int, fault);
        QFETCH(int, items);
        QFETCH(int, err);
        ScopedScriptedMessages msgs;
        QTemporaryDir dir;
        ScratchDisk disk(dir.path());
        if ((fault == 1 || fault == 2) && !disk.mounted())
            QSKIP("a full disk needs a tmpfs of its own, which only the superuser can mount");
        Rig r;
        const QString path = dir.path() + "/Dupont_16.VC";
        QList<QByteArray> expected = {Header + " #", "1"};
        for (int i = 0; i < items; ++i)
            expected << "3000";
        ::signal(SIGXFSZ, SIG_IGN);
        rlimit old{};
        getrlimit(RLIMIT_FSIZE, &old);
        if (fault == 0) {
            rlimit lim = old;
            lim.rlim_cur = rlim_t(lines(expected).size() + 2);
            setrlimit(RLIMIT_FSIZE, &lim);
        } else if (fault == 1) {
            QCOMPARE(disk.fill(), ENOSPC);
        }
        r.protocol.start(r.setup(dir.path(), false, 16, true));
        for (int i = 0; i < 4000 && r.protocol.running(); ++i) {
            if (fault == 2 && i == 6)
                QCOMPARE(disk.fill(), ENOSPC); // three items in
            if (fault == 3 && i == 5) {
                QVERIFY(QFile::rename(path, path + ".ancien"));
                QFile other(path);
                QVERIFY(other.open(QIODevice::WriteOnly) && other.write("autre\r\n") == 7);
            }
            r.elapse();
        }
        setrlimit(RLIMIT_FSIZE, &old);
        const QString words = err == ESTALE ? " a été remplacé ou supprimé pendant l'épreuve : l'épreuve est arrêtée."
                                            : " ne peut être écrit : " + fileErrorText(err) + ".";
        QCOMPARE(msgs.service.texts(), QStringList({"Le fichier " + path + words}));
        QCOMPARE(msgs.service.shown().first().kind, MsgKind::Error);
        QVERIFY(!r.protocol.running());
        QVERIFY(!r.timer.isActive());
        QCOMPARE(r.host.closed, 1);
        QVERIFY(!r.host.hidden);
        if (fault == 3) {
            QCOMPARE(fileBytes(path), QByteArray("autre\r\n"));
            QVERIFY(!marked(path));
            QCOMPARE(fileBytes(path + ".ancien"), lines(expected));
            return;
        }
        QCOMPARE(fileBytes(path), items < 0 ? QByteArray() : lines(expected));
        QVERIFY(marked(path)); // the data written is kept as not analysed
        r.timer.start(10);
        r.timer.fire();
        r.pressAfter(10);
        r.protocol.key(27);
        QCOMPARE(fileBytes(path), items < 0 ? QByteArray() : lines(expected));
        QCOMPARE(msgs.service.texts().size(), 1);
    }

    // A programme that holds practice go items past the limit and counts its hooks
    // (the shape of the go/no-go tests): the window is armed again and the item stays.
    void itemHeldPastTheLimit()
    {
        struct Held final : StimulusProgramme {
            void present(int) override { ++shown; }
            void withdraw(int) override { ++hidden; }
            bool timeoutEndsItem(int position) const override { return position != 1; }
            void responded(int position) override { answered << position; }
            void untimelyPress() override { ++untimely; }
            int closingSecondCount() const override { return int(answered.size()); }
            int shown = 0, hidden = 0, untimely = 0;
            QList<int> answered;
        } held;
        QTemporaryDir dir;
        Rig r;
        TestProtocol protocol(held, r.timer, r.writer, r.host);
        RunSetup s = r.setup(dir.path(), true, 2);
        s.testIndex = index(TestId::SimpleBinaire); // a closing line of two numbers
        s.responseWindowMs = 2000;
        protocol.start(s);
        r.elapse();          // item 1 up
        r.elapse();          // limit: stays up
        r.elapse();          // and again
        QCOMPARE(held.hidden, 0);
        r.clk.advance(700);
        protocol.press(r.clk.tick()); // answered 4700 ms after onset
        r.clk.advance(100);
        protocol.press(r.clk.tick()); // untimely
        r.elapse();          // item 2 up
        r.elapse();          // limit: item 2 ends
        QCOMPARE(r.timer.armed(), QList<int>({5000, 2000, 2000, 2000, 3000, 2000}));
        QCOMPARE(held.answered, QList<int>({1}));
        QCOMPARE(held.untimely, 1);
        QCOMPARE(fileBytes(dir.path() + "/Essais"), lines({Header, "1", "4700", "2000", "-1 1"}));
    }

    // The pointing scheme: nothing before activation, a press off the target is
    // untimely, a press on it moves the target at once and times the next item from
    // there, 30 s without a click moves it on; activation happens once per run.
    void pointingScheme()
    {
        struct Target final : StimulusProgramme {
            PressKind classifyPress(int, bool showing, QPoint at) const override
            {
                return showing && at == QPoint(1, 1) ? PressKind::Response : PressKind::Untimely;
            }
            void prepare(int position) override { placed << position; }
            void present(int) override { ++shown; }
            void withdraw(int) override {}
            QList<int> placed;
            int shown = 0;
        } target;
        QTemporaryDir dir;
        Rig r;
        TestProtocol protocol(target, r.timer, r.writer, r.host);
        RunSetup s = r.setup(dir.path(), false, 3);
        s.testIndex = index(TestId::PuceAsterisque); // the pointing scheme
        s.responseWindowMs = 30000;
        protocol.start(s);
        QVERIFY(!r.timer.isActive());
        protocol.activate();
        QCOMPARE(target.shown, 1);
        r.clk.advance(900);
        protocol.press(r.clk.tick(), QPoint(0, 0));
        QCOMPARE(protocol.untimelyPresses(), -1);
        r.clk.advance(300);
        protocol.press(r.clk.tick(), QPoint(1, 1)); // 1200 ms
        QCOMPARE(protocol.onsetTick(), r.clk.tick());
        protocol.activate();                // again: no restart
        QCOMPARE(protocol.untimelyPresses(), -1);
        r.elapse();                         // 30 s: item 2 moves on
        r.clk.advance(0);
        protocol.press(r.clk.tick(), QPoint(1, 1)); // item 3 at once: 1
        QCOMPARE(target.placed, QList<int>({1, 2, 3}));
        QCOMPARE(r.timer.armed(), QList<int>({30000, 30000, 30000}));
        QCOMPARE(fileBytes(dir.path() + "/Dupont_16.VC"), lines({Header, "1", "1200", "30000", "1", "-1"}));
        QCOMPARE(r.host.closed, 1);
    }

    // The stream scheme: mask 250 ms, character for the response window; codes 0,
    // n, -1 and -n; one timed press per character; no closing line; the stop key
    // drops the item in progress.
    void streamScheme()
    {
        struct Stream final : StimulusProgramme {
            void prepare(int) override { mask = true; }
            void present(int) override { mask = false; }
            void withdraw(int) override {}
            void maskPress(int) override { ++maskPresses; }
            QString itemLine(int position, qint64 value) const override
            {
                return QString(QChar(u"kd3e"[position - 1])) + " " + QString::number(value);
            }
            bool mask = false;
            int maskPresses = 0;
        } stream;
        QTemporaryDir dir;
        Rig r;
        TestProtocol protocol(stream, r.timer, r.writer, r.host);
        RunSetup s = r.setup(dir.path(), false, 4);
        s.testIndex = index(TestId::AttentionSoutenue); // the stream scheme
        s.responseWindowMs = 1000;
        protocol.start(s);
        QVERIFY(stream.mask);
        r.elapse(); // character 1 up
        r.clk.advance(512);
        protocol.press(r.clk.tick());
        r.clk.advance(100);
        protocol.press(r.clk.tick()); // already timed: ignored
        r.clk.advance(388);
        r.timer.fire();               // character 1 ends: k 512
        r.elapse();                   // character 2 up, no press: d 0
        r.elapse();
        r.clk.advance(100);
        protocol.press(r.clk.tick()); // during the mask of character 3
        protocol.press(r.clk.tick());
        r.clk.advance(150);
        r.timer.fire();               // character 3 up
        r.elapse();                   // ends: 3 -1
        r.clk.advance(50);
        protocol.press(r.clk.tick()); // mask of character 4
        r.clk.advance(200);
        r.timer.fire();
        r.clk.advance(350);
        protocol.press(r.clk.tick()); // character 4 at 350 ms: e -350
        r.clk.advance(650);
        r.timer.fire();
        QCOMPARE(stream.maskPresses, 3);
        QCOMPARE(r.timer.armed(), QList<int>({250, 1000, 250, 1000, 250, 1000, 250, 1000}));
        QCOMPARE(fileBytes(dir.path() + "/Dupont_16.VC"), lines({Header, "1", "k 512", "d 0", "3 -1", "e -350"}));
        QCOMPARE(r.host.closed, 1);
    }

    // A programme that cannot load its sound or picture refuses the run: nothing is
    // written, the pointer is never taken, the window closes, later events do nothing.
    void programmeRefusesTheRun()
    {
        struct Refusing final : StimulusProgramme {
            bool begin(const RunSetup &) override { return false; }
            void present(int) override { ++shown; }
            void withdraw(int) override {}
            void end() override { ++ended; }
            int shown = 0, ended = 0;
        } refusing;
        QTemporaryDir dir;
        Rig r;
        TestProtocol protocol(refusing, r.timer, r.writer, r.host);
        protocol.start(r.setup(dir.path(), false, 16));
        QCOMPARE(r.host.taken, 0);
        QCOMPARE(r.host.closed, 1);
        QCOMPARE(refusing.ended, 1);
        QVERIFY(!QFile::exists(dir.path() + "/Dupont_16.VC"));
        protocol.key(27);
        protocol.press(r.clk.tick());
        protocol.activate();
        QCOMPARE(refusing.shown, 0);
        QCOMPARE(r.host.closed, 1);
    }

    void setupFromSession()
    {
        Session session;
        session.config.ProgramDir = "/opt/zoka";
        session.config.StopKeyCode = 13;
        session.choices.patientName = QString::fromUtf8("Müller");
        session.run.outputFile = "/opt/zoka/Essais";
        session.run.practiceMode = true;
        session.run.practiceRuns = 2;
        session.run.itemCount = 6;
        session.run.unlimited = false;
        session.run.itemSequence[1] = 5;
        session.run.stimulusTop[3] = 30;
        session.run.stimulusLeft[3] = 142;
        const RunSetup s = currentRunSetup(session, 0);
        QCOMPARE(s.outputFile, QString("/opt/zoka/Essais"));
        QVERIFY(!s.isTestFile());
        QCOMPARE(s.responseWindowMs, 3000);
        QCOMPARE(s.stopKeyCode, 13);
        QCOMPARE(s.itemCount, 6);
        QCOMPARE(s.foreperiods[1], 5);
        QCOMPARE(s.practiceRuns, 2);
        QCOMPARE(s.patient, QString::fromUtf8("Müller"));
        QCOMPARE(s.dataFile("PtFix.bmp"), QString("/opt/zoka/PtFix.bmp"));
        QCOMPARE(QPoint(s.stimulusLeft[3], s.stimulusTop[3]), QPoint(142, 30));
        session.run.outputFile = "/opt/zoka/essais"; // the comparison is exact
        QVERIFY(currentRunSetup(session, 0).isTestFile());
        QCOMPARE(currentRunSetup(session, 3).responseWindowMs, 2000);
        QCOMPARE(currentRunSetup(session, 3).stimulusSeries, QString("+0+00+"));
        QCOMPARE(currentRunSetup(session, 2).fixationSeconds.mid(0, 4), QList<int>({3, 1, 0, 3}));
        QCOMPARE(currentRunSetup(session, 8).responseWindowMs, 30000);
        session.choices.speedIndex = 2;
        QCOMPARE(currentRunSetup(session, 7).responseWindowMs, 750);
        QCOMPARE(currentRunSetup(session, 7).speedIndex, 2);
        session.run.practiceMode = false;
        session.choices.itemCount = 36;
        QCOMPARE(currentRunSetup(session, 2).fixationSeconds.size(), 36);
        QCOMPARE(currentRunSetup(session, 3).stimulusSeries.size(), 64);
    }
};

QTEST_GUILESS_MAIN(TestProtocolRuns)
#include "tst_protocol.moc"
