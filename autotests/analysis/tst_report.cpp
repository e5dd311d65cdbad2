// SPDX-License-Identifier: GPL-3.0-or-later
// Report text: golden reports of every test family, limit changes, hand-worked figures.
#include "analysis/analysis.h"
#include "analysis/report.h"
#include "analysis/reportwriter.h"
#include "platform/cp1252.h"
#include "platform/messages.h"

#include <QFile>
#include <QTemporaryDir>
#include <QLocale>
#include <QTest>

#include "report_helpers.h"

using namespace zoka;

namespace {

const QString DataDir = QStringLiteral(ZOKA_TESTDATA_DIR "/analysis/");

// Runs the window's road: opening, then each limit as "Limite" / "Appliquer".
AnalysisState analyse(const QString &path, int test, const QStringList &limits = {})
{
    AnalysisState st;
    const QString name = path.mid(path.lastIndexOf(u'/') + 1);
    prepareAnalysis(st, path, test, 1, name.left(name.indexOf(u'_')), QStringLiteral("4.0b"));
    st.AnalysisTime = QDateTime(QDate(2026, 12, 7), QTime(10, 30, 0));
    openAnalysis(st);
    for (const QString &l : limits)
        applyLimitAndAnalyse(st, l);
    return st;
}

QString firstDifference(const QByteArray &actual, const QByteArray &expected)
{
    const QStringList a = cp1252::splitLines(cp1252::decode(actual));
    const QStringList e = cp1252::splitLines(cp1252::decode(expected));
    for (int i = 0; i < qMax(a.size(), e.size()); ++i) {
        const QString al = i < a.size() ? a.at(i) : QStringLiteral("<none>");
        const QString el = i < e.size() ? e.at(i) : QStringLiteral("<none>");
        if (al != el)
            return QStringLiteral("line %1:\n  actual:   [%2]\n  expected: [%3]").arg(i + 1).arg(al, el);
    }
    return QStringLiteral("line ends differ");
}

QStringList reportLines(const AnalysisState &st) { return cp1252::splitLines(st.Report.text()); }

} // namespace

class TstReport : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;

    QString write(const QString &name, const QStringList &lines)
    {
        const QString path = m_dir.filePath(name);
        QFile f(path);
        f.open(QIODevice::WriteOnly | QIODevice::Truncate);
        f.write(cp1252::encodeLines(lines));
        return path;
    }

