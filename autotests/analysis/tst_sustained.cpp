// SPDX-License-Identifier: GPL-3.0-or-later
#include "analysis/analysis.h"
#include "analysis/reportwriter.h"
#include "analysis/resultreader.h"
#include "platform/cp1252.h"
#include "platform/messages.h"

#include <QtTest>

using namespace zoka;

namespace {

const QString TestStream = QStringLiteral("kdWesmkGVe3mEXwR3bpeRAmRcUeTwkcm33Yek3MURAeFdgbRkqRnm3UmA33fRkYf3ADbgmHAewS33Rwtke3AfVkRcUAmekVUYC3UewURkyYpQ3Aae3KDwESMKgvE3MexWr3BPEraMrCuEtWKCM33yEK3muraEfDGBrKQrNM3uMa33FrKyF3adBGMhaEWs33rWTKE3aFvKrCuaMEKvuyc3uEWurKYyPq3aAE3");
const QDateTime AnalysisTime(QDate(2026, 12, 8), QTime(9, 30, 5));

QByteArray readBytes(const QString &path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return QByteArray();
    return f.readAll();
}

void writeBytes(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

// A result file of the test: header, practice runs, then `items` lines of the test
// stream with the code `codeOf(position)`, then `tail` lines.
QStringList sustainedFile(int items, const std::function<int(int)> &codeOf,
                          const QStringList &tail = {}, const QString &patient = QStringLiteral("Dupont"))
{
    QStringList lines{patient + QStringLiteral(": 01/12/2026 à 10:00:00"), QStringLiteral("0")};
    for (int p = 1; p <= items; ++p)
        lines << TestStream.at(p - 1) + QLatin1Char(' ') + QString::number(codeOf(p));
    return lines + tail;
}

} // namespace

class TestSustained : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;

    QString put(const QString &name, const QStringList &lines)
    {
        const QString path = m_dir.filePath(name);
        writeBytes(path, cp1252::encodeLines(lines));
        return path;
    }

    bool analyse(AnalysisState &st, const QString &path, int speed = 1,
                 const QString &patient = QStringLiteral("Dupont"))
    {
        prepareAnalysis(st, path, 7, speed, patient, QStringLiteral("4.0b"));
        st.AnalysisTime = AnalysisTime;
        return openAnalysis(st);
    }

    QStringList reportLines(const AnalysisState &st) { return cp1252::splitLines(st.Report.text()); }

private slots:
    void initTestCase()
    {
        QLocale::setDefault(QLocale(QLocale::French, QLocale::France));
        QVERIFY(m_dir.isValid());
        setDecimalSeparatorOverride(QLatin1Char('.'));
    }

    void goldenReport()
    {
        // sustained_input.AS and sustained_report.txt are made by sustained_golden.py,
        // which counts and computes the figures on its own from the item codes. Hand
        // check of a few of them: letters kept 400 500 600 | 300 700 1200 give
        // PARTIE 1 median 500, SD 100 (deviations -100 0 100, n - 1 = 2), mean 500;
        // TOTAL median (500 + 600) / 2 = 550, mean 3700 / 6 = 616.67. The digit 90
        // is printed "  90", so the first response line is shifted and ends on a
        // blank. Rejects: 85 (item 5) and 50 (item 200) for letters, 90 (item 54) and
        // 60 (item 228) for digits, one in each half.
        ScopedScriptedMessages msgs;
        const QString data = QStringLiteral(ZOKA_TESTDATA_DIR "/analysis/");
        const QString path = m_dir.filePath(QStringLiteral("Dupré_228-2.AS"));
        QFile::remove(path);
        QVERIFY(QFile::copy(data + QStringLiteral("sustained_input.AS"), path));
        QByteArray expected = readBytes(data + QStringLiteral("sustained_report.txt"));
        QVERIFY(!expected.isEmpty());
        expected.replace("@DATE@", cp1252::encode(reportDateText(AnalysisTime)));
        expected.replace("@TIME@", cp1252::encode(reportTimeText(AnalysisTime)));

        AnalysisState st;
        QVERIFY(analyse(st, path, 2, QStringLiteral("Dupré")));
        QCOMPARE(msgs.service.texts(), QStringList());
        QCOMPARE(st.AnalysisError, AnalysisNoError);
        QCOMPARE(st.Report.bytes(), expected);
        QCOMPARE(st.PracticeRuns, 1);
        QCOMPARE(st.Notes, QStringList({QStringLiteral("[Notes]"), QStringLiteral("Première note"),
                                        QStringLiteral("seconde note")}));
        QCOMPARE(st.DataLines.size(), 230);
        QCOMPARE(st.DataLines.last(), QStringLiteral("3 60"));
        QCOMPARE(st.PatientName, QStringLiteral("Dupré"));
        QVERIFY(st.LimiteEnabled);
        QVERIFY(st.ExportWithoutInfo);
    }

