// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/boundedread.h"
#include "platform/clock.h"
#include "platform/cp1252.h"
#include "platform/eventtime.h"
#include "platform/messages.h"
#include "platform/realtime.h"
#include "platform/refreshschedule.h"
#include "platform/desktopsession.h"
#include "platform/timingcheck.h"
#include "platform/timingjournal.h"
#include "platform/trialtimer.h"

#include <QtTest>

#include <cerrno>
#include <csignal>
#include <sys/resource.h>
#include <sys/stat.h>

using namespace zoka;

class TestPlatform : public QObject {
    Q_OBJECT
private slots:
    void cp1252RoundTripsTheFrenchRange()
    {
        // é à ç œ € ’ and the two-blank test names must survive a round trip byte for byte.
        const QString s = QStringLiteral("TR visuel centré – œuvre € ’ Puce  Carré");
        const QByteArray b = cp1252::encode(s);
        QCOMPARE(b.at(b.indexOf("centr") + 5), char(0xE9));
        QVERIFY(b.contains(char(0x80)));  // euro sign, absent from Latin-1
        QVERIFY(b.contains(char(0x9C)));  // œ
        QVERIFY(b.contains(char(0x92)));  // right single quote
        QCOMPARE(cp1252::decode(b), s);
    }

    void linesAreSplitOnEveryKindOfEndAndWrittenWithCrLf()
    {
        QCOMPARE(cp1252::splitLines(QStringLiteral("a\r\nb\nc\rd\r\n")),
                 QStringList({"a", "b", "c", "d"}));
        QCOMPARE(cp1252::splitLines(QStringLiteral("a\r\n\r\nb")), QStringList({"a", "", "b"}));
        QCOMPARE(cp1252::encodeLines({"x", ""}), QByteArray("x\r\n\r\n"));
    }

