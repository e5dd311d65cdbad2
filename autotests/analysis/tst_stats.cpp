// SPDX-License-Identifier: GPL-3.0-or-later
// Statistics, number notations of the report, and the limit change.
#include "analysis/analysis.h"
#include "analysis/followup.h"
#include "analysis/report.h"
#include "analysis/reportwriter.h"
#include "analysis/stats.h"
#include "platform/messages.h"

#include <QLocale>
#include <QTest>
#include <cmath>
#include <vector>

using namespace zoka;

class TstStats : public QObject {
    Q_OBJECT

private slots:
    // The program makes French the default locale when the system has none.
    void initTestCase() { QLocale::setDefault(QLocale(QLocale::French, QLocale::France)); }
    void init() { setDecimalSeparatorOverride(u'.'); }
    void cleanup() { setDecimalSeparatorOverride(QChar()); }

    void computeStats_data()
    {
        QTest::addColumn<QList<int>>("values");
        QTest::addColumn<QString>("figures");
        // Worked by hand: mean 450; squared deviations 22500+2500+2500+22500 = 50000;
        // 50000 / 3 = 16666.67; root 129.099.
        QTest::newRow("four values") << QList<int>{300, 500, 400, 600} << "450.0  &  129.10  [ 450.00 ]";
        // 300, 400, 500: squared deviations 10000+0+10000, / 2 -> SD 100.
        QTest::newRow("three values") << QList<int>{300, 500, 400} << "400.0  &  100.00  [ 400.00 ]";
        QTest::newRow("one value") << QList<int>{437} << "437.0  &  0.00  [ 437.00 ]";
        QTest::newRow("only zeros") << QList<int>{0, 0, 0, 0} << "0.0  &  0.00  [ 0.00 ]";
        // Zeros (and anything below 1) are left out: 300, 600 remain.
        QTest::newRow("zeros left out") << QList<int>{0, 300, -5, 600, 0} << "450.0  &  212.13  [ 450.00 ]";
        // Even count with equal middle values; the mean 1201/3 rounds up.
        QTest::newRow("odd mean") << QList<int>{400, 400, 401} << "400.0  &  0.58  [ 400.33 ]";
    }
    void computeStats()
    {
        QFETCH(QList<int>, values);
        QFETCH(QString, figures);
        std::vector<int> v(values.begin(), values.end());
        QCOMPARE(figuresText(ComputeStats(v.data(), 0, int(v.size()) - 1)), figures);
    }

    void computeStatsRange()
    {
        // Only first..last count; 0-based inclusive bounds.
        const std::array<int, 6> v = {1000, 300, 500, 400, 600, 2000};
        const Stats s = ComputeStats(v, 1, 4);
        QCOMPARE(s.median, 450.0);
        QCOMPARE(s.mean, 450.0);
        const Stats empty = ComputeStats(v, 3, 2);
        QCOMPARE(empty.median, 0.0);
        QCOMPARE(empty.sd, 0.0);
    }

    void equalValuesNeverNaN()
    {
        // With very large equal values the variance formula lands below zero in
        // floating point (the squares are no longer exact): the SD must print 0.
        for (const int v : {1, 321, 3000, 30000, 2000000000, 2147483000}) {
            for (int n = 1; n <= 228; n += 7) {
                std::vector<int> values(std::size_t(n), v);
                const Stats s = ComputeStats(values.data(), 0, n - 1);
                QVERIFY2(!std::isnan(s.sd), qPrintable(QStringLiteral("v=%1 n=%2").arg(v).arg(n)));
                QCOMPARE(s.sd, 0.0);
                QCOMPARE(s.median, double(v));
            }
        }
        std::vector<int> nearlyEqual = {2000000000, 2000000000, 2000000002};
        const Stats s = ComputeStats(nearlyEqual.data(), 0, 2);
        QVERIFY(!std::isnan(s.sd) && s.sd >= 0);
        QVERIFY(!fmtF2(s.sd).contains(QStringLiteral("nan"), Qt::CaseInsensitive));
    }

