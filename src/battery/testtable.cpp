// SPDX-License-Identifier: GPL-3.0-or-later
#include "battery/testtable.h"

namespace zoka {

namespace {
using C = CountChoice;
using F = ForeperiodSeries;
using S = ProtocolScheme;
using L = ClosingLayout;
using G = GoRule;
using M = Modality;

constexpr std::array<TestEntry, TestCount> Entries = {{
    {TestId::VisuelCentre, u"TR visuel centré", u"TR Visuel Centré", u"VC", 3, C::Choice16_32_64, true, false,
     F::Master, 6, S::ReactionTime, L::Untimely, G::EveryItem, M::Visual, false, 8, 4, u"1", u"3.0", 0},
    {TestId::Lateralise, u"TR latéralisé", u"TR Latéralisé", u"LAT", 3, C::Choice36_64, true, true,
     F::MasterGrid, 6, S::ReactionTime, L::Untimely, G::EveryItem, M::Visual, false, 8, 4, u"1", u"3.0", 0},
    {TestId::LateraliseFixation, u"TR latéralisé + Fixation", u"TR Latéralisé + fixation", u"LFC", 3,
     C::Choice36_64, false, true, F::MasterGrid, 6, S::ReactionTime, L::UntimelyAndFixation, G::EveryItem,
     M::Visual, false, 8, 4, u"1", u"3.0", 0},
    {TestId::SimpleBinaire, u"TR simple binaire", u"TR Simple Binaire", u"SB", 2, C::Choice32_64, true, false,
     F::Master, 6, S::ReactionTime, L::UntimelyAndFalseAlarms, G::CrossNotRing, M::Visual, false, 16, 4, u"1",
     u"3.0", 0},
    {TestId::DoubleBinaire, u"TR double binaire", u"TR Double Binaire", u"DB", 2, C::Choice32_64, true, false,
     F::Master, 8, S::ReactionTime, L::UntimelyAndFalseAlarms, G::RedCrossBlueRing, M::Visual, true, 16, 4, u"1",
     u"3.0", 0},
    {TestId::Auditif, u"TR auditif", u"TR Auditif", u"AUD", 3, C::Choice16_32_64, false, false, F::Master, 6,
     S::ReactionTime, L::Untimely, G::EveryItem, M::Auditory, false, 8, 4, u"1", u"3.0", 0},
    {TestId::Mixte, u"TR mixte", u"TR Mixte", u"MIX", 3, C::Fixed64, true, false, F::Master, 6, S::ReactionTime,
     L::Untimely, G::EveryItem, M::Mixed, false, 8, 4, u"1", u"3.0", 65},
    {TestId::AttentionSoutenue, u"Attention soutenue", u"Attention soutenue", u"AS", 1, C::Speed, false, false,
     F::None, 25, S::Stream, L::None, G::EveryItem, M::Visual, false, 8, 4, u"1", u"3.0", 0},
    {TestId::PuceAsterisque, u"Puce  Astérisque", u"Puce Astérisque", u"PAS", 30, C::Fixed64, false, true,
     F::MasterGrid, 10, S::Pointing, L::Untimely, G::EveryItem, M::Visual, false, 8, 5, u"5", u"10.0", 0},
    {TestId::PuceCarre, u"Puce  Carré", u"Puce Carré", u"PCA", 30, C::Fixed64, false, true, F::MasterGrid, 10,
     S::Pointing, L::Untimely, G::EveryItem, M::Visual, false, 8, 5, u"5", u"10.0", 0},
}};

// Every test has its entry, at its own index, and every entry is whole.
constexpr bool tableComplete()
{
    for (int i = 0; i < TestCount; ++i) {
        const TestEntry &e = Entries[size_t(i)];
        if (index(e.id) != i || e.extension.view().isEmpty() || e.title.view().isEmpty()
            || e.listCaption.view().isEmpty() || e.timeLimitSeconds <= 0 || e.practiceItems <= 0
            || e.scoresPerRow <= 0 || e.scoreDigits <= 0)
            return false;
        // A stream has no closing line; every other scheme has one.
        if ((e.scheme == ProtocolScheme::Stream) != (e.closing == ClosingLayout::None))
            return false;
    }
    return true;
}
static_assert(tableComplete(), "the test table must hold every test, in TestId order");
} // namespace

std::span<const TestEntry, TestCount> testTable() { return Entries; }

const TestEntry &testEntry(TestId id) { return Entries[size_t(id)]; }

const TestEntry *testEntryAt(int testIndex)
{
    return isTestIndex(testIndex) ? &Entries[size_t(testIndex)] : nullptr;
}

QString closingLineText(ClosingLayout layout, int untimely, int second)
{
    switch (closingLineNumbers(layout)) {
    case 1:
        return QString::number(untimely);
    case 2:
        return QString::number(untimely) + QLatin1Char(' ') + QString::number(second);
    }
    return QString();
}

const std::array<int, 4> SpeedTable = {1250, 1000, 750, 1000};

int testIndexOfExtension(const QString &ext)
{
    for (const TestEntry &s : Entries)
        if (s.extension == ext)
            return index(s.id);
    return -1;
}

QString testTitle(int testIndex)
{
    const TestEntry *s = testEntryAt(testIndex);
    return s ? s->title : QString();
}

} // namespace zoka
