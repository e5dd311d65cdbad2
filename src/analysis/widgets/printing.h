// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include "analysis/plotdata.h"
#include "analysis/printlayout.h"
#include "platform/printsubmit.h"
#include "shell/config.h"

#include <QByteArray>
#include <QColor>
#include <QFont>
#include <QPageLayout>
#include <QStringList>
#include <functional>

class QPainter;
class QPdfWriter;
class QPrinter;
class QRect;
class QWidget;

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

// The same for any document: after each copy of its lines, `afterCopy` may add pages
// (painter, writer, the page's paint rectangle, the copy's index from 0).
int renderDocumentPdf(QByteArray *pdf, const ReportDocument &doc, const QPageLayout &pageLayout, int copies,
                      const std::function<void(QPainter &, QPdfWriter &, const QRect &, int)> &afterCopy,
                      const std::function<void(int)> &onPage);

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

// The print system as a window uses it; an empty member stands for the real one (tests
// put theirs).
struct PrintServices {
    std::function<bool(QPrinter &printer, PrintTarget *target)> dialog;
    std::function<bool(const QString &printer, const QString &pdfPath, const QString &title,
                       const QStringList &options, QString *jobId, QString *error)>
        submit;
    std::function<JobProgress(const QString &printer, const QString &jobId)> ask;
    int queryTimeoutMs = 5000; // the wait for the print system's answers
};

// One document printed from a window: what it is called and how it is drawn.
struct PrintRequest {
    QWidget *parent = nullptr;
    QString title;        // document and job name ("ZOKA - Dupont_16.VC")
    QString dialogTitle;  // "Imprimer le rapport"
    QString fileProposal; // the file proposed for printing to a file
    QString noun;         // "rapport", "suivi": said in the messages
    QString exportButton; // where the document can be saved instead ("Exporter")
    // Draws `copies` copies for `pageLayout` into `pdf` and returns the pages of one
    // copy (0 = failed), telling `onPage` each page begun.
    std::function<int(QByteArray *pdf, const QPageLayout &pageLayout, int copies,
                      const std::function<void(int)> &onPage)>
        render;
    std::function<void(const QString &)> status;  // the window's status line
    std::function<void(const QString &)> error;   // an error box
    std::function<void(const QString &)> warning; // a warning box
};

// The whole of "Imprimer": the print system asked for its queues off the window's
// thread (a scheduler that hangs ends with a French message instead of freezing the
// window), the print dialog, the document drawn as PDF and either written to the file
// chosen or handed to the queue once per copy off the window's thread, then where the
// job stands said in the status line (and a warning for a held job or a stopped queue).
void printDocument(const PrintRequest &request, const PrintServices &services);

} // namespace zoka
