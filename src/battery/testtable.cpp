// SPDX-License-Identifier: GPL-3.0-or-later
#include "battery/testtable.h"

namespace zoka {

namespace {
using C = CountChoice;
using F = ForeperiodSeries;
using S = ProtocolScheme;

const std::array<TestEntry, TestCount> Entries = {{
    {TestId::VisuelCentre, QStringLiteral("TR visuel centré"), QStringLiteral("TR Visuel Centré"),
     QStringLiteral("VC"), 3, C::Choice16_32_64, true, false, F::Master, 6, S::ReactionTime, "TForm1", false},
    {TestId::Lateralise, QStringLiteral("TR latéralisé"), QStringLiteral("TR Latéralisé"),
     QStringLiteral("LAT"), 3, C::Choice36_64, true, true, F::MasterGrid, 6, S::ReactionTime, "TFormTrl", false},
    {TestId::LateraliseFixation, QStringLiteral("TR latéralisé + Fixation"), QStringLiteral("TR Latéralisé + fixation"),
     QStringLiteral("LFC"), 3, C::Choice36_64, false, true, F::MasterGrid, 6, S::ReactionTime, "TFormTrfc", false},
    {TestId::SimpleBinaire, QStringLiteral("TR simple binaire"), QStringLiteral("TR Simple Binaire"),
     QStringLiteral("SB"), 2, C::Choice32_64, true, false, F::Master, 6, S::ReactionTime, "TFormTrs", false},
    {TestId::DoubleBinaire, QStringLiteral("TR double binaire"), QStringLiteral("TR Double Binaire"),
     QStringLiteral("DB"), 2, C::Choice32_64, true, false, F::Master, 8, S::ReactionTime, "TFormTrd", true},
    {TestId::Auditif, QStringLiteral("TR auditif"), QStringLiteral("TR Auditif"),
     QStringLiteral("AUD"), 3, C::Choice16_32_64, false, false, F::Master, 6, S::ReactionTime, "TFormTra", false},
    {TestId::Mixte, QStringLiteral("TR mixte"), QStringLiteral("TR Mixte"),
     QStringLiteral("MIX"), 3, C::Fixed64, true, false, F::Master, 6, S::ReactionTime, "TFormTrm", false},
    {TestId::AttentionSoutenue, QStringLiteral("Attention soutenue"), QStringLiteral("Attention soutenue"),
     QStringLiteral("AS"), 1, C::Speed, false, false, F::None, 25, S::Stream, "TFormTas", false},
    {TestId::PuceAsterisque, QStringLiteral("Puce  Astérisque"), QStringLiteral("Puce Astérisque"),
     QStringLiteral("PAS"), 30, C::Fixed64, false, true, F::MasterGrid, 10, S::Pointing, "TFormTpa", false},
    {TestId::PuceCarre, QStringLiteral("Puce  Carré"), QStringLiteral("Puce Carré"),
     QStringLiteral("PCA"), 30, C::Fixed64, false, true, F::MasterGrid, 10, S::Pointing, "TFormTpc", false},
}};
} // namespace

std::span<const TestEntry, TestCount> testTable() { return Entries; }

const TestEntry &testEntry(TestId id) { return Entries[size_t(id)]; }

const TestEntry *testEntryAt(int testIndex)
{
    return isTestIndex(testIndex) ? &Entries[size_t(testIndex)] : nullptr;
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