    void noPressAtAllAndSpeedOfTheName()
    {
        ScopedScriptedMessages msgs;
        AnalysisState st;
        // No speed in the name: the count stops at the ".", the fallback speed is 1000 ms.
        QVERIFY(analyse(st, put(QStringLiteral("Dupont_228.AS"), sustainedFile(228, [](int) { return 0; })), 3));
        QVERIFY(msgs.service.texts().isEmpty());
        const QStringList r = reportLines(st);
        QCOMPARE(r.at(2), QStringLiteral("Dupont    Attention soutenue   228 items (durée: 1000 msec)"));
        QCOMPARE(r.at(9) + r.at(10) + r.at(11), QStringLiteral("   NA").repeated(30));
        QCOMPARE(r.at(9).size(), 50);
        QVERIFY(r.contains(QStringLiteral("Nombre d'absences de réaction (attendues) au chiffre 3= 30")));
        QVERIFY(r.contains(QStringLiteral("Total des non-appuis= 228 (Chiffre= 30 Lettres= 198)")));
        QVERIFY(r.contains(QStringLiteral("TR PARTIE 2 Chiffre=  0.0  &  0.00  [ 0.00 ]  & Rejets= 0")));
        QCOMPARE(r.last(), QStringLiteral("Après 0 lettre= 0,  3 lettres= 0,  5 lettres= 0,  10 lettres= 0,  15 lettres= 0"));
        QCOMPARE(st.Notes, QStringList{QStringLiteral("[Notes]")});
        QVERIFY(!r.contains(QStringLiteral("*").repeated(51)));
    }

    void badCountInTheNameStillAnalyses()
    {
        ScopedScriptedMessages msgs;
        AnalysisState st;
        QVERIFY(analyse(st, put(QStringLiteral("Dupont_22x-1.AS"), sustainedFile(228, [](int p) { return p == 1 ? 300 : 0; }))));
        QCOMPARE(msgs.service.texts(),
                 QStringList{QStringLiteral("      Err1: Le nom de fichier a un mauvais format          ")});
        const QStringList r = reportLines(st);
        QCOMPARE(r.at(2), QStringLiteral("Dupont    Attention soutenue   22 items (durée: 1000 msec)"));
        // Only items 1..22 enter the figures, split 11 / 11.
        QVERIFY(r.contains(QStringLiteral("TR PARTIE 1 Lettres=  300.0  &  0.00  [ 300.00 ]  & Rejets= 0")));
        QVERIFY(r.contains(QStringLiteral("TR PARTIE 2 Lettres=  0.0  &  0.00  [ 0.00 ]  & Rejets= 0")));

        // A renamed file with a count beyond the 228 items: the figures stop at 228, so
        // the first half holds them all and the second none.
        msgs.service.clear();
        AnalysisState big;
        QVERIFY(analyse(big, put(QStringLiteral("Dupont_99999-1.AS"), sustainedFile(228, [](int p) { return 200 + p; }))));
        QVERIFY(msgs.service.texts().isEmpty());
        const QStringList rb = reportLines(big);
        QVERIFY(rb.at(22).startsWith(QStringLiteral("TR TOTAL Lettres=     314.0")));
        QCOMPARE(rb.at(23).mid(22), rb.at(22).mid(22)); // PARTIE 1 = TOTAL
        QVERIFY(rb.contains(QStringLiteral("TR PARTIE 2 Lettres=  0.0  &  0.00  [ 0.00 ]  & Rejets= 0")));
        QVERIFY(reportLines(big).at(2).contains(QStringLiteral("99999 items")));
    }

