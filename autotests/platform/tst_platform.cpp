#include "platform/boundedread.h"
#include "platform/clock.h"
#include "platform/cp1252.h"
#include "platform/eventtime.h"
#include "platform/messages.h"
#include "platform/refreshschedule.h"
#include "platform/trialtimer.h"

#include <QtTest>

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
