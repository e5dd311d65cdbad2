// SPDX-License-Identifier: GPL-3.0-or-later
// CSV export: the layouts byte for byte (window road and zoka-report), the export
// group of the analysis window, and what happens when the file cannot be written or
// opened. The PDF export of the report.
#include "analysis/analysis.h"
#include "analysis/export.h"
#include "analysis/widgets/tformanalyse.h"
#include "platform/cp1252.h"
#include "platform/messages.h"
#include "platform/widgets/desktopopen.h"
#include "shell/session.h"
#include "battery/testtable.h"

#include <QDir>
#include <QGroupBox>
#include <QLabel>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

#include <csignal>
#include <sys/resource.h>

#include "pdf_helpers.h"
#include "report_helpers.h"

using namespace zoka;

namespace {

const QString DataDir = QStringLiteral(ZOKA_TESTDATA_DIR "/analysis/");
const QString ExpectedDir = QStringLiteral(ZOKA_TESTDATA_DIR "/export/");
const QString Tool = QDir::cleanPath(QStringLiteral(ZOKA_GENERATED_DATA_DIR "/../bin/zoka-report"));

QByteArray runTool(const QStringList &args, int *status, QString *err = nullptr)
{
    // The exact bytes, whatever the terminal's encoding.
    QProcess p;
    p.start(Tool, QStringList{QStringLiteral("--raw")} + args);
    p.waitForFinished(60000);
    *status = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    if (err)
        *err = QString::fromLocal8Bit(p.readAllStandardError());
    return p.readAllStandardOutput();
}

int testOf(const QString &file)
{
    return testIndexOfExtension(file.section(u'.', -1));
}

QStringList entries(const QString &dir)
{
    return QDir(dir).entryList(QDir::Files | QDir::Hidden | QDir::System);
}

// Files written by the process fail beyond `bytes` (a full disk, for the file layer).
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes)
    {
        getrlimit(RLIMIT_FSIZE, &m_old);
        std::signal(SIGXFSZ, SIG_IGN);
        rlimit l = m_old;
        l.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &l);
    }
    ~FileSizeLimit() { setrlimit(RLIMIT_FSIZE, &m_old); }

private:
    rlimit m_old{};
};

} // namespace

class TstExport : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;

    Session m_session; // the report file goes into m_dir
    QString m_results;
    QStringList m_opened;

    // A results directory holding a copy of `name` and an "Export" folder.
    QString putResult(const QString &name, bool withExportFolder = true)
    {
        m_results = m_dir.filePath(QStringLiteral("res-") + QString::number(QRandomGenerator::global()->generate()));
        QDir().mkpath(m_results);
        if (withExportFolder)
            QDir(m_results).mkdir(QStringLiteral("Export"));
        const QString path = QDir(m_results).filePath(name);
        QFile::copy(DataDir + name, path);
        QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner);
        return path;
    }

    QString exportDir() const { return QDir(m_results).filePath(QStringLiteral("Export")); }

    void open(TFormAnalyse &w, const QString &path)
    {
        w.FormShow(path, testOf(path), 1, QStringLiteral("Dupont"), QStringLiteral("4.0b"));
        w.openDocument = [this](const QString &p) {
            m_opened << p;
            return true;
        };
        w.show();
    }

    static void exportWith(TFormAnalyse &w, QRadioButton *mode)
    {
        QTest::mouseClick(w.exportButton, Qt::LeftButton);
        QVERIFY(w.exportGroup->isVisible());
        mode->click();
        QTest::mouseClick(w.exportOkButton, Qt::LeftButton);
        QVERIFY(!w.exportGroup->isVisible());
    }

