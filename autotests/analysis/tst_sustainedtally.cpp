// SPDX-License-Identifier: GPL-3.0-or-later
#include "analysis/sustainedtally.h"

#include <QtTest>

using namespace zoka;

namespace {

// The 228-character test stream as the test window presents it.
const QString TestStream = QStringLiteral("kdWesmkGVe3mEXwR3bpeRAmRcUeTwkcm33Yek3MURAeFdgbRkqRnm3UmA33fRkYf3ADbgmHAewS33Rwtke3AfVkRcUAmekVUYC3UewURkyYpQ3Aae3KDwESMKgvE3MexWr3BPEraMrCuEtWKCM33yEK3muraEfDGBrKQrNM3uMa33FrKyF3adBGMhaEWs33rWTKE3aFvKrCuaMEKvuyc3uEWurKYyPq3aAE3");

} // namespace

class TestSustainedTally : public QObject {
    Q_OBJECT
private slots:
    void groupsFollowTheLettersBeforeEachThree()
    {
        // Count, in the stream itself, the letters since the previous 3 or the start of
        // the 114-character block, and check the group lookup against it.
        QCOMPARE(TestStream.size(), 228);
        int threes = 0;
        int letters = 0;
        std::array<int, 5> perGroup = {0, 0, 0, 0, 0};
        for (int p = 1; p <= 228; ++p) {
            if (p == 115)
                letters = 0;
            const int group = sustainedGroupOfPosition(p);
            if (TestStream.at(p - 1) == QLatin1Char('3')) {
                ++threes;
                QVERIFY2(group >= 0, qPrintable(QString::number(p)));
                QCOMPARE(SustainedGroupLetters[group], letters);
                ++perGroup[group];
                letters = 0;
            } else {
                QCOMPARE(group, -1);
                ++letters;
            }
        }
        QCOMPARE(threes, 30);
        for (int n : perGroup)
            QCOMPARE(n, 6);
        QCOMPARE(sustainedGroupOfPosition(0), -1);
        QCOMPARE(sustainedGroupOfPosition(229), -1);
    }

    void noPressAtAllCountsOnlyNonAnswers()
    {
        SustainedTally t(228);
        for (int p = 1; p <= 228; ++p)
            t.addLine(p, TestStream.at(p - 1), 0);
        SustainedCounters expected;
        expected.digitNoPress = 30;
        expected.letterNoPress = 198;
        QVERIFY(t.counters() == expected);
        QCOMPARE(t.responses(), QStringLiteral("   NA").repeated(30));
        QCOMPARE(t.responses().size(), 150);
        for (int p = 0; p < 228; ++p) {
            QCOMPARE(t.letterTimes()[p], 0);
            QCOMPARE(t.digitTimes()[p], 0);
        }
    }

    void everyCodeIsClassified()
    {
        SustainedTally t(228);
        t.addLine(34, QLatin1Char('3'), 412);  // false alarm, group "after 0", part 1
        t.addLine(38, QLatin1Char('3'), -530); // mask and false alarm, group "after 3"
        t.addLine(33, QLatin1Char('3'), -1);   // mask only: no false alarm, no group
        t.addLine(11, QLatin1Char('3'), 0);
        t.addLine(125, QLatin1Char('3'), 60);  // false alarm too fast, part 2, group 10
        t.addLine(54, QLatin1Char('3'), 1100);
        t.addLine(5, QLatin1Char('s'), 85);    // too fast, part 1
        t.addLine(1, QLatin1Char('k'), 400);
        t.addLine(3, QLatin1Char('W'), -600);
        t.addLine(4, QLatin1Char('e'), -1);
        t.addLine(2, QLatin1Char('d'), 0);
        t.addLine(200, QLatin1Char('x'), 99);  // too fast, part 2
        t.addLine(201, QLatin1Char('x'), 100); // 100 is kept

        const SustainedCounters &c = t.counters();
        QCOMPARE(c.digitPress, 4);
        QCOMPARE(c.digitMask, 2);
        QCOMPARE(c.digitNoPress, 1);
        QCOMPARE(c.digitReject1, 0);
        QCOMPARE(c.digitReject2, 1);
        QCOMPARE(c.letterPress, 5);
        QCOMPARE(c.letterMask, 2);
        QCOMPARE(c.letterNoPress, 1);
        QCOMPARE(c.letterReject1, 1);
        QCOMPARE(c.letterReject2, 1);
        QCOMPARE(c.afterLetters, (std::array<int, 5>{1, 1, 0, 1, 1}));

        QCOMPARE(t.digitTimes()[33], 412);
        QCOMPARE(t.digitTimes()[37], 530);
        QCOMPARE(t.digitTimes()[124], 0);
        QCOMPARE(t.digitTimes()[53], 1100);
        QCOMPARE(t.letterTimes()[0], 400);
        QCOMPARE(t.letterTimes()[2], 600);
        QCOMPARE(t.letterTimes()[4], 0);
        QCOMPARE(t.letterTimes()[199], 0);
        QCOMPARE(t.letterTimes()[200], 100);
        // Entries in the order of the lines, whatever their position.
        QCOMPARE(t.responses(), QStringLiteral("  412  530  MAS   NA  60 1100"));
    }

