// SPDX-License-Identifier: GPL-3.0-or-later
#include "analysis/widgets/plots.h"

#include "analysis/followup.h"
#include "analysis/report.h"
#include "analysis/reportwriter.h"


#include <QAreaSeries>
#include <QBarCategoryAxis>
#include <QBarSeries>
#include <QBarSet>
#include <QCategoryAxis>
#include <QChart>
#include <QChartView>
#include <QCoreApplication>
#include <QGraphicsLayout>
#include <QGraphicsScene>
#include <QGraphicsRectItem>
#include <QGraphicsSimpleTextItem>
#include <QLinearGradient>
#include <QLabel>
#include <QLegendMarker>
#include <QLineSeries>
#include <QPainter>
#include <QScatterSeries>
#include <QTabWidget>
#include <QValueAxis>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>

namespace zoka {

namespace {

const QColor KeptColour(31, 95, 168);
const QColor AuditoryColour(36, 140, 70);
const QColor TimeoutColour(120, 120, 120);
const QColor RejectColour(230, 140, 20);
const QColor FalseAlarmColour(200, 30, 30);
const QColor MaskColour(130, 60, 160);

QChart *newChart(const QString &title)
{
    auto *chart = new QChart;
    chart->setTitle(title);
    chart->setAnimationOptions(QChart::NoAnimation);
    chart->legend()->setAlignment(Qt::AlignBottom);
    QFont small = chart->legend()->font();
    small.setPointSizeF(8.5);
    chart->legend()->setFont(small);
    QFont titleFont = chart->titleFont();
    titleFont.setPointSizeF(9.5);
    titleFont.setBold(true);
    chart->setTitleFont(titleFont);
    chart->setMargins(QMargins(4, 4, 4, 4));
    return chart;
}

QValueAxis *valueAxis(const QString &title, double from, double to)
{
    auto *axis = new QValueAxis;
    axis->setTitleText(title);
    axis->setRange(from, to);
    axis->setLabelFormat(QStringLiteral("%d"));
    QFont f = axis->labelsFont();
    f.setPointSizeF(9);
    axis->setLabelsFont(f);
    axis->setTitleFont(f);
    return axis;
}

// A step between ticks giving about `ticks` intervals: 1, 2 or 5 times a power of ten.
double niceStep(double range, int ticks)
{
    if (range <= 0)
        return 1;
    const double raw = range / ticks;
    const double power = std::pow(10.0, std::floor(std::log10(raw)));
    for (const double m : {1.0, 2.0, 5.0, 10.0})
        if (raw <= m * power)
            return m * power;
    return 10 * power;
}

void setTicks(QValueAxis *axis, double step)
{
    axis->setTickType(QValueAxis::TicksDynamic);
    axis->setTickAnchor(0);
    axis->setTickInterval(step);
}

void attach(QChart *chart, QAbstractSeries *series, QAbstractAxis *x, QAbstractAxis *y)
{
    chart->addSeries(series);
    series->attachAxis(x);
    series->attachAxis(y);
}

QScatterSeries *markers(const QString &name, const QList<QPointF> &points, const QColor &colour,
                        QScatterSeries::MarkerShape shape, double size)
{
    auto *s = new QScatterSeries;
    s->setName(name);
    s->append(points);
    s->setColor(colour);
    s->setBorderColor(colour.darker(130));
    s->setMarkerShape(shape);
    s->setMarkerSize(size);
    return s;
}

QLineSeries *segment(const QString &name, QPointF a, QPointF b, const QColor &colour,
                     Qt::PenStyle style, double width = 1.5)
{
    auto *s = new QLineSeries;
    s->setName(name);
    s->append(a);
    s->append(b);
    QPen pen(colour);
    pen.setStyle(style);
    pen.setWidthF(width);
    s->setPen(pen);
    return s;
}

// A series that names something on the chart but should not appear in the legend.
void hideFromLegend(QChart *chart, QAbstractSeries *series)
{
    for (QLegendMarker *m : chart->legend()->markers(series))
        m->setVisible(false);
}

double highest(std::initializer_list<const QList<QPointF> *> lists)
{
    double top = 0;
    for (const QList<QPointF> *list : lists)
        for (const QPointF &p : *list)
            top = std::max(top, p.y());
    return top;
}

QString ms(double v) { return QString::number(qRound(v)) + QStringLiteral(" ms"); }

// A median as the report writes it.
QString medianMs(double v) { return fmtF1(v) + QStringLiteral(" ms"); }

// The marks above the top of the scale are drawn just under it.
QList<QPointF> underTop(const QList<QPointF> &points, double top)
{
    QList<QPointF> out;
    for (const QPointF &p : points)
        out << QPointF(p.x(), std::min(p.y(), top * 0.97));
    return out;
}

QString counted(const QString &name, qsizetype count)
{
    return name + QStringLiteral(" (") + QString::number(count) + u')';
}

QChart *itemsChart(const PlotData &d)
{
    QChart *chart = newChart(QStringLiteral("Temps de réaction par item, dans l'ordre de présentation"));
    chart->legend()->setAlignment(Qt::AlignRight); // a list: the names and counts are never cut short
    // The scale is that of the kept times: a time-out or a reject above it is a mark
    // at its top, counted in the legend.
    const double top = d.timeScaleTop;
    auto *x = valueAxis(QStringLiteral("Item"), 0, d.itemCount + 1);
    setTicks(x, niceStep(d.itemCount, 8));
    auto *y = valueAxis(QStringLiteral("ms"), 0, top);
    setTicks(y, niceStep(top, 5));
    chart->addAxis(x, Qt::AlignBottom);
    chart->addAxis(y, Qt::AlignLeft);

    const QColor medianColour = KeptColour.darker(140);
    if (modalitySplit(d.testIndex)) {
        attach(chart, markers(counted(QStringLiteral("Visuel"), d.kept.size()), d.kept, KeptColour,
                              QScatterSeries::MarkerShapeCircle, 7), x, y);
        attach(chart, markers(counted(QStringLiteral("Auditif"), d.keptAuditory.size()), d.keptAuditory,
                              AuditoryColour, QScatterSeries::MarkerShapeRotatedRectangle, 8), x, y);
        attach(chart, segment(QStringLiteral("Médiane visuelle ") + medianMs(d.keptMedian), QPointF(0, d.keptMedian),
                              QPointF(d.itemCount + 1, d.keptMedian), medianColour, Qt::DashLine, 1.5),
               x, y);
        attach(chart, segment(QStringLiteral("Médiane auditive ") + medianMs(d.keptMedianAuditory),
                              QPointF(0, d.keptMedianAuditory), QPointF(d.itemCount + 1, d.keptMedianAuditory),
                              AuditoryColour.darker(140), Qt::DotLine, 1.5),
               x, y);
    } else {
        auto *line = new QLineSeries;
        line->setName(counted(QStringLiteral("Temps retenus"), d.kept.size()));
        line->append(d.kept);
        line->setColor(KeptColour);
        line->setPointsVisible(true);
        attach(chart, line, x, y);
        attach(chart, segment(QStringLiteral("Médiane ") + medianMs(d.keptMedian), QPointF(0, d.keptMedian),
                              QPointF(d.itemCount + 1, d.keptMedian), medianColour, Qt::DashLine, 1.5),
               x, y);
    }
    if (!d.timeouts.isEmpty())
        attach(chart, markers(counted(QStringLiteral("Absence de réponse en %1 s").arg(d.timeoutMs / 1000), d.timeouts.size()),
                              underTop(d.timeouts, top), TimeoutColour, QScatterSeries::MarkerShapeRectangle, 9),
               x, y);
    if (!d.rejects.isEmpty())
        attach(chart, markers(counted(QStringLiteral("Rejets"), d.rejects.size()), underTop(d.rejects, top),
                              RejectColour, QScatterSeries::MarkerShapeTriangle, 10),
               x, y);
    if (!d.falseAlarms.isEmpty())
        attach(chart, markers(counted(QStringLiteral("Fausses alarmes"), d.falseAlarms.size()),
                              underTop(d.falseAlarms, top), FalseAlarmColour, QScatterSeries::MarkerShapeStar, 12),
               x, y);
    if (d.limitMs > 0 && d.limitMs <= top)
        attach(chart, segment(QStringLiteral("Limite ") + ms(d.limitMs), QPointF(0, d.limitMs),
                              QPointF(d.itemCount + 1, d.limitMs), TimeoutColour, Qt::DashLine, 1),
               x, y);
    return chart;
}

QChart *foreperiodChart(const PlotData &d)
{
    QChart *chart = newChart(QStringLiteral("Temps médian par délai (temps retenus)"));
    auto *series = new QBarSeries;
    auto *visual = new QBarSet(modalitySplit(d.testIndex) ? QStringLiteral("Visuel") : QStringLiteral("Médiane"));
    visual->setColor(KeptColour);
    QBarSet *auditory = nullptr;
    if (modalitySplit(d.testIndex)) {
        auditory = new QBarSet(QStringLiteral("Auditif"));
        auditory->setColor(AuditoryColour);
    }
    QStringList categories;
    double top = 0;
    for (const PlotData::ForeperiodBar &bar : d.foreperiods) {
        categories << (auditory ? QStringLiteral("%1 s (%2 + %3)").arg(bar.seconds).arg(bar.count).arg(bar.countAuditory)
                                : QStringLiteral("%1 s (%2)").arg(bar.seconds).arg(bar.count));
        *visual << bar.median;
        top = std::max(top, bar.median);
        if (auditory) {
            *auditory << bar.medianAuditory;
            top = std::max(top, bar.medianAuditory);
        }
    }
    series->append(visual);
    if (auditory)
        series->append(auditory);
    series->setLabelsVisible(true);
    series->setLabelsFormat(QStringLiteral("@value"));
    series->setLabelsPrecision(6);
    series->setLabelsPosition(QAbstractBarSeries::LabelsInsideEnd);
    for (QBarSet *set : series->barSets())
        set->setLabelColor(Qt::white);
    chart->addSeries(series);
    auto *x = new QBarCategoryAxis;
    x->append(categories);
    x->setTitleText(auditory ? QStringLiteral("Délai avant le stimulus (nombre de temps retenus : visuels + auditifs)")
                             : QStringLiteral("Délai avant le stimulus (nombre de temps retenus)"));
    QFont f = x->labelsFont();
    f.setPointSizeF(9);
    x->setLabelsFont(f);
    x->setTitleFont(f);
    top = roundedScaleTop(top);
    auto *y = valueAxis(QStringLiteral("ms"), 0, top);
    setTicks(y, niceStep(top, 5));
    chart->addAxis(x, Qt::AlignBottom);
    chart->addAxis(y, Qt::AlignLeft);
    series->attachAxis(x);
    series->attachAxis(y);
    if (!modalitySplit(d.testIndex))
        chart->legend()->hide();
    return chart;
}

const QColor TimedOutCell(70, 70, 70);

// The colour of a kept time between the least and the greatest kept time.
QColor heat(int v, int low, int high)
{
    const double f = high > low ? std::clamp(double(v - low) / (high - low), 0.0, 1.0) : 0.5;
    const QColor a(255, 244, 190), b(190, 40, 30);
    return QColor::fromRgbF(a.redF() + f * (b.redF() - a.redF()), a.greenF() + f * (b.greenF() - a.greenF()),
                            a.blueF() + f * (b.blueF() - a.blueF()));
}

QBrush cellBrush(const PlotData &d, int c)
{
    switch (d.gridCells[c]) {
    case PlotData::Cell::TimedOut:
        return TimedOutCell;
    case PlotData::Cell::Rejected:
        return QBrush(RejectColour, Qt::BDiagPattern);
    case PlotData::Cell::Kept:
        break;
    }
    return heat(d.gridValues[c], d.gridLow, d.gridHigh);
}

QString cellText(const PlotData &d, int c)
{
    switch (d.gridCells[c]) {
    case PlotData::Cell::TimedOut:
        return QStringLiteral("≥ %1 s").arg(d.timeoutMs / 1000);
    case PlotData::Cell::Rejected:
        return QStringLiteral("rejet");
    case PlotData::Cell::Kept:
        break;
    }
    return QString::number(d.gridValues[c]);
}

// The texts of the field's cells kept in the middle of their cells, and beside the
// field the colour scale of the kept times with the marks of the other cells.
class FieldTexts : public QObject {
public:
    FieldTexts(QChart *chart, QAbstractSeries *reference, const PlotData &d)
        : QObject(chart), m_chart(chart), m_reference(reference), m_side(d.gridSide)
    {
        QFont f = chart->font();
        f.setPointSizeF(m_side > 6 ? 8 : 9);
        for (int c = 0; c < d.gridValues.size(); ++c) {
            auto *item = new QGraphicsSimpleTextItem(cellText(d, c), chart);
            item->setFont(f);
            item->setBrush(d.gridCells[c] == PlotData::Cell::TimedOut ? Qt::white : Qt::black);
            item->setZValue(10);
            m_cells << item;
        }
        QFont legend = chart->font();
        legend.setPointSizeF(8.5);
        m_title = text(QStringLiteral("Temps retenus"), legend);
        QLinearGradient gradient(0, 0, 0, 1);
        gradient.setCoordinateMode(QGradient::ObjectMode);
        gradient.setColorAt(0, heat(d.gridHigh, d.gridLow, d.gridHigh));
        gradient.setColorAt(1, heat(d.gridLow, d.gridLow, d.gridHigh));
        m_bar = new QGraphicsRectItem(chart);
        m_bar->setBrush(d.gridHigh > 0 ? QBrush(gradient) : QBrush(Qt::NoBrush));
        m_bar->setPen(QPen(Qt::darkGray, 0));
        if (d.gridHigh > 0) {
            // The least and the greatest kept time, and round values between.
            m_ticks << d.gridLow;
            const double step = niceStep(d.gridHigh - d.gridLow, 4);
            for (double v = std::ceil(d.gridLow / step) * step; v < d.gridHigh; v += step)
                if (v - d.gridLow > step / 3 && d.gridHigh - v > step / 3)
                    m_ticks << int(v);
            if (d.gridHigh > d.gridLow)
                m_ticks << d.gridHigh;
        }
        for (int v : m_ticks)
            m_tickTexts << text(QString::number(v) + QStringLiteral(" ms"), legend);
        int timedOut = 0, rejected = 0;
        for (PlotData::Cell cell : d.gridCells) {
            timedOut += cell == PlotData::Cell::TimedOut;
            rejected += cell == PlotData::Cell::Rejected;
        }
        for (const auto &[brush, name] :
             {std::pair{QBrush(TimedOutCell), counted(QStringLiteral("sans réponse"), timedOut)},
              std::pair{QBrush(RejectColour, Qt::BDiagPattern), counted(QStringLiteral("rejets"), rejected)}}) {
            auto *swatch = new QGraphicsRectItem(chart);
            swatch->setBrush(brush);
            swatch->setPen(QPen(Qt::darkGray, 0));
            m_swatches << swatch;
            m_swatchTexts << text(name, legend);
        }
        m_low = d.gridLow;
        m_high = d.gridHigh;
        connect(chart, &QChart::plotAreaChanged, this, [this] { place(); });
    }

