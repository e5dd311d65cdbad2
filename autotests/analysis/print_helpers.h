// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include "analysis/widgets/tformanalyse.h"

#include <QString>
#include <QStringList>

// An analysis window showing a report of several pages (Dupont_32.VC and two more
// limits, 12-point print font) with notes that run over a page, ready to print; and
// the check of a printed PDF against the page rule, worked out here from the height
// of the printable area at 600 dpi (7016 for a whole A4 sheet): L = height div 120
// lines (58 on the sheet), L - 1 report lines a page, the notes going on up to L
// lines a page, as long as a line stays on the sheet (from the top at 100).
class PrintedReport {
public:
    explicit PrintedReport(const QString &workDir, int printableHeight = 7016);
    ~PrintedReport();

    // "Imprimer", the dialog answering with `copies` copies to the queue `printer`
    // or to the PDF file `file`. With `throughPrinter` the dialog only names the
    // queue or file on its QPrinter and the window reads the rest from it (page size
    // of the queue, options).
    void printTo(const QString &printer, const QString &file, int copies, bool throughPrinter = false);

    int expectedPages() const { return int(m_pages.size()); }
    // Checks every page of `pdf` (`copies` copies of the report one after the other):
    // page count, A4, fonts embedded, and the text lines of each page.
    void checkPdf(const QString &pdf, int copies) const;

    zoka::Session session; // the report file goes into the work directory
    zoka::TFormAnalyse window;

private:
    QList<QStringList> m_pages; // expected non-empty lines of each page
};
