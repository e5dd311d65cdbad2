// SPDX-License-Identifier: GPL-3.0-or-later
// "Imprimer" end to end through a real print system: a CUPS scheduler of the test's
// own (private directory and socket, its own configuration) with a PDF queue
// (cups-pdf, told by a private configuration, seen through a private mount, where to
// write). The PDF it makes is checked page by page against the page rule. Where no
// such scheduler can be started (not root, no cups or cups-pdf, no mount namespace),
// the same pages are checked through the PDF output of QPrinter.
#include "analysis/widgets/printing.h"
#include "platform/messages.h"

#include <QDir>
#include <QElapsedTimer>
#include <QLabel>
#include <QPrinter>
#include <QPushButton>
#include <QProcess>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include "pdf_helpers.h"
#include "print_helpers.h"

using namespace zoka;

namespace {

const QString Queue = QStringLiteral("ZokaPDF");
const QString CupsPdfConf = QStringLiteral("/etc/cups/cups-pdf.conf");
const QString CupsPdfPpd = QStringLiteral("/usr/share/ppd/cups-pdf/CUPS-PDF_opt.ppd");

bool writeText(const QString &path, const QString &text)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(text.toUtf8()) == text.toUtf8().size();
}

} // namespace

// A scheduler with one PDF queue, living as long as the object.
class PrivateCups {
public:
    ~PrivateCups()
    {
        if (m_daemon.state() != QProcess::NotRunning) {
            m_daemon.terminate();
            if (!m_daemon.waitForFinished(10000)) {
                m_daemon.kill();
                m_daemon.waitForFinished(5000);
            }
        }
    }

    bool start(QString *why)
    {
        if (geteuid() != 0) {
            *why = QStringLiteral("the PDF queue needs root (its backend runs as root)");
            return false;
        }
        if (!QFileInfo::exists(CupsPdfConf) || !QFileInfo::exists(CupsPdfPpd) || !m_root.isValid()) {
            *why = QStringLiteral("cups-pdf is not installed");
            return false;
        }
        m_root.setAutoRemove(!qEnvironmentVariableIsSet("ZOKA_E2E_KEEP")); // kept to look into
        const QString p = m_root.path();
        // The filters run as an unprivileged user: the tree must be open to them.
        QFile::setPermissions(p, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner | QFile::ReadGroup
                                     | QFile::ExeGroup | QFile::ReadOther | QFile::ExeOther);
        for (const char *sub : {"etc", "spool", "tmp", "cache", "state", "log", "out", "pdfspool"})
            QDir(p).mkdir(QString::fromLatin1(sub));
        ::chmod(QFile::encodeName(p + QStringLiteral("/tmp")).constData(), 01777);
        m_socket = p + QStringLiteral("/cups.sock");
        const bool written =
            writeText(p + QStringLiteral("/cupsd.conf"),
                      QStringLiteral("Listen %1\nLogLevel info\nWebInterface No\nBrowsing No\n"
                                     "DefaultShared No\nMaxJobTime 60\n"
                                     "<Location />\n  Order allow,deny\n  Allow all\n</Location>\n"
                                     "<Policy default>\n  <Limit All>\n    Order deny,allow\n  </Limit>\n</Policy>\n")
                          .arg(m_socket))
            && writeText(p + QStringLiteral("/cups-files.conf"),
                         QStringLiteral("ServerRoot %1/etc\nRequestRoot %1/spool\nTempDir %1/tmp\n"
                                        "CacheDir %1/cache\nStateDir %1/state\nErrorLog %1/log/error_log\n"
                                        "AccessLog %1/log/access_log\nPageLog %1/log/page_log\n"
                                        "Printcap %1/printcap\nSystemGroup root\n")
                             .arg(p))
            && writeText(p + QStringLiteral("/cups-pdf.conf"),
                         QStringLiteral("Out %1/out\nAnonDirName %1/out\nSpool %1/pdfspool\nLog %1/log\n"
                                        "Grp root\nLabel 2\nUserUMask 0022\nAnonUMask 0022\n")
                             .arg(p));
        if (!written) {
            *why = QStringLiteral("cannot write the configuration");
            return false;
        }
        // cups-pdf reads its settings from one fixed place: in a mount namespace of
        // the scheduler's own, that place shows the private settings.
        m_daemon.setProcessChannelMode(QProcess::MergedChannels);
        m_daemon.start(QStringLiteral("unshare"),
                       {QStringLiteral("-m"), QStringLiteral("sh"), QStringLiteral("-c"),
                        QStringLiteral("mount --bind \"$1/cups-pdf.conf\" %1 && exec cupsd -f -c \"$1/cupsd.conf\" "
                                       "-s \"$1/cups-files.conf\"")
                            .arg(CupsPdfConf),
                        QStringLiteral("sh"), p});
        QElapsedTimer t;
        t.start();
        while (!QFileInfo::exists(m_socket) && m_daemon.state() != QProcess::NotRunning && t.elapsed() < 15000)
            QTest::qWait(100);
        if (!QFileInfo::exists(m_socket)) {
            m_daemon.waitForFinished(1000);
            *why = QStringLiteral("the scheduler did not start: ")
                + QString::fromLocal8Bit(m_daemon.readAll()).simplified();
            return false;
        }
        qputenv("CUPS_SERVER", QFile::encodeName(m_socket));
        // pdftocairo keeps the text of the page as text (the PDF stays searchable).
        return run(QStringLiteral("lpadmin"), {QStringLiteral("-p"), Queue, QStringLiteral("-E"), QStringLiteral("-v"),
                                               QStringLiteral("cups-pdf:/"), QStringLiteral("-P"), CupsPdfPpd,
                                               QStringLiteral("-o"), QStringLiteral("pdftops-renderer-default=pdftocairo")},
                   why);
    }