    void hyphenInThePatientName()
    {
        // The count runs from the "_" to the "-" of the speed; a "-" in the patient's
        // name is not that one.
        ScopedScriptedMessages msgs;
        AnalysisState st;
        QVERIFY(analyse(st, put(QStringLiteral("Jean-Pierre_228-2.AS"),
                                sustainedFile(228, [](int p) { return p == 1 ? 300 : 0; }, {},
                                              QStringLiteral("Jean-Pierre"))),
                        2, QStringLiteral("Jean-Pierre")));
        QVERIFY(msgs.service.texts().isEmpty());
        QCOMPARE(st.ItemCount, 228);
        QCOMPARE(reportLines(st).at(2), QStringLiteral("Jean-Pierre    Attention soutenue   228 items (durée: 750 msec)"));
        int n = 0;
        QVERIFY(itemCountOfFileName(QStringLiteral("Jean-Pierre_228.AS"), true, &n));
        QCOMPARE(n, 228);
        QVERIFY(!itemCountOfFileName(QStringLiteral("Jean_22x-1.AS"), true, &n));
        QCOMPARE(n, 22);
    }

    void incompleteFilesAreListedRaw()
    {
        ScopedScriptedMessages msgs;
        AnalysisState st;
        QVERIFY(analyse(st, put(QStringLiteral("Dupont_228-1.AS"), sustainedFile(200, [](int p) { return p == 3 ? 512 : 0; }))));
        QCOMPARE(msgs.service.texts(), QStringList{IncompleteFileText});
        QCOMPARE(st.AnalysisError, 2);
        QVERIFY(!st.LimiteEnabled);
        QVERIFY(st.ExportWithoutInfo); // the data-only export stays possible for this test
        const QStringList r = reportLines(st);
        QVERIFY(r.contains(QStringLiteral("Données incomplètes (200 sur 228)")));
        QVERIFY(r.contains(QStringLiteral("   3 :  W 512")));
        QVERIFY(!r.join(QLatin1Char('\n')).contains(QStringLiteral("TR TOTAL")));
        QCOMPARE(st.DataLines.size(), 202);

        // Once analysed, such a file ends with its notes: it is still incomplete, and
        // its notes come back into the box.
        msgs.service.clear();
        AnalysisState again;
        QVERIFY(analyse(again, put(QStringLiteral("Dupont_228-1.AS"),
                                   sustainedFile(200, [](int) { return 0; },
                                                 {QStringLiteral("[Notes]"), QStringLiteral("fatigué")}))));
        QCOMPARE(msgs.service.texts(), QStringList{IncompleteFileText});
        QVERIFY(reportLines(again).contains(QStringLiteral("Données incomplètes (200 sur 228)")));
        QCOMPARE(again.Notes, QStringList({QStringLiteral("[Notes]"), QStringLiteral("fatigué")}));
        QCOMPARE(again.DataLines.size(), 202);

        // Header only.
        msgs.service.clear();
        AnalysisState empty;
        QVERIFY(analyse(empty, put(QStringLiteral("Dupont_228-1.AS"), sustainedFile(0, [](int) { return 0; }).mid(0, 1))));
        QVERIFY(reportLines(empty).contains(QStringLiteral("Données incomplètes (0 sur 228)")));
    }