    // Comparing two administrations, against published worked examples.
    void comparisonStatistics_data()
    {
        QTest::addColumn<QString>("method");
        QTest::addColumn<QList<double>>("x");
        QTest::addColumn<QList<double>>("y");
        QTest::addColumn<QList<double>>("expected");
        QTest::addColumn<double>("tolerance");
        // Hollander & Wolfe, permeability constants of the human chorioamnion (the
        // example of R's wilcox.test): W = 35, one-sided p = 0.1272, exact, no ties.
        const QList<double> term = {0.80, 0.83, 1.89, 1.04, 1.45, 1.38, 1.91, 1.64, 0.73, 1.46};
        const QList<double> early = {1.15, 0.88, 0.90, 0.74, 1.21};
        QTest::newRow("Mann-Whitney exact") << "mw" << term << early << QList<double>{35, 2 * 0.1272, 1} << 1e-4;
        // Bonett & Price (2002) as in statpsych's ci.median2: medians 34.5 and 43,
        // difference -8.5, SE 4.316291, 95 % CI -16.95977 to -0.04022524.
        const QList<double> g1 = {32, 39, 26, 35, 43, 27, 40, 37, 34, 29};
        const QList<double> g2 = {36, 44, 47, 42, 49, 39, 46, 31, 33, 48};
        QTest::newRow("Bonett-Price, n = 10") << "ci" << g1 << g2 << QList<double>{-8.5, 4.316291, -16.95977, -0.04022524} << 1e-5;
        // Second example (n = 20): difference -85, SE 37.11502, CI -157.7441 to -12.25589.
        const QList<double> h1 = {70, 394, 43, 95, 62, 128, 2, 203, 81, 436, 85, 35, 156, 1, 3, 27, 63, 181, 184, 18};
        const QList<double> h2 = {102, 120, 78, 78, 417, 124, 86, 171, 176, 129, 230, 194, 100, 157, 306, 411, 164, 103, 193, 312};
        QTest::newRow("Bonett-Price, n = 20") << "ci" << h1 << h2 << QList<double>{-85, 37.11502, -157.7441, -12.25589} << 1e-4;
        // The same samples hold a tie (78, 78): normal approximation. By hand: U = 103,
        // mean 200, variance 400/12 x (41 - 6/1560) = 1366.54, z = (103 - 200 + 0.5) / 36.967
        // = -2.6104, p = 2 x Phi(-2.6104) = 0.00904.
        QTest::newRow("Mann-Whitney, ties") << "mw" << h1 << h2 << QList<double>{103, 0.00904, 0} << 1e-5;
        // Fisher's tea-tasting lady, 3 1 / 1 3: two-sided p = 17/35.
        QTest::newRow("Fisher, tea tasting") << "fisher" << QList<double>{3, 1, 1, 3} << QList<double>{} << QList<double>{17.0 / 35} << 1e-9;
        // Lange's convictions of like-sex twins of criminals (R's fisher.test example):
        // 2 15 / 10 3, two-sided p = 0.0005367.
        QTest::newRow("Fisher, convictions") << "fisher" << QList<double>{2, 15, 10, 3} << QList<double>{} << QList<double>{0.0005367} << 1e-7;
        QTest::newRow("Fisher, nothing changed") << "fisher" << QList<double>{0, 32, 0, 32} << QList<double>{} << QList<double>{1} << 1e-12;
        // By hand: three values all below three others, 1 ordering of 20 each way.
        QTest::newRow("Mann-Whitney, apart") << "mw" << QList<double>{1, 2, 3} << QList<double>{4, 5, 6} << QList<double>{0, 0.1, 1} << 1e-12;
        // Every value equal: nothing tells the samples apart (no division by zero).
        QTest::newRow("Mann-Whitney, all equal") << "mw" << QList<double>{500, 500} << QList<double>{500, 500, 500}
                                                 << QList<double>{3, 1, 0} << 0.0;
        QTest::newRow("Bonett-Price, one value") << "ci" << QList<double>{400} << QList<double>{420, 430} << QList<double>{0} << 0.0;
        QTest::newRow("normal quantile") << "quantile" << QList<double>{0.975, 0.5, 1e-10} << QList<double>{}
                                         << QList<double>{1.959963985, 0, -6.361340902} << 1e-8;
    }
    void comparisonStatistics()
    {
        QFETCH(QString, method);
        QFETCH(QList<double>, x);
        QFETCH(QList<double>, y);
        QFETCH(QList<double>, expected);
        QFETCH(double, tolerance);
        const std::vector<double> a(x.begin(), x.end()), b(y.begin(), y.end());
        QList<double> got;
        if (method == u"mw") {
            const MannWhitney r = mannWhitneyU(a, b);
            got = {r.u, r.p, r.exact ? 1.0 : 0.0};
        } else if (method == u"ci") {
            const MedianDifference r = medianDifference(b, a); // x - y, as the examples give it
            got = r.valid ? QList<double>{r.difference, r.se, r.lower, r.upper} : QList<double>{0};
        } else if (method == u"quantile") {
            for (double p : x)
                got << normalQuantile(p);
        } else {
            got = {fisherExactTwoSided(int(x[0]), int(x[1]), int(x[2]), int(x[3]))};
        }
        for (int i = 0; i < expected.size(); ++i)
            QVERIFY2(std::fabs(got.at(i) - expected.at(i)) <= tolerance,
                     qPrintable(QStringLiteral("value %1: %2, expected %3").arg(i).arg(got.at(i), 0, 'g', 10).arg(expected.at(i))));
    }

