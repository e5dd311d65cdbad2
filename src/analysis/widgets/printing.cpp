// SPDX-License-Identifier: GPL-3.0-or-later
#include "analysis/widgets/printing.h"

#include "analysis/export.h"
#include "analysis/widgets/plots.h"
#include "analysis/widgets/tformanalyse.h"
#include "platform/cp1252.h"
#include "platform/messages.h"
#include "platform/printsubmit.h"

#include <QBuffer>
#include <QChart>
#include <QDir>
#include <QEventLoop>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPdfWriter>
#include <QPrintDialog>
#include <QPrinter>
#include <QTemporaryFile>
#include <QThread>

#include <memory>

namespace zoka {

QFont reportPrintFont(const ConfigRecord &config)
{
    QFont f(config.PrintFontName.isEmpty() ? QStringLiteral("Courier New") : config.PrintFontName);
    f.setPointSize(config.PrintFontSize > 0 ? config.PrintFontSize : 8);
    f.setBold(config.PrintFontStyle & 1);
    f.setItalic(config.PrintFontStyle & 2);
    f.setUnderline(config.PrintFontStyle & 4);
    f.setStrikeOut(config.PrintFontStyle & 8);
    return f;
}

QColor reportPrintColour(const ConfigRecord &config)
{
    const quint32 bgr = quint32(config.PrintFontColor);
    return QColor(int(bgr & 0xFF), int((bgr >> 8) & 0xFF), int((bgr >> 16) & 0xFF));
}

QPageLayout exportPageLayout()
{
    return QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF(0, 0, 0, 0));
}

namespace {

constexpr double PlotLogicalWidth = 600;

// Two charts a page, below a title line.
void drawPlotPages(QPainter &painter, QPdfWriter &writer, const QRect &area, const PlotData &plots,
                   const QString &title)
{
    const QList<NamedChart> charts = makeAnalysisCharts(plots);
    const int margin = area.width() / 14;
    QFont heading(QStringLiteral("DejaVu Sans"), 12);
    heading.setBold(true);
    for (int i = 0; i < charts.size(); ++i) {
        const int slot = i % 2;
        if (slot == 0) {
            writer.newPage();
            painter.setFont(heading);
            painter.setPen(Qt::black);
            painter.drawText(QRect(margin, margin / 2, area.width() - 2 * margin, margin),
                             Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("Graphiques : ") + title);
        }
        const int top = margin * 3 / 2;
        const int height = (area.height() - top - margin) / 2;
        const QRectF target(margin, top + slot * height, area.width() - 2 * margin, height - margin / 3);
        // Laid out 600 wide: on the sheet (about 18 cm) the labels come out about
        // 2.5 mm high, to be read on paper.
        const QSizeF logical(PlotLogicalWidth, PlotLogicalWidth * target.height() / target.width());
        renderChart(charts[i].chart, &painter, target, logical);
    }
    for (const NamedChart &c : charts)
        delete c.chart;
}

} // namespace

int renderDocumentPdf(QByteArray *pdf, const ReportDocument &doc, const QPageLayout &pageLayout, int copies,
                      const std::function<void(QPainter &, QPdfWriter &, const QRect &, int)> &afterCopy,
                      const std::function<void(int)> &onPage)
{
    pdf->clear();
    QBuffer buffer(pdf);
    if (!buffer.open(QIODevice::WriteOnly))
        return 0;
    QPdfWriter writer(&buffer);
    writer.setResolution(PrintDotsPerInch);
    writer.setCreator(QStringLiteral("ZOKA"));
    writer.setTitle(doc.title);
    if (!writer.setPageLayout(pageLayout))
        return 0;
    const QRect area = pageLayout.paintRectPixels(PrintDotsPerInch);
    const PrintLayout layout = printLayout(area.width(), area.height(), doc.marginCm, doc.font.pointSize());
    const QList<PrintedPage> pages = paginate(doc.report, doc.notes, layout);

    QPainter painter;
    if (!painter.begin(&writer))
        return 0;
    bool first = true;
    for (int copy = 0; copy < qMax(copies, 1); ++copy) {
        for (int p = 0; p < pages.size(); ++p) {
            if (!first)
                writer.newPage();
            first = false;
            if (onPage)
                onPage(p + 1);
            painter.setFont(doc.font);
            painter.setPen(doc.colour);
            // Lines are placed by the top of their text, the painter draws on the baseline.
            const int ascent = painter.fontMetrics().ascent();
            for (const PrintedLine &line : pages.at(p))
                painter.drawText(QPoint(layout.left, line.y + ascent), line.text);
        }
        if (afterCopy)
            afterCopy(painter, writer, area, copy);
    }
    if (!painter.end())
        return 0;
    return int(pages.size());
}