private slots:
    void initTestCase()
    {
        QLocale::setDefault(QLocale(QLocale::French, QLocale::France));
        QVERIFY(m_dir.isValid());
        m_session.config.ProgramDir = m_dir.path();
        QVERIFY2(QFileInfo::exists(Tool), qPrintable(Tool));
    }

    void init() { m_opened.clear(); }

    // The one table of files and expected export bytes: the road of the window (the
    // reading, then the file read again) and zoka-report give the same bytes.
    void layouts_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<bool>("withInfo");
        for (const char *file : {"Dupont_32.VC", "Roux_16.VC", "Roux_999.VC", "Durand_36.LFC", "Petit_32.DB",
                                 "sustained_input.AS"}) {
            QTest::addRow("%s data", file) << QString::fromLatin1(file) << false;
            QTest::addRow("%s info", file) << QString::fromLatin1(file) << true;
        }
    }

    void layouts()
    {
        QFETCH(QString, file);
        QFETCH(bool, withInfo);
        const QByteArray expected = readAll(ExpectedDir + file + (withInfo ? ".info.csv" : ".data.csv"));
        QVERIFY(!expected.isEmpty());

        ScopedScriptedMessages msgs;
        AnalysisState st;
        prepareAnalysis(st, DataDir + file, testOf(file), 1, QStringLiteral("Dupont"), QStringLiteral("4.0b"));
        openAnalysis(st);
        QByteArray bytes;
        QString error;
        QVERIFY(exportBytesOf(st, withInfo, &bytes, &error));
        QCOMPARE(bytes, expected);

        int status = -1;
        const QByteArray out = runTool({QStringLiteral("--export"), withInfo ? QStringLiteral("info") : QStringLiteral("data"),
                                        DataDir + file},
                                       &status);
        QCOMPARE(status, 0);
        QCOMPARE(out, expected);
    }

    void layoutEdges_data()
    {
        QTest::addColumn<QStringList>("lines");
        QTest::addColumn<int>("test");
        QTest::addColumn<bool>("withInfo");
        QTest::addColumn<QByteArray>("expected");
        const QString head = QStringLiteral("Dupont: 01/12/2026 à 10:00:00");
        // Analysed while it held its header only: the notes are not data.
        QTest::newRow("notes as line 2") << QStringList{head, QStringLiteral("[Notes]"), QStringLiteral("note")} << 0
                                         << true
                                         << QByteArray("Nom;Dupont\r\nPassation du;01/12/2026 \xE0 10:00:00\r\n"
                                                       "Nbre d'essais;\r\n");
        QTest::newRow("closing line only") << QStringList{head, QStringLiteral("0"), QStringLiteral("-2")} << 0 << false
                                           << QByteArray();
    }

    void layoutEdges()
    {
        QFETCH(QStringList, lines);
        QFETCH(int, test);
        QFETCH(bool, withInfo);
        QFETCH(QByteArray, expected);
        AnalysisState st;
        st.FilePath = m_dir.filePath(QStringLiteral("Dupont_16.VC"));
        st.FileName = QStringLiteral("Dupont_16.VC");
        QFile f(st.FilePath);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(cp1252::encodeLines(lines));
        f.close();
        ScopedScriptedMessages msgs;
        prepareAnalysis(st, st.FilePath, test, 1, QStringLiteral("Dupont"), QStringLiteral("4.0b"));
        openAnalysis(st);
        QByteArray bytes;
        QString error;
        QVERIFY(exportBytesOf(st, withInfo, &bytes, &error));
        QCOMPARE(bytes, expected);
    }

    void commandLine_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<int>("status");
        const QString good = DataDir + QStringLiteral("Dupont_32.VC");
        QTest::newRow("no mode") << QStringList{QStringLiteral("--export")} << 2;
        QTest::newRow("unknown mode") << QStringList{QStringLiteral("--export"), QStringLiteral("tout"), good} << 2;
        QTest::newRow("with a limit") << QStringList{QStringLiteral("--export=data"), QStringLiteral("--limit=1"), good} << 2;
        QTest::newRow("missing file") << QStringList{QStringLiteral("--export=info"), good,
                                                     m_dir.filePath(QStringLiteral("Absent_16.VC"))}
                                      << 1;
    }

    void commandLine()
    {
        QFETCH(QStringList, args);
        QFETCH(int, status);
        int got = -1;
        QString err;
        const QByteArray out = runTool(args, &got, &err);
        QCOMPARE(got, status);
        if (status == 1) {
            // The good file is exported all the same; the other is named on stderr.
            QCOMPARE(out, readAll(ExpectedDir + QStringLiteral("Dupont_32.VC.info.csv")));
            QVERIFY(err.contains(QStringLiteral("Absent_16.VC: Fichier introuvable")));
        }
        QVERIFY(entries(DataDir).filter(QStringLiteral(".csv")).isEmpty());
    }

    void exportGroup()
    {
        ScopedScriptedMessages msgs;
        TFormAnalyse w(m_session);
        const QString path = putResult(QStringLiteral("Dupont_32.VC"));
        open(w, path);
        QVERIFY(!w.exportGroup->isVisible());
        QTest::mouseClick(w.exportButton, Qt::LeftButton);
        QVERIFY(w.exportGroup->isVisible());
        QVERIFY(w.exportDataOnlyChoice->isChecked());
        const QString target = QDir::toNativeSeparators(exportDir() + QStringLiteral("/Dupont_32.VC.csv"));
        QVERIFY(target.size() > 40);
        QCOMPARE(w.exportFileLabel->text(), QStringLiteral("Path= .. ") + target.right(40));
        w.exportTextChoice->click();
        QVERIFY(w.exportFileLabel->text().isEmpty());
        w.exportPdfChoice->click();
        QVERIFY(w.exportFileLabel->text().endsWith(QStringLiteral("Dupont_32.VC.pdf")));
        QTest::mouseClick(w.exportCancelButton, Qt::LeftButton);
        QVERIFY(!w.exportGroup->isVisible());
        QVERIFY(entries(exportDir()).isEmpty());
        QVERIFY(msgs.service.shown().isEmpty());
        QCOMPARE(exportPathLabel(QStringLiteral("C:/E/Export/a.VC.csv")), QStringLiteral("Path=  C:/E/Export/a.VC.csv"));
        w.QuitterClick();
    }

    // The replacement question and its three answers, for both spreadsheet modes.
    void exportTwice_data()
    {
        QTest::addColumn<bool>("withInfo");
        QTest::addColumn<int>("answer");
        QTest::addColumn<bool>("replaced");
        QTest::addColumn<bool>("opened");
        QTest::newRow("data, Oui") << false << int(MsgAnswer::Yes) << true << true;
        QTest::newRow("data, Non") << false << int(MsgAnswer::No) << false << true;
        QTest::newRow("data, Annuler") << false << int(MsgAnswer::Cancel) << false << false;
        QTest::newRow("info, Oui") << true << int(MsgAnswer::Yes) << true << true;
    }

    void exportTwice()
    {
        QFETCH(bool, withInfo);
        QFETCH(int, answer);
        QFETCH(bool, replaced);
        QFETCH(bool, opened);
        ScopedScriptedMessages msgs;
        TFormAnalyse w(m_session);
        const QString path = putResult(QStringLiteral("Dupont_32.VC"));
        const QString target = exportDir() + QStringLiteral("/Dupont_32.VC.csv");
        const QByteArray expected = readAll(ExpectedDir + (withInfo ? "Dupont_32.VC.info.csv" : "Dupont_32.VC.data.csv"));
        open(w, path);
        QRadioButton *mode = withInfo ? w.exportWithInfoChoice : w.exportDataOnlyChoice;

        exportWith(w, mode);
        QCOMPARE(readAll(target), expected);
        QCOMPARE(m_opened, QStringList{target});
        QVERIFY(msgs.service.shown().isEmpty());

        QFile f(target);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("ouvert dans le tableur\r\n");
        f.close();
        m_opened.clear();
        msgs.service.queue(MsgAnswer(answer));
        exportWith(w, mode);
        QCOMPARE(msgs.service.shown().size(), 1);
        const ShownMessage &question = msgs.service.shown().first();
        QCOMPARE(question.text, QStringLiteral("  Ce fichier a déjà été exporté; Voulez-vous le remplacer?   "));
        QCOMPARE(question.kind, withInfo ? MsgKind::Error : MsgKind::Warning);
        QCOMPARE(question.buttons, MsgButtons::YesNoCancelDefaultNo);
        QCOMPARE(readAll(target), replaced ? expected : QByteArray("ouvert dans le tableur\r\n"));
        QCOMPARE(m_opened, opened ? QStringList{target} : QStringList());
        QCOMPARE(entries(exportDir()), QStringList{QStringLiteral("Dupont_32.VC.csv")});
        w.QuitterClick();
    }

    // Nothing half-written, nothing opened, and the examiner is told which file.
    void exportFaults_data()
    {
        QTest::addColumn<QString>("fault");
        QTest::newRow("no Export folder") << QStringLiteral("missing");
        QTest::newRow("Export is a file") << QStringLiteral("file");
        QTest::newRow("disk full, new file") << QStringLiteral("full");
        QTest::newRow("disk full, replacing") << QStringLiteral("full-replace");
        QTest::newRow("a link where the export goes") << QStringLiteral("link");
    }

    void exportFaults()
    {
        QFETCH(QString, fault);
        ScopedScriptedMessages msgs;
        TFormAnalyse w(m_session);
        const QString path = putResult(QStringLiteral("Dupont_32.VC"),
                                       fault.startsWith(QStringLiteral("full")) || fault == QStringLiteral("link"));
        const QString target = exportDir() + QStringLiteral("/Dupont_32.VC.csv");
        if (fault == QStringLiteral("file")) {
            QFile f(exportDir());
            QVERIFY(f.open(QIODevice::WriteOnly));
        }
        if (fault == QStringLiteral("full-replace")) {
            QFile f(target);
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write("avant\r\n");
        }
        const QString outside = QFileInfo(path).absolutePath() + QStringLiteral("/dehors.txt");
        if (fault == QStringLiteral("link")) {
            QFile f(outside);
            QVERIFY(f.open(QIODevice::WriteOnly) && f.write("dehors\r\n") == 8);
            QVERIFY(QFile::link(outside, target));
        }
        open(w, path);
        {
            FileSizeLimit limit(fault.startsWith(QStringLiteral("full")) ? 64 : RLIM_INFINITY);
            exportWith(w, w.exportWithInfoChoice);
        }
        const QList<ShownMessage> shown = msgs.service.shown();
        QCOMPARE(shown.last().kind, MsgKind::Error);
        QVERIFY2(shown.last().text.contains(QDir::toNativeSeparators(target)), qPrintable(shown.last().text));
        QVERIFY(m_opened.isEmpty());
        if (fault == QStringLiteral("full-replace")) {
            QCOMPARE(readAll(target), QByteArray("avant\r\n"));
            QCOMPARE(entries(exportDir()), QStringList{QStringLiteral("Dupont_32.VC.csv")});
        } else if (fault == QStringLiteral("link")) {
            QCOMPARE(shown.size(), 1); // refused before any question
            QVERIFY(shown.last().text.contains(QStringLiteral("Lien symbolique refusé")));
            QCOMPARE(readAll(outside), QByteArray("dehors\r\n"));
            QVERIFY(QFileInfo(target).isSymLink());
        } else if (fault == QStringLiteral("full")) {
            QVERIFY(shown.last().text.contains(QStringLiteral("Rien n'a été exporté")));
            QVERIFY(entries(exportDir()).isEmpty());
        }
        w.QuitterClick();
    }

    void noProgramToOpen()
    {
        ScopedScriptedMessages msgs;
        TFormAnalyse w(m_session);
        const QString path = putResult(QStringLiteral("Dupont_32.VC"));
        open(w, path);
        w.openDocument = [](const QString &) { return false; };
        exportWith(w, w.exportDataOnlyChoice);
        const QString target = exportDir() + QStringLiteral("/Dupont_32.VC.csv");
        QVERIFY(QFileInfo::exists(target));
        QCOMPARE(msgs.service.shown().size(), 1);
        QCOMPARE(msgs.service.shown().first().kind, MsgKind::Warning);
        QCOMPARE(msgs.service.shown().first().text,
                 QStringLiteral("Aucun programme n'a pu ouvrir le fichier exporté.\nL'exportation se trouve dans ")
                     + QDir::toNativeSeparators(target) + u'.');

        // The text editor: the result file itself, nothing written.
        w.openDocument = [this](const QString &p) {
            m_opened << p;
            return true;
        };
        exportWith(w, w.exportTextChoice);
        QCOMPARE(m_opened, QStringList{QFileInfo(path).absoluteFilePath()});
        QCOMPARE(entries(exportDir()), QStringList{QStringLiteral("Dupont_32.VC.csv")});
        w.QuitterClick();
    }

    void desktopWithoutAProgramForTheType()
    {
        if (QStandardPaths::findExecutable(QStringLiteral("xdg-mime")).isEmpty())
            QSKIP("xdg-mime is not installed");
        // A desktop that knows the file types but no program at all: nothing is
        // started, the caller is told.
        QTemporaryDir none;
        QDir(none.path()).mkdir(QStringLiteral("share"));
        QFile::link(QStringLiteral("/usr/share/mime"), none.filePath(QStringLiteral("share/mime")));
        const char *vars[] = {"XDG_DATA_HOME", "XDG_DATA_DIRS", "XDG_CONFIG_HOME", "XDG_CONFIG_DIRS"};
        QList<QByteArray> saved;
        for (const char *v : vars) {
            saved << qgetenv(v);
            qputenv(v, QFile::encodeName(none.filePath(QStringLiteral("share"))));
        }
        const QString csv = none.filePath(QStringLiteral("Dupont_32.VC.csv"));
        QFile::copy(ExpectedDir + QStringLiteral("Dupont_32.VC.data.csv"), csv);
        const bool opened = openInDesktop(csv);
        for (int i = 0; i < 4; ++i)
            saved.at(i).isNull() ? qunsetenv(vars[i]) : qputenv(vars[i], saved.at(i));
        QVERIFY(!opened);
    }

    void endlessFileExportsWithInformation()
    {
        ScopedScriptedMessages msgs;
        TFormAnalyse w(m_session);
        open(w, putResult(QStringLiteral("Roux_999.VC")));
        QVERIFY(!w.exportDataOnlyChoice->isEnabled());
        QVERIFY(w.exportWithInfoChoice->isChecked());
        exportWith(w, w.exportWithInfoChoice);
        QCOMPARE(readAll(exportDir() + QStringLiteral("/Roux_999.VC.csv")),
                 readAll(ExpectedDir + QStringLiteral("Roux_999.VC.info.csv")));
        w.QuitterClick();
        // The next file enables the mode again; the choice made stays.
        open(w, putResult(QStringLiteral("Dupont_32.VC")));
        QVERIFY(w.exportDataOnlyChoice->isEnabled());
        QVERIFY(w.exportWithInfoChoice->isChecked());
        w.QuitterClick();
    }

    void reportAsPdf()
    {
        ScopedScriptedMessages msgs;
        TFormAnalyse w(m_session);
        const QString path = putResult(QStringLiteral("Martin_64.LAT"));
        open(w, path);
        for (int click = 0; click < 4; ++click) // two more blocks: the report runs over a page
            QTest::mouseClick(w.limitButton, Qt::LeftButton);
        exportWith(w, w.exportPdfChoice);
        const QString pdf = exportDir() + QStringLiteral("/Martin_64.LAT.pdf");
        QCOMPARE(m_opened, QStringList{pdf});
        QVERIFY(msgs.service.shown().isEmpty());
        QCOMPARE(pdfPageSize(pdf), QStringLiteral("595 x 842"));
        QVERIFY(pdfFontsNotEmbedded(pdf).isEmpty());
        // The report and its notes as printed (8 points: 87 lines a page), then the
        // three plots, two a page.
        const QStringList report = cp1252::splitLines(w.logic().state().Report.text());
        QVERIFY(report.size() > 86);
        QCOMPARE(pdfPageCount(pdf), 2 + 2);
        const QStringList page1 = pdfPageLines(pdf, 1);
        QCOMPARE(page1.first(), simplifiedLine(report.first()));
        QCOMPARE(page1.last(), simplifiedLine(report.at(85)));
        QCOMPARE(pdfPageLines(pdf, 2).last(), QStringLiteral("[Notes]"));
        QVERIFY(pdfPageLines(pdf, 3).join(u' ').contains(QStringLiteral("Temps de réaction par item")));
        QVERIFY(pdfPageLines(pdf, 4).join(u' ').contains(QStringLiteral("hémichamp gauche")));
        w.QuitterClick();
    }
};

QTEST_MAIN(TstExport)
#include "tst_export.moc"