    // The change between two administrations, in the clinician's words.
    void changeSentences_data()
    {
        QTest::addColumn<int>("shift");      // ms added to every time of the second one
        QTest::addColumn<int>("secondState"); // FileState of the second one
        QTest::addColumn<QStringList>("sentences");
        // 20 distinct times 400..419, then shifted: exact Mann-Whitney; Bonett-Price by
        // hand: c = 6, order statistics 405 and 414, P(Bin(20, 1/2) <= 5) = 0.0207,
        // z = 2.040, SE = 3.12, CI = shift -/+ 6.
        const QString fa = QStringLiteral("Fausses alarmes : 0 sur 24, puis 6 sur 24 ; différence significative, p = 0,02 (test exact de Fisher).");
        const QString om = QStringLiteral("Omissions : 1 sur 20, puis 1 sur 20 ; pas de changement, p = 1 (test exact de Fisher).");
        QTest::newRow("slower") << 50 << int(FileState::Complete)
                                << QStringList{"Temps de réaction médian : plus lent de 50 ms (IC 95 % : 44 à 56 ms), différence significative, "
                                               "p < 0,001 (Mann-Whitney, loi exacte).", om, fa};
        QTest::newRow("faster") << -50 << int(FileState::Complete)
                                << QStringList{"Temps de réaction médian : plus rapide de 50 ms (IC 95 % : 44 à 56 ms), différence significative, "
                                               "p < 0,001 (Mann-Whitney, loi exacte).", om, fa};
        QTest::newRow("the same times") << 0 << int(FileState::Complete)
                                        << QStringList{"Temps de réaction médian : médiane inchangée (IC 95 % : -6 à 6 ms), différence non significative, "
                                                       "p = 1 (Mann-Whitney, approximation normale).", om, fa};
        QTest::newRow("second stopped early") << 50 << int(FileState::Incomplete)
                                              << QStringList{"La passation Dupont_64.SB (02/12/2026 à 10:00:00) n'est pas comparée : fichier incomplet."};
    }
    void changeSentences()
    {
        QFETCH(int, shift);
        QFETCH(int, secondState);
        QFETCH(QStringList, sentences);
        Administration before;
        before.testIndex = 3;
        before.state = FileState::Complete;
        before.fileName = QStringLiteral("Dupont_64.SB");
        before.omissions = 1;
        before.goItems = 20;
        before.falseAlarms = 0;
        before.noGoItems = 24;
        for (int i = 0; i < 20; ++i)
            before.times.push_back(400 + i);
        Administration after = before;
        after.state = FileState(secondState);
        after.dateText = QStringLiteral("02/12/2026 à 10:00:00");
        after.falseAlarms = 6;
        for (double &t : after.times)
            t += shift;
        const Change c = compareAdministrations(before, after);
        QCOMPARE(c.valid ? c.sentences : QStringList{c.refusal}, sentences);
        QCOMPARE(compareAdministrations(before, Administration{}).valid, false); // another test
    }

    void pValues()
    {
        QCOMPARE(pValueText(0.0004), QStringLiteral("p < 0,001"));
        QCOMPARE(pValueText(0.004), QStringLiteral("p = 0,004"));
        QCOMPARE(pValueText(0.0449), QStringLiteral("p = 0,04"));
        QCOMPARE(pValueText(0.31), QStringLiteral("p = 0,31"));
        QCOMPARE(pValueText(0.999), QStringLiteral("p = 1"));
    }