    void malformedLinesGiveAMessageAndNoReport_data()
    {
        QTest::addColumn<QString>("line");
        QTest::addColumn<int>("position");
        QTest::newRow("not a number") << QStringLiteral("x abc") << 40;
        QTest::newRow("huge number") << QStringLiteral("k 99999999999999") << 1;
        QTest::newRow("stray byte") << QStringLiteral("R 41\x01") << 16;
        QTest::newRow("stray character") << QStringLiteral("\x02 300") << 228;
        QTest::newRow("empty line") << QString() << 100;
        QTest::newRow("practice line") << QStringLiteral("deux") << 0;
    }

    void malformedLinesGiveAMessageAndNoReport()
    {
        QFETCH(QString, line);
        QFETCH(int, position);
        ScopedScriptedMessages msgs;
        QStringList lines = sustainedFile(228, [](int) { return 0; },
                                          {QStringLiteral("[Notes]"), QStringLiteral("à garder")});
        lines[position + 1] = line; // position 0 is the practice-runs line
        AnalysisState st;
        QVERIFY(!analyse(st, put(QStringLiteral("Dupont_228-1.AS"), lines)));
        QCOMPARE(st.AnalysisError, AnalysisReadFailure);
        QVERIFY(st.Report.isEmpty());
        QCOMPARE(msgs.service.shown().size(), 1);
        QCOMPARE(msgs.service.shown().first().kind, MsgKind::Error);
        QVERIFY2(msgs.service.texts().first().contains(QStringLiteral("ligne %1").arg(position + 2)),
                 qPrintable(msgs.service.texts().first()));
        // The whole file is kept, so that closing the window rewrites it unchanged.
        QCOMPARE(st.DataLines, lines.mid(0, 230));
        QCOMPARE(st.Notes, QStringList({QStringLiteral("[Notes]"), QStringLiteral("à garder")}));
    }

    void extraLinesAreReportedAndTheAnalysisGoesOn()
    {
        ScopedScriptedMessages msgs;
        AnalysisState st;
        QVERIFY(analyse(st, put(QStringLiteral("Dupont_228-1.AS"),
                                sustainedFile(228, [](int) { return 0; },
                                              {QStringLiteral("k 5"), QStringLiteral("[Notes]"), QStringLiteral("note")}))));
        QCOMPARE(msgs.service.texts(),
                 QStringList{QStringLiteral("      Err4: Trop de données dans le fichier: il sera tronqué          ")});
        QCOMPARE(st.AnalysisError, AnalysisNoError);
        QVERIFY(reportLines(st).contains(QStringLiteral("Nombre de fausses alarmes au chiffre 3= 0")));
        QCOMPARE(st.DataLines.size(), 231);
        QCOMPARE(st.Notes, QStringList({QStringLiteral("[Notes]"), QStringLiteral("note")}));
    }

    void endlessHeaderIsOnlyListed()
    {
        ScopedScriptedMessages msgs;
        AnalysisState st;
        QStringList lines = sustainedFile(40, [](int) { return 0; });
        lines[0] += QStringLiteral(" #");
        QVERIFY(analyse(st, put(QStringLiteral("Dupont_228-1.AS"), lines)));
        QCOMPARE(st.AnalysisError, AnalysisUnlimited);
        QCOMPARE(msgs.service.shown().size(), 1);
        const QStringList r = reportLines(st);
        QVERIFY(r.contains(QStringLiteral("Affichage des 15 premières données:")));
        QCOMPARE(st.DataLines, lines);
    }

    void missingFileIsAnErrorWithoutReport()
    {
        ScopedScriptedMessages msgs;
        AnalysisState st;
        QVERIFY(!analyse(st, m_dir.filePath(QStringLiteral("Absent_228-1.AS"))));
        QCOMPARE(msgs.service.shown().size(), 1);
        QVERIFY(msgs.service.texts().first().contains(QStringLiteral("Fichier introuvable")));
        QVERIFY(!st.LinesLoaded);
        QVERIFY(st.Report.isEmpty());
    }
};

QTEST_MAIN(TestSustained)
#include "tst_sustained.moc"
