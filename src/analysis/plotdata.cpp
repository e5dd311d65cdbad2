// SPDX-License-Identifier: GPL-3.0-or-later
#include "analysis/plotdata.h"

#include "battery/series.h"
#include "analysis/report.h"
#include "analysis/stats.h"
#include "analysis/sustainedtally.h"
#include "battery/testtable.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace zoka {

namespace {

double medianOf(const std::array<int, MaxItemValues> &values, int count)
{
    return ComputeStats(values, 0, count - 1).median;
}

bool hasForeperiods(int t)
{
    const TestEntry *entry = testEntryAt(t);
    return entry && entry->scheme == ProtocolScheme::ReactionTime;
}

void buildItems(const AnalysisState &st, PlotData &d)
{
    const int t = st.TestIndex;
    const int n = st.ItemCount;
    auto kept = [&](int v) { return v >= 100 && double(v) <= st.RejectLimitMs; };
    const bool split = modalitySplit(t);
    auto auditory = [&](int i) { return split && seriesChar(TrmSeries, i) == u'A'; };

    // The times the report keeps (its figures), by item.
    std::array<int, MaxItemValues> visual{}, heard{};
    for (int i = 1; i <= n; ++i) {
        const int v = st.RawValues[i - 1];
        const QPointF p(i, v);
        if (isGoItem(t, i) && kept(v))
            (auditory(i) ? heard : visual)[i - 1] = v;
        if (!isGoItem(t, i)) {
            if (v < d.timeoutMs)
                d.falseAlarms << p;
        } else if (v >= d.timeoutMs) {
            d.timeouts << p;
        } else if (!kept(v)) {
            d.rejects << p;
        } else if (auditory(i)) {
            d.keptAuditory << p;
        } else {
            d.kept << p;
        }
    }
    d.keptMedian = medianOf(visual, n);
    d.keptMedianAuditory = medianOf(heard, n);
    double highest = 0;
    for (const QList<QPointF> *list : {&d.kept, &d.keptAuditory})
        for (const QPointF &p : *list)
            highest = std::max(highest, p.y());
    d.timeScaleTop = roundedScaleTop(highest > 0 ? highest : std::min(d.limitMs, double(d.timeoutMs)));

    // Medians by foreperiod, over the times the report keeps (its "Délai" lines).
    if (hasForeperiods(t)) {
        std::array<int, MaxItemValues> foreperiod{};
        for (int i = 1; i <= n; ++i) {
            int internalError = 0;
            // TR mixte: line i is item i - 1 of the series, which waits MasterSequence[i - 1].
            foreperiod[i - 1] = split ? MasterSequence[i - 1] : foreperiodOf(t, n, i, &internalError);
            if (internalError)
                return;
        }
        for (const int seconds : {1, 3, 5, 7}) {
            std::array<int, MaxItemValues> seen{}, sounded{};
            PlotData::ForeperiodBar bar;
            bar.seconds = seconds;
            for (int i = 1; i <= n; ++i) {
                if (foreperiod[i - 1] != seconds || (visual[i - 1] == 0 && heard[i - 1] == 0))
                    continue;
                if (auditory(i)) {
                    sounded[i - 1] = heard[i - 1];
                    ++bar.countAuditory;
                } else {
                    seen[i - 1] = visual[i - 1];
                    ++bar.count;
                }
            }
            bar.median = medianOf(seen, n);
            bar.medianAuditory = medianOf(sounded, n);
            d.foreperiods << bar;
        }
    }

    if (regionStatistics(t) && (n == 36 || n == 64)) {
        const int k = n == 36 ? 6 : 8;
        d.gridSide = k;
        std::array<int, MaxItemValues> left{}, right{};
        for (int c = 1; c <= k * k; ++c) {
            const int item = n == 36 ? TestGrid36[c - 1] : TestGrid64[c - 1];
            const int v = st.RawValues[item - 1];
            // The hemifield figures are the report's; the colours leave time-outs out.
            ((c - 1) % k < k / 2 ? left : right)[c - 1] = kept(v) ? v : 0;
            PlotData::Cell cell = PlotData::Cell::Kept;
            if (v >= d.timeoutMs)
                cell = PlotData::Cell::TimedOut;
            else if (!kept(v))
                cell = PlotData::Cell::Rejected;
            d.gridCells << cell;
            d.gridValues << (cell == PlotData::Cell::Kept ? v : 0);
            if (cell == PlotData::Cell::Kept) {
                d.gridLow = d.gridLow == 0 ? v : std::min(d.gridLow, v);
                d.gridHigh = std::max(d.gridHigh, v);
            }
        }
        d.leftMedian = medianOf(left, k * k);
        d.rightMedian = medianOf(right, k * k);
    }
}

void buildStream(const AnalysisState &st, PlotData &d)
{
    const int n = st.ItemCount;
    d.halfAt = n / 2;
    SustainedTally tally(n);
    // DataLines: header, practice line, then one line per character.
    for (int i = 1; i <= SustainedItemCount && i + 1 < st.DataLines.size(); ++i) {
        const SustainedLine line = parseSustainedLine(st.DataLines.at(i + 1));
        if (!line.ok)
            continue;
        tally.addLine(i, line.character, line.value);
        PlotData::HalfCounts &half = i <= d.halfAt ? d.half1 : d.half2;
        const int v = line.value;
        const double time = std::abs(double(v));
        if (line.character == u'3') {
            if (v == -1) {
                d.maskPresses << QPointF(i, 0);
            } else if (v != 0) {
                d.digitPresses << QPointF(i, time);
                ++half.falseAlarms;
            }
        } else if (v == 0) {
            d.letterMisses << QPointF(i, 0);
            ++half.misses;
        } else if (v == -1) {
            d.maskPresses << QPointF(i, 0);
        } else if (time < SustainedRejectBelowMs) {
            d.fastPresses << QPointF(i, time);
        } else {
            d.letterHits << QPointF(i, time);
            ++half.hits;
        }
    }
    const std::vector<int> &times = tally.letterTimes();
    const int count = int(times.size());
    auto median = [&](int first, int last) { // 1-based items, as the report's PARTIE lines
        first = qMax(first, 1);
        last = qMin(last, count);
        return last < first ? 0.0 : ComputeStats(times.data(), first - 1, last - 1).median;
    };
    d.half1Median = median(1, n / 2);
    d.half2Median = median(n / 2 + 1, n);
}

} // namespace

