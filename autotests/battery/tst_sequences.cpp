// SPDX-License-Identifier: GPL-3.0-or-later
// The fixed series and the stimulus grids the instructions window hands to the
// test windows.
#include "administration/essailogic.h"
#include "administration/runstate.h"
#include "battery/series.h"

#include <QSet>
#include <QtTest>

using namespace zoka;

namespace {

template <size_t N>
bool isPermutation(const std::array<int, N> &a)
{
    QSet<int> seen;
    for (int v : a) {
        if (v < 1 || v > int(N) || seen.contains(v))
            return false;
        seen.insert(v);
    }
    return true;
}

// Foreperiod counts of 1, 3, 5, 7 s among `values`.
QList<int> counts(const int *first, const int *last)
{
    QList<int> c{0, 0, 0, 0};
    for (const int *p = first; p != last; ++p) {
        switch (*p) {
        case 1: ++c[0]; break;
        case 3: ++c[1]; break;
        case 5: ++c[2]; break;
        case 7: ++c[3]; break;
        default: return {};
        }
    }
    return c;
}

// (row, column), 1-based, of the cell of `item` in the current 8 x 8 placement.
QPair<int, int> cell64(const RunState &run, int item)
{
    return {(run.stimulusTop[item] - 30) / 75 + 1, (run.stimulusLeft[item] - 42) / 100 + 1};
}

} // namespace

class TestSequences : public QObject {
    Q_OBJECT
private slots:
    void foreperiodSeriesAreBalanced()
    {
        // Items 1..64 of the master series: each foreperiod equally often in the
        // first 16, 32 and all 64 (item 0 waits 3 s).
        const int *m = MasterSequence.data();
        QCOMPARE(MasterSequence[0], 3);
        QCOMPARE(counts(m + 1, m + 17), QList<int>({4, 4, 4, 4}));
        QCOMPARE(counts(m + 1, m + 33), QList<int>({8, 8, 8, 8}));
        QCOMPARE(counts(m + 1, m + 65), QList<int>({16, 16, 16, 16}));
        // 36-item series: 1 s and 7 s eight times, 3 s and 5 s ten times.
        QCOMPARE(counts(Sequence36.data(), Sequence36.data() + 36), QList<int>({8, 10, 10, 8}));
        // The first test items as the test windows present them.
        QCOMPARE(QList<int>(m + 1, m + 17),
                 QList<int>({3, 5, 1, 7, 1, 3, 7, 5, 5, 1, 7, 3, 3, 7, 1, 5}));
        QCOMPARE(QList<int>(PracticeSequence.begin(), PracticeSequence.begin() + 8),
                 QList<int>({5, 3, 1, 7, 1, 5, 7, 3}));
        QList<int> practice;
        for (const TestEntry &s : testTable())
            practice << s.practiceItems;
        QCOMPARE(practice, QList<int>({6, 6, 6, 6, 8, 6, 6, 25, 10, 10}));
    }

    void gridPermutationsPlaceEveryItemOnce()
    {
        QVERIFY(isPermutation(PracticeGrid64));
        QVERIFY(isPermutation(TestGrid64));
        QVERIFY(isPermutation(TestGrid36));
        // The practice layout is the test layout with items 2, 3, 4, 20, 23 and 51
        // placed differently, and nothing else.
        QSet<int> moved;
        for (int i = 0; i < 64; ++i) {
            if (PracticeGrid64[i] != TestGrid64[i]) {
                moved.insert(PracticeGrid64[i]);
                moved.insert(TestGrid64[i]);
            }
        }
        QCOMPARE(moved, QSet<int>({2, 3, 4, 20, 23, 51}));
    }

    void thirtySixItemRunUsesTheSixBySixGrid()
    {
        RunState run;
        run.stimulusTop.fill(-1);
        run.stimulusLeft.fill(-1);
        FillStimulusGrid(run, false, 36);
        // Item 10 takes the first cell; items 1 and 2 at row 3 col 4 and row 6 col 5.
        QCOMPARE(run.stimulusTop[10], 30);
        QCOMPARE(run.stimulusLeft[10], 42);
        QCOMPARE(run.stimulusLeft[1], 462);
        QCOMPARE(run.stimulusTop[1], 240);
        QCOMPARE(run.stimulusLeft[2], 602);
        QCOMPARE(run.stimulusTop[2], 555);
        QSet<QPair<int, int>> places;
        for (int k = 1; k <= 36; ++k) {
            QVERIFY((run.stimulusTop[k] - 30) % 105 == 0 && run.stimulusTop[k] <= 555);
            QVERIFY((run.stimulusLeft[k] - 42) % 140 == 0 && run.stimulusLeft[k] <= 742);
            places.insert({run.stimulusTop[k], run.stimulusLeft[k]});
        }
        QCOMPARE(places.size(), 36);
        for (int k = 37; k <= 64; ++k) {
            QCOMPARE(run.stimulusTop[k], -1);
            QCOMPARE(run.stimulusLeft[k], -1);
        }
    }

    void sixtyFourItemGridsDifferBetweenPracticeAndTest()
    {
        RunState run;
        FillStimulusGrid(run, false, 64);
        QCOMPARE(run.stimulusLeft[1], 342);
        QCOMPARE(run.stimulusTop[1], 330);
        QCOMPARE(run.stimulusLeft[2], 42);
        QCOMPARE(run.stimulusTop[2], 30);
        QCOMPARE(cell64(run, 64), qMakePair(5, 3));
        QSet<QPair<int, int>> places;
        for (int k = 1; k <= 64; ++k) {
            QVERIFY(run.stimulusTop[k] >= 30 && run.stimulusTop[k] <= 555);
            QVERIFY(run.stimulusLeft[k] >= 42 && run.stimulusLeft[k] <= 742);
            places.insert({run.stimulusTop[k], run.stimulusLeft[k]});
        }
        QCOMPARE(places.size(), 64);

        // Practice: whatever the item count of the file name.
        FillStimulusGrid(run, true, 36);
        QCOMPARE(run.stimulusLeft[2], 642);
        QCOMPARE(run.stimulusTop[2], 30);
        const QList<QPair<int, int>> practiceCells{{5, 4}, {1, 7}, {7, 4}, {4, 3}, {7, 8}, {5, 5}};
        for (int k = 1; k <= 6; ++k)
            QCOMPARE(cell64(run, k), practiceCells[k - 1]);
    }

    void gridIsFilledOnlyForTheTestsThatPlaceStimuli()
    {
        QList<int> grid;
        for (int t = 0; t < 10; ++t)
            if (usesStimulusGrid(t))
                grid << t;
        QCOMPARE(grid, QList<int>({1, 2, 8, 9}));
    }
};

QTEST_MAIN(TestSequences)
#include "tst_sequences.moc"
