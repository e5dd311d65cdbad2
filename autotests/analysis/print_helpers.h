#pragma once
#include "analysis/widgets/tformanalyse.h"

#include <QString>
#include <QStringList>

// An analysis window showing a report of several pages (Dupont_32.VC and two more
// limits, 12-point print font) with notes that run over a page, ready to print; and
// the check of a printed PDF against the page rule, worked out here: on an A4 sheet
// at 600 dpi, L = 7016 div 120 = 58 lines, so 57 report lines a page, and the notes
// going on up to 58 lines a page as long as a line stays on the sheet (57 do).
class PrintedReport {
public:
    explicit PrintedReport(const QString &workDir);
    ~PrintedReport();

    // "Imprimer", the dialog answering with `copies` copies to the queue `printer`
    // or to the PDF file `file`. With `throughPrinter` the dialog only names the
    // queue or file on its QPrinter and the window reads the rest from it (page size
    // of the queue, options).
    void printTo(const QString &printer, const QString &file, int copies, bool throughPrinter = false);

    int linesPerPage() const { return 58; }
    int expectedPages() const { return int(m_pages.size()); }
    // Checks every page of `pdf` (`copies` copies of the report one after the other):
    // page count, A4, fonts embedded, and the text lines of each page.
    void checkPdf(const QString &pdf, int copies) const;

    zoka::TFormAnalyse window;

private:
    QList<QStringList> m_pages; // expected non-empty lines of each page
};