    void notations()
    {
        QCOMPARE(fmtInt(85, 4), QStringLiteral("  85"));
        QCOMPARE(fmtInt(12345, 4), QStringLiteral("12345")); // wider numbers whole
        QCOMPARE(fmtInt(-334, 5), QStringLiteral(" -334"));
        QCOMPARE(fmtF1(450), QStringLiteral("450.0"));
        QCOMPARE(fmtF2(0.125), QStringLiteral("0.13")); // halves away from zero
        QCOMPARE(fmtF2(1e-9), QStringLiteral("0.00"));
        QCOMPARE(fmtF2(-1e-9), QStringLiteral("0.00")); // never "-0.00"
        QCOMPARE(fmtR(731, 7, 1), QStringLiteral("  731.0"));
        QCOMPARE(fmtR(12345.678, 7, 2), QStringLiteral("12345.68"));
        setDecimalSeparatorOverride(u',');
        QCOMPARE(fmtF1(450), QStringLiteral("450,0"));
        QCOMPARE(figuresText(Stats{450, 129.099, 450}), QStringLiteral("450,0  &  129,10  [ 450,00 ]"));
        QCOMPARE(fmtR(450, 7, 2), QStringLiteral(" 450.00")); // R(w,d) keeps the point
        QCOMPARE(bannerLine(QStringLiteral("4.0b")), QStringLiteral("0      BATTERIE ATTENTION TESSARO (ZOKA) v4.0b"));
        QCOMPARE(bannerLine(QString(40, u'x')).size(), 63);
    }

    void defaultLocaleGivesSeparatorAndDate()
    {
        // F1/F2 and the analysis date follow the default locale, so that making French
        // the default is enough whatever the system's settings are.
        setDecimalSeparatorOverride(QChar());
        const QDateTime when(QDate(2026, 12, 7), QTime(9, 5, 3));
        QCOMPARE(fmtF1(450), QStringLiteral("450,0"));
        QCOMPARE(figuresText(Stats{450, 129.099, 450}), QStringLiteral("450,0  &  129,10  [ 450,00 ]"));
        QCOMPARE(fmtR(450, 7, 2), QStringLiteral(" 450.00"));
        QCOMPARE(reportDateText(when), QStringLiteral("07/12/2026"));
        QCOMPARE(reportTimeText(when), QStringLiteral("09:05:03")); // no time-zone name
        QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
        QCOMPARE(fmtF2(0.5), QStringLiteral("0.50"));
        QCOMPARE(reportDateText(when), QStringLiteral("12/7/26"));
        QLocale::setDefault(QLocale(QLocale::French, QLocale::France));
    }

    void applyLimit_data()
    {
        QTest::addColumn<int>("test");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<bool>("accepted");
        QTest::addColumn<double>("limitMs");
        QTest::addColumn<QString>("limitText");
        QTest::newRow("comma") << 0 << "2,5" << true << 2500.0 << "2.5";
        QTest::newRow("point") << 0 << "1.5" << true << 1500.0 << "1.5";
        QTest::newRow("lowest") << 0 << "0.1" << true << 100.0 << "0.1";
        QTest::newRow("highest") << 0 << "10" << true << 10000.0 << "10";
        QTest::newRow("empty") << 0 << "" << true << 3000.0 << "3.0";
        QTest::newRow("empty pointing") << 8 << "" << true << 10000.0 << "10.0";
        QTest::newRow("too small") << 0 << "0.05" << false << 3000.0 << "3.0";
        QTest::newRow("too large") << 0 << "12" << false << 3000.0 << "3.0";
        QTest::newRow("letters") << 0 << "abc" << false << 3000.0 << "3.0";
        QTest::newRow("nan") << 0 << "nan" << false << 3000.0 << "3.0";
        QTest::newRow("pointing above 10") << 9 << "15" << false << 30000.0 << "30.0";
        QTest::newRow("two commas") << 0 << "1,5,0" << false << 3000.0 << "3.0";
    }
    void applyLimit()
    {
        QFETCH(int, test);
        QFETCH(QString, typed);
        QFETCH(bool, accepted);
        QFETCH(double, limitMs);
        QFETCH(QString, limitText);
        ScopedScriptedMessages msgs;
        AnalysisState st;
        st.TestIndex = test;
        st.resetForShow();
        QCOMPARE(ApplyLimit(st, typed), accepted);
        QCOMPARE(st.RejectLimitMs, limitMs);
        QCOMPARE(st.LimitText, limitText);
        if (accepted)
            QVERIFY(msgs.service.shown().isEmpty());
        else
            QCOMPARE(msgs.service.texts(), QStringList{QStringLiteral("   Mauvais format de limite !    ")});
    }

