// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QString>
#include <array>
#include <vector>

namespace zoka {

// Classification of the answers of an "Attention soutenue" result file: one call of
// addLine per item line, in file order. Plain logic, no file and no window.
//
// Codes of an item line: 0 = no press; n > 0 = timed press n ms after the character
// appeared; -1 = press(es) during the preceding mask only; -n (n > 1) = press during
// the mask and a timed press at n ms.

constexpr int SustainedItemCount = 228;   // lines of a complete test run
constexpr int SustainedResponseWidth = 150; // longest response string kept
constexpr int SustainedRejectBelowMs = 100;  // shorter times are left out of the figures

// The five groups of digit-3 presses, by the number of letters before the 3.
constexpr std::array<int, 5> SustainedGroupLetters = {0, 3, 5, 10, 15};

// Group (0-4, index into SustainedGroupLetters) of a 1-based line position holding a
// 3 of the test stream, or -1 for every other position.
int sustainedGroupOfPosition(int position);

struct SustainedCounters {
    int digitNoPress = 0;
    int digitPress = 0;
    int digitMask = 0;
    int letterNoPress = 0;
    int letterPress = 0;
    int letterMask = 0;
    int digitReject1 = 0;
    int digitReject2 = 0;
    int letterReject1 = 0;
    int letterReject2 = 0;
    std::array<int, 5> afterLetters = {0, 0, 0, 0, 0}; // digit presses by group

    bool operator==(const SustainedCounters &) const = default;
};

// One item line read back: the stimulus character, optional blanks, a signed decimal
// integer and nothing but blanks after it. Anything else (no number, a number out of
// the 32-bit range, a stray character) is refused, and `problem` says why in French.
struct SustainedLine {
    bool ok = false;
    QChar character;
    int value = 0;
    QString problem;
};
SustainedLine parseSustainedLine(const QString &line);

class SustainedTally {
public:
    // itemCount: the count read from the file name; its half splits the rejects
    // between the two parts.
    explicit SustainedTally(int itemCount);

    // position: 1-based line number among the item lines (1..228); character: the
    // stimulus character of the line ('3' for the digit, anything else is a letter).
    void addLine(int position, QChar character, int value);

    int itemCount() const { return m_itemCount; }
    const SustainedCounters &counters() const { return m_counters; }
    // Reaction times, item i at index i - 1; 0 where an item gave no kept time.
    const std::vector<int> &letterTimes() const { return m_letterTimes; }
    const std::vector<int> &digitTimes() const { return m_digitTimes; }
    // One entry per digit-3 line: "   NA", "  MAS", or the time in 5 characters (a
    // blank fewer from 1000 ms on); at most 150 characters.
    const QString &responses() const { return m_responses; }

private:
    void appendResponse(const QString &entry);
    bool inFirstPart(int position) const;

    int m_itemCount;
    SustainedCounters m_counters;
    std::vector<int> m_letterTimes;
    std::vector<int> m_digitTimes;
    QString m_responses;
};

} // namespace zoka
