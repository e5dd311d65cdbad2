// SPDX-License-Identifier: GPL-3.0-or-later
// The command-line report tool: output, messages, exit status, files left untouched;
// hostile files for the tool and the analysis window.
#include "analysis/analysis.h"
#include "analysis/analysiswindowlogic.h"
#include "analysis/reportwriter.h"
#include "platform/cp1252.h"
#include "platform/messages.h"
#include "battery/testtable.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <QLocale>
#include <QTest>

#include "report_helpers.h"

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

using namespace zoka;

namespace {

const QString DataDir = QStringLiteral(ZOKA_TESTDATA_DIR "/analysis/");
// The tool is built beside the program, in <build>/bin.
const QString Tool = QDir::cleanPath(QStringLiteral(ZOKA_GENERATED_DATA_DIR "/../bin/zoka-report"));

struct Run {
    int status = -1;
    QByteArray out;
    QStringList errLines;
};

// The golden reports are written with a point as decimal separator: the tool runs
// under a British locale unless told otherwise.
// `memoryLimited`: the tool gets 256 MiB of address space and 10 s at most.
Run run(const QStringList &args, const QString &locale = QStringLiteral("en_GB.UTF-8"), bool memoryLimited = false)
{
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("LC_ALL"), locale);
    p.setProcessEnvironment(env);
    if (memoryLimited)
        p.setChildProcessModifier([] {
            const rlimit limit{256 << 20, 256 << 20};
            ::setrlimit(RLIMIT_AS, &limit);
        });
    p.start(Tool, args);
    if (!p.waitForFinished(memoryLimited ? 10000 : 60000))
        p.kill();
    p.waitForFinished();
    Run r;
    r.status = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    r.out = p.readAllStandardOutput();
    // Messages come in the report's encoding: Windows-1252 and CR LF with --raw or
    // off a UTF-8 locale.
    const QByteArray err = p.readAllStandardError();
    const bool utf8 = !args.contains(QStringLiteral("--raw")) && locale.endsWith(QStringLiteral("UTF-8"));
    r.errLines = (utf8 ? QString::fromUtf8(err) : cp1252::decode(err).remove(u'\r')).split(u'\n', Qt::SkipEmptyParts);
    return r;
}

// What the tool writes on a UTF-8 terminal, back as the report file's bytes.
QByteArray asReportBytes(const QByteArray &utf8Text)
{
    return cp1252::encode(QString::fromUtf8(utf8Text).replace(u'\n', QStringLiteral("\r\n")));
}

// Runs the tool through the shell, so that arguments may be any bytes (printf
// escapes); $D is the test's directory, $T the tool, $S a result file.
Run runShell(const QString &script, const QString &dir)
{
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("LC_ALL"), QStringLiteral("en_GB.UTF-8"));
    env.insert(QStringLiteral("D"), dir);
    env.insert(QStringLiteral("T"), Tool);
    env.insert(QStringLiteral("S"), DataDir + QStringLiteral("Leroy_16.AUD"));
    p.setProcessEnvironment(env);
    p.start(QStringLiteral("/bin/sh"), {QStringLiteral("-c"), script});
    p.waitForFinished(60000);
    Run r;
    r.status = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    r.out = p.readAllStandardOutput();
    r.errLines = QString::fromUtf8(p.readAllStandardError()).split(u'\n', Qt::SkipEmptyParts);
    return r;
}

// Runs the tool through bash, to hand it file names of any bytes.
Run runShell(const QStringList &args)
{
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("LC_ALL"), QStringLiteral("C.UTF-8"));
    p.setProcessEnvironment(env);
    p.setChildProcessModifier([] {
        const rlimit limit{256 << 20, 256 << 20};
        ::setrlimit(RLIMIT_AS, &limit);
    });
    p.start(QStringLiteral("bash"), args);
    if (!p.waitForFinished(10000))
        p.kill();
    p.waitForFinished();
    Run r;
    r.status = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    r.out = p.readAllStandardOutput();
    r.errLines = QString::fromLocal8Bit(p.readAllStandardError()).split(u'\n', Qt::SkipEmptyParts);
    return r;
}