private slots:
    void initTestCase() { QLocale::setDefault(QLocale(QLocale::French, QLocale::France)); }
    void init() { setDecimalSeparatorOverride(u'.'); }
    void cleanup() { setDecimalSeparatorOverride(QChar()); }

    void golden_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("test");
        QTest::addColumn<QStringList>("limits");
        QTest::addColumn<int>("messages");
        // The same cases as make_reports.py.
        QTest::newRow("centred, three limits") << "Dupont_32.VC" << 0 << QStringList{"2,5", "12", ""} << 1;
        QTest::newRow("lateralised 8x8") << "Martin_64.LAT" << 1 << QStringList{} << 0;
        QTest::newRow("lateralised 6x6") << "Martin_36.LAT" << 1 << QStringList{"0.6"} << 0;
        QTest::newRow("fixation 6x6") << "Durand_36.LFC" << 2 << QStringList{} << 0;
        QTest::newRow("fixation 8x8") << "Durand_64.LFC" << 2 << QStringList{} << 0;
        QTest::newRow("simple go/no-go") << "Petit_64.SB" << 3 << QStringList{"1,5"} << 0;
        QTest::newRow("double go/no-go") << "Petit_32.DB" << 4 << QStringList{} << 0;
        QTest::newRow("auditory") << "Leroy_16.AUD" << 5 << QStringList{} << 0;
        QTest::newRow("mixed") << "Leroy_65.MIX" << 6 << QStringList{"2.5", "3"} << 0;
        QTest::newRow("pointing 8x8") << "Bernard_64.PAS" << 8 << QStringList{"5"} << 0;
        QTest::newRow("pointing 6x6") << "Bernard_36.PCA" << 9 << QStringList{} << 0;
        QTest::newRow("incomplete, value 0") << "Roux_16.VC" << 0 << QStringList{} << 1;
        QTest::newRow("incomplete, end of file") << "Roux_32.AUD" << 5 << QStringList{} << 1;
        QTest::newRow("endless") << "Roux_999.VC" << 0 << QStringList{} << 1;
    }
    void golden()
    {
        QFETCH(QString, name);
        QFETCH(int, test);
        QFETCH(QStringList, limits);
        QFETCH(int, messages);
        ScopedScriptedMessages msgs;
        const AnalysisState st = analyse(DataDir + name, test, limits);
        const QByteArray expected = readAll(DataDir + name + QStringLiteral(".expected"));
        QVERIFY2(!expected.isEmpty(), qPrintable(name));
        const QByteArray actual = withPlaceholderDate(st.Report.bytes());
        QVERIFY2(actual == expected, qPrintable(firstDifference(actual, expected)));
        QCOMPARE(msgs.service.shown().size(), messages);
    }

    void handWorkedCentred()
    {
        // Items 1..16 wait 3,5,1,7,1,3,7,5,5,1,7,3,3,7,1,5 s. All 400 ms but item 1
        // (200) and item 2 (600). Global: mean 6400/16 = 400, squared deviations
        // 2 x 40000, 80000/15 -> SD 73.03. Partie 1: 80000/7 -> 106.90. Délai 3 =
        // items 1, 6, 12, 13: 200 400 400 400, mean 350, median 400, SD 100. Délai 5 =
        // items 2, 8, 9, 16: mean 450.
        QStringList file{QStringLiteral("Dupont: 01/02/2026 à 08:00:00"), QStringLiteral("0"),
                         QStringLiteral("200"), QStringLiteral("600")};
        for (int i = 3; i <= 16; ++i)
            file << QStringLiteral("400");
        file << QStringLiteral("0");
        const AnalysisState st = analyse(write(QStringLiteral("Dupont_16.VC"), file), 0);
        const QStringList r = reportLines(st);
        QCOMPARE(r.at(7), QStringLiteral("Scores bruts:"));
        QCOMPARE(r.at(8), QStringLiteral(" 200   600   400   400   400   400   400   400  "));
        QCOMPARE(r.at(11), QStringLiteral("Rejet(s) (<100 msec.): 0"));
        QCOMPARE(r.at(14), QStringLiteral("Global: Total   =    400.0  &  73.03  [ 400.00 ]"));
        QCOMPARE(r.at(15), QStringLiteral("        Partie 1  =  400.0  &  106.90  [ 400.00 ]"));
        QCOMPARE(r.at(16), QStringLiteral("        Partie 2  =  400.0  &  0.00  [ 400.00 ]"));
        QCOMPARE(r.at(17), QStringLiteral("        Délai 1 sec= 400.0  &  0.00  [ 400.00 ]"));
        QCOMPARE(r.at(18), QStringLiteral("        Délai 3 sec= 400.0  &  100.00  [ 350.00 ]"));
        QCOMPARE(r.at(19), QStringLiteral("        Délai 5 sec= 400.0  &  100.00  [ 450.00 ]"));
        QCOMPARE(r.at(20), QStringLiteral("        Délai 7 sec= 400.0  &  0.00  [ 400.00 ]"));
        QCOMPARE(r.at(21), QString(51, u'*'));
        QCOMPARE(r.size(), 22);

        // The regional decimal separator reaches F1/F2 only.
        setDecimalSeparatorOverride(u',');
        const AnalysisState comma = analyse(write(QStringLiteral("Dupont_16.VC"), file), 0);
        QCOMPARE(reportLines(comma).at(14), QStringLiteral("Global: Total   =    400,0  &  73,03  [ 400,00 ]"));
    }

    void rejectsAndLimitBlocks()
    {
        // From the golden centred case, the places that matter, checked by hand:
        // item 5 holds 85 and item 10 holds 3000 (no answer).
        ScopedScriptedMessages msgs;
        const AnalysisState st = analyse(DataDir + QStringLiteral("Dupont_32.VC"), 0,
                                         {QStringLiteral("2,5"), QStringLiteral("12"), QString()});
        const QStringList r = reportLines(st);
        QCOMPARE(r.count(QStringLiteral("Scores bruts:")), 1);
        QCOMPARE(r.count(QString(51, u'*')), 4);
        QVERIFY(r.at(8).mid(4 * 6, 6) == QStringLiteral("  85  "));
        QVERIFY(r.at(9).mid(1 * 6, 6) == QStringLiteral("3000  "));
        QCOMPARE(r.count(QStringLiteral("Rejet(s) (<100 msec.): 1")), 1);
        // 2.5 s: 85 and 3000 out; the refused "12" leaves 2.5 s in force and says so.
        QCOMPARE(r.count(QStringLiteral("Rejet(s) (>2.5 sec. ou <100 msec.): 2")), 2);
        // Empty text: back to 3.0 s, 3000 in again.
        QCOMPARE(r.count(QStringLiteral("Rejet(s) (>3.0 sec. ou <100 msec.): 1")), 1);
        QCOMPARE(msgs.service.texts(), QStringList{QStringLiteral("   Mauvais format de limite !    ")});
        const int secondBlock = int(r.indexOf(QString(51, u'*'))) + 1;
        QCOMPARE(r.at(secondBlock), QString());
        QCOMPARE(r.at(secondBlock + 1).mid(4 * 6, 6), QStringLiteral("====  "));
        QCOMPARE(r.at(secondBlock + 2).mid(1 * 6, 6), QStringLiteral("====  "));
    }

    void mixedTest()
    {
        const AnalysisState st = analyse(DataDir + QStringLiteral("Leroy_65.MIX"), 6,
                                         {QStringLiteral("2.5"), QStringLiteral("3")});
        const QStringList r = reportLines(st);
        // 8 rows, each after its letters line; the first row carries 9 values.
        QCOMPARE(r.at(8), QStringLiteral("  V     A     V     V     V     A     A     A     A   "));
        QCOMPARE(r.at(9).size(), 9 * 6);
        QVERIFY(r.at(9).startsWith(QStringLiteral("   0  "))); // item 1 (95) rejected
        QCOMPARE(r.at(10).left(6), QString(6, u' '));
        // Cross-modal differences only while the limit is 3000 ms.
        QCOMPARE(r.count(QStringLiteral("Diff.crossmodales")), 2);
        QStringList secondBlock;
        int stars = 0;
        for (const QString &l : r) {
            if (l == QString(51, u'*')) {
                ++stars;
                continue;
            }
            if (stars == 1)
                secondBlock << l;
        }
        QVERIFY(!secondBlock.contains(QStringLiteral("Diff.crossmodales")));
        QVERIFY(secondBlock.at(2).startsWith(QStringLiteral("====  "))); // rejected item 1 after pass 1
    }

    void mixedHalves()
    {
        // Partie 1 covers items 1..33, Partie 2 items 34..65: every visual item of
        // the first part is 500, of the second 700; every auditory item 900.
        QStringList file{QStringLiteral("Leroy: x"), QStringLiteral("0")};
        for (int i = 1; i <= 65; ++i)
            file << QString::number(TrmSeries.at(i - 1) == u'A' ? 900 : (i <= 33 ? 500 : 700));
        file << QStringLiteral("0");
        const AnalysisState st = analyse(write(QStringLiteral("Leroy_65.MIX"), file), 6);
        const QStringList r = reportLines(st);
        const int at = int(r.indexOf(QStringLiteral("                     Médiane & Ecart-type [Moyenne]")));
        QVERIFY(at > 0);
        QCOMPARE(r.at(at + 2), QStringLiteral("        Partie 1  =  ") + QStringLiteral("  500.0  &     0.00  [  500.00 ]"));
        QCOMPARE(r.at(at + 3), QStringLiteral("        Partie 2  =  ") + QStringLiteral("  700.0  &     0.00  [  700.00 ]"));
        QCOMPARE(r.at(at + 4), QStringLiteral("AUDITIF:Total   =      900.0  &     0.00  [  900.00 ]"));
    }

    void goNoGoRows()
    {
        // TR simple binaire: rows of 16 cells show only the "+" items; a rejected "0"
        // item is not counted.
        QStringList file{QStringLiteral("Petit: x"), QStringLiteral("0")};
        for (int i = 1; i <= 32; ++i)
            file << QString::number(TrsSeries.at(i - 1) == u'0' ? 50 : 500 + i);
        file << QStringLiteral("0 4");
        const AnalysisState st = analyse(write(QStringLiteral("Petit_32.SB"), file), 3);
        const QStringList r = reportLines(st);
        QCOMPARE(r.at(6), QStringLiteral("Nombre de fausse(s) alarme(s): 4"));
        QCOMPARE(r.at(7), QStringLiteral("Nombre d'omissions: 0"));
        int plusFirst = 0;
        for (int i = 0; i < 16; ++i)
            plusFirst += TrsSeries.at(i) == u'+';
        QCOMPARE(r.at(10).size(), plusFirst * 6);
        QVERIFY(!r.at(10).contains(QStringLiteral("  50  ")));
        QVERIFY(r.contains(QStringLiteral("Rejet(s) (<100 msec.): 0")));
    }

    void countsWithoutForeperiods()
    {
        // A renamed file whose count has no foreperiod series for its test (36 items
        // of TR visuel centré, 20 items): the file name is at fault (error 1), the
        // head is written without statistics, Limite is disabled, and the program
        // does not end.
        ScopedScriptedMessages msgs;
        QStringList file{QStringLiteral("Dupont: x"), QStringLiteral("0")};
        for (int i = 0; i < 36; ++i)
            file << QStringLiteral("400");
        file << QStringLiteral("0");
        AnalysisState st = analyse(write(QStringLiteral("Dupont_36.VC"), file), 0);
        QCOMPARE(st.InternalErrorCode, 0);
        QCOMPARE(st.AnalysisError, 1);
        QVERIFY(!st.LimiteEnabled);
        QCOMPARE(reportLines(st).size(), 7);
        QCOMPARE(reportLines(st).at(2), QStringLiteral("Dupont    TR Visuel Centré   36 items"));
        QCOMPARE(msgs.service.texts(),
                 QStringList{QStringLiteral("      Err1: Le nom de fichier a un mauvais format          ")});
        file.remove(2, 16);
        st = analyse(write(QStringLiteral("Dupont_20.VC"), file), 0);
        QCOMPARE(st.InternalErrorCode, 0);
        QCOMPARE(st.AnalysisError, 1);
        QVERIFY(!reportLines(st).contains(QStringLiteral("Scores bruts:")));
        // Called anyway, the block stops instead of guessing foreperiods.
        AnalyseValues(st);
        QCOMPARE(st.InternalErrorCode, 203);
        QVERIFY(!reportLines(st).contains(QString(51, u'*')));
        // 36 items are fine for the lateralised test.
        file.clear();
        file << QStringLiteral("Dupont: x") << QStringLiteral("0");
        for (int i = 0; i < 36; ++i)
            file << QStringLiteral("400");
        file << QStringLiteral("0");
        st = analyse(write(QStringLiteral("Dupont_36.LAT"), file), 1);
        QCOMPARE(st.InternalErrorCode, 0);
        QVERIFY(st.LimiteEnabled);
        QVERIFY(reportLines(st).contains(QStringLiteral("Quadrant Inf. Droit = 400.0  &  0.00  [ 400.00 ]")));
    }

    void reportFileBytes()
    {
        // The report file holds exactly the report bytes, Windows-1252 with CR LF.
        QTemporaryDir programDir;
        const AnalysisState st = analyse(DataDir + QStringLiteral("Leroy_16.AUD"), 5);
        QString error;
        QVERIFY(writeReportFile(programDir.path(), st.Report.bytes(), &error));
        const QByteArray bytes = readAll(programDir.filePath(QStringLiteral("AnaTemp.txt")));
        QCOMPARE(bytes, st.Report.bytes());
        QVERIFY(bytes.contains("Passation de l'\xE9preuve le "));
        QVERIFY(bytes.endsWith("*\r\n"));
        QCOMPARE(bytes.count("\r\n"), bytes.count('\n'));
        QVERIFY(!writeReportFile(programDir.filePath(QStringLiteral("absent/dir")), st.Report.bytes(), &error));
        QVERIFY(!error.isEmpty());
    }
};

QTEST_MAIN(TstReport)
#include "tst_report.moc"