    bool run(const QString &program, const QStringList &args, QString *why = nullptr)
    {
        QProcess p;
        p.setProcessChannelMode(QProcess::MergedChannels);
        p.start(program, args);
        const bool ok = p.waitForFinished(30000) && p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
        if (!ok && why)
            *why = program + QStringLiteral(": ") + QString::fromLocal8Bit(p.readAll()).simplified();
        return ok;
    }

    // The PDF files the queue has written, once `count` are there and no job is left.
    QStringList waitForPdfs(int count, int timeoutMs)
    {
        QDir out(m_root.filePath(QStringLiteral("out")));
        QElapsedTimer t;
        t.start();
        QStringList files;
        while (t.elapsed() < timeoutMs) {
            files = out.entryList({QStringLiteral("*.pdf")}, QDir::Files, QDir::Name);
            QProcess lpstat;
            lpstat.start(QStringLiteral("lpstat"), {QStringLiteral("-o"), Queue});
            lpstat.waitForFinished(10000);
            if (files.size() >= count && lpstat.readAllStandardOutput().trimmed().isEmpty())
                break;
            QTest::qWait(250);
        }
        QStringList paths;
        for (const QString &f : files)
            paths << out.filePath(f);
        return paths;
    }

    QString errorLog() const
    {
        QFile f(m_root.filePath(QStringLiteral("log/error_log")));
        return f.open(QIODevice::ReadOnly) ? QString::fromLocal8Bit(f.readAll()).right(3000) : QString();
    }

private:
    QTemporaryDir m_root{QStringLiteral("/tmp/zoka-cups-XXXXXX")};
    QString m_socket;
    QProcess m_daemon;
};

class TstPrintCups : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    PrivateCups m_cups;
    bool m_started = false;