    void halvesFollowTheCountOfTheFileName()
    {
        // With a count of 100 the first part ends at item 50.
        SustainedTally t(100);
        t.addLine(50, QLatin1Char('a'), 20);
        t.addLine(51, QLatin1Char('a'), 20);
        t.addLine(50, QLatin1Char('3'), 20);
        t.addLine(51, QLatin1Char('3'), 20);
        QCOMPARE(t.counters().letterReject1, 1);
        QCOMPARE(t.counters().letterReject2, 1);
        QCOMPARE(t.counters().digitReject1, 1);
        QCOMPARE(t.counters().digitReject2, 1);
    }

    void responseStringStopsAt150Characters()
    {
        // 30 three- and four-digit times fill exactly 150 characters, 10 to a 50.
        SustainedTally full(228);
        for (int k = 0; k < 30; ++k)
            full.addLine(k + 1, QLatin1Char('3'), k % 2 ? 999 : 1000);
        QCOMPARE(full.responses().size(), 150);
        QCOMPARE(full.responses().left(10), QStringLiteral(" 1000  999"));

        // A file whose lines are all 3 gives more entries than fit: the rest is dropped,
        // even in the middle of an entry.
        SustainedTally over(228);
        for (int p = 1; p <= 228; ++p)
            over.addLine(p, QLatin1Char('3'), p == 1 ? 12345 : 0);
        QCOMPARE(over.responses().size(), 150);
        QVERIFY(over.responses().startsWith(QStringLiteral(" 12345   NA")));
        QCOMPARE(over.counters().digitNoPress, 227);

        // Out-of-range positions count but store no time.
        SustainedTally odd(228);
        odd.addLine(0, QLatin1Char('a'), 500);
        odd.addLine(229, QLatin1Char('3'), 500);
        QCOMPARE(odd.counters().letterPress, 1);
        QCOMPARE(odd.counters().digitPress, 1);
    }

    void itemLinesAreReadStrictly()
    {
        struct Ok { const char *line; char c; int v; };
        const Ok good[] = {
            {"k 512", 'k', 512}, {"3 0", '3', 0}, {"m -1", 'm', -1}, {"W -350", 'W', -350},
            {"3 -2147483647", '3', -2147483647}, {"a 2147483647", 'a', 2147483647},
            {"k 7  ", 'k', 7}, {"k\t9", 'k', 9}, {"k512", 'k', 512},
        };
        for (const Ok &g : good) {
            const SustainedLine r = parseSustainedLine(QString::fromLatin1(g.line));
            QVERIFY2(r.ok, g.line);
            QCOMPARE(r.character, QLatin1Char(g.c));
            QCOMPARE(r.value, g.v);
        }
        QVERIFY(parseSustainedLine(QStringLiteral("é 3")).ok); // a letter, even accented

        const char *bad[] = {
            "", "k", "k ", "k -", "k x", "k 5x2", "k 51 2", "k 12.5", "k 2147483648",
            "3 -2147483648", "k 99999999999999999999999", "33 0", "? 12", "1 200",
            " k 12", "[Notes]", "k +5", "k 5\x01",
        };
        for (const char *b : bad) {
            const SustainedLine r = parseSustainedLine(QString::fromLatin1(b));
            QVERIFY2(!r.ok, b);
            QVERIFY(!r.problem.isEmpty());
        }
    }
};

QTEST_MAIN(TestSustainedTally)
#include "tst_sustainedtally.moc"