    void limitStatus()
    {
        AnalysisState st;
        st.TestIndex = 3;
        st.resetForShow();
        QCOMPARE(limitStatusText(st), QStringLiteral("Limite= 2000"));
        ApplyLimit(st, QStringLiteral("1.5"));
        QCOMPARE(limitStatusText(st), QStringLiteral("Limite= 1500"));
    }

    void keepValuesAndOmissions()
    {
        AnalysisState st;
        st.TestIndex = 0;
        st.resetForShow();
        st.ItemCount = 16;
        st.RawValues[0] = 3000; // no answer: kept at the opening limit
        st.RawValues[1] = 99;
        st.RawValues[2] = 100;
        st.RawValues[3] = 2501;
        KeepValues(st);
        QCOMPARE(st.KeptValues[0], 3000);
        QCOMPARE(st.KeptValues[1], 0);
        QCOMPARE(st.KeptValues[2], 100);
        ApplyLimit(st, QStringLiteral("2.5"));
        KeepValues(st);
        QCOMPARE(st.KeptValues[0], 0);
        QCOMPARE(st.KeptValues[3], 0);

        // Go/no-go: no-go items leave the statistics whatever their value.
        AnalysisState sb;
        sb.TestIndex = 3;
        sb.resetForShow();
        sb.ItemCount = 64;
        sb.RawValues.fill(500);
        sb.RawValues[0] = 2000; // item 1 "+": an omission
        sb.RawValues[2] = 2000; // item 3 "0": a correct non-answer
        KeepValues(sb);
        QCOMPARE(sb.KeptValues[2], 0);
        QCOMPARE(sb.KeptValues[0], 2000);
        QCOMPARE(omissionCount(sb), 1);

        AnalysisState db;
        db.TestIndex = 4;
        db.resetForShow();
        db.ItemCount = 32;
        db.RawValues.fill(2000); // every item unanswered
        int go = 0;
        for (int i = 0; i < 32; ++i)
            go += (TrdSeries.at(i) == u'1' || TrdSeries.at(i) == u'2') ? 1 : 0;
        QCOMPARE(omissionCount(db), go);
    }

    void crossModal()
    {
        AnalysisState st;
        st.TestIndex = 6;
        st.resetForShow();
        st.ItemCount = 65;
        for (int i = 0; i < 65; ++i)
            st.RawValues[i] = 400 + i;
        KeepValues(st);
        const CrossModal cm = crossModalDifferences(st);
        // Every switch between consecutive items differs by exactly -1 here.
        int switchesVA = 0, switchesAV = 0;
        for (int i = 0; i + 1 < TrmSeries.size(); ++i) {
            switchesVA += (TrmSeries.at(i) == u'V' && TrmSeries.at(i + 1) == u'A');
            switchesAV += (TrmSeries.at(i) == u'A' && TrmSeries.at(i + 1) == u'V');
        }
        QCOMPARE(cm.vToA.size(), switchesVA);
        QCOMPARE(cm.aToV.size(), switchesAV);
        QCOMPARE(cm.vToATotal, -switchesVA);
        // The first V->A switch is items 1 -> 2 ("VA..."): 400 - 401.
        QCOMPARE(cm.vToA.first(), -1);
    }

    void foreperiods()
    {
        int err = 0;
        QCOMPARE(foreperiodOf(0, 16, 1, &err), 3);
        QCOMPARE(foreperiodOf(1, 36, 1, &err), 3);
        QCOMPARE(foreperiodOf(1, 36, 4, &err), 7);
        QCOMPARE(err, 0);
        foreperiodOf(0, 36, 1, &err);
        QCOMPARE(err, 202);
        err = 0;
        foreperiodOf(0, 20, 1, &err);
        QCOMPARE(err, 203);
    }
};

QTEST_MAIN(TstStats)
#include "tst_stats.moc"
