// SPDX-License-Identifier: GPL-3.0-or-later
// Printing the report: the page rule (L - 1 report lines a page, notes up to L), the
// status texts, and "Imprimer" of the analysis window to a PDF file and to a print
// queue that takes or refuses the job.
#include "analysis/printlayout.h"
#include "analysis/widgets/printing.h"
#include "analysis/widgets/tformanalyse.h"
#include "platform/cp1252.h"
#include "platform/messages.h"

#include <QApplication>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPrinter>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>

#include "pdf_helpers.h"
#include "print_helpers.h"

using namespace zoka;

class TstPrint : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;

private slots:
    void initTestCase()
    {
        QLocale::setDefault(QLocale(QLocale::French, QLocale::France));
        QVERIFY(m_dir.isValid());
    }

    void layout_data()
    {
        QTest::addColumn<QSize>("page");
        QTest::addColumn<double>("marginCm");
        QTest::addColumn<int>("fontSize");
        QTest::addColumn<int>("left");
        QTest::addColumn<int>("lines");
        QTest::addColumn<int>("lineHeight");
        QTest::newRow("10 points, 7000 high") << QSize(4960, 7000) << 1.5 << 10 << 356 << 70 << 100;
        QTest::newRow("A4 at 600 dpi, 8 points") << QSize(4961, 7016) << 1.5 << 8 << 356 << 87 << 80;
        QTest::newRow("no margin, no size") << QSize(4961, 7016) << 0.0 << 0 << 0 << 87 << 80;
        QTest::newRow("font taller than the page") << QSize(4961, 100) << 2.0 << 72 << 475 << 2 << 50;
    }

    void layout()
    {
        QFETCH(QSize, page);
        QFETCH(double, marginCm);
        QFETCH(int, fontSize);
        const PrintLayout l = printLayout(page.width(), page.height(), marginCm, fontSize);
        QTEST(l.left, "left");
        QTEST(l.linesPerPage, "lines");
        QTEST(l.lineHeight, "lineHeight");
        QCOMPARE(l.top, 100);
    }

    void pagination_data()
    {
        QTest::addColumn<int>("reportLines");
        QTest::addColumn<int>("noteLines");
        QTest::addColumn<int>("linesPerPage");
        QTest::addColumn<int>("lineHeight");
        QTest::addColumn<int>("pageHeight"); // 0: the count rule alone
        QTest::addColumn<QList<int>>("perPage");
        QTest::newRow("one page") << 10 << 1 << 70 << 100 << 0 << QList<int>{11};
        QTest::newRow("69 report lines a page") << 150 << 1 << 70 << 100 << 0 << QList<int>{69, 69, 13};
        QTest::newRow("full last page: notes on a new page") << 69 << 3 << 70 << 100 << 0 << QList<int>{69, 3};
        QTest::newRow("notes run to L a page") << 1 << 150 << 70 << 100 << 0 << QList<int>{70, 70, 11};
        QTest::newRow("no blank page after a full one") << 138 << 0 << 70 << 100 << 0 << QList<int>{69, 69};
        QTest::newRow("notes ending a full page") << 0 << 70 << 70 << 100 << 0 << QList<int>{70};
        QTest::newRow("one line a page") << 3 << 2 << 2 << 100 << 0 << QList<int>{1, 1, 1, 2};
        // On a real page the L-th line (top 100 + 69 x 100 = 7000) would be off the sheet.
        QTest::newRow("no note below the page") << 1 << 150 << 70 << 100 << 7000 << QList<int>{69, 69, 13};
        // 5 points: 139 report lines by count, 138 fit on the sheet.
        QTest::newRow("small font") << 300 << 0 << 140 << 50 << 7016 << QList<int>{138, 138, 24};
    }

    void pagination()
    {
        QFETCH(int, reportLines);
        QFETCH(int, noteLines);
        QFETCH(int, linesPerPage);
        QFETCH(int, lineHeight);
        QFETCH(int, pageHeight);
        QFETCH(QList<int>, perPage);
        QStringList report, notes;
        for (int i = 0; i < reportLines; ++i)
            report << QStringLiteral("r%1").arg(i);
        for (int i = 0; i < noteLines; ++i)
            notes << QStringLiteral("n%1").arg(i);
        PrintLayout l;
        l.linesPerPage = linesPerPage;
        l.lineHeight = lineHeight;
        l.pageHeight = pageHeight;
        const QList<PrintedPage> pages = paginate(report, notes, l);
        QList<int> counts;
        QStringList all;
        for (const PrintedPage &p : pages) {
            counts << int(p.size());
            for (int i = 0; i < p.size(); ++i) {
                QCOMPARE(p.at(i).y, 100 + lineHeight * i);
                all << p.at(i).text;
            }
        }
        QCOMPARE(counts, perPage);
        QCOMPARE(all, report + notes);
    }

    void statusTexts_data()
    {
        QTest::addColumn<int>("copies");
        QTest::addColumn<int>("pages");
        QTest::addColumn<QString>("text");
        QTest::newRow("1 of 1") << 1 << 1 << QStringLiteral("Impression terminée ( 1 copie de 1 page )");
        QTest::newRow("2 of 3") << 2 << 3 << QStringLiteral("Impression terminée ( 2 copies de 3 pages )");
        QTest::newRow("1 of 2") << 1 << 2 << QStringLiteral("Impression terminée ( 1 copie de 2 pages )");
        QTest::newRow("3 of 1") << 3 << 1 << QStringLiteral("Impression terminée ( 3 copies de 1 page )");
    }

    void statusTexts()
    {
        QFETCH(int, copies);
        QFETCH(int, pages);
        QTEST(printedText(copies, pages), "text");
        QCOMPARE(printingPageText(12), QStringLiteral("Impression de la page 12"));
    }

    void cancelledDialogPrintsNothing()
    {
        ScopedScriptedMessages msgs;
        PrintedReport r(m_dir.path());
        int submitted = 0;
        r.window.submitJob = [&](const QString &, const QString &, const QString &, const QStringList &, QString *,
                                 QString *) {
            ++submitted;
            return true;
        };
        r.window.printDialog = [](QPrinter &, PrintTarget *) { return false; };
        QTest::mouseClick(r.window.printButton, Qt::LeftButton);
        QCOMPARE(submitted, 0);
        QVERIFY(r.window.statusPanels[2]->text().isEmpty());
        QVERIFY(msgs.service.shown().isEmpty());
    }

    // Two copies of a report over several pages, into a PDF file: the page rule
    // checked on the PDF itself.
    void printToPdfFile()
    {
        ScopedScriptedMessages msgs;
        PrintedReport r(m_dir.path());
        const QString out = m_dir.filePath(QStringLiteral("rapport.pdf"));
        r.printTo(QString(), out, 2);
        QVERIFY(msgs.service.shown().isEmpty());
        const int pages = r.expectedPages();
        QVERIFY(pages >= 3);
        QCOMPARE(r.window.statusPanels[2]->text(),
                 QStringLiteral("Impression terminée ( 2 copies de %1 pages )").arg(pages));
        r.checkPdf(out, 2);
    }

    // A print queue: one job per copy, each a whole PDF of the report; the status bar
    // has shown the pages as they were laid out. Then the last job is looked up: only
    // a running queue's job is "terminée", one that waits is said so.
    void printToQueue_data()
    {
        QTest::addColumn<int>("progress");
        QTest::addColumn<QString>("status"); // %1: the pages
        QTest::newRow("running queue") << int(JobProgress::Accepted) << QStringLiteral("Impression terminée ( 3 copies de %1 pages )");
        QTest::newRow("held job") << int(JobProgress::Held) << QStringLiteral("Impression en attente : travail retenu par l'imprimante Bureau ( 3 copies de %1 pages )");
        QTest::newRow("stopped queue") << int(JobProgress::QueueStopped) << QStringLiteral("Impression en attente : imprimante Bureau arrêtée ( 3 copies de %1 pages )");
        QTest::newRow("job not found") << int(JobProgress::Unknown) << QStringLiteral("Impression envoyée à Bureau, non confirmée ( 3 copies de %1 pages )");
    }

    void printToQueue()
    {
        QFETCH(int, progress);
        ScopedScriptedMessages msgs;
        PrintedReport r(m_dir.path());
        QStringList jobs, asked;
        r.window.submitJob = [&](const QString &printer, const QString &pdf, const QString &title,
                                 const QStringList &options, QString *jobId, QString *) {
            jobs << QStringList{printer, title, QString::number(pdfPageCount(pdf)), options.join(u','),
                                r.window.statusPanels[2]->text()}
                        .join(u'|');
            *jobId = QStringLiteral("Bureau-%1").arg(jobs.size());
            return true;
        };
        r.window.askJob = [&](const QString &printer, const QString &jobId) {
            asked << printer + u' ' + jobId;
            return JobProgress(progress);
        };
        r.printTo(QStringLiteral("Bureau"), QString(), 3);
        const QString job = QStringLiteral("Bureau|ZOKA - Dupont_32.VC|%1|media=A4|").arg(r.expectedPages())
            + printingPageText(r.expectedPages());
        QCOMPARE(jobs, QStringList(3, job));
        QCOMPARE(asked, QStringList{QStringLiteral("Bureau Bureau-3")});
        QFETCH(QString, status);
        QCOMPARE(r.window.statusPanels[2]->text(), status.arg(r.expectedPages()));
        const bool waits = progress == int(JobProgress::Held) || progress == int(JobProgress::QueueStopped);
        QCOMPARE(msgs.service.shown().size(), waits ? 1 : 0);
        QVERIFY(!waits || msgs.service.shown().first().kind == MsgKind::Warning);
        QVERIFY(r.window.printButton->isEnabled());
    }

    // Where job Bureau-12 stands, from `lpstat -p Bureau` and `lpstat -l -o Bureau`.
    void jobProgress_data()
    {
        QTest::addColumn<QString>("jobs");
        QTest::addColumn<int>("progress");
        const QString held = QStringLiteral("Bureau-12  root  1024  Wed Dec  9 00:05:35 2026\n\tAlerts: job-hold-until-specified\n");
        QTest::newRow("held job") << held << int(JobProgress::Held);
        QTest::newRow("another job held") << QString(held).replace(QStringLiteral("-12 "), QStringLiteral("-120 ")) << int(JobProgress::Accepted);
        QTest::newRow("queue stopped") << QStringLiteral("Bureau-12  x\n\tAlerts: printer-stopped\n") << int(JobProgress::QueueStopped);
    }

    void jobProgress()
    {
        QFETCH(QString, jobs);
        QFETCH(int, progress);
        QCOMPARE(int(jobProgressFrom(QStringLiteral("printer Bureau is idle.  enabled since Wed Dec  9 2026\n"), jobs,
                                     QStringLiteral("Bureau-12"))), progress);
    }

    // What `lp` answers when it refuses a job, said in French without its prefix.
    void refusalReasons_data()
    {
        QTest::addColumn<QString>("answer");
        QTest::addColumn<QString>("reason");
        QTest::newRow("queue rejecting jobs") << QStringLiteral("lp: Destination \"Bureau\" is not accepting jobs.")
                                              << QStringLiteral("la file d'impression n'accepte pas de travaux pour le moment");
        QTest::newRow("no such queue") << QStringLiteral("/usr/bin/lp: Error - The printer or class does not exist.")
                                       << QStringLiteral("cette imprimante n'existe pas sur le système d'impression");
        QTest::newRow("unknown reason") << QStringLiteral("lp: Something new.")
                                        << QStringLiteral("le système d'impression a refusé le travail (réponse : « Something new. »)");
    }

    void refusalReasons()
    {
        QFETCH(QString, answer);
        QTEST(printRefusalReason(answer), "reason");
    }

    // Printing to a file proposes the result file's whole name in the Export folder.
    void printFileProposed()
    {
        ScopedScriptedMessages msgs;
        QDir(m_dir.path()).mkdir(QStringLiteral("Export"));
        PrintedReport r(m_dir.path());
        QString proposed;
        QTimer watch; // the dialog comes once the printers have been looked for
        connect(&watch, &QTimer::timeout, [&] {
            if (auto *dialog = qobject_cast<QDialog *>(QApplication::activeModalWidget()); dialog && dialog != &r.window) {
                watch.stop();
                proposed = dialog->findChild<QLineEdit *>(QStringLiteral("filename"))->text();
                dialog->reject();
            }
        });
        watch.start(20);
        QTest::mouseClick(r.window.printButton, Qt::LeftButton);
        QCOMPARE(proposed, QDir(m_dir.path()).filePath(QStringLiteral("Export/Dupont_32.VC.pdf")));
        QVERIFY(msgs.service.shown().isEmpty());
    }

    void refusedJobsAreReported_data()
    {
        QTest::addColumn<QString>("printer");
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("named");
        QTest::newRow("queue refuses the second copy") << QStringLiteral("Bureau") << QString()
                                                       << QStringLiteral("L'imprimante Bureau a refusé l'impression du rapport (copie 2 sur 2) : arrêtée");
        QTest::newRow("file in a missing folder") << QString() << QStringLiteral("absent/rapport.pdf")
                                                  << QStringLiteral("rapport.pdf");
    }

    void refusedJobsAreReported()
    {
        QFETCH(QString, printer);
        QFETCH(QString, file);
        QFETCH(QString, named);
        ScopedScriptedMessages msgs;
        PrintedReport r(m_dir.path());
        int jobs = 0;
        r.window.submitJob = [&](const QString &, const QString &, const QString &, const QStringList &,
                                 QString *, QString *error) {
            *error = QStringLiteral("arrêtée");
            return ++jobs < 2;
        };
        r.printTo(printer, file.isEmpty() ? QString() : m_dir.filePath(file), 2);
        QCOMPARE(msgs.service.shown().size(), 1);
        QCOMPARE(msgs.service.shown().first().kind, MsgKind::Error);
        QVERIFY2(msgs.service.shown().first().text.contains(named), qPrintable(msgs.service.shown().first().text));
        QVERIFY(r.window.statusPanels[2]->text().isEmpty());
        QVERIFY(!QFileInfo::exists(m_dir.filePath(QStringLiteral("absent"))));
    }
};

QTEST_MAIN(TstPrint)
#include "tst_print.moc"