    void boundedReadingSplitsLinesAsTheTextDoes()
    {
        // A CR LF astride two reading blocks is one line end.
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("f"));
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(QByteArray(65535, 'a') + "\r\nb\rc\n\nd");
        f.close();
        QList<QByteArray> lines;
        QCOMPARE(readLinesBounded(path, {1 << 20, 5, 1 << 20}, &lines).status, LineReadStatus::Ok);
        QCOMPARE(lines, (QList<QByteArray>{QByteArray(65535, 'a'), "b", "c", "", "d"}));
        QCOMPARE(readLinesBounded(path, {1 << 20, 4, 1 << 20}, &lines).status, LineReadStatus::TooManyLines);
        QCOMPARE(readLinesBounded(path, {1 << 20, 5, 65534}, &lines).status, LineReadStatus::LineTooLong);
        QVERIFY(lines.isEmpty());
    }

    void tickDifferencesSurviveTheWrap()
    {
        FakeClock c(0xFFFFFFF0u);
        const quint32 onset = c.tick();
        c.advance(0x20);
        QCOMPARE(ticksBetween(onset, c.tick()), 0x20u);
        SystemClock sys;
        const quint32 a = sys.tick();
        QTest::qWait(20);
        const quint32 d = ticksBetween(a, sys.tick());
        QVERIFY2(d >= 19 && d < 1000, qPrintable(QString::number(d)));
    }

    // A press takes its event's time only when the display's times are on the
    // program's clock, the clock is the system's, and the time can be right.
    void pressTickFromEventTime_data()
    {
        QTest::addColumn<bool>("onClock");
        QTest::addColumn<bool>("fakeClock");
        QTest::addColumn<qint64>("age");       // ms before `now` of the event; -1: no event time
        QTest::addColumn<quint32>("highBits"); // upper half of a 64-bit event time
        QTest::addColumn<int>("recordedAge");  // ms before `now` of the tick recorded
        QTest::newRow("event time") << true << false << qint64(37) << 0u << 37;
        QTest::newRow("64-bit time cut to the tick") << true << false << qint64(37) << 5u << 37;
        QTest::newRow("oldest trusted") << true << false << qint64(MaxEventAgeMs) << 0u << int(MaxEventAgeMs);
        QTest::newRow("too old") << true << false << qint64(MaxEventAgeMs) + 1 << 0u << 0;
        QTest::newRow("after now") << true << false << qint64(-3) << 0u << 0;
        QTest::newRow("no event time") << true << false << qint64(-1) << 0u << 0;
        QTest::newRow("display on another clock") << false << false << qint64(37) << 0u << 0;
        QTest::newRow("test clock") << true << true << qint64(37) << 0u << 0;
    }
    void pressTickFromEventTime()
    {
        QFETCH(bool, onClock);
        QFETCH(bool, fakeClock);
        QFETCH(qint64, age);
        QFETCH(quint32, highBits);
        QFETCH(int, recordedAge);
        FakeClock fake(1000);
        if (fakeClock)
            setClock(&fake);
        setEventTimesOnClock(onClock);
        const quint32 now = zoka::clock().tick();
        const quint64 event = age == -1 ? 0 : (quint64(highBits) << 32) | quint32(now - quint32(age));
        QCOMPARE(pressTick(now, event), now - quint32(recordedAge));
        setEventTimesOnClock(false);
        setClock(nullptr);
    }

    // The refreshes seen through completion events (60 Hz, UST in microseconds):
    // the period from the first refresh seen to the last, the refresh nearest to a
    // moment and the next one, and presentations that came after their refresh.
    void refreshSchedule_data()
    {
        QTest::addColumn<QList<quint64>>("seen");    // ust, msc pairs
        QTest::addColumn<QList<quint64>>("presented"); // ust, msc, target triples
        QTest::addColumn<double>("periodUs");
        QTest::addColumn<quint64>("at");
        QTest::addColumn<quint64>("nearest");
        QTest::addColumn<quint64>("next"); // first refresh 500 us after `at`
        QTest::addColumn<int>("missed");
        const quint64 b = 5000000000ull; // refresh 300 at 5000 s
        QTest::newRow("one refresh: no period") << QList<quint64>{b, 300} << QList<quint64>{} << 0.0 << b << 301ull << 301ull << 0;
        QTest::newRow("jitter fades over the run") << QList<quint64>{b, 300, b + 17100, 301, b + 1000000, 360}
                                                   << QList<quint64>{} << 16666.67 << b + 1008000 << 360ull << 361ull << 0;
        QTest::newRow("nearest after, next after the margin")
            << QList<quint64>{b, 300, b + 16667, 301} << QList<quint64>{} << 16667.0 << b + 25100 << 302ull << 302ull << 0;
        QTest::newRow("on its refresh, and one missed")
            << QList<quint64>{b, 300} << QList<quint64>{b + 16667, 301, 301, b + 50000, 303, 302} << 16666.67
            << b + 50000 + 16300 << 304ull << 305ull << 1;
        QTest::newRow("a late event does not move the refreshes")
            << QList<quint64>{b, 300, b + 10000000, 900, b + 10016667 + 6000, 901} << QList<quint64>{}
            << 16676.656 << b + 10026333 << 902ull << 902ull << 0;
        QTest::newRow("counter went back: afresh") << QList<quint64>{b, 300, b + 16667, 301, b + 33000, 5}
                                                   << QList<quint64>{} << 0.0 << b + 40000 << 6ull << 6ull << 0;
    }
    void refreshSchedule()
    {
        QFETCH(QList<quint64>, seen);
        QFETCH(QList<quint64>, presented);
        QFETCH(double, periodUs);
        QFETCH(quint64, at);
        RefreshSchedule r;
        for (int i = 0; i + 1 < seen.size(); i += 2)
            r.refreshSeen(seen[i], seen[i + 1]);
        for (int i = 0; i + 2 < presented.size(); i += 3)
            r.presented(presented[i], presented[i + 1], presented[i + 2]);
        QVERIFY(qAbs(r.periodUs() - periodUs) < 0.01);
        QTEST(r.nearest(at), "nearest");
        QTEST(r.next(at, 500), "next");
        QTEST(r.missedFrames(), "missed");
        QCOMPARE(r.presentations(), int(presented.size() / 3));
        // Ticks and microseconds: the tick of a moment, and back near it.
        QCOMPARE(usOfTick(tickOfUs(at), at), at / 1000 * 1000);
        QCOMPARE(refreshLeadMs(r.periodUs() / 1000), periodUs > 0 ? 13 : 0);
    }

    void preciseTimerRestartsOnEveryArming()
    {
        QtTrialTimer t;
        int fired = 0;
        t.setCallback([&] { ++fired; });
        SystemClock sys;
        const quint32 start = sys.tick();
        t.start(200);
        QTest::qWait(100);
        t.start(100); // re-armed: the countdown restarts here
        QTRY_COMPARE_WITH_TIMEOUT(fired, 1, 1000);
        const quint32 elapsed = ticksBetween(start, sys.tick());
        QVERIFY2(elapsed >= 199 && elapsed < 260, qPrintable(QString::number(elapsed)));
        QVERIFY(!t.isActive());
    }

    // The journal only grows, by whole lines, and never through anything but a
    // regular file of its own name.
    void journalTakesWholeLinesIntoARegularFileOnly_data()
    {
        QTest::addColumn<QString>("place"); // what stands at the journal's path
        QTest::addColumn<int>("error");
        QTest::newRow("nothing yet: created") << "none" << 0;
        QTest::newRow("a journal: appended") << "journal" << 0;
        QTest::newRow("a link to another file") << "link" << ELOOP;
        QTest::newRow("a directory") << "directory" << EISDIR;
        QTest::newRow("a FIFO: no wait for a reader") << "fifo" << EACCES;
        QTest::newRow("a file-size limit in the line") << "limit" << EFBIG;
    }
    void journalTakesWholeLinesIntoARegularFileOnly()
    {
        QFETCH(QString, place);
        QFETCH(int, error);
        QTemporaryDir tmp;
        const QString path = tmp.filePath(TimingJournalName);
        const QString other = tmp.filePath(QStringLiteral("autre"));
        const QByteArray old = "A.VC | 01/12/2026 \xE0 10:00:00 | x\r\n";
        const auto put = [](const QString &p, const QByteArray &b) {
            QFile f(p);
            return f.open(QIODevice::WriteOnly) && f.write(b) == b.size();
        };
        if (place == QLatin1String("journal") || place == QLatin1String("limit"))
            QVERIFY(put(path, old));
        if (place == QLatin1String("link"))
            QVERIFY(put(other, old) && QFile::link(other, path));
        if (place == QLatin1String("directory"))
            QVERIFY(QDir().mkpath(path));
        if (place == QLatin1String("fifo"))
            QCOMPARE(::mkfifo(QFile::encodeName(path).constData(), 0600), 0);
        rlimit saved{};
        ::getrlimit(RLIMIT_FSIZE, &saved);
        std::signal(SIGXFSZ, SIG_IGN);
        if (place == QLatin1String("limit")) {
            const rlimit small{rlim_t(old.size() + 10), saved.rlim_max}; // 10 bytes of the line fit
            ::setrlimit(RLIMIT_FSIZE, &small);
        }
        const QString line = QStringLiteral("B.VC | 02/12/2026 à 11:00:00 | temps réel : refusé\nsuite");
        QCOMPARE(probeJournal(path) == 0, error == 0 || place == QLatin1String("limit"));
        QCOMPARE(appendJournalLine(path, line), error);
        ::setrlimit(RLIMIT_FSIZE, &saved);

        const QByteArray added = "B.VC | 02/12/2026 \xE0 11:00:00 | temps r\xE9" "el : refus\xE9 suite\r\n";
        if (place != QLatin1String("directory") && place != QLatin1String("fifo")) {
            QFile f(place == QLatin1String("link") ? other : path);
            QVERIFY(f.open(QIODevice::ReadOnly));
            // Created, appended to, or untouched (the part of the line cut away again).
            QCOMPARE(f.readAll(), place == QLatin1String("none") ? added
                                  : place == QLatin1String("journal") ? old + added : old);
        }
        if (error)
            QVERIFY(journalErrorText(path, error).contains(QDir::toNativeSeparators(path)));
    }

    // An administration's line is found by its file's name and the date of its header;
    // the last one wins (a file made again the same second), nothing else matches.
    void journalEntryOfAFile()
    {
        QTemporaryDir tmp;
        const QString path = tmp.filePath(TimingJournalName);
        const QString date = QStringLiteral("02/12/2026 à 11:00:00");
        QCOMPARE(findJournalEntry(path, QStringLiteral("B.VC"), date), QString()); // no journal
        QVERIFY(appendJournalLine(path, journalKey(QStringLiteral("B.VC"), date) + QStringLiteral("premier")) == 0);
        QVERIFY(appendJournalLine(path, journalKey(QStringLiteral("B.VC2"), date) + QStringLiteral("autre")) == 0);
        QVERIFY(appendJournalLine(path, journalKey(QStringLiteral("B.VC"), QStringLiteral("02/12/2026 à 11:00:01"))
                                            + QStringLiteral("autre date")) == 0);
        QVERIFY(appendJournalLine(path, journalKey(QStringLiteral("B.VC"), date) + QStringLiteral("dernier | é")) == 0);
        QCOMPARE(findJournalEntry(path, QStringLiteral("B.VC"), date), QStringLiteral("dernier | é"));
        QCOMPARE(findJournalEntry(path, QStringLiteral("C.VC"), date), QString());

        const QStringList shown = journalEntryLines(QStringLiteral("affichage : Xvfb | rafraîchissement : inconnu | ")
                                                        + QString(50, QLatin1Char('x')), 30);
        QCOMPARE(shown.mid(1), QStringList({"  affichage : Xvfb", "  rafraîchissement : inconnu",
                                            "  " + QString(28, 'x'), "  " + QString(22, 'x')}));
        QVERIFY(journalEntryLines(QString(), 78).last().contains(QStringLiteral("aucune ligne")));
    }

    void sessionTypeAndXWayland_data()
    {
        QTest::addColumn<QString>("xdg");
        QTest::addColumn<QString>("wayland");
        QTest::addColumn<QString>("display");
        QTest::addColumn<QString>("qpa");
        QTest::addColumn<QString>("type");
        QTest::addColumn<bool>("xwayland");
        QTest::newRow("declared wayland") << "wayland" << "wayland-0" << ":0" << "" << "wayland" << true;
        QTest::newRow("wayland display only") << "" << "wayland-0" << ":0" << "" << "wayland" << true;
        QTest::newRow("user's own platform kept") << "wayland" << "wayland-0" << "" << "wayland" << "wayland" << false;
        QTest::newRow("declared x11") << "X11" << "" << ":0" << "" << "x11" << false;
        QTest::newRow("x display only") << "" << "" << ":1" << "" << "x11" << false;
        QTest::newRow("unspecified, x display") << "unspecified" << "" << ":1" << "" << "x11" << false;
        QTest::newRow("nothing") << "" << "" << "" << "" << "" << false;
    }
    void sessionTypeAndXWayland()
    {
        QFETCH(QString, xdg);
        QFETCH(QString, wayland);
        QFETCH(QString, display);
        QFETCH(QString, qpa);
        const SessionEnvironment env{xdg, wayland, display, qpa};
        QTEST(sessionType(env), "type");
        QTEST(runThroughXWayland(env), "xwayland");
    }

    // The scheduler first, RealtimeKit next; a refusal is said, never fatal; what was
    // granted is given back at the end of the run.
    void runPriority_data()
    {
        QTest::addColumn<int>("fifo");     // error of sched_setscheduler
        QTest::addColumn<QString>("kit");  // RealtimeKit's answer ("" granted, "-" no client)
        QTest::addColumn<int>("lock");     // error of mlockall
        QTest::addColumn<bool>("future");  // pages mapped later may be locked too
        QTest::addColumn<bool>("overran"); // the thread kept the processor too long
        QTest::addColumn<QString>("granted");
        QTest::addColumn<QStringList>("calls");
        const QString eperm = QString::fromLocal8Bit(strerror(EPERM));
        QTest::newRow("scheduler") << 0 << "-" << 0 << true << false << "SCHED_FIFO 3"
                                   << QStringList{"lock 1", "rttime 100000 200000", "fifo 3", "ordinary", "unlock"};
        QTest::newRow("scheduler, put back for a long computation")
            << 0 << "-" << 0 << false << true << "SCHED_FIFO 3, retiré pour un calcul trop long"
            << QStringList{"lock 0", "rttime 100000 200000", "fifo 3", "ordinary", "unlock"};
        QTest::newRow("RealtimeKit") << EPERM << "" << ENOMEM << false << false << "RealtimeKit, priorité 3"
                                     << QStringList{"lock 0", "rttime 100000 200000", "fifo 3", "kit 3", "ordinary"};
        QTest::newRow("refused everywhere") << EPERM << "pas de bus système D-Bus" << 0 << false << false
                                            << "refusé (sched_setscheduler : " + eperm
                                                   + "; RealtimeKit : pas de bus système D-Bus)"
                                            << QStringList{"lock 0", "rttime 100000 200000", "fifo 3", "kit 3", "unlock"};
    }
    void runPriority()
    {
        QFETCH(int, fifo);
        QFETCH(QString, kit);
        QFETCH(int, lock);
        QStringList calls;
        RealtimeSystem sys;
        sys.limitRtTime = [&](qint64 soft, qint64 hard) { calls << QStringLiteral("rttime %1 %2").arg(soft).arg(hard); return 0; };
        sys.setFifo = [&](int p) { calls << QStringLiteral("fifo %1").arg(p); return fifo; };
        sys.setOrdinary = [&] { calls << QStringLiteral("ordinary"); return 0; };
        if (kit != QLatin1String("-"))
            sys.realtimeKit = [&](int p) { calls << QStringLiteral("kit %1").arg(p); return kit; };
        sys.lockMemory = [&](bool future) { calls << QStringLiteral("lock %1").arg(future); return lock; };
        sys.unlockMemory = [&] { calls << QStringLiteral("unlock"); };
        sys.canLockFuture = [&] { QFETCH(bool, future); return future; };
        sys.overran = [&] { QFETCH(bool, overran); return overran; };
        {
            RunPriority none; // nothing installed: nothing asked
            none.raise();
            QCOMPARE(none.granted(), QStringLiteral("non demandé"));
        }
        setRealtimeSystem(&sys);
        RunPriority run;
        run.raise();
        QCOMPARE(run.memoryLocked(), lock == 0);
        run.lower();
        run.lower(); // once only
        QTEST(run.granted(), "granted"); // what the journal records, the end of the run included
        QTEST(calls, "calls");
        setRealtimeSystem(nullptr);
    }

    // Each line of the timing check against its thresholds, at and past each limit.
    void timingCheckVerdicts_data()
    {
        QTest::addColumn<int>("line"); // 0 refresh, 1 missed, 2 timers, 3 presses, 4 latency, 5 onset, 6 priority
        QTest::addColumn<double>("value");
        QTest::addColumn<QString>("verdict");
        QTest::newRow("jitter at the good limit") << 0 << 0.5 << "bon";
        QTest::newRow("jitter acceptable") << 0 << 1.5 << "acceptable";
        QTest::newRow("jitter too large") << 0 << 1.6 << "à vérifier";
        QTest::newRow("no refresh measure") << 0 << -1.0 << "à vérifier";
        QTest::newRow("no missed frame") << 1 << 0.0 << "bon";
        QTest::newRow("1 % missed") << 1 << 3.0 << "acceptable";
        QTest::newRow("more missed") << 1 << 4.0 << "à vérifier";
        QTest::newRow("missed frames not counted") << 1 << -1.0 << "non mesuré";
        QTest::newRow("timers on time") << 2 << 0.5 << "bon";
        QTest::newRow("timers a little late") << 2 << 1.0 << "acceptable";
        QTest::newRow("timers late") << 2 << 1.2 << "à vérifier";
        QTest::newRow("presses by event time") << 3 << 1.0 << "bon";
        QTest::newRow("presses in the handler") << 3 << 0.0 << "acceptable";
        QTest::newRow("latency 10 ms") << 4 << 10000.0 << "bon";
        QTest::newRow("latency 30 ms") << 4 << 30000.0 << "acceptable";
        QTest::newRow("latency 31 ms") << 4 << 31000.0 << "à vérifier";
        QTest::newRow("latency unknown") << 4 << -1.0 << "à vérifier";
        QTest::newRow("onset 2 ms") << 5 << 2.0 << "bon";
        QTest::newRow("onset 11 ms") << 5 << 11.0 << "à vérifier";
        QTest::newRow("no monitor") << 5 << -1.0 << "non mesuré";
        QTest::newRow("real time refused") << 6 << 0.0 << "acceptable";
        QTest::newRow("real time and locked memory") << 6 << 1.0 << "bon";
    }
    void timingCheckVerdicts()
    {
        QFETCH(int, line);
        QFETCH(double, value);
        // Every other line good: only the line of the row can call for a look.
        TimingCheckFigures f;
        const bool known = value >= 0;
        f.refresh.ok = true;
        f.refresh.presentations = 300;
        f.refresh.periodMs = 16.667;
        f.timerLatenessMs = {0.1};
        f.eventTimesOnClock = true;
        f.soundPath = QStringLiteral("PulseAudio");
        f.sinkLatencyUs = 1000;
        f.onsetMeasured = true;
        f.onsetMs = 1;
        f.realtime = QStringLiteral("SCHED_FIFO 3");
        f.memoryLocked = true;
        if (line == 0) {
            f.refresh.ok = known;
            f.refresh.jitterMs = value;
        } else if (line == 1) {
            f.refresh.ok = known;
            f.refresh.missedFrames = int(value);
        } else if (line == 2) {
            // Median and maximum at twice it: both limits are crossed together.
            f.timerLatenessMs = {0, value, value, value, 2 * value + (value > 1 ? 3 : 0)};
        } else if (line == 3) {
            f.eventTimesOnClock = value > 0;
        } else if (line == 4) {
            f.sinkLatencyUs = qint64(value);
        } else if (line == 5) {
            f.onsetMeasured = known;
            f.onsetMs = value;
        } else {
            f.realtime = value > 0 ? QStringLiteral("SCHED_FIFO 3") : QStringLiteral("refusé (x)");
            f.memoryLocked = value > 0;
        }
        const QList<CheckLine> lines = timingCheckLines(f);
        QCOMPARE(lines.size(), 7);
        QTEST(verdictText(lines.at(line).verdict), "verdict");
        // Frames are not counted without a refresh measure, whose own line asks for a look.
        QCOMPARE(needsCheck(lines), lines.at(line).verdict == Verdict::Check || (line == 1 && !known));
        QVERIFY(timingCheckText(lines, QString()).at(line + 1).endsWith(lines.at(line).thresholds + QLatin1Char(')')));
    }

    void scriptedMessagesAnswerInOrderAndKeepTexts()
    {
        ScopedScriptedMessages s;
        s.service.queue(MsgAnswer::No);
        QVERIFY(!askYesNo(MsgKind::Confirmation, QStringLiteral("q1")));
        QVERIFY(askYesNo(MsgKind::Warning, QStringLiteral("q2"))); // default Yes
        showError(QStringLiteral("e"));
        QCOMPARE(s.service.texts(), QStringList({"q1", "q2", "e"}));
        QCOMPARE(s.service.shown().at(2).answer, MsgAnswer::Ok);
    }
};

QTEST_MAIN(TestPlatform)
#include "tst_platform.moc"
