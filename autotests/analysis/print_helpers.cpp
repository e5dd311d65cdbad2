// SPDX-License-Identifier: GPL-3.0-or-later
#include "print_helpers.h"

#include "analysis/widgets/printing.h"
#include "platform/cp1252.h"
#include "platform/timingjournal.h"

#include <QDir>
#include <QFile>
#include <QPlainTextEdit>
#include <QPrinter>
#include <QPushButton>
#include <QTest>

#include "pdf_helpers.h"

using namespace zoka;

PrintedReport::PrintedReport(const QString &workDir, int printableHeight)
    : window(session)
{
    session.config.ProgramDir = workDir;
    session.config.PrintFontName = QStringLiteral("Courier New");
    session.config.PrintFontSize = 12;
    session.config.PrintFontStyle = 0;
    session.config.PrintFontColor = 1;
    session.config.PrintMarginCm = 1.5;
    const QString path = QDir(workDir).filePath(QStringLiteral("Dupont_32.VC"));
    QFile::remove(path);
    QFile::copy(QStringLiteral(ZOKA_TESTDATA_DIR "/analysis/Dupont_32.VC"), path);
    QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner);
    window.FormShow(path, 0, 1, QStringLiteral("Dupont"), QStringLiteral("4.0b"));
    window.show();
    for (int click = 0; click < 4; ++click)
        QTest::mouseClick(window.limitButton, Qt::LeftButton);
    QStringList notes{QStringLiteral("[Notes]")};
    for (int i = 1; i <= 60; ++i)
        notes << QStringLiteral("Note %1 : patient attentif").arg(i);
    window.notesEdit->setPlainText(notes.join(u'\n'));

    // The report, then the file's timing-journal line (the work directory has none).
    const QStringList report = cp1252::splitLines(window.logic().state().Report.text()) << QString()
                               << journalEntryLines(QString(), 78);
    const int L = printableHeight / (12 * 10);
    const int fit = (printableHeight - 100) / (printableHeight / L);
    QStringList page;
    int count = 0;
    auto put = [&](const QString &line, int capacity) {
        if (count == qMin(capacity, fit)) {
            m_pages << page;
            page.clear();
            count = 0;
        }
        if (!line.trimmed().isEmpty())
            page << simplifiedLine(line);
        ++count;
    };
    for (const QString &line : report)
        put(line, L - 1);
    if (count == qMin(L - 1, fit)) { // a full last page of the report: the notes begin a new one
        m_pages << page;
        page.clear();
        count = 0;
    }
    for (const QString &line : notes)
        put(line, L);
    m_pages << page;
}

PrintedReport::~PrintedReport()
{
    window.logic().markAnalysed = [](const QString &) { return true; };
    window.QuitterClick();
}

void PrintedReport::printTo(const QString &printer, const QString &file, int copies, bool throughPrinter)
{
    window.printDialog = [=](QPrinter &p, PrintTarget *target) {
        p.setCopyCount(copies);
        if (throughPrinter) {
            if (!printer.isEmpty()) {
                p.setPrinterName(printer);
            } else {
                p.setOutputFileName(file);
                p.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF()));
            }
            *target = printTargetOf(p);
            return true;
        }
        target->printerName = printer;
        target->outputFile = file;
        target->pageLayout = QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF());
        target->options = QStringList{QStringLiteral("media=A4")};
        return true;
    };
    QTest::mouseClick(window.printButton, Qt::LeftButton);
}

void PrintedReport::checkPdf(const QString &pdf, int copies) const
{
    const int pages = int(m_pages.size());
    QCOMPARE(pdfPageCount(pdf), copies * pages);
    QCOMPARE(pdfPageSize(pdf), QStringLiteral("595 x 842"));
    QCOMPARE(pdfFontsNotEmbedded(pdf), QStringList());
    for (int copy = 0; copy < copies; ++copy)
        for (int p = 0; p < pages; ++p)
            QCOMPARE(pdfPageLines(pdf, copy * pages + p + 1), m_pages.at(p));
}