    // Room the scale takes right of the field, in the chart's units.
    static constexpr int Room = 150;

    void place()
    {
        for (int c = 0; c < m_cells.size(); ++c) {
            const QPointF centre(c % m_side + 0.5, c / m_side + 0.5);
            const QPointF at = m_chart->mapToPosition(centre, m_reference);
            const QRectF box = m_cells[c]->boundingRect();
            m_cells[c]->setPos(at - QPointF(box.width() / 2, box.height() / 2));
        }
        const QRectF area = m_chart->plotArea();
        const double left = area.right() + 14;
        const double line = m_title->boundingRect().height();
        m_title->setPos(left, area.top());
        const QRectF bar(left, area.top() + line * 1.9, 16, std::max(area.height() - line * 5.5, line * 2));
        m_bar->setRect(bar);
        for (int i = 0; i < m_ticks.size(); ++i) {
            const double f = m_high > m_low ? double(m_ticks[i] - m_low) / (m_high - m_low) : 0.5;
            const double y = bar.bottom() - f * bar.height();
            m_tickTexts[i]->setPos(bar.right() + 5, y - line / 2);
        }
        for (int i = 0; i < m_swatches.size(); ++i) {
            const double y = bar.bottom() + line * (0.9 + 1.3 * i);
            m_swatches[i]->setRect(left, y, 16, line * 0.9);
            m_swatchTexts[i]->setPos(left + 21, y - line * 0.05);
        }
    }

private:
    QGraphicsSimpleTextItem *text(const QString &s, const QFont &f)
    {
        auto *item = new QGraphicsSimpleTextItem(s, m_chart);
        item->setFont(f);
        item->setZValue(10);
        return item;
    }

