// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include "analysis/plotdata.h"

#include <QList>
#include <QString>
#include <QWidget>

class QChart;
class QChartView;
class QLabel;
class QPainter;
class QTabWidget;

namespace zoka {

// One chart of an analysis and the name of its tab.
struct NamedChart {
    QString name;
    QChart *chart = nullptr; // owned by whoever asked for it
};

// The charts of an analysis: reaction time per item (time-outs, rejects and false
// alarms marked) and the means by foreperiod; for the grid tests the field of the
// screen with the time of each position; for "Attention soutenue" the presses along
// the stream with its two halves, and the counts of each half. Empty for
// Kind::None. New objects at every call.
QList<NamedChart> makeAnalysisCharts(const PlotData &data);

// Draws `chart` into `target` of `painter` (a PDF page, an image), laid out at
// `logicalSize` pixels and scaled to fit.
void renderChart(QChart *chart, QPainter *painter, const QRectF &target, const QSizeF &logicalSize);

// The plots beside the report: one tab per chart, or a line saying why there is
// none.
class AnalysisPlots : public QWidget {
    Q_OBJECT
public:
    explicit AnalysisPlots(QWidget *parent = nullptr);

    void setData(const PlotData &data);
    const PlotData &data() const { return m_data; }

    QTabWidget *tabs() const { return m_tabs; }
    QLabel *message() const { return m_message; }
    QList<QChartView *> views() const;

private:
    PlotData m_data;
    QTabWidget *m_tabs;
    QLabel *m_message;
};

} // namespace zoka

namespace zoka {

struct FollowUpSeries;

// The charts of a follow-up for one test, across its administrations: the median
// reaction time with a band of one standard deviation on each side, and the errors
// (omissions, false alarms where the test has them, untimely presses). Empty when
// there is no administration to show. New objects at every call.
QList<NamedChart> makeFollowUpCharts(const FollowUpSeries &series);

} // namespace zoka