int renderReportPdf(QByteArray *pdf, const ReportDocument &doc, const QPageLayout &pageLayout,
                    int copies, const PlotData *plots, const std::function<void(int)> &onPage)
{
    // The plots follow the last copy of the report.
    const int last = qMax(copies, 1) - 1;
    return renderDocumentPdf(
        pdf, doc, pageLayout, copies,
        [&](QPainter &painter, QPdfWriter &writer, const QRect &area, int copy) {
            if (copy == last && plots && plots->kind != PlotData::Kind::None)
                drawPlotPages(painter, writer, area, *plots, doc.title);
        },
        onPage);
}

PrintTarget printTargetOf(const QPrinter &printer)
{
    PrintTarget t;
    t.pageLayout = printer.pageLayout();
    if (printer.outputFormat() == QPrinter::PdfFormat) {
        t.outputFile = printer.outputFileName();
        return t;
    }
    t.printerName = printer.printerName();
    const QString media = t.pageLayout.pageSize().key();
    if (!media.isEmpty())
        t.options << QStringLiteral("media=") + media;
    switch (printer.duplex()) {
    case QPrinter::DuplexLongSide:
        t.options << QStringLiteral("sides=two-sided-long-edge");
        break;
    case QPrinter::DuplexShortSide:
        t.options << QStringLiteral("sides=two-sided-short-edge");
        break;
    case QPrinter::DuplexAuto:
        t.options << (t.pageLayout.orientation() == QPageLayout::Landscape
                          ? QStringLiteral("sides=two-sided-short-edge")
                          : QStringLiteral("sides=two-sided-long-edge"));
        break;
    case QPrinter::DuplexNone:
        t.options << QStringLiteral("sides=one-sided");
        break;
    }
    if (printer.colorMode() == QPrinter::GrayScale)
        t.options << QStringLiteral("print-color-mode=monochrome");
    return t;
}

// ---- the window's printing ----------------------------------------------------

ReportDocument TFormAnalyse::reportDocument() const
{
    ReportDocument doc;
    doc.report = cp1252::splitLines(m_logic.state().Report.text());
    if (!doc.report.isEmpty())
        doc.report << QString() << m_timingLines;
    doc.notes = notesBoxLines();
    doc.font = reportPrintFont(m_session.config);
    doc.colour = reportPrintColour(m_session.config);
    doc.marginCm = m_session.config.PrintMarginCm;
    doc.title = QStringLiteral("ZOKA - ") + m_logic.state().FileName;
    return doc;
}

namespace {

// Runs `work` on a thread of its own while the window's events go on (repaints,
// the status bar), and returns its result.
template <typename Result>
Result awaitOffThread(const std::function<Result()> &work)
{
    Result result{};
    QEventLoop loop;
    std::unique_ptr<QThread> thread(QThread::create([&result, &work] { result = work(); }));
    QObject::connect(thread.get(), &QThread::finished, &loop, &QEventLoop::quit, Qt::QueuedConnection);
    thread->start();
    loop.exec();
    thread->wait();
    return result;
}

bool runPrintDialog(const PrintRequest &request, QPrinter &printer, PrintTarget *target)
{
    QPrintDialog dialog(&printer, request.parent);
    dialog.setWindowTitle(request.dialogTitle);
    dialog.setOptions(QAbstractPrintDialog::PrintToFile | QAbstractPrintDialog::PrintShowPageSize);
    // Printing to a file proposes the document's own name in the Export folder.
    if (auto *file = dialog.findChild<QLineEdit *>(QStringLiteral("filename")))
        file->setText(QDir::toNativeSeparators(request.fileProposal));
    if (dialog.exec() != QDialog::Accepted)
        return false;
    *target = printTargetOf(printer);
    return true;
}

} // namespace