    QChart *m_chart;
    QAbstractSeries *m_reference;
    int m_side;
    int m_low = 0, m_high = 0;
    QList<QGraphicsSimpleTextItem *> m_cells;
    QGraphicsSimpleTextItem *m_title = nullptr;
    QGraphicsRectItem *m_bar = nullptr;
    QList<int> m_ticks;
    QList<QGraphicsSimpleTextItem *> m_tickTexts;
    QList<QGraphicsRectItem *> m_swatches;
    QList<QGraphicsSimpleTextItem *> m_swatchTexts;
};

QChart *gridChart(const PlotData &d)
{
    const int k = d.gridSide;
    QChart *chart = newChart(QStringLiteral("Temps par position à l'écran (%1 × %1)<br>"
                                            "médiane hémichamp gauche : %2<br>médiane hémichamp droit : %3")
                                 .arg(k)
                                 .arg(medianMs(d.leftMedian), medianMs(d.rightMedian)));
    chart->legend()->hide();
    QMargins margins = chart->margins();
    margins.setRight(margins.right() + FieldTexts::Room);
    chart->setMargins(margins);
    auto *x = valueAxis(QString(), 0, k);
    auto *y = valueAxis(QString(), 0, k);
    y->setReverse(true);
    for (QValueAxis *axis : {x, y}) {
        axis->setTickCount(k + 1);
        axis->setLabelsVisible(false);
        axis->setGridLineVisible(false);
    }
    chart->addAxis(x, Qt::AlignBottom);
    chart->addAxis(y, Qt::AlignLeft);

    QAbstractSeries *reference = nullptr;
    for (int c = 0; c < d.gridValues.size(); ++c) {
        const double col = c % k, row = c / k;
        auto *upper = new QLineSeries;
        upper->append(col, row);
        upper->append(col + 1, row);
        auto *lower = new QLineSeries;
        lower->append(col, row + 1);
        lower->append(col + 1, row + 1);
        auto *cell = new QAreaSeries(upper, lower);
        cell->setBrush(cellBrush(d, c));
        cell->setBorderColor(Qt::white);
        attach(chart, cell, x, y);
        reference = cell;
    }
    // The two halves of the field, as the region lines of the report split it.
    const QColor dividers(40, 40, 40);
    attach(chart, segment(QString(), QPointF(k / 2.0, 0), QPointF(k / 2.0, k), dividers, Qt::SolidLine, 2.5), x, y);
    attach(chart, segment(QString(), QPointF(0, k / 2.0), QPointF(k, k / 2.0), dividers, Qt::SolidLine, 2.5), x, y);
    if (reference) {
        auto *texts = new FieldTexts(chart, reference, d);
        texts->place();
    }
    return chart;
}

QChart *streamChart(const PlotData &d)
{
    QChart *chart = newChart(QStringLiteral("Appuis le long du flux de caractères<br>"
                                            "temps médian aux lettres : partie 1 : %1, partie 2 : %2")
                                 .arg(medianMs(d.half1Median), medianMs(d.half2Median)));
    const double top = std::max(highest({&d.letterHits, &d.digitPresses, &d.fastPresses}), 100.0) * 1.08;
    const int n = std::max(d.itemCount, 1);
    auto *x = valueAxis(QStringLiteral("Position dans le flux"), 0, std::max(n, 228) + 1);
    setTicks(x, niceStep(std::max(n, 228), 8));
    auto *y = valueAxis(QStringLiteral("ms"), 0, top);
    setTicks(y, niceStep(top, 6));
    chart->addAxis(x, Qt::AlignBottom);
    chart->addAxis(y, Qt::AlignLeft);

    attach(chart, markers(QStringLiteral("Lettres"), d.letterHits, KeptColour,
                          QScatterSeries::MarkerShapeCircle, 6), x, y);
    attach(chart, markers(QStringLiteral("Fausses alarmes"), d.digitPresses, FalseAlarmColour,
                          QScatterSeries::MarkerShapeStar, 12), x, y);
    if (!d.letterMisses.isEmpty())
        attach(chart, markers(QStringLiteral("Sans appui"), d.letterMisses, TimeoutColour,
                              QScatterSeries::MarkerShapeRectangle, 6), x, y);
    if (!d.maskPresses.isEmpty())
        attach(chart, markers(QStringLiteral("Masque"), d.maskPresses, MaskColour,
                              QScatterSeries::MarkerShapeTriangle, 8), x, y);
    if (!d.fastPresses.isEmpty())
        attach(chart, markers(QStringLiteral("Moins de 100 ms"), d.fastPresses, RejectColour,
                              QScatterSeries::MarkerShapeTriangle, 8), x, y);

    const double split = d.halfAt + 0.5;
    auto *divider = segment(QString(), QPointF(split, 0), QPointF(split, top), QColor(40, 40, 40), Qt::SolidLine, 2);
    attach(chart, divider, x, y);
    hideFromLegend(chart, divider);
    // The median letter time of each half, named in the title.
    const QColor meanColour = KeptColour.darker(140);
    for (auto *mean : {segment(QString(), QPointF(1, d.half1Median), QPointF(split, d.half1Median), meanColour,
                               Qt::DashLine, 2),
                       segment(QString(), QPointF(split, d.half2Median), QPointF(n, d.half2Median), meanColour,
                               Qt::DashLine, 2)}) {
        attach(chart, mean, x, y);
        hideFromLegend(chart, mean);
    }
    return chart;
}

QChart *halvesChart(const PlotData &d)
{
    QChart *chart = newChart(QStringLiteral("Appuis et fausses alarmes par partie"));
    auto *series = new QBarSeries;
    const struct {
        QString name;
        QColor colour;
        int first, second;
    } sets[] = {
        {QStringLiteral("Appuis aux lettres"), KeptColour, d.half1.hits, d.half2.hits},
        {QStringLiteral("Lettres sans appui"), TimeoutColour, d.half1.misses, d.half2.misses},
        {QStringLiteral("Fausses alarmes au chiffre 3"), FalseAlarmColour, d.half1.falseAlarms, d.half2.falseAlarms},
    };
    int top = 1;
    for (const auto &s : sets) {
        auto *set = new QBarSet(s.name);
        set->setColor(s.colour);
        set->setLabelColor(Qt::black);
        *set << s.first << s.second;
        series->append(set);
        top = std::max({top, s.first, s.second});
    }
    series->setLabelsVisible(true);
    series->setLabelsFormat(QStringLiteral("@value"));
    series->setLabelsPosition(QAbstractBarSeries::LabelsOutsideEnd);
    chart->addSeries(series);
    auto *x = new QBarCategoryAxis;
    x->append({QStringLiteral("Partie 1"), QStringLiteral("Partie 2")});
    auto *y = valueAxis(QStringLiteral("nombre"), 0, top * 1.15);
    setTicks(y, niceStep(top * 1.15, 5));
    chart->addAxis(x, Qt::AlignBottom);
    chart->addAxis(y, Qt::AlignLeft);
    series->attachAxis(x);
    series->attachAxis(y);
    return chart;
}

} // namespace

QList<NamedChart> makeAnalysisCharts(const PlotData &d)
{
    QList<NamedChart> charts;
    switch (d.kind) {
    case PlotData::Kind::Items:
        charts << NamedChart{QStringLiteral("Par item"), itemsChart(d)};
        if (!d.foreperiods.isEmpty())
            charts << NamedChart{QStringLiteral("Par délai"), foreperiodChart(d)};
        if (d.gridSide > 0)
            charts << NamedChart{QStringLiteral("Par position"), gridChart(d)};
        break;
    case PlotData::Kind::Stream:
        charts << NamedChart{QStringLiteral("Le flux"), streamChart(d)};
        charts << NamedChart{QStringLiteral("Par partie"), halvesChart(d)};
        break;
    case PlotData::Kind::None:
        break;
    }
    return charts;
}

void renderChart(QChart *chart, QPainter *painter, const QRectF &target, const QSizeF &logicalSize)
{
    QGraphicsScene scene;
    scene.addItem(chart);
    chart->setGeometry(QRectF(QPointF(0, 0), logicalSize));
    if (chart->layout())
        chart->layout()->activate();
    // Axes and labels are laid out from posted events.
    QCoreApplication::sendPostedEvents();
    scene.render(painter, target, QRectF(QPointF(0, 0), logicalSize), Qt::KeepAspectRatio);
    scene.removeItem(chart);
}

AnalysisPlots::AnalysisPlots(QWidget *parent)
    : QWidget(parent)
    , m_tabs(new QTabWidget(this))
    , m_message(new QLabel(this))
{
    setObjectName(QStringLiteral("plots"));
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_tabs);
    layout->addWidget(m_message);
    m_message->setAlignment(Qt::AlignCenter);
    m_message->setWordWrap(true);
    m_message->hide();
}