// What a file is, with its link and the link's target: type, size, modes, dates of
// change, and the bytes of a small regular file (not reached through a link).
QByteArray fingerprint(const QByteArray &path)
{
    QByteArray out;
    struct stat st {};
    bool regular = false;
    for (const bool follow : {false, true}) {
        if ((follow ? ::stat(path, &st) : ::lstat(path, &st)) != 0)
            return out + "missing";
        regular = follow ? regular : S_ISREG(st.st_mode);
        out += QByteArray::number(st.st_mode) + ' ' + QByteArray::number(qint64(st.st_size)) + ' '
               + QByteArray::number(qint64(st.st_mtim.tv_sec)) + '.' + QByteArray::number(qint64(st.st_mtim.tv_nsec))
               + ' ' + QByteArray::number(qint64(st.st_ctim.tv_sec)) + '.'
               + QByteArray::number(qint64(st.st_ctim.tv_nsec)) + ';';
    }
    if (regular && st.st_size < (1 << 20)) {
        const int fd = ::open(path, O_RDONLY);
        char buf[4096];
        for (ssize_t n; fd >= 0 && (n = ::read(fd, buf, sizeof buf)) > 0;)
            out.append(buf, n);
        ::close(fd);
    }
    return out;
}

} // namespace

class TstCli : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    bool m_hostileMade = false;

