// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QString>
#include <QStringView>
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

// The closing line a run writes after its last item, and the analysis reads back.
enum class ClosingLayout {
    Untimely,               // "<untimely>": the untimely-press counter (0 or negative)
    UntimelyAndFixation,    // "<untimely> <presses while the fixation point was up>"
    UntimelyAndFalseAlarms, // "<untimely> <false alarms>"
    None,                   // no closing line (the stream)
};

// How many numbers a closing line of that layout holds.
constexpr int closingLineNumbers(ClosingLayout layout)
{
    switch (layout) {
    case ClosingLayout::Untimely: return 1;
    case ClosingLayout::UntimelyAndFixation:
    case ClosingLayout::UntimelyAndFalseAlarms: return 2;
    case ClosingLayout::None: return 0;
    }
    return 0;
}

// The closing line of a run in that layout (empty for None); `second` is the
// layout's second number.
QString closingLineText(ClosingLayout layout, int untimely, int second);

// Which stimuli ask for a press.
enum class GoRule {
    EveryItem,         // every stimulus
    CrossNotRing,      // the cross "+" goes, the ring "0" does not
    RedCrossBlueRing,  // "1" red cross and "2" blue ring go; "3" red ring and "4" blue cross do not
};

// Whether the stimulus of series code `code` asks for a press under `rule`.
constexpr bool isGoCode(GoRule rule, char16_t code)
{
    switch (rule) {
    case GoRule::EveryItem: return true;
    case GoRule::CrossNotRing: return code == u'+';
    case GoRule::RedCrossBlueRing: return code == u'1' || code == u'2';
    }
    return true;
}

// What the stimuli are perceived through.
enum class Modality {
    Visual,
    Auditory,
    Mixed, // visual or auditory by the series ("V", "A"): the analysis splits the times
};

// A text of the table: a UTF-16 literal, handed out as a QString.
class TableText {
public:
    template <size_t N> constexpr TableText(const char16_t (&text)[N]) : m_text(text, qsizetype(N - 1)) {}
    constexpr QStringView view() const { return m_text; }
    operator QString() const { return m_text.toString(); }
    friend bool operator==(const TableText &a, const QString &b) { return a.m_text == b; }

private:
    QStringView m_text;
};

// Everything that defines one test: what the main and instructions windows show,
// how a run goes (scheme, series, closing line, go rule), and how the analysis
// groups its items. The engine writes the closing line in `closing` and the
// go/no-go programme asks `goRule`; the analysis reads them from here too. The
// window of each test, which builds the test's programme (src/epreuves), sits in a
// table of its own indexed by the same TestId (src/epreuves/widgets/testwindows.cpp).
// Both tables are checked whole at compile time.
struct TestEntry {
    TestId id;
    TableText listCaption; // caption in the main window's list
    TableText title;       // instructions window and report title
    TableText extension;   // result-file extension
    int timeLimitSeconds;  // response window
    CountChoice counts;
    bool endlessAllowed;
    bool grid;             // stimulus positions from the 8 x 8 / 6 x 6 grids: the
                           // analysis adds the region statistics (sides, halves, quarters)
    ForeperiodSeries series;
    int practiceItems;     // items of a practice run
    ProtocolScheme scheme;
    ClosingLayout closing;
    GoRule goRule;         // the analysis keeps the times of go items only
    Modality modality;
    bool responseRulePicture; // the instructions show the response rule picture
    // Analysis: raw scores per row of the score table (16, 32 or 64 items), digits of
    // a score cell, and the rejection limit in seconds proposed by "Limite" and taken
    // for an empty limit.
    int scoresPerRow;
    int scoreDigits;
    TableText proposedLimit;
    TableText defaultLimit;
    // The count a result-file name carries whatever count was chosen (TR mixte: 65, its
    // item 0 included); 0: the count chosen.
    int countInName;

    // The result-file name carries the speed chosen ("Dupont_228-0.AS").
    constexpr bool speedInName() const { return counts == CountChoice::Speed; }

    // The analysis reads the file as a stream of characters (Attention soutenue).
    constexpr bool readAsStream() const { return scheme == ProtocolScheme::Stream; }
    // The report has the go/no-go columns: omissions and kept times of go items only,
    // false alarms from the closing line.
    constexpr bool goNoGo() const { return goRule != GoRule::EveryItem; }
    // The analysis splits the times by modality (TR mixte, 65 items from item 0).
    constexpr bool modalitySplit() const { return modality == Modality::Mixed; }
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
