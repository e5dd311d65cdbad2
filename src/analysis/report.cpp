// SPDX-License-Identifier: GPL-3.0-or-later
#include "analysis/report.h"

#include "battery/series.h"
#include "analysis/analysis.h"
#include "battery/testtable.h"

#include <cmath>

namespace zoka {

bool regionStatistics(int testIndex)
{
    const TestEntry *entry = testEntryAt(testIndex);
    return entry && entry->grid;
}

bool goNoGoColumns(int testIndex)
{
    const TestEntry *entry = testEntryAt(testIndex);
    return entry && entry->goNoGo();
}

bool modalitySplit(int testIndex)
{
    const TestEntry *entry = testEntryAt(testIndex);
    return entry && entry->modalitySplit();
}

bool readsStream(int testIndex)
{
    const TestEntry *entry = testEntryAt(testIndex);
    return entry && entry->readAsStream();
}

bool pointingTest(int testIndex)
{
    const TestEntry *entry = testEntryAt(testIndex);
    return entry && entry->scheme == ProtocolScheme::Pointing;
}

ClosingLayout closingLayoutOf(int testIndex)
{
    const TestEntry *entry = testEntryAt(testIndex);
    return entry ? entry->closing : ClosingLayout::Untimely;
}

QString testSeries(int testIndex)
{
    return isTestIndex(testIndex) ? runStimulusSeries(TestId(testIndex), false, EndlessItemCount) : QString();
}

namespace {
// Whether the test has a 36-item series (its foreperiods, its 6 x 6 grid).
bool has36ItemSeries(int t)
{
    const TestEntry *entry = testEntryAt(t);
    return entry && entry->series == ForeperiodSeries::MasterGrid;
}
int cellWidth(int t)
{
    const TestEntry *entry = testEntryAt(t);
    return entry ? entry->scoreDigits : 4;
}

// Whether a cell of the score table is left out of its row (no-go items).
bool filteredOut(int testIndex, int item) { return !isGoItem(testIndex, item); }

// Item shown in cell c (1-based) of the score table.
int itemOfCell(const AnalysisState &st, int c)
{
    if (regionStatistics(st.TestIndex)) {
        if (st.ItemCount == 36)
            return (c >= 1 && c <= int(TestGrid36.size())) ? TestGrid36[c - 1] : 0;
        return (c >= 1 && c <= int(TestGrid64.size())) ? TestGrid64[c - 1] : 0;
    }
    // TR mixte: line c + 1 holds item c of the series (its item 0 comes first).
    if (modalitySplit(st.TestIndex))
        return c + 1;
    return c;
}

int rawOf(const AnalysisState &st, int item)
{
    return (item >= 1 && item <= MaxItemValues) ? st.RawValues[item - 1] : 0;
}

bool inLimits(const AnalysisState &st, int v) { return v >= 100 && double(v) <= st.RejectLimitMs; }
} // namespace

QChar seriesChar(const QString &series, int item)
{
    return (item >= 1 && item <= series.size()) ? series.at(item - 1) : QChar(u' ');
}

bool isGoItem(int testIndex, int item)
{
    const TestEntry *entry = testEntryAt(testIndex);
    if (!entry || !entry->goNoGo())
        return true;
    return isGoCode(entry->goRule, seriesChar(testSeries(testIndex), item).unicode());
}

void KeepValues(AnalysisState &st)
{
    for (int i = 0; i < MaxItemValues; ++i) {
        const int v = st.RawValues[i];
        st.KeptValues[i] = inLimits(st, v) ? v : 0;
    }
    if (goNoGoColumns(st.TestIndex))
        for (int item = 1; item <= 64; ++item)
            if (!isGoItem(st.TestIndex, item))
                st.KeptValues[item - 1] = 0;
}

int omissionCount(const AnalysisState &st)
{
    if (st.TestIndex < 0 || st.TestIndex >= TestCount)
        return 0;
    const int limit = testEntryAt(st.TestIndex)->timeLimitSeconds * 1000;
    int count = 0;
    for (int item = 1; item <= qMin(st.ItemCount, MaxItemValues); ++item)
        if (isGoItem(st.TestIndex, item) && st.RawValues[item - 1] >= limit)
            ++count;
    return count;
}

int foreperiodOf(int testIndex, int n, int item, int *internalError)
{
    if (n == 16 || n == 32 || n == 64)
        return (item >= 0 && item < int(MasterSequence.size())) ? MasterSequence[item] : 0;
    if (n == 36) {
        if (has36ItemSeries(testIndex))
            return (item >= 1 && item <= int(Sequence36.size())) ? Sequence36[item - 1] : 0;
        *internalError = 202;
        return 0;
    }
    *internalError = 203;
    return 0;
}

bool statisticsCoverCount(int testIndex, int n)
{
    if (modalitySplit(testIndex))
        return true;
    return n == 16 || n == 32 || n == 64 || (n == 36 && has36ItemSeries(testIndex));
}

void WriteScoreTable(AnalysisState &st, int cellsPerRow)
{
    ReportWriter &w = st.Report;
    const int t = st.TestIndex;
    const int width = cellWidth(t);
    const QString rejected = QString(width, u'=') + QStringLiteral("  ");
    const int rows = int(std::lround(double(st.ItemCount) / cellsPerRow));
    for (int r = 1; r <= rows; ++r) {
        QString prefix;
        if (modalitySplit(t)) {
            QString letters;
            if (r == 1) {
                for (int item = 1; item <= 9; ++item)
                    letters += QStringLiteral("  ") + seriesChar(TrmSeries, item) + QStringLiteral("   ");
                const int v = rawOf(st, 1);
                if (inLimits(st, v)) {
                    prefix = fmtInt(st.KeptValues[0], 4) + QStringLiteral("  ");
                } else {
                    prefix = st.AnalysisPass > 1 ? QStringLiteral("====  ")
                                                 : fmtInt(st.KeptValues[0], 4) + QStringLiteral("  ");
                    ++st.RejectCount;
                }
            } else {
                letters = QStringLiteral("      ");
                for (int item = 8 * r - 6; item <= 8 * r + 1; ++item)
                    letters += QStringLiteral("  ") + seriesChar(TrmSeries, item) + QStringLiteral("   ");
                prefix = QStringLiteral("      ");
            }
            w.line(letters);
        }
        QString row;
        for (int c = (r - 1) * cellsPerRow + 1; c <= r * cellsPerRow; ++c) {
            const int item = itemOfCell(st, c);
            const int v = rawOf(st, item);
            QString cell;
            if (inLimits(st, v)) {
                cell = fmtInt(v, width) + QStringLiteral("  ");
                if (c <= MaxItemValues)
                    st.GridValues[c - 1] = v;
            } else {
                if (c <= MaxItemValues)
                    st.GridValues[c - 1] = 0;
                cell = st.AnalysisPass == 1 ? fmtInt(v, width) + QStringLiteral("  ") : rejected;
                if (c <= st.ItemCount && isGoItem(t, item))
                    ++st.RejectCount;
            }
            if (!filteredOut(t, item))
                row += cell;
        }
        w.line(prefix + row);
    }
}

void WriteRejectLine(AnalysisState &st)
{
    ReportWriter &w = st.Report;
    w.line();
    if (st.AnalysisPass == 1)
        w.line(QStringLiteral("Rejet(s) (<100 msec.): ") + fmtInt(st.RejectCount));
    else
        w.line(QStringLiteral("Rejet(s) (>") + st.LimitText + QStringLiteral(" sec. ou <100 msec.): ")
               + fmtInt(st.RejectCount));
    w.line();
    w.line(QStringLiteral("                     Médiane & Ecart-type [Moyenne]"));
}

std::array<Stats, 8> regionStatistics(const AnalysisState &st)
{
    std::array<Stats, 8> out;
    const int k = st.ItemCount == 36 ? 6 : 8;
    const int half = k / 2;
    const int cells = qMin(st.ItemCount, qMin(k * k, MaxItemValues));
    for (int region = 0; region < 8; ++region) {
        std::array<int, MaxItemValues> values{};
        for (int c = 1; c <= cells; ++c) {
            const int row = (c - 1) / k + 1;
            const int col = (c - 1) % k + 1;
            const bool left = col <= half;
            const bool top = row <= half;
            bool in = false;
            switch (region) {
            case 0: in = left; break;
            case 1: in = !left; break;
            case 2: in = top; break;
            case 3: in = !top; break;
            case 4: in = top && left; break;
            case 5: in = !top && left; break;
            case 6: in = top && !left; break;
            case 7: in = !top && !left; break;
            }
            if (in)
                values[c - 1] = st.GridValues[c - 1];
        }
        out[std::size_t(region)] = ComputeStats(values, 0, cells - 1);
    }
    return out;
}

void WriteRegionStatistics(AnalysisState &st)
{
    const std::array<Stats, 8> regions = regionStatistics(st);
    for (int region = 0; region < 8; ++region)
        st.Report.line(RegionNames[region] + QStringLiteral("= ") + figuresText(regions[std::size_t(region)]));
}

bool WriteStatistics(AnalysisState &st)
{
    ReportWriter &w = st.Report;
    const int n = qMin(st.ItemCount, MaxItemValues);
    w.line(QStringLiteral("Global: Total   =    ") + figuresText(ComputeStats(st.KeptValues, 0, n - 1)));
    w.line(QStringLiteral("        Partie 1  =  ") + figuresText(ComputeStats(st.KeptValues, 0, n / 2 - 1)));
    w.line(QStringLiteral("        Partie 2  =  ") + figuresText(ComputeStats(st.KeptValues, n / 2, n - 1)));
    for (const int d : {1, 3, 5, 7}) {
        std::array<int, MaxItemValues> values{};
        for (int item = 1; item <= n; ++item) {
            int internalError = 0;
            const int fp = foreperiodOf(st.TestIndex, st.ItemCount, item, &internalError);
            if (internalError) {
                st.InternalErrorCode = internalError;
                return false;
            }
            if (fp == d)
                values[item - 1] = st.KeptValues[item - 1];
        }
        w.line(QStringLiteral("        Délai ") + fmtInt(d) + QStringLiteral(" sec= ")
               + figuresText(ComputeStats(values, 0, n - 1)));
    }
    if (regionStatistics(st.TestIndex))
        WriteRegionStatistics(st);
    return true;
}

CrossModal crossModalDifferences(const AnalysisState &st)
{
    CrossModal cm;
    for (int i = 1; i <= 64; ++i) {
        const QChar a = seriesChar(TrmSeries, i);
        const QChar b = seriesChar(TrmSeries, i + 1);
        const int d = st.KeptValues[i - 1] - st.KeptValues[i];
        if (a == u'V' && b == u'A') {
            cm.vToA << d;
            cm.vToATotal += d;
        } else if (a == u'A' && b == u'V') {
            cm.aToV << d;
            cm.aToVTotal += d;
        }
    }
    return cm;
}

void WriteMixedStatistics(AnalysisState &st)
{
    ReportWriter &w = st.Report;
    const int n = qMin(st.ItemCount, MaxItemValues);
    auto figures = [](const Stats &s) {
        return fmtR(s.median, 7, 1) + QStringLiteral("  &  ") + fmtR(s.sd, 7, 2) + QStringLiteral("  [ ")
            + fmtR(s.mean, 7, 2) + QStringLiteral(" ]");
    };
    const struct {
        QChar modality;
        QString label;
    } parts[] = {{u'V', QStringLiteral("VISUEL: ")}, {u'A', QStringLiteral("AUDITIF:")}};
    for (const auto &part : parts) {
        std::array<int, MaxItemValues> values{};
        for (int item = 1; item <= MaxItemValues; ++item)
            if (seriesChar(TrmSeries, item) == part.modality)
                values[item - 1] = st.KeptValues[item - 1];
        w.line(part.label + QStringLiteral("Total   =    ") + figures(ComputeStats(values, 0, n - 1)));
        w.line(QStringLiteral("        Partie 1  =  ") + figures(ComputeStats(values, 0, n / 2)));
        w.line(QStringLiteral("        Partie 2  =  ") + figures(ComputeStats(values, n / 2 + 1, n - 1)));
    }
    if (st.RejectLimitMs == 3000) {
        const CrossModal cm = crossModalDifferences(st);
        w.line(QStringLiteral("Diff.crossmodales"));
        QString line = QStringLiteral("  V->A=");
        for (int d : cm.vToA)
            line += fmtInt(d, 5);
        w.line(line + QStringLiteral(" tot= ") + fmtInt(cm.vToATotal, 5));
        line = QStringLiteral("  A->V=");
        for (int d : cm.aToV)
            line += fmtInt(d, 5);
        w.line(line + QStringLiteral(" tot= ") + fmtInt(cm.aToVTotal, 5));
    }
}

bool AnalyseValues(AnalysisState &st)
{
    ReportWriter &w = st.Report;
    st.RejectCount = 0;
    st.InternalErrorCode = 0;
    KeepValues(st);
    w.line(st.AnalysisPass == 1 ? QStringLiteral("Scores bruts:") : QString());

    const int t = st.TestIndex;
    int cellsPerRow = 0;
    if (st.ItemCount == 16 || st.ItemCount == 32 || st.ItemCount == 64 || st.ItemCount == 65)
        cellsPerRow = testEntryAt(t) ? testEntryAt(t)->scoresPerRow : 8;
    else if (st.ItemCount == 36)
        cellsPerRow = 6;
    if (cellsPerRow > 0)
        WriteScoreTable(st, cellsPerRow);

    WriteRejectLine(st);
    if (modalitySplit(t)) {
        WriteMixedStatistics(st);
    } else if (isTestIndex(t) && !readsStream(t)) {
        if (!WriteStatistics(st))
            return false;
    } else {
        const QString dashes(42, u'-');
        w.line(dashes);
        w.line(QStringLiteral("Pas de module d'analyse pour cette épreuve"));
        w.line(dashes);
    }
    w.line(QString(51, u'*'));
    ++st.AnalysisPass;
    return true;
}

} // namespace zoka
