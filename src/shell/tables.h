#pragma once
#include <QString>
#include <array>

namespace zoka {

// Per-test tables, indexed by test index 0-9 (the order of the main window's list).
constexpr int TestCount = 10;

inline const QString ProgramVersion = QStringLiteral("4.0b");

extern const std::array<QString, TestCount> EpreuvesItems;   // list captions
extern const std::array<QString, TestCount> ExtensionTable;  // "VC", "LAT", ...
extern const std::array<QString, TestCount> TestTitles;      // instructions and analysis titles
extern const std::array<int, TestCount> TestTimeLimits;      // response window, seconds
extern const std::array<bool, TestCount> EndlessOffered;     // endless series allowed
constexpr int EndlessItemCount = 64;
extern const std::array<int, 4> SpeedTable;                  // test 7, ms per character

// Test index of a result-file extension (case-sensitive, as written), -1 if none.
int testIndexOfExtension(const QString &ext);

} // namespace zoka