private slots:
    void initTestCase()
    {
        // Reports made here for comparison use the tool's locale (see run()).
        QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedKingdom));
        QVERIFY2(QFileInfo::exists(Tool), qPrintable(QStringLiteral("build the zoka-report target first: ") + Tool));
    }

    // A name the system's encoding cannot spell is removed by its bytes.
    void cleanupTestCase() { ::unlink(QFile::encodeName(m_dir.path()) + "/Dup\xFFont_32.VC"); }

    void reportOnStandardOutput()
    {
        const QString file = DataDir + QStringLiteral("Dupont_32.VC");
        // The expected report holds a block for a refused limit, made with the
        // limit in force (2.5): the tool refuses such a limit, so 2.5 is given twice.
        const Run r = run({QStringLiteral("--raw"), QStringLiteral("--limit"), QStringLiteral("2,5"), QStringLiteral("--limit"),
                           QStringLiteral("2.5"), QStringLiteral("--limit"), QString(), file});
        QCOMPARE(r.status, 0);
        QCOMPARE(withPlaceholderDate(r.out), readAll(file + QStringLiteral(".expected")));
        QVERIFY(r.errLines.isEmpty());
    }

    void unconfiguredSystemGetsFrenchConventions()
    {
        // Under the C locale the tool formats as the program does: French decimals
        // and dates.
        const QString file = DataDir + QStringLiteral("Dupont_32.VC");
        const Run r = run({file}, QStringLiteral("C.UTF-8"));
        QCOMPARE(r.status, 0);
        QVERIFY(r.out.contains("Global: Total   =    458,0  &  490,54  [ 569,68 ]\n"));
        const QByteArray today = QDate::currentDate().toString(QStringLiteral("dd/MM/yyyy")).toLatin1();
        QVERIFY(r.out.contains("Analyse du fichier le " + today));
    }

    void sameBytesAsTheReportFile()
    {
        // What the window writes to AnaTemp.txt, the tool prints.
        const QString file = DataDir + QStringLiteral("Martin_36.LAT");
        QTemporaryDir programDir;
        AnalysisState st;
        prepareAnalysis(st, file, 1, 1, QStringLiteral("Martin"), ProgramVersion);
        QVERIFY(openAnalysis(st));
        applyLimitAndAnalyse(st, QStringLiteral("0.6"));
        QVERIFY(writeReportFile(programDir.path(), st.Report.bytes()));
        const QByteArray reportFile = readAll(programDir.filePath(QStringLiteral("AnaTemp.txt")));
        const Run r = run({QStringLiteral("--raw"), QStringLiteral("--limit=0.6"), file});
        QCOMPARE(r.status, 0);
        QVERIFY(r.errLines.isEmpty());
        QCOMPARE(withPlaceholderDate(r.out), withPlaceholderDate(reportFile));
    }

    void severalFilesAndFailures()
    {
        const QString good1 = DataDir + QStringLiteral("Leroy_16.AUD");
        const QString good2 = DataDir + QStringLiteral("Roux_16.VC"); // incomplete: raw listing
        const QString missing = m_dir.filePath(QStringLiteral("Absent_16.VC"));
        const QString malformed = m_dir.filePath(QStringLiteral("Casse_16.VC"));
        {
            QFile f(malformed);
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write("Casse: x\r\n0\r\n300\r\nabc\r\n");
        }
        const QString unknown = m_dir.filePath(QStringLiteral("Dupont_16.TXT"));
        QFile::copy(good1, unknown);

        const Run r = run({QStringLiteral("--raw"), good1, missing, malformed, unknown, good2});
        QCOMPARE(r.status, 1);
        QCOMPARE(withPlaceholderDate(r.out), readAll(good1 + QStringLiteral(".expected"))
                                                 + readAll(good2 + QStringLiteral(".expected")));
        QCOMPARE(r.errLines.size(), 4);
        QVERIFY(r.errLines.at(0).startsWith(missing + QStringLiteral(": Fichier introuvable")));
        QVERIFY(r.errLines.at(1).startsWith(malformed + QStringLiteral(": Format numérique incorrect")));
        QVERIFY(r.errLines.at(1).contains(QStringLiteral("ligne 4")));
        QCOMPARE(r.errLines.at(2), unknown + QStringLiteral(": Le nom du fichier ne correspond pas à une épreuve"));
        QCOMPARE(r.errLines.at(3), good2 + QStringLiteral(":         Le fichier est incomplet. Le contenu partiel est visualisé et non traité.        "));
    }

    void rawListingsAndMessages()
    {
        // The endless-series box holds a line break: it is one line on standard error.
        // A limit is not applied where the window's Limite button is disabled.
        const QString endless = DataDir + QStringLiteral("Roux_999.VC");
        const Run r = run({QStringLiteral("--raw"), QStringLiteral("--limit"), QStringLiteral("1"), endless});
        QCOMPARE(r.status, 0);
        QCOMPARE(withPlaceholderDate(r.out), readAll(endless + QStringLiteral(".expected")));
        QCOMPARE(r.errLines, QStringList{endless + QStringLiteral(":  Le fichier contient des données en nbre quelconque.  Pour les visualiser ou les traiter, il est nécessaire de les exporter. ")});
    }

    void countWithoutForeperiods()
    {
        // A renamed file whose count has no foreperiod series: error 1 and the head
        // of the report, no statistics, no limit applied, no internal error.
        const QString file = m_dir.filePath(QStringLiteral("Dupont_20.VC"));
        QFile f(file);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("Dupont: x\r\n0\r\n");
        for (int i = 0; i < 20; ++i)
            f.write("400\r\n");
        f.write("0\r\n");
        f.close();
        const Run r = run({QStringLiteral("--raw"), QStringLiteral("--limit"), QStringLiteral("2"), file});
        QCOMPARE(r.status, 0);
        QVERIFY(r.out.contains("Dupont    TR Visuel Centr\xE9   20 items\r\n"));
        QVERIFY(!r.out.contains("Scores bruts:"));
        QVERIFY(!r.out.contains("Rejet"));
        QCOMPARE(r.errLines, QStringList{file + QStringLiteral(":       Err1: Le nom de fichier a un mauvais format          ")});
    }

    // Hostile files: refused at once by the tool (status 1, one line on standard
    // error, nothing on standard output, within 10 s and 256 MiB of memory) and by
    // the analysis window (one message, no report, nothing written on closing); the
    // file, a link and its target are left exactly as they were.
    void hostileFilesAreRefusedAtOnceAndLeftAlone_data()
    {
        QTest::addColumn<QByteArray>("name");
        QTest::addColumn<QString>("refusal");
        const QString incorrect = QStringLiteral("Nom de fichier incorrect");
        QTest::newRow("FIFO") << QByteArray("Tube_16.VC") << incorrect;
        QTest::newRow("link to a FIFO") << QByteArray("Lien_16.VC") << incorrect;
        // Files of /proc say they are regular and empty; some block (/proc/kmsg).
        QTest::newRow("link to a file of /proc") << QByteArray("Proc_16.VC") << incorrect;
        QTest::newRow("directory") << QByteArray("Dossier_16.VC") << incorrect;
        QTest::newRow("link to a directory") << QByteArray("VersDossier_16.VC") << incorrect;
        QTest::newRow("device") << QByteArray("Null_16.VC") << incorrect;
        QTest::newRow("link to /dev/zero") << QByteArray("Zero_16.VC") << incorrect;
        QTest::newRow("link to /dev/urandom") << QByteArray("Hasard_16.VC") << incorrect;
        QTest::newRow("16 MiB of bare line ends") << QByteArray("Vide_16.VC") << "Fichier de plus de 65536 lignes";
        QTest::newRow("100 MB") << QByteArray("Gros_16.VC") << "Fichier trop volumineux";
        // Result files whose names no result file has.
        QTest::newRow("line feed in the name") << QByteArray("Du\npont_32.VC") << incorrect;
        QTest::newRow("terminal command in the name") << QByteArray("Du\x1B[2Jpont_32.VC") << incorrect;
        QTest::newRow("bell and DEL in the name") << QByteArray("Du\apont\x7F_32.VC") << incorrect;
    }
    void hostileFilesAreRefusedAtOnceAndLeftAlone()
    {
        QFETCH(QByteArray, name);
        QFETCH(QString, refusal);
        const QByteArray path = QFile::encodeName(m_dir.path()) + '/' + name;
        if (!m_hostileMade) {
            m_hostileMade = true;
            const QByteArray d = QFile::encodeName(m_dir.path()) + '/';
            QCOMPARE(::mkfifo(d + "Tube_16.VC", 0600), 0);
            QCOMPARE(::symlink(d + "Tube_16.VC", d + "Lien_16.VC"), 0);
            QCOMPARE(::symlink("/proc/self/status", d + "Proc_16.VC"), 0);
            QCOMPARE(::mkdir(d + "Dossier_16.VC", 0700), 0);
            QCOMPARE(::symlink(d + "Dossier_16.VC", d + "VersDossier_16.VC"), 0);
            if (::mknod(d + "Null_16.VC", S_IFCHR | 0666, makedev(1, 3)) != 0) // as /dev/null
                QCOMPARE(::symlink("/dev/null", d + "Null_16.VC"), 0);
            QCOMPARE(::symlink("/dev/zero", d + "Zero_16.VC"), 0);
            QCOMPARE(::symlink("/dev/urandom", d + "Hasard_16.VC"), 0);
            QFile f(m_dir.filePath(QStringLiteral("Vide_16.VC")));
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write(QByteArray(16 * 1024 * 1024, '\n'));
            f.close();
            QFile big(m_dir.filePath(QStringLiteral("Gros_16.VC")));
            QVERIFY(big.open(QIODevice::WriteOnly) && big.resize(100 * 1000 * 1000)); // sparse
            const QByteArray good = readAll(DataDir + QStringLiteral("Dupont_32.VC"));
            for (const QByteArray n : {"Du\npont_32.VC", "Du\x1B[2Jpont_32.VC", "Du\apont\x7F_32.VC"}) {
                const int fd = ::open(d + n, O_WRONLY | O_CREAT | O_EXCL, 0644);
                QVERIFY(fd >= 0 && ::write(fd, good.constData(), size_t(good.size())) == good.size());
                ::close(fd);
            }
        }
        const QByteArray before = fingerprint(path);

        // The tool gets the name's very bytes (a QString argument would re-encode it).
        QByteArray escaped;
        for (const char c : name)
            escaped += c > 0x20 && c < 0x7F && c != '\\' ? QByteArray(1, c)
                                                          : QByteArray("\\x") + QByteArray::number(uchar(c), 16).rightJustified(2, '0');
        const Run r = runShell({QStringLiteral("-c"), QStringLiteral("cd \"$1\" && exec \"$0\" -- \"$(printf %b \"$2\")\""),
                                Tool, m_dir.path(), QString::fromLatin1(escaped)});
        QCOMPARE(r.status, 1);
        QVERIFY(r.out.isEmpty());
        QCOMPARE(r.errLines.size(), 1);
        QString shown; // control characters escaped: \n, \t, \r, \xHH
        for (const char c : name)
            shown += c == '\n' ? QStringLiteral("\\n")
                     : (uchar(c) < 0x20 || c == 0x7F) ? QStringLiteral("\\x") + QString::number(uchar(c), 16).toUpper().rightJustified(2, u'0')
                                                     : QString(QLatin1Char(c));
        QVERIFY2(r.errLines.first().startsWith(shown + QStringLiteral(": ") + refusal), qPrintable(r.errLines.first()));

        // The analysis window, opened and closed on it.
        ScopedScriptedMessages msgs;
        AnalysisWindowLogic logic;
        ::alarm(20); // a hang ends the test
        logic.show(QFile::decodeName(path), 0, 1, QStringLiteral("Dupont"), ProgramVersion, m_dir.path());
        const auto closed = logic.closeSequence({QStringLiteral("[Notes]"), QStringLiteral("note")});
        ::alarm(0);
        QCOMPARE(closed, AnalysisWindowLogic::CloseOutcome::Closed);
        QVERIFY(logic.reportText().isEmpty());
        QCOMPARE(msgs.service.shown().size(), 1);
        QVERIFY2(msgs.service.shown().first().text.startsWith(refusal), qPrintable(msgs.service.shown().first().text));
        QCOMPARE(fingerprint(path), before);
    }

    // Reports lost on a full disk make a failure, said as such.
    void reportsThatCannotBeWrittenAreAFailure()
    {
        if (::access("/dev/full", W_OK) != 0)
            QSKIP("/dev/full cannot be written here");
        const Run r = runShell({QStringLiteral("-c"), QStringLiteral("exec \"$0\" \"$1\" >/dev/full"), Tool,
                                DataDir + QStringLiteral("Dupont_32.VC")});
        QCOMPARE(r.status, 1);
        QCOMPARE(r.errLines, QStringList{QStringLiteral("zoka-report : les rapports ne peuvent être écrits sur la "
                                                        "sortie standard : disque plein.")});
    }

    void encodings_data()
    {
        QTest::addColumn<QString>("locale");
        QTest::addColumn<bool>("raw");
        QTest::addColumn<bool>("utf8");
        QTest::newRow("UTF-8 terminal") << "en_GB.UTF-8" << false << true;
        QTest::newRow("UTF-8 terminal, --raw") << "en_GB.UTF-8" << true << false;
        QTest::newRow("ASCII locale") << "C" << false << false;
    }
    void encodings()
    {
        // Report and message in one encoding: "visualisé" reads right either way.
        QFETCH(QString, locale);
        QFETCH(bool, raw);
        QFETCH(bool, utf8);
        const QString file = DataDir + QStringLiteral("Roux_16.VC");
        QStringList args{file};
        if (raw)
            args.prepend(QStringLiteral("--raw"));
        const Run r = run(args, locale);
        QCOMPARE(r.status, 0);
        const QByteArray expected = readAll(file + QStringLiteral(".expected"));
        QCOMPARE(r.out.contains('\r'), !utf8);
        QCOMPARE(withPlaceholderDate(utf8 ? asReportBytes(r.out) : r.out), expected);
        QCOMPARE(r.errLines.size(), 1);
        QVERIFY2(r.errLines.first().contains(QStringLiteral("partiel est visualisé")), qPrintable(r.errLines.first()));
    }

    void commandLine_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("out");
        QTest::addColumn<QString>("err");
        const QString missing = QStringLiteral("/nonexistent/Absent_16.VC");
        QTest::newRow("no file") << QStringList{} << 2 << QString() << "aucun fichier";
        QTest::newRow("limit without text") << QStringList{"--limit"} << 2 << QString() << "l'option --limit attend une valeur";
        QTest::newRow("flag given a value") << QStringList{"--trials=1", missing} << 2 << QString() << "l'option --trials ne prend pas de valeur";
        QTest::newRow("trials with a limit") << QStringList{"--trials", "--limit", "1", missing} << 2 << QString() << "ni --export ni --limit";
        QTest::newRow("trials and summary") << QStringList{"--trials", "--summary", missing} << 2 << QString() << "ne vont pas ensemble";
        QTest::newRow("output alone") << QStringList{"--output", "x", missing} << 2 << QString() << "--output ne sert qu'avec";
        QTest::newRow("unknown option") << QStringList{"--bogus", missing} << 2 << QString() << "option inconnue : bogus";
        // A refused limit stops before any file is read: no "Fichier introuvable".
        QTest::newRow("limit above 10") << QStringList{"--limit", "12", missing} << 2 << QString() << "limite refusée « 12 »";
        QTest::newRow("limit not a number") << QStringList{"--limit=2,5s", missing} << 2 << QString() << "limite refusée";
        QTest::newRow("missing file") << QStringList{"--limit", "0,1", missing} << 1 << QString() << "Fichier introuvable";
        QTest::newRow("help") << QStringList{"--help"} << 0 << "secondes de 0,1 à 10, avec\n                       un point ou une virgule décimale" << QString();
        QTest::newRow("help: statuses") << QStringList{"-h"} << 0 << "  2  ligne de commande incorrecte" << QString();
        QTest::newRow("version") << QStringList{"--version"} << 0 << "zoka-report " + ProgramVersion + "\n" << QString();
    }
    void commandLine()
    {
        QFETCH(QStringList, args);
        QFETCH(int, status);
        QFETCH(QString, out);
        QFETCH(QString, err);
        const Run r = run(args);
        QCOMPARE(r.status, status);
        QVERIFY2(QString::fromUtf8(r.out).contains(out), r.out.constData());
        if (err.isEmpty())
            QVERIFY(r.errLines.isEmpty());
        else
            QVERIFY2(r.errLines.join(u'\n').contains(err), qPrintable(r.errLines.join(u'\n')));
    }

    void itemTablesAndTheirDescription()
    {
        // Three small files: every item, the closing lines; a missing file is named
        // on standard error and the others still written.
        const QStringList files = {DataDir + QStringLiteral("Dupont_32.VC"), DataDir + QStringLiteral("Petit_32.DB"),
                                   DataDir + QStringLiteral("Martin_36.LAT")};
        // A file broken after some items gives no row at all, not a part of its items.
        const QString missing = m_dir.filePath(QStringLiteral("Absent_16.VC"));
        const QString broken = m_dir.filePath(QStringLiteral("Casse_16.VC"));
        {
            QFile f(broken);
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write("Casse: 01/12/2026 \xe0 10:00:00\r\n0\r\n300\r\n310\r\nabc\r\n");
        }
        const QByteArray golden = readAll(DataDir + QStringLiteral("trials_beh.tsv"));
        Run r = run(QStringList{QStringLiteral("--trials"), broken} + files + QStringList{missing});
        QCOMPARE(r.status, 1);
        QCOMPARE(r.out, golden);
        QCOMPARE(r.errLines, (QStringList{broken + QStringLiteral(": Format numérique incorrect, ligne 5 : « abc » n'est pas un nombre : ") + broken,
                                          missing + QStringLiteral(": Fichier introuvable : ") + missing}));

        // With --output: the table and its description, never through a link.
        const QString prefix = m_dir.filePath(QStringLiteral("etude"));
        r = run(QStringList{QStringLiteral("--trials"), QStringLiteral("--output"), prefix} + files);
        QCOMPARE(r.status, 0);
        QVERIFY(r.out.isEmpty());
        QCOMPARE(readAll(prefix + QStringLiteral("_beh.tsv")), golden);
        const QJsonObject columns = QJsonDocument::fromJson(readAll(prefix + QStringLiteral("_beh.json"))).object();
        for (const QByteArray &name : golden.left(golden.indexOf('\n')).split('\t'))
            QVERIFY2(columns.value(QString::fromUtf8(name)).toObject().contains(QStringLiteral("Description")), name.constData());
        QCOMPARE(columns.value(QStringLiteral("response_time")).toObject().value(QStringLiteral("Units")).toString(), QStringLiteral("ms"));
        const QString elsewhere = m_dir.filePath(QStringLiteral("ailleurs.json"));
        QFile::remove(prefix + QStringLiteral("_summary.json"));
        QVERIFY(QFile::link(elsewhere, prefix + QStringLiteral("_summary.json")));
        r = run(QStringList{QStringLiteral("--summary"), QStringLiteral("--output"), prefix} + files);
        QCOMPARE(r.status, 1);
        QVERIFY(r.errLines.join(u' ').contains(QStringLiteral("lien symbolique")));
        QVERIFY(!QFileInfo::exists(elsewhere) && !QFileInfo::exists(prefix + QStringLiteral("_summary.tsv")));
        // One row a file with the measures the follow-up shows.
        r = run(QStringList{QStringLiteral("--summary")} + files);
        QCOMPARE(r.status, 0);
        const QList<QByteArray> rows = r.out.split('\n');
        QCOMPARE(rows.size(), 5); // header, three rows, the end
        QVERIFY2(rows.at(2).startsWith("Petit\tDB\tTR Double Binaire\tPetit_32.DB\t2026-12-07T09:41:12\t32\tn/a\tcomplete\t"), rows.at(2).constData());
    }

    void itemTableStates_data()
    {
        QTest::addColumn<QString>("file"); // in the test data, under the name given after "="
        QTest::addColumn<QString>("state");
        QTest::addColumn<QString>("outcomes"); // counted apart from the program, from the lines
        QTest::newRow("stopped early") << "Roux_16.VC" << "incomplete" << "hit=4 untimely=1";
        QTest::newRow("endless series") << "Roux_999.VC" << "endless" << "hit=71 untimely=1";
        QTest::newRow("sustained attention") << "sustained_input.AS=Durand_228-1.AS" << "complete"
                                             << "correct_rejection=23 false_alarm=6 hit=8 mask_press=2 omission=189";
    }
    void itemTableStates()
    {
        QFETCH(QString, file);
        QFETCH(QString, state);
        QFETCH(QString, outcomes);
        const QStringList names = file.split(u'=');
        const QString path = m_dir.filePath(names.last());
        QFile::remove(path);
        QVERIFY(QFile::copy(DataDir + names.first(), path));
        const Run r = run({QStringLiteral("--trials"), path});
        QCOMPARE(r.status, 0);
        QMap<QString, int> counted;
        const QList<QByteArray> rows = r.out.trimmed().split('\n');
        for (const QByteArray &row : rows.mid(1)) {
            const QList<QByteArray> cells = row.split('\t');
            QCOMPARE(cells.size(), 19);
            QCOMPARE(QString::fromUtf8(cells.at(7)), state);
            ++counted[QString::fromUtf8(cells.at(18))];
        }
        QStringList got;
        for (auto it = counted.cbegin(); it != counted.cend(); ++it)
            got << QStringLiteral("%1=%2").arg(it.key()).arg(it.value());
        QCOMPARE(got.join(u' '), outcomes);
    }

    void namesThatAreNotUtf8()
    {
        // Found by their bytes; control characters and stray bytes escaped.
        const Run r = runShell(QStringLiteral(
            "d=\"$D/$(printf 'd\\351\\001')\"; mkdir -p \"$d\" && cp \"$S\" \"$d/\" && "
            "exec \"$T\" \"$d/Leroy_16.AUD\" \"$d/$(printf 'Ab\\033sent_16.VC')\""),
            m_dir.path());
        QCOMPARE(r.status, 1);
        QCOMPARE(withPlaceholderDate(asReportBytes(r.out)), readAll(DataDir + QStringLiteral("Leroy_16.AUD.expected")));
        QCOMPARE(r.errLines.size(), 1);
        QVERIFY2(r.errLines.first().startsWith(m_dir.path() + QStringLiteral("/d\\xE9\\x01/Ab\\x1Bsent_16.VC: Nom de fichier incorrect")),
                 qPrintable(r.errLines.first()));
    }

    void filesLeftUntouched()
    {
        // A not-yet-analysed (read-only) file with notes: same bytes, mark and date.
        const QString file = m_dir.filePath(QStringLiteral("Dupont_32.VC"));
        QFile::remove(file);
        QVERIFY(QFile::copy(DataDir + QStringLiteral("Dupont_32.VC"), file));
        QFile::setPermissions(file, QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther);
        const QByteArray before = readAll(file);
        const QDateTime modified = QFileInfo(file).lastModified();
        const QFile::Permissions perms = QFileInfo(file).permissions();
        const Run r = run({QStringLiteral("--limit"), QStringLiteral("1"), file});
        QCOMPARE(r.status, 0);
        QVERIFY(!r.out.isEmpty());
        QCOMPARE(readAll(file), before);
        QCOMPARE(QFileInfo(file).lastModified(), modified);
        QCOMPARE(QFileInfo(file).permissions(), perms);
        QCOMPARE(QDir(m_dir.path()).entryList(QDir::Files).filter(QStringLiteral("Dupont_32")).size(), 1);
    }
};

QTEST_MAIN(TstCli)
#include "tst_cli.moc"