void printDocument(const PrintRequest &request, const PrintServices &services)
{
    auto fail = [&request](const QString &text) {
        request.status(QString());
        request.error(text);
    };

    // Building a printer or its dialog asks the scheduler for its queues and waits a
    // long time for one that does not answer: it is asked first, off the window's
    // thread, for a short time.
    request.status(QStringLiteral("Recherche des imprimantes…"));
    const int timeout = services.queryTimeoutMs;
    const PrinterQuery found = awaitOffThread<PrinterQuery>([timeout] { return queryPrinters(timeout); });
    if (found.outcome == PrinterQuery::Outcome::NoAnswer) {
        fail(QStringLiteral("Le système d'impression ne répond pas : aucune imprimante n'a pu être trouvée, "
                            "rien n'a été imprimé. Le %1 peut être enregistré en PDF par « %2 ».")
                 .arg(request.noun, request.exportButton));
        return;
    }
    request.status(QString());

    QPrinter printer(QPrinter::HighResolution);
    printer.setDocName(request.title);
    PrintTarget target;
    const bool accepted = services.dialog ? services.dialog(printer, &target) : runPrintDialog(request, printer, &target);
    if (!accepted)
        return;
    if (target.outputFile.isEmpty() && target.printerName.isEmpty()) {
        fail(QStringLiteral("Aucune imprimante ni aucun fichier n'a été choisi : rien n'a été imprimé."));
        return;
    }
    const int copies = qMax(1, printer.copyCount());
    // The document is laid out as a PDF, then handed over whole: to the file the
    // dialog named, or to the print queue once per copy.
    const bool toFile = !target.outputFile.isEmpty();
    QByteArray pdf;
    const int pages = request.render(&pdf, target.pageLayout, toFile ? copies : 1,
                                     [&request](int page) { request.status(printingPageText(page)); });
    if (pages == 0) {
        fail(QStringLiteral("Le %1 n'a pas pu être mis en page pour l'impression : rien n'a été imprimé.").arg(request.noun));
        return;
    }
    QString error;
    if (toFile) {
        if (!writeWholeFile(target.outputFile, pdf, &error)) {
            fail(QStringLiteral("Impossible d'écrire le fichier %1 : %2. Rien n'a été imprimé.")
                     .arg(QDir::toNativeSeparators(target.outputFile), error));
            return;
        }
        request.status(printedText(copies, pages));
        return;
    }
    QTemporaryFile file(QDir::temp().filePath(QStringLiteral("zoka-impression-XXXXXX.pdf")));
    if (!file.open() || file.write(pdf) != pdf.size() || !file.flush()) {
        fail(QStringLiteral("Impossible de préparer l'impression dans %1 : %2. Rien n'a été imprimé.")
                 .arg(QDir::toNativeSeparators(QDir::tempPath()), file.errorString()));
        return;
    }
    file.close();
    // Handing the jobs over and asking where they stand: off the window's thread too.
    const auto submit = services.submit ? services.submit : submitPrintJob;
    std::function<JobProgress(const QString &, const QString &)> ask = services.ask;
    if (!ask)
        ask = [timeout](const QString &printer, const QString &jobId) {
            return askJobProgress(printer, jobId, timeout);
        };
    struct Sent {
        int refusedCopy = 0; // 0: every copy taken
        QString error;
        JobProgress progress = JobProgress::Unknown;
    };
    const QString pdfPath = file.fileName();
    const Sent sent = awaitOffThread<Sent>([&] {
        Sent s;
        QString jobId;
        for (int copy = 1; copy <= copies; ++copy) {
            if (!submit(target.printerName, pdfPath, request.title, target.options, &jobId, &s.error)) {
                s.refusedCopy = copy;
                return s;
            }
        }
        s.progress = ask(target.printerName, jobId);
        return s;
    });
    if (sent.refusedCopy > 0) {
        const QString which = copies > 1 ? QStringLiteral(" (copie %1 sur %2)").arg(sent.refusedCopy).arg(copies)
                                         : QString();
        fail(QStringLiteral("L'imprimante %1 a refusé l'impression du %2%3 : %4")
                 .arg(target.printerName, request.noun, which, sent.error));
        return;
    }
    request.status(queuedText(sent.progress, target.printerName, copies, pages));
    const QString warning = queuedWarning(sent.progress, target.printerName);
    if (!warning.isEmpty())
        request.warning(warning);
}

// ---- the analysis window's printing ---------------------------------------------

void TFormAnalyse::ImprimerClick()
{
    if (m_printing)
        return;
    m_printing = true;
    m_page->setEnabled(false);
    printReport();
    m_page->setEnabled(true);
    m_printing = false;
}

void TFormAnalyse::printReport()
{
    const ReportDocument doc = reportDocument();
    PrintRequest request;
    request.parent = this;
    request.title = doc.title;
    request.dialogTitle = QStringLiteral("Imprimer le rapport");
    request.fileProposal = printFileProposal(m_logic.state().FilePath);
    request.noun = QStringLiteral("rapport");
    request.exportButton = QStringLiteral("Exporter");
    request.render = [&doc](QByteArray *pdf, const QPageLayout &layout, int copies, const std::function<void(int)> &onPage) {
        return renderReportPdf(pdf, doc, layout, copies, nullptr, onPage);
    };
    request.status = [this](const QString &text) {
        m_logic.setStatusMessage(text);
        refreshStatus();
        statusPanels[2]->repaint();
    };
    request.error = [this](const QString &text) { showError(text); };
    request.warning = [this](const QString &text) { showWarning(text); };
    printDocument(request, PrintServices{printDialog, submitJob, askJob, printQueryTimeoutMs});
}

} // namespace zoka
