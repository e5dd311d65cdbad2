// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include "analysis/analysisstate.h"
#include "analysis/stats.h"
#include "battery/series.h"

#include <QList>
#include <QString>
#include <array>

namespace zoka {

// Screen regions of the lateralised and pointing tests, 20 characters each.
inline const std::array<QString, 8> RegionNames = {
    QStringLiteral("Hémichamp Gauche    "),
    QStringLiteral("Hémichamp Droit     "),
    QStringLiteral("Moitié Supérieure   "),
    QStringLiteral("Moitié Inférieure   "),
    QStringLiteral("Quadrant Sup. Gauche"),
    QStringLiteral("Quadrant Inf. Gauche"),
    QStringLiteral("Quadrant Sup. Droit "),
    QStringLiteral("Quadrant Inf. Droit "),
};

// What the analysis does differently for a test, as the test table says (false,
// or the plain layout, for an index that names no test).
bool regionStatistics(int testIndex); // stimuli on a grid: sides, halves, quarters
bool goNoGoColumns(int testIndex);    // go items only; false alarms and omissions
bool modalitySplit(int testIndex);    // visual and auditory items apart (TR mixte)
bool readsStream(int testIndex);      // a stream of characters: its own reader
bool pointingTest(int testIndex);     // pointing: long times, its own limits
ClosingLayout closingLayoutOf(int testIndex);

// The stimulus series of the real runs of a test (empty where items differ only by
// foreperiod and place).
QString testSeries(int testIndex);

// Stimulus character of item i (1-based) of a series, or a blank beyond its end.
QChar seriesChar(const QString &series, int item);

// Whether item i (1-based) asks for a press under the test's go rule.
bool isGoItem(int testIndex, int item);

// KeptValues from RawValues and RejectLimitMs (all 65 items), with the no-go items
// then set to 0.
void KeepValues(AnalysisState &st);

// Omissions: go items among 1..N whose raw value reaches the opening time limit.
int omissionCount(const AnalysisState &st);

// Foreperiod (seconds) of item i of an N-item series, or 0 with `internalError` set
// to 202 (36 items for a test without a 36-item series) or 203 (any other count).
int foreperiodOf(int testIndex, int n, int item, int *internalError);

// Whether the statistics of test `testIndex` can be made for an N-item file (the
// foreperiods of the series are known; TR mixte needs none).
bool statisticsCoverCount(int testIndex, int n);

// Pieces of an analysis block, each appending to st.Report.
void WriteScoreTable(AnalysisState &st, int cellsPerRow);
void WriteRejectLine(AnalysisState &st);
bool WriteStatistics(AnalysisState &st);       // false after an internal error
void WriteRegionStatistics(AnalysisState &st);
// Statistics of the eight regions (RegionNames) from GridValues (after a score table).
std::array<Stats, 8> regionStatistics(const AnalysisState &st);
void WriteMixedStatistics(AnalysisState &st);

// The cross-modal differences of TR mixte (V->A and A->V switches, in item order).
struct CrossModal {
    QList<int> vToA, aToV;
    int vToATotal = 0, aToVTotal = 0;
};
CrossModal crossModalDifferences(const AnalysisState &st);

} // namespace zoka
