#pragma once
#include "analysis/plotdata.h"
#include "analysis/printlayout.h"
#include "shell/config.h"

#include <QByteArray>
#include <QColor>
#include <QFont>
#include <QPageLayout>
#include <QStringList>
#include <functional>

class QPrinter;

namespace zoka {

// Font and colour of the printed report, from the configuration (name, size in
// points, style bits, colour 0x00BBGGRR).
QFont reportPrintFont(const ConfigRecord &config);
QColor reportPrintColour(const ConfigRecord &config);

// What a printed report looks like: the lines, the notes and the settings of the
// configuration at the time of printing.
struct ReportDocument {
    QStringList report;
    QStringList notes; // the notes box, "[Notes]" first
    QFont font;
    QColor colour = Qt::black;
    double marginCm = 1.5;
    QString title;     // document title (PDF metadata, print job)
};

// Draws the document as a PDF of `pageLayout` (laid out at PrintDotsPerInch), the
// whole document `copies` times, then, when `plots` has charts, one more page for
// every two charts. `onPage` is told the number of each page of the report begun.
// Returns the number of pages of one copy of the report (0 when the PDF could not be
// made).
int renderReportPdf(QByteArray *pdf, const ReportDocument &doc, const QPageLayout &pageLayout,
                    int copies, const PlotData *plots, const std::function<void(int)> &onPage);

// The page of the PDF export: A4, the whole sheet, as a PDF queue prints it.
QPageLayout exportPageLayout();

// Where a print dialog sent the report: a print queue (with its job options) or a
// PDF file.
struct PrintTarget {
    QString printerName;
    QString outputFile;
    QPageLayout pageLayout;
    QStringList options;
};
PrintTarget printTargetOf(const QPrinter &printer);

} // namespace zoka
