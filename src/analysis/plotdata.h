#pragma once
#include "analysis/analysisstate.h"

#include <QList>
#include <QPointF>
#include <QString>

namespace zoka {

// What the plots of the analysis window (and of the report's PDF) show, taken from
// an analysis without any drawing: points are (position in the order of
// presentation, milliseconds).
struct PlotData {
    enum class Kind { None, Items, Stream };
    Kind kind = Kind::None;
    QString unavailableReason; // Kind::None: why there is nothing to draw

    int testIndex = 0;
    int itemCount = 0;       // N
    double limitMs = 0;      // upper time limit in force
    int timeoutMs = 0;       // the test's response window (omission value)

    // ---- tests 0-6, 8, 9 ----
    QList<QPointF> kept;          // kept times (TR mixte: the visual items)
    QList<QPointF> keptAuditory;  // TR mixte: the auditory items
    QList<QPointF> timeouts;      // no answer within the response window
    QList<QPointF> rejects;       // under 100 ms or above the limit in force
    QList<QPointF> falseAlarms;   // tests 3, 4: presses at a no-go item
    struct ForeperiodBar {
        int seconds = 0;
        double mean = 0;          // mean of the kept times (TR mixte: visual ones)
        int count = 0;
        double meanAuditory = 0;  // TR mixte only
        int countAuditory = 0;
    };
    QList<ForeperiodBar> foreperiods; // 1, 3, 5, 7 s; empty when unknown
    int gridSide = 0;             // 8 or 6 for tests 1, 2, 8, 9; else 0
    QList<int> gridValues;        // kept time of the item of each cell, row by row; 0 = none
    double leftMean = 0, rightMean = 0; // means of the two hemifields

    // ---- Attention soutenue ----
    QList<QPointF> letterHits;    // timed presses at letters
    QList<QPointF> digitPresses;  // false alarms at the digit 3, at their time
    QList<QPointF> letterMisses;  // letters without a press (y = 0)
    QList<QPointF> maskPresses;   // presses during the mask only (y = 0)
    QList<QPointF> fastPresses;   // presses under 100 ms (left out of the figures)
    int halfAt = 0;               // last position of the first half (N div 2)
    double half1Mean = 0, half2Mean = 0; // mean letter times of the two halves
    struct HalfCounts {
        int hits = 0, misses = 0, falseAlarms = 0;
    };
    HalfCounts half1, half2;
};

// The plot data of the analysis in `st` (read without error; the limit in force).
PlotData buildPlotData(const AnalysisState &st);

} // namespace zoka