private slots:
    void initTestCase()
    {
        QLocale::setDefault(QLocale(QLocale::French, QLocale::France));
        QVERIFY(m_dir.isValid());
        QString why;
        m_started = m_cups.start(&why);
        if (!m_started)
            qInfo("No print scheduler of our own (%s): the pages are checked on the PDF output of QPrinter.",
                  qPrintable(why));
    }

    void twoCopies()
    {
        // The printable height the queue gives (its sheet less the margins it keeps).
        int height = 7016;
        if (m_started) {
            QPrinter printer(QPrinter::HighResolution);
            printer.setPrinterName(Queue);
            QCOMPARE(printer.printerName(), Queue);
            height = printer.pageLayout().paintRectPixels(PrintDotsPerInch).height();
        }
        ScopedScriptedMessages msgs;
        PrintedReport r(m_dir.path(), height);
        const QString file = m_dir.filePath(QStringLiteral("sortie.pdf"));
        r.printTo(m_started ? Queue : QString(), m_started ? QString() : file, 2, true);
        QCOMPARE(msgs.service.texts(), QStringList());
        QCOMPARE(r.window.statusPanels[2]->text(),
                 QStringLiteral("Impression terminée ( 2 copies de %1 pages )").arg(r.expectedPages()));
        if (!m_started) {
            r.checkPdf(file, 2);
            return;
        }
        const QStringList pdfs = m_cups.waitForPdfs(2, 40000);
        QVERIFY2(pdfs.size() == 2, qPrintable(m_cups.errorLog()));
        for (const QString &pdf : pdfs)
            r.checkPdf(pdf, 1);
    }

    void queueRefusingJobs()
    {
        if (!m_started)
            QSKIP("no print scheduler of our own");
        QVERIFY(m_cups.run(QStringLiteral("cupsreject"), {Queue}));
        ScopedScriptedMessages msgs;
        PrintedReport r(m_dir.path());
        r.printTo(Queue, QString(), 1, true);
        QVERIFY(m_cups.run(QStringLiteral("cupsaccept"), {Queue}));
        QCOMPARE(msgs.service.shown().size(), 1);
        const QString text = msgs.service.shown().first().text;
        QCOMPARE(text, QStringLiteral("L'imprimante ZokaPDF a refusé l'impression du rapport : "
                                      "la file d'impression n'accepte pas de travaux pour le moment"));
        QVERIFY(r.window.statusPanels[2]->text().isEmpty());
    }

    // A job the queue takes but does not print: the queue stopped, or every job held.
    void jobsThatWait_data()
    {
        QTest::addColumn<bool>("held"); // every job held, else the queue stopped
        QTest::addColumn<QString>("status");
        QTest::newRow("stopped queue") << false << QStringLiteral("Impression en attente : imprimante ZokaPDF arrêtée ( 1 copie de %1 pages )");
        QTest::newRow("held job") << true << QStringLiteral("Impression en attente : travail retenu par l'imprimante ZokaPDF ( 1 copie de %1 pages )");
    }

    void jobsThatWait()
    {
        if (!m_started)
            QSKIP("no print scheduler of our own");
        QFETCH(bool, held);
        QFETCH(QString, status);
        auto waiting = [&](bool on) {
            const QString hold = on ? QStringLiteral("indefinite") : QStringLiteral("no-hold");
            return held ? m_cups.run(QStringLiteral("lpadmin"), {QStringLiteral("-p"), Queue, QStringLiteral("-o"),
                                                                 QStringLiteral("job-hold-until-default=") + hold})
                        : m_cups.run(on ? QStringLiteral("cupsdisable") : QStringLiteral("cupsenable"), {Queue});
        };
        QVERIFY(waiting(true));
        ScopedScriptedMessages msgs;
        PrintedReport r(m_dir.path());
        r.printTo(Queue, QString(), 1, true);
        QVERIFY(m_cups.run(QStringLiteral("cancel"), {QStringLiteral("-a"), Queue}));
        QVERIFY(waiting(false));
        QCOMPARE(r.window.statusPanels[2]->text(), status.arg(r.expectedPages()));
        QCOMPARE(msgs.service.shown().size(), 1);
    }

    // A scheduler that takes the connection and never answers: the window goes on
    // (its events handled, the search shown) and, after the short wait, the examiner is
    // told, without a print dialog.
    void schedulerNotAnswering()
    {
        QTemporaryDir dir;
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        qstrncpy(address.sun_path, QFile::encodeName(dir.filePath(QStringLiteral("s"))).constData(), sizeof address.sun_path);
        const int silent = ::socket(AF_UNIX, SOCK_STREAM, 0); // listens, never reads nor answers
        const auto closing = qScopeGuard([silent] { ::close(silent); });
        QVERIFY(::bind(silent, reinterpret_cast<sockaddr *>(&address), sizeof address) == 0 && ::listen(silent, 16) == 0);
        const QByteArray server = qgetenv("CUPS_SERVER");
        qputenv("CUPS_SERVER", address.sun_path);
        ScopedScriptedMessages msgs;
        PrintedReport r(m_dir.path());
        r.window.printQueryTimeoutMs = 1500;
        int dialogs = 0;
        QStringList seen;
        r.window.printDialog = [&](QPrinter &, PrintTarget *) { return ++dialogs, false; };
        QTimer tick;
        connect(&tick, &QTimer::timeout, [&] { seen << r.window.statusPanels[2]->text(); });
        tick.start(50);
        QElapsedTimer t;
        t.start();
        QTest::mouseClick(r.window.printButton, Qt::LeftButton);
        QVERIFY2(t.elapsed() >= 1400 && t.elapsed() < 8000, qPrintable(QString::number(t.elapsed())));
        server.isNull() ? qunsetenv("CUPS_SERVER") : qputenv("CUPS_SERVER", server);
        QVERIFY2(seen.count(QStringLiteral("Recherche des imprimantes…")) >= 10, qPrintable(seen.join(u'|')));
        QCOMPARE(dialogs, 0);
        QCOMPARE(msgs.service.shown().size(), 1);
        QVERIFY(msgs.service.shown().first().text.startsWith(QStringLiteral("Le système d'impression ne répond pas")));
    }
};

QTEST_MAIN(TstPrintCups)
#include "tst_print_cups.moc"