double roundedScaleTop(double highest)
{
    if (!(highest > 0))
        return 100;
    const double wanted = highest * 1.05;
    const double power = std::pow(10.0, std::floor(std::log10(wanted / 5)));
    double step = 10 * power;
    for (const double m : {1.0, 2.0, 5.0})
        if (wanted / (m * power) <= 6) {
            step = m * power;
            break;
        }
    return std::max(100.0, std::ceil(wanted / step) * step);
}

PlotData buildPlotData(const AnalysisState &st)
{
    PlotData d;
    const int t = st.TestIndex;
    d.testIndex = t;
    d.itemCount = st.ItemCount;
    d.limitMs = st.RejectLimitMs;
    d.timeoutMs = testEntryAt(t) ? testEntryAt(t)->timeLimitSeconds * 1000 : 0;

    if (st.AnalysisError == AnalysisUnlimited) {
        d.unavailableReason = QStringLiteral("Nombre non limité d'items : pas de graphique.");
        return d;
    }
    if (st.AnalysisError != AnalysisNoError || st.InternalErrorCode != 0 || !st.LinesLoaded) {
        d.unavailableReason = QStringLiteral("Pas de graphique : le fichier n'a pas pu être analysé.");
        return d;
    }
    if (readsStream(t)) {
        d.kind = PlotData::Kind::Stream;
        buildStream(st, d);
        return d;
    }
    if (t < 0 || t >= TestCount || st.ItemCount < 1 || st.ItemCount > MaxItemValues
        || !statisticsCoverCount(t, st.ItemCount)) {
        d.unavailableReason = QStringLiteral("Pas de graphique pour ce nombre d'items.");
        return d;
    }
    d.kind = PlotData::Kind::Items;
    buildItems(st, d);
    return d;
}

} // namespace zoka
