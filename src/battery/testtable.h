// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QString>
#include <array>
#include <span>

namespace zoka {

// The ten tests of the battery, in the order of the main window's list. The value
// is the test index used everywhere (shared state, tables, file names).
enum class TestId {
    VisuelCentre = 0,
    Lateralise = 1,
    LateraliseFixation = 2,
    SimpleBinaire = 3,
    DoubleBinaire = 4,
    Auditif = 5,
    Mixte = 6,
    AttentionSoutenue = 7,
    PuceAsterisque = 8,
    PuceCarre = 9,
};
constexpr int TestCount = 10;
constexpr int index(TestId id) { return int(id); }
constexpr bool isTestIndex(int i) { return i >= 0 && i < TestCount; }

inline const QString ProgramVersion = QStringLiteral("4.0b");

// The three ways a test window runs its items.
enum class ProtocolScheme {
    // Foreperiod, stimulus, press or time-out, next foreperiod.
    ReactionTime,
    // Target up at once when the window becomes active; a press on it ends the item
    // and sends it to its next place, a press elsewhere is untimely.
    Pointing,
    // Mask and character alternate at fixed times; every press belongs to an item,
    // the line carries a code; no closing line.
    Stream,
};

// How the main window offers the item count.
enum class CountChoice {
    Fixed64,        // always 64 items, no choice shown
    Choice16_32_64, // three buttons (NbItems3)
    Choice36_64,    // two buttons (NbItems2), 36 on a 6 x 6 grid
    Choice32_64,    // two buttons (NbItems2)
    Speed,          // the three speeds, 228 characters
};

// Which fixed series gives a real run's foreperiods.
enum class ForeperiodSeries {
    Master,     // MasterSequence from item 0
    MasterGrid, // MasterSequence from item 1, or Sequence36 for 36 items
    None,       // no foreperiods (stream)
};

struct TestEntry {
    TestId id;
    QString listCaption;   // caption in the main window's list
    QString title;         // instructions window and report title
    QString extension;     // result-file extension
    int timeLimitSeconds;  // response window
    CountChoice counts;
    bool endlessAllowed;
    bool grid;             // stimulus positions from the 8 x 8 / 6 x 6 grids
    ForeperiodSeries series;
    int practiceItems;     // items of a practice run
    ProtocolScheme scheme;
    const char *window;    // the test window's class
    bool responseRulePicture; // the instructions show the response rule picture
};

// The table of the ten tests, by test index.
std::span<const TestEntry, TestCount> testTable();
const TestEntry &testEntry(TestId id);
// nullptr for an index that names no test.
const TestEntry *testEntryAt(int testIndex);

// Count of an endless series' block.
constexpr int EndlessItemCount = 64;
// Attention soutenue: ms per character for speed 0 lente, 1 moyenne, 2 rapide, and
// the fallback index 3 set by a file name without a valid speed.
extern const std::array<int, 4> SpeedTable;

// Test index of a result-file extension (case-sensitive, as written), -1 if none.
int testIndexOfExtension(const QString &ext);
// Title of the test with that index; empty for an index that names no test.
QString testTitle(int testIndex);

} // namespace zoka
