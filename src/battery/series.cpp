// SPDX-License-Identifier: GPL-3.0-or-later
#include "battery/series.h"

namespace zoka {

const std::array<int, 10> PracticeSequence = {
    5, 3, 1, 7, 1, 5, 7, 3, 5, 3,
};

const std::array<int, 65> MasterSequence = {
    3, 3, 5, 1, 7, 1, 3, 7, 5, 5, 1, 7, 3, 3, 7, 1,
    5, 7, 3, 5, 1, 1, 5, 3, 7, 7, 5, 1, 3, 3, 5, 1,
    7, 1, 7, 3, 5, 5, 7, 3, 1, 1, 5, 3, 7, 7, 3, 5,
    1, 3, 7, 1, 5, 5, 1, 7, 3, 3, 1, 5, 7, 1, 7, 3,
    5,
};

const std::array<int, 36> Sequence36 = {
    3, 5, 1, 7, 1, 3, 7, 5, 5, 1, 5, 3, 3, 7, 1, 5,
    7, 3, 3, 7, 5, 1, 7, 3, 3, 5, 1, 5, 5, 7, 3, 1,
    7, 1, 5, 3,
};

const std::array<int, 64> PracticeGrid64 = {
    23, 63, 57, 8, 49, 16, 2, 42, 31, 34, 40, 25, 48, 17, 10, 55,
    61, 20, 13, 52, 58, 7, 21, 44, 36, 29, 4, 45, 39, 26, 12, 53,
    15, 50, 64, 1, 6, 59, 56, 9, 18, 47, 33, 32, 27, 38, 41, 24,
    62, 51, 14, 3, 11, 54, 60, 5, 35, 30, 19, 46, 22, 43, 37, 28,
};

const std::array<int, 64> TestGrid64 = {
    2, 63, 57, 8, 49, 16, 23, 42, 31, 34, 40, 25, 48, 17, 10, 55,
    61, 4, 13, 52, 58, 7, 21, 44, 36, 29, 20, 45, 39, 26, 12, 53,
    15, 50, 64, 1, 6, 59, 56, 9, 18, 47, 33, 32, 27, 38, 41, 24,
    62, 3, 14, 51, 11, 54, 60, 5, 35, 30, 19, 46, 22, 43, 37, 28,
};

const std::array<int, 36> TestGrid36 = {
    10, 12, 18, 21, 6, 29, 34, 16, 35, 20, 33, 11, 4, 24, 9, 1,
    17, 30, 28, 15, 25, 7, 31, 3, 32, 26, 5, 36, 19, 13, 27, 23,
    8, 14, 2, 22,
};

const std::array<int, 114> SustainedSizeTable = {
    100, 94, 94, 100, 72, 120, 72, 72, 100, 94, 120, 48, 48, 120, 94, 100, 94, 48, 72,
    120, 48, 120, 100, 72, 94, 100, 94, 100, 72, 72, 48, 120, 120, 94, 100, 94, 100, 48,
    48, 72, 94, 100, 120, 94, 120, 72, 48, 48, 72, 94, 100, 120, 72, 72, 120, 120, 48,
    120, 100, 94, 100, 94, 100, 120, 94, 100, 72, 48, 48, 72, 72, 94, 120, 48, 120, 48,
    94, 100, 72, 100, 120, 48, 94, 72, 94, 100, 48, 120, 94, 100, 72, 48, 48, 120, 100,
    72, 72, 94, 120, 48, 48, 94, 100, 120, 94, 100, 72, 48, 120, 48, 72, 94, 100, 72,
};

int sustainedCharacterPoints(int position)
{
    const int n = int(SustainedSizeTable.size());
    return SustainedSizeTable[size_t(((position - 1) % n + n) % n)];
}

namespace {
const QList<int> FixationPractice = {3, 1, 0, 3, 0, 3};
const QList<int> Fixation64 = {
    0, 3, 0, 4, 0, 0, 4, 0, 2, 0, 1, 1, 0, 5, 0, 2, 5, 0, 0, 0, 0, 3, 1, 0, 4, 3, 0, 0, 1, 2, 0, 5,
    0, 3, 0, 1, 3, 2, 1, 0, 0, 3, 0, 0, 4, 0, 1, 0, 1, 5, 0, 2, 0, 0, 0, 0, 1, 0, 3, 1, 0, 5, 0, 2,
};
const QList<int> Fixation36 = {
    0, 3, 0, 4, 0, 0, 4, 0, 2, 0, 0, 1, 0, 5, 0, 2, 5, 0,
    0, 5, 2, 0, 5, 0, 1, 0, 0, 2, 0, 4, 0, 0, 4, 0, 3, 0,
};
const QString TrsPractice = QStringLiteral("+0+00+");
const QString TrmPractice = QStringLiteral("VVAAVA");
const QString TrdPractice = QStringLiteral("13421342");
} // namespace

QString runStimulusSeries(TestId id, bool practice, int itemCount)
{
    Q_UNUSED(itemCount);
    switch (id) {
    case TestId::SimpleBinaire:
        return practice ? TrsPractice : TrsSeries;
    case TestId::Mixte: // the test run from item 0
        return practice ? TrmPractice : TrmSeries;
    case TestId::AttentionSoutenue:
        return practice ? SustainedPracticeStream : SustainedTestStream;
    case TestId::DoubleBinaire:
        return practice ? TrdPractice : TrdSeries;
    default:
        return {};
    }
}

QList<int> runFixationSchedule(TestId id, bool practice, int itemCount)
{
    if (id != TestId::LateraliseFixation)
        return {};
    if (practice)
        return FixationPractice;
    return itemCount == 64 ? Fixation64 : Fixation36;
}

} // namespace zoka
