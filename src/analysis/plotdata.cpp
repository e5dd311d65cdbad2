#include "analysis/plotdata.h"

#include "battery/series.h"
#include "analysis/report.h"
#include "analysis/stats.h"
#include "analysis/sustainedtally.h"
#include "battery/testtable.h"

#include <cstdlib>

namespace zoka {

namespace {

constexpr int SustainedTest = 7;

bool isGridTest(int t) { return t == 1 || t == 2 || t == 8 || t == 9; }

double meanOf(const std::array<int, MaxItemValues> &values, int count)
{
    return ComputeStats(values, 0, count - 1).mean;
}

void buildItems(const AnalysisState &st, PlotData &d)
{
    const int t = st.TestIndex;
    const int n = st.N;
    auto kept = [&](int v) { return v >= 100 && double(v) <= st.RejectLimitMs; };

    for (int i = 1; i <= n; ++i) {
        const int v = st.RawValues[i - 1];
        const QPointF p(i, v);
        if (!isGoItem(t, i)) {
            if (v < d.timeoutMs)
                d.falseAlarms << p;
        } else if (v >= d.timeoutMs) {
            d.timeouts << p;
        } else if (!kept(v)) {
            d.rejects << p;
        } else if (t == 6 && seriesChar(TrmSeries, i) == u'A') {
            d.keptAuditory << p;
        } else {
            d.kept << p;
        }
    }

    // Means by foreperiod, over the times the report keeps (its "Délai" lines).
    for (const int seconds : {1, 3, 5, 7}) {
        std::array<int, MaxItemValues> visual{}, auditory{};
        PlotData::ForeperiodBar bar;
        bar.seconds = seconds;
        for (int i = 1; i <= n; ++i) {
            int internalError = 0;
            // TR mixte: line i is item i - 1 of the series, which waits MasterSequence[i - 1].
            const int fp = t == 6 ? MasterSequence[i - 1] : foreperiodOf(t, n, i, &internalError);
            if (internalError)
                return;
            const int v = st.RawValues[i - 1];
            if (fp != seconds || !isGoItem(t, i) || !kept(v))
                continue;
            if (t == 6 && seriesChar(TrmSeries, i) == u'A') {
                auditory[i - 1] = v;
                ++bar.countAuditory;
            } else {
                visual[i - 1] = v;
                ++bar.count;
            }
        }
        bar.mean = meanOf(visual, n);
        bar.meanAuditory = meanOf(auditory, n);
        d.foreperiods << bar;
    }

    if (isGridTest(t) && (n == 36 || n == 64)) {
        const int k = n == 36 ? 6 : 8;
        d.gridSide = k;
        std::array<int, MaxItemValues> left{}, right{};
        for (int c = 1; c <= k * k; ++c) {
            const int item = n == 36 ? TestGrid36[c - 1] : TestGrid64[c - 1];
            const int v = st.RawValues[item - 1];
            const int value = kept(v) ? v : 0;
            d.gridValues << value;
            ((c - 1) % k < k / 2 ? left : right)[c - 1] = value;
        }
        d.leftMean = meanOf(left, k * k);
        d.rightMean = meanOf(right, k * k);
    }
}

void buildStream(const AnalysisState &st, PlotData &d)
{
    const int n = st.N;
    d.halfAt = n / 2;
    SustainedTally tally(n);
    // DStr: header, practice line, then one line per character.
    for (int i = 1; i <= SustainedItemCount && i + 1 < st.DStr.size(); ++i) {
        const SustainedLine line = parseSustainedLine(st.DStr.at(i + 1));
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
    auto mean = [&](int first, int last) { // 1-based items, as the report's PARTIE lines
        first = qMax(first, 1);
        last = qMin(last, count);
        return last < first ? 0.0 : ComputeStats(times.data(), first - 1, last - 1).mean;
    };
    d.half1Mean = mean(1, n / 2);
    d.half2Mean = mean(n / 2 + 1, n);
}

} // namespace

PlotData buildPlotData(const AnalysisState &st)
{
    PlotData d;
    const int t = st.TestIndex;
    d.testIndex = t;
    d.itemCount = st.N;
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
    if (t == SustainedTest) {
        d.kind = PlotData::Kind::Stream;
        buildStream(st, d);
        return d;
    }
    if (t < 0 || t >= TestCount || st.N < 1 || st.N > MaxItemValues
        || !statisticsCoverCount(t, st.N)) {
        d.unavailableReason = QStringLiteral("Pas de graphique pour ce nombre d'items.");
        return d;
    }
    d.kind = PlotData::Kind::Items;
    buildItems(st, d);
    return d;
}

} // namespace zoka
