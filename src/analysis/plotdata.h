// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include "analysis/analysisstate.h"

#include <QList>
#include <QPointF>
#include <QString>

namespace zoka {

// What the plots of the analysis window (and of the report's PDF) show, taken from
// an analysis without any drawing: points are (position in the order of
// presentation, milliseconds). The figures are those of the report (medians of the
// times it keeps); items without an answer in time, rejected times and false alarms
// are marks of their own, never mixed into a scale or a figure of their own.
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
    double keptMedian = 0;          // the report's median of the whole run (TR mixte: visual)
    double keptMedianAuditory = 0;  // TR mixte: the report's auditory median
    double timeScaleTop = 0;      // top of the time scale: above every kept time only
    struct ForeperiodBar {
        int seconds = 0;
        double median = 0;        // the report's median of the kept times (TR mixte: visual ones)
        int count = 0;
        double medianAuditory = 0; // TR mixte only
        int countAuditory = 0;
    };
    QList<ForeperiodBar> foreperiods; // 1, 3, 5, 7 s; empty for tests without foreperiods
    enum class Cell { Kept, TimedOut, Rejected };
    int gridSide = 0;             // 8 or 6 for tests 1, 2, 8, 9; else 0
    QList<int> gridValues;        // kept time of the item of each cell, row by row; 0 = none
    QList<Cell> gridCells;        // what each cell holds
    int gridLow = 0, gridHigh = 0; // colour scale: the least and the greatest kept time
    double leftMedian = 0, rightMedian = 0; // the report's medians of the two hemifields

    // ---- Attention soutenue ----
    QList<QPointF> letterHits;    // timed presses at letters
    QList<QPointF> digitPresses;  // false alarms at the digit 3, at their time
    QList<QPointF> letterMisses;  // letters without a press (y = 0)
    QList<QPointF> maskPresses;   // presses during the mask only (y = 0)
    QList<QPointF> fastPresses;   // presses under 100 ms (left out of the figures)
    int halfAt = 0;               // last position of the first half (N div 2)
    double half1Median = 0, half2Median = 0; // the report's median letter times of the two halves
    struct HalfCounts {
        int hits = 0, misses = 0, falseAlarms = 0;
    };
    HalfCounts half1, half2;
};

// A round top for a time scale over values up to `highest` ms: a little above it, on
// a step of 1, 2 or 5 times a power of ten (at least 100).
double roundedScaleTop(double highest);

// The plot data of the analysis in `st` (read without error; the limit in force).
PlotData buildPlotData(const AnalysisState &st);

} // namespace zoka
