// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include "battery/testtable.h"

#include <QList>
#include <QString>
#include <array>

namespace zoka {

// Fixed series of the administration. Nothing is ever drawn at random: every
// patient gets the same foreperiods and the same stimulus positions.

// Foreperiods in whole seconds (1, 3, 5 or 7).
extern const std::array<int, 10> PracticeSequence; // practice: item sequence 1..10
extern const std::array<int, 65> MasterSequence;   // real runs: indices 0..64
extern const std::array<int, 36> Sequence36;       // 36-item runs: item sequence 1..36

// Grid permutations: entry i (0-based here) gives the item shown in grid cell i + 1,
// cells numbered row by row from the top left.
extern const std::array<int, 64> PracticeGrid64; // 8 x 8, every practice run
extern const std::array<int, 64> TestGrid64;     // 8 x 8, real runs of 64 items
extern const std::array<int, 36> TestGrid36;     // 6 x 6, real runs of 36 items

// Stimulus series of the go/no-go and mixed tests, item i at index i - 1. The test
// windows present them; the analysis groups the times by them.
inline const QString TrsSeries = QStringLiteral("++0+++0+0++0++00++0+00+++0++0++00++0++0+++00+0++00++0++0+0+++0++"); // "+" go, "0" no-go
inline const QString TrdSeries = QStringLiteral("2131224241131234214134122321412332141232214314124321311424221312"); // "1","2" go; "3","4" no-go
inline const QString TrmSeries = QStringLiteral("VAVVVAAAAVVAVVVAAVVVVAAAVVAAAAVAAVAAAVVVVAAVAAAVVAAAAVVVAAVVVVAVV"); // "V" visual, "A" auditory

// "Attention soutenue": the character streams (the digit 3 is the no-go character).
// The test stream is two blocks of 114 characters, the second the first with upper
// and lower case exchanged.
inline const QString SustainedPracticeStream = QStringLiteral("SwkUAYmRA3Um3pmRUY33ALch3");
inline const QString SustainedTestStream = QStringLiteral(
    "kdWesmkGVe3mEXwR3bpeRAmRcUeTwkcm33Yek3MURAeFdgbRkqRnm3UmA33fRkYf3ADbgmHAewS33Rwtke3AfVkRcUAmekVUYC3"
    "UewURkyYpQ3Aae3KDwESMKgvE3MexWr3BPEraMrCuEtWKCM33yEK3muraEfDGBrKQrNM3uMa33FrKyF3adBGMhaEWs33rWTKE3aFvKrCuaMEKvuyc3uEWurKYyPq3aAE3");
// Point sizes of the characters, one per position within a block of 114.
extern const std::array<int, 114> SustainedSizeTable;
// Point size of the character at stream position `position` (1-based, either block).
int sustainedCharacterPoints(int position);

// The stimulus series of one run of test `id` (the practice run, or a real run of
// `itemCount` items): symbols of the go/no-go tests, modalities of TR mixte,
// characters of Attention soutenue. Empty for a test whose items differ only by
// foreperiod and place.
QString runStimulusSeries(TestId id, bool practice, int itemCount);

// Fixation times of one run, whole seconds after the start of each item's
// foreperiod, item 1 first (0: no fixation point). Empty for the tests without one.
QList<int> runFixationSchedule(TestId id, bool practice, int itemCount);

} // namespace zoka
