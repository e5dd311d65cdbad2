// SPDX-License-Identifier: GPL-3.0-or-later
#include "analysis/sustainedtally.h"

#include <cstdlib>

namespace zoka {

namespace {

// Positions of the digit 3 in the 228-character test stream, by the number of letters
// shown since the previous 3 (or since the start of its 114-character block).
constexpr std::array<std::array<int, 6>, 5> GroupPositions = {{
    {34, 59, 77, 148, 173, 191},   // after 0 letters
    {38, 58, 114, 152, 172, 228},  // after 3 letters
    {17, 65, 83, 131, 179, 197},   // after 5 letters
    {11, 76, 110, 125, 190, 224},  // after 10 letters
    {33, 54, 99, 147, 168, 213},   // after 15 letters
}};

} // namespace

int sustainedGroupOfPosition(int position)
{
    for (int g = 0; g < int(GroupPositions.size()); ++g)
        for (int p : GroupPositions[g])
            if (p == position)
                return g;
    return -1;
}

SustainedTally::SustainedTally(int itemCount)
    : m_itemCount(itemCount),
      m_letterTimes(SustainedItemCount, 0),
      m_digitTimes(SustainedItemCount, 0)
{
}

bool SustainedTally::inFirstPart(int position) const
{
    return position <= m_itemCount / 2;
}

void SustainedTally::appendResponse(const QString &entry)
{
    const int room = SustainedResponseWidth - int(m_responses.size());
    if (room > 0)
        m_responses += entry.left(room);
}

void SustainedTally::addLine(int position, QChar character, int value)
{
    const bool stored = position >= 1 && position <= SustainedItemCount;
    // Magnitude of a timed press; -1 alone is a mask press, not a time.
    const long long t = std::llabs(static_cast<long long>(value));
    const int time = t > 0x7fffffffLL ? 0x7fffffff : int(t);

    if (character == QLatin1Char('3')) {
        if (value == 0) {
            ++m_counters.digitNoPress;
            appendResponse(QStringLiteral("   NA"));
            return;
        }
        if (value == -1) {
            ++m_counters.digitMask;
            appendResponse(QStringLiteral("  MAS"));
            return;
        }
        ++m_counters.digitPress;
        if (value < 0)
            ++m_counters.digitMask;
        appendResponse((time < 1000 ? QStringLiteral("  ") : QStringLiteral(" "))
                       + QString::number(time));
        if (time >= SustainedRejectBelowMs) {
            if (stored)
                m_digitTimes[position - 1] = time;
        } else if (inFirstPart(position)) {
            ++m_counters.digitReject1;
        } else {
            ++m_counters.digitReject2;
        }
        const int group = sustainedGroupOfPosition(position);
        if (group >= 0)
            ++m_counters.afterLetters[group];
        return;
    }

    if (value == -1) {
        ++m_counters.letterMask;
        return;
    }
    if (value == 0) {
        ++m_counters.letterNoPress;
        return;
    }
    ++m_counters.letterPress;
    if (value < 0)
        ++m_counters.letterMask;
    if (time >= SustainedRejectBelowMs) {
        if (stored)
            m_letterTimes[position - 1] = time;
    } else if (inFirstPart(position)) {
        ++m_counters.letterReject1;
    } else {
        ++m_counters.letterReject2;
    }
}

} // namespace zoka

namespace zoka {

SustainedLine parseSustainedLine(const QString &line)
{
    SustainedLine r;
    auto isBlank = [](QChar ch) { return ch == QLatin1Char(' ') || ch == QLatin1Char('\t'); };
    if (line.isEmpty()) {
        r.problem = QStringLiteral("ligne vide");
        return r;
    }
    const QChar c = line.at(0);
    if (c != QLatin1Char('3') && !c.isLetter()) {
        r.problem = QStringLiteral("le premier caractère n'est ni une lettre ni le chiffre 3");
        return r;
    }
    qsizetype i = 1;
    while (i < line.size() && isBlank(line.at(i)))
        ++i;
    const qsizetype start = i;
    if (i < line.size() && line.at(i) == QLatin1Char('-'))
        ++i;
    const qsizetype digits = i;
    long long v = 0;
    bool tooBig = false;
    while (i < line.size() && line.at(i) >= QLatin1Char('0') && line.at(i) <= QLatin1Char('9')) {
        if (!tooBig) {
            v = v * 10 + (line.at(i).unicode() - '0');
            if (v > 0x7fffffffLL)
                tooBig = true;
        }
        ++i;
    }
    if (i == digits) {
        r.problem = QStringLiteral("nombre absent ou illisible");
        return r;
    }
    if (tooBig) {
        r.problem = QStringLiteral("nombre trop grand");
        return r;
    }
    for (qsizetype k = i; k < line.size(); ++k) {
        if (!isBlank(line.at(k))) {
            r.problem = QStringLiteral("caractère inattendu après le nombre");
            return r;
        }
    }
    r.ok = true;
    r.character = c;
    r.value = line.at(start) == QLatin1Char('-') ? int(-v) : int(v);
    return r;
}

} // namespace zoka
