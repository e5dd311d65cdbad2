#pragma once
#include <array>

namespace zoka {

// Fixed series of the administration. Nothing is ever drawn at random: every
// patient gets the same foreperiods and the same stimulus positions.

// Items of a practice run, by test index 0-9.
extern const std::array<int, 10> PracticeItemCounts;

// Foreperiods in whole seconds (1, 3, 5 or 7).
extern const std::array<int, 10> PracticeSequence; // practice: ItemSequence[1..10]
extern const std::array<int, 65> MasterSequence;   // real runs: indices 0..64
extern const std::array<int, 36> Sequence36;       // 36-item runs: ItemSequence[1..36]

// Grid permutations: entry i (0-based here) gives the item shown in grid cell i + 1,
// cells numbered row by row from the top left.
extern const std::array<int, 64> PracticeGrid64; // 8 x 8, every practice run
extern const std::array<int, 64> TestGrid64;     // 8 x 8, real runs of 64 items
extern const std::array<int, 36> TestGrid36;     // 6 x 6, real runs of 36 items

} // namespace zoka