void AnalysisPlots::setData(const PlotData &data)
{
    m_data = data;
    while (m_tabs->count() > 0) {
        QWidget *w = m_tabs->widget(0);
        m_tabs->removeTab(0);
        delete w;
    }
    const QList<NamedChart> charts = makeAnalysisCharts(data);
    for (const NamedChart &c : charts) {
        auto *view = new QChartView(c.chart);
        view->setRenderHint(QPainter::Antialiasing);
        m_tabs->addTab(view, c.name);
    }
    m_tabs->setVisible(!charts.isEmpty());
    m_message->setText(data.unavailableReason);
    m_message->setVisible(charts.isEmpty());
}

QList<QChartView *> AnalysisPlots::views() const
{
    QList<QChartView *> out;
    for (int i = 0; i < m_tabs->count(); ++i)
        if (auto *v = qobject_cast<QChartView *>(m_tabs->widget(i)))
            out << v;
    return out;
}

} // namespace zoka

// ---- follow-up across sessions --------------------------------------------------

namespace zoka {

namespace {

QCategoryAxis *sessionAxis(const QStringList &labels)
{
    auto *axis = new QCategoryAxis;
    axis->setTitleText(QStringLiteral("Passation"));
    axis->setLabelsPosition(QCategoryAxis::AxisLabelsPositionOnValue);
    for (int i = 0; i < labels.size(); ++i)
        axis->append(QStringLiteral("%1. %2").arg(i + 1).arg(labels.at(i)), i + 1);
    axis->setRange(0.5, labels.size() + 0.5);
    QFont f = axis->labelsFont();
    f.setPointSizeF(7.5);
    axis->setLabelsFont(f);
    axis->setTitleFont(f);
    axis->setLabelsAngle(labels.size() > 6 ? -45 : 0);
    return axis;
}

QLineSeries *pointLine(const QString &name, const QList<double> &ys, const QColor &colour, Qt::PenStyle style)
{
    auto *s = new QLineSeries;
    s->setName(name);
    for (int i = 0; i < ys.size(); ++i)
        s->append(i + 1, ys.at(i));
    QPen pen(colour);
    pen.setWidthF(2);
    pen.setStyle(style);
    s->setPen(pen);
    s->setPointsVisible(true);
    return s;
}

} // namespace

QList<NamedChart> makeFollowUpCharts(const FollowUpSeries &d)
{
    QList<NamedChart> charts;
    const int n = int(d.labels.size());
    if (n == 0)
        return charts;

    QChart *rt = newChart(QStringLiteral("%1 : temps de réaction médian par passation").arg(d.title));
    QList<double> low, high;
    double top = 0;
    for (int i = 0; i < n; ++i) {
        low << std::max(0.0, d.median.at(i) - d.sd.at(i));
        high << d.median.at(i) + d.sd.at(i);
        top = std::max(top, high.last());
    }
    auto *lower = pointLine(QString(), low, Qt::transparent, Qt::NoPen);
    auto *upper = pointLine(QString(), high, Qt::transparent, Qt::NoPen);
    lower->setPointsVisible(false);
    upper->setPointsVisible(false);
    auto *band = new QAreaSeries(upper, lower);
    band->setName(QStringLiteral("Médiane ± écart-type"));
    band->setColor(QColor(70, 130, 200, 60));
    band->setBorderColor(QColor(70, 130, 200, 120));
    auto *median = pointLine(QStringLiteral("Médiane"), d.median, QColor(30, 80, 160), Qt::SolidLine);
    QCategoryAxis *x = sessionAxis(d.labels);
    const double step = niceStep(top * 1.1, 6);
    QValueAxis *y = valueAxis(QStringLiteral("ms"), 0, std::ceil(std::max(top * 1.1, 100.0) / step) * step);
    setTicks(y, step);
    rt->addAxis(x, Qt::AlignBottom);
    rt->addAxis(y, Qt::AlignLeft);
    attach(rt, band, x, y);
    attach(rt, median, x, y);
    charts << NamedChart{QStringLiteral("Temps de réaction"), rt};

    QChart *errors = newChart(QStringLiteral("%1 : erreurs par passation").arg(d.title));
    auto toDouble = [](const QList<int> &v) {
        QList<double> out;
        for (int x : v)
            out << x;
        return out;
    };
    QList<QLineSeries *> lines = {pointLine(QStringLiteral("Omissions"), toDouble(d.omissions), TimeoutColour, Qt::SolidLine),
                                  pointLine(QStringLiteral("Appuis intempestifs"), toDouble(d.untimely), MaskColour, Qt::DashLine)};
    if (d.hasFalseAlarms)
        lines << pointLine(QStringLiteral("Fausses alarmes"), toDouble(d.falseAlarms), FalseAlarmColour, Qt::SolidLine);
    int most = 1;
    for (const QList<int> *v : {&d.omissions, &d.untimely, &d.falseAlarms})
        for (int c : *v)
            most = std::max(most, c);
    QCategoryAxis *ex = sessionAxis(d.labels);
    const double estep = std::max(1.0, niceStep(most * 1.2, 5));
    QValueAxis *ey = valueAxis(QStringLiteral("nombre"), 0, std::ceil(most * 1.2 / estep) * estep);
    setTicks(ey, estep);
    errors->addAxis(ex, Qt::AlignBottom);
    errors->addAxis(ey, Qt::AlignLeft);
    for (QLineSeries *s : lines)
        attach(errors, s, ex, ey);
    charts << NamedChart{QStringLiteral("Erreurs"), errors};
    return charts;
}

} // namespace zoka
