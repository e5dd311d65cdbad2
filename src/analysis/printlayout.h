// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include "platform/printsubmit.h"

#include <QList>
#include <QString>
#include <QStringList>

namespace zoka {

// Page layout of the printed report (and of its PDF), in device pixels.
struct PrintLayout {
    int left = 0;         // x of every line: page width / 20.9 cm x the margin in cm
    int linesPerPage = 2; // L: page height div (font size in points x 10)
    int lineHeight = 1;   // h: page height div L
    int top = 100;        // y of the first line of every page
    int pageHeight = 0;   // height of the page: no line is put below it (0 = no limit)
};

// Resolution the page is laid out at: the rule of L lines per page gives lines a
// little taller than the font at 600 dots per inch (at 1200 they would overlap).
constexpr int PrintDotsPerInch = 600;

// The layout of a page of `widthPx` x `heightPx` (its printable area). A font size of
// 0 or less counts as 8 points; L is at least 2, so that a page holds at least one
// line of the report.
PrintLayout printLayout(int widthPx, int heightPx, double marginCm, int fontSizePt);

struct PrintedLine {
    int y = 0;
    QString text;
};
using PrintedPage = QList<PrintedLine>;

// The report lines, then the lines of the notes box ("[Notes]" included), on pages:
// at most L - 1 report lines on a page; the notes go on from where the report ends,
// up to L lines on a page; a report whose last page is full puts the notes on a new
// page. A line that would end below the page goes on the next one instead (from the
// top at 100, the L-th line of h = height div L never fits), and a page is started
// only for a line to print on it (no blank last page).
QList<PrintedPage> paginate(const QStringList &report, const QStringList &notes,
                            const PrintLayout &layout);

// Status texts: "Impression de la page " + n; at the end
// "Impression terminée ( 2 copies de 3 pages )".
QString printingPageText(int page);
QString printedText(int copies, int pages);

// The status text once the queue `printer` has taken `copies` copies of `pages` pages,
// as the print system says where the job stands: printedText for a job accepted by a
// running queue, else what keeps it waiting (or that nothing was confirmed).
QString queuedText(JobProgress progress, const QString &printer, int copies, int pages);
// What the examiner is told of a job that waits (held, stopped queue); empty when it
// does not wait.
QString queuedWarning(JobProgress progress, const QString &printer);

// The PDF file printing to a file proposes: the result file's whole name + ".pdf"
// in the Export folder beside it (beside the result file when that folder is
// missing).
QString printFileProposal(const QString &resultFilePath);

} // namespace zoka
