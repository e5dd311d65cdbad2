// SPDX-License-Identifier: GPL-3.0-or-later
// The plots of the analysis window: what they show for each family of tests, checked
// against the figures of the report beside them, and kept up to date with the limit.
#include "analysis/plotdata.h"
#include "analysis/reportwriter.h"
#include "battery/series.h"
#include "analysis/widgets/plots.h"
#include "analysis/widgets/printing.h"
#include "analysis/widgets/tformanalyse.h"
#include "platform/cp1252.h"
#include "platform/messages.h"
#include "shell/session.h"

#include <QChart>
#include <QChartView>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>
#include <QStatusBar>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QtTest>

#include "pdf_helpers.h"

using namespace zoka;

namespace {

// The median (the first figure, one decimal) of the first report line starting
// with `prefix`.
QString reportMedian(const QString &report, const QString &prefix)
{
    for (const QString &line : report.split(u'\n'))
        if (line.startsWith(prefix)) {
            const auto m = QRegularExpression(QStringLiteral("= *([0-9.]+) *&")).match(line);
            return m.captured(1);
        }
    return QStringLiteral("(no line %1)").arg(prefix);
}

QString oneDecimal(double v) { return QString::number(v, 'f', 1); }


// The integer after `prefix` on its report line, or -1.
int reportCount(const QString &report, const QString &prefix)
{
    const int at = int(report.indexOf(prefix));
    if (at < 0)
        return -1;
    const auto m = QRegularExpression(QStringLiteral("^\\d+")).match(report.mid(at + prefix.size()));
    return m.hasMatch() ? m.captured(0).toInt() : -1;
}

} // namespace

class TstPlots : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;

    Session m_session; // the report file goes into m_dir

private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        m_session.config.ProgramDir = m_dir.path();
        setDecimalSeparatorOverride(QLatin1Char('.'));
    }

    void families_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<int>("test");
        QTest::addColumn<QStringList>("tabs");
        const QStringList items{QStringLiteral("Par item"), QStringLiteral("Par délai")};
        const QStringList grid = items + QStringList{QStringLiteral("Par position")};
        QTest::newRow("TR visuel centré") << "Dupont_32.VC" << 0 << items;
        QTest::newRow("TR latéralisé 8 x 8") << "Martin_64.LAT" << 1 << grid;
        QTest::newRow("TR latéralisé 6 x 6") << "Martin_36.LAT" << 1 << grid;
        QTest::newRow("TR latéralisé + fixation") << "Durand_64.LFC" << 2 << grid;
        QTest::newRow("TR simple binaire") << "Petit_64.SB" << 3 << items;
        QTest::newRow("TR double binaire") << "Petit_32.DB" << 4 << items;
        QTest::newRow("TR mixte") << "Leroy_65.MIX" << 6 << items;
        QTest::newRow("Attention soutenue") << QString::fromUtf8("Dupré_228-1.AS") << 7
                                            << QStringList{QStringLiteral("Le flux"), QStringLiteral("Par partie")};
        // No foreperiods in the pointing tests: no plot by foreperiod.
        const QStringList pointing{QStringLiteral("Par item"), QStringLiteral("Par position")};
        QTest::newRow("Puce astérisque") << "Bernard_64.PAS" << 8 << pointing;
        QTest::newRow("Puce carré") << "Bernard_36.PCA" << 9 << pointing;
        QTest::newRow("endless series") << "Roux_999.VC" << 0 << QStringList();
        QTest::newRow("incomplete file") << "Roux_16.VC" << 0 << QStringList();
    }

    void families()
    {
        QFETCH(QString, file);
        QFETCH(int, test);
        QFETCH(QStringList, tabs);
        const QString source = QStringLiteral(ZOKA_TESTDATA_DIR "/analysis/")
            + (test == 7 ? QStringLiteral("sustained_input.AS") : file);
        const QString path = m_dir.filePath(file);
        QFile::remove(path);
        QVERIFY(QFile::copy(source, path));
        QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner);

        ScopedScriptedMessages msgs;
        TFormAnalyse w(m_session);
        w.FormShow(path, test, 1, file.section(u'_', 0, 0), QStringLiteral("4.0b"));
        const PlotData &d = w.plots->data();
        QStringList shown;
        for (int i = 0; i < w.plots->tabs()->count(); ++i)
            shown << w.plots->tabs()->tabText(i);
        QCOMPARE(shown, tabs);
        QCOMPARE(w.plots->message()->isVisibleTo(w.plots), tabs.isEmpty());

        const QString report = w.logic().reportText();
        if (d.kind == PlotData::Kind::Items) {
            // Every item is in one class (the no-go items left alone are not drawn).
            const int drawn = int(d.kept.size() + d.keptAuditory.size() + d.timeouts.size() + d.rejects.size()
                                  + d.falseAlarms.size());
            QVERIFY(drawn <= d.itemCount);
            if (test != 3 && test != 4)
                QCOMPARE(drawn, d.itemCount);
            else
                QCOMPARE(int(d.timeouts.size()), reportCount(report, QStringLiteral("Nombre d'omissions: ")));
            // The figures drawn are the report's medians.
            if (test != 6) {
                QCOMPARE(oneDecimal(d.keptMedian), reportMedian(report, QStringLiteral("Global: Total")));
                for (const PlotData::ForeperiodBar &bar : d.foreperiods)
                    QCOMPARE(oneDecimal(bar.median), reportMedian(report, QStringLiteral("        Délai %1 sec= ").arg(bar.seconds)));
            } else {
                QCOMPARE(oneDecimal(d.keptMedian), reportMedian(report, QStringLiteral("VISUEL: Total")));
                QCOMPARE(oneDecimal(d.keptMedianAuditory), reportMedian(report, QStringLiteral("AUDITIF:Total")));
            }
            QCOMPARE(d.foreperiods.isEmpty(), test >= 8);
            if (d.gridSide > 0) {
                QCOMPARE(d.gridValues.size(), d.gridSide * d.gridSide);
                QCOMPARE(d.gridCells.size(), d.gridSide * d.gridSide);
                QCOMPARE(oneDecimal(d.leftMedian), reportMedian(report, QStringLiteral("Hémichamp Gauche")));
                QCOMPARE(oneDecimal(d.rightMedian), reportMedian(report, QStringLiteral("Hémichamp Droit")));
            }
        }
        if (d.kind == PlotData::Kind::Stream) {
            QCOMPARE(oneDecimal(d.half1Median), reportMedian(report, QStringLiteral("TR PARTIE 1 Lettres")));
            QCOMPARE(oneDecimal(d.half2Median), reportMedian(report, QStringLiteral("TR PARTIE 2 Lettres")));
            QCOMPARE(int(d.digitPresses.size()),
                     reportCount(report, QStringLiteral("Nombre de fausses alarmes au chiffre 3= ")));
            QCOMPARE(d.half1.falseAlarms + d.half2.falseAlarms, int(d.digitPresses.size()));
            QCOMPARE(int(d.letterMisses.size()), reportCount(report, QStringLiteral("Lettres= ")));
            QCOMPARE(d.halfAt, 114);
        }
        w.logic().markAnalysed = [](const QString &) { return true; };
        w.QuitterClick();
    }

    // A Puce astérisque run answered at about 700 ms on the left and 400 ms on the
    // right, with one 30 s time-out on the right: the figures and scales are those of
    // the times the report keeps, the time-out a mark of its own; on paper the texts of
    // the plots are read (axis texts about 2.5 mm high, nothing much smaller).
    void whatTheReportCounts()
    {
        QStringList lines{QStringLiteral("Durand: 07/12/2026 à 09:41:12"), QStringLiteral("1")};
        QList<int> values(64);
        for (int c = 1; c <= 64; ++c)
            values[TestGrid64[c - 1] - 1] = ((c - 1) % 8 < 4 ? 680 : 380) + (c % 5) * 10;
        values[TestGrid64[7] - 1] = 30000; // top right
        for (int v : values)
            lines << QString::number(v);
        const QString path = m_dir.filePath(QStringLiteral("Durand_64.PAS"));
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly) && f.write(cp1252::encodeLines(lines << QStringLiteral("0"))) > 0);
        f.close();
        ScopedScriptedMessages msgs;
        TFormAnalyse w(m_session);
        w.FormShow(path, 8, 1, QStringLiteral("Durand"), QStringLiteral("4.0b"));
        const PlotData &d = w.plots->data();
        const QString report = w.logic().reportText();
        QCOMPARE(d.timeouts.size(), 1);
        QCOMPARE(d.gridCells[7], PlotData::Cell::TimedOut);
        QVERIFY(d.timeScaleTop <= 1000 && d.gridLow >= 380 && d.gridHigh <= 720);
        const QList<NamedChart> charts = makeAnalysisCharts(d);
        const QString title = charts.last().chart->title();
        qDeleteAll(QList<QChart *>{charts[0].chart, charts[1].chart});
        QCOMPARE(title.section(QStringLiteral("<br>"), 1),
                 QStringLiteral("médiane hémichamp gauche : %1 ms<br>médiane hémichamp droit : %2 ms")
                     .arg(reportMedian(report, QStringLiteral("Hémichamp Gauche")), reportMedian(report, QStringLiteral("Hémichamp Droit"))));
        QVERIFY(d.leftMedian >= 680 && d.leftMedian <= 720 && d.rightMedian >= 380 && d.rightMedian <= 420);

        ReportDocument doc;
        doc.report = cp1252::splitLines(report);
        QByteArray pdf;
        QVERIFY(renderReportPdf(&pdf, doc, exportPageLayout(), 1, &d, {}) > 0);
        QFile out(path + QStringLiteral(".pdf"));
        QVERIFY(out.open(QIODevice::WriteOnly) && out.write(pdf) == pdf.size());
        out.close();
        QProcess words; // the box of every word of the last page, its whole height in points
        words.start(QStringLiteral("pdftotext"), {QStringLiteral("-bbox"), QStringLiteral("-f"), QString::number(pdfPageCount(out.fileName())), out.fileName(), QStringLiteral("-")});
        QVERIFY(words.waitForFinished(30000));
        static const QRegularExpression box(QStringLiteral("yMin=\"([\\d.]+)\" xMax=\"[\\d.]+\" yMax=\"([\\d.]+)\">([^<]*)<"));
        QStringList texts;
        for (auto m = box.globalMatch(QString::fromUtf8(words.readAllStandardOutput())); m.hasNext();) {
            const auto w = m.next();
            texts << w.captured(3);
            const double mm = (w.captured(2).toDouble() - w.captured(1).toDouble()) * 25.4 / 72;
            QVERIFY2(mm >= (w.captured(3) == QStringLiteral("Item") ? 4.0 : 3.4), qPrintable(w.captured(3) + QString::number(mm)));
        }
        for (const char *legend : {"Temps retenus (63)", "Médiane 680.0 ms", "Absence de réponse en 30 s (1)"}) // whole
            QVERIFY2(texts.join(u' ').contains(QString::fromUtf8(legend)), legend);
        w.logic().markAnalysed = [](const QString &) { return true; };
        w.QuitterClick();
    }

    void followTheLimit()
    {
        const QString path = m_dir.filePath(QStringLiteral("Dupont_32.VC"));
        QFile::remove(path);
        QVERIFY(QFile::copy(QStringLiteral(ZOKA_TESTDATA_DIR "/analysis/Dupont_32.VC"), path));
        QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner);
        ScopedScriptedMessages msgs;
        TFormAnalyse w(m_session);
        w.FormShow(path, 0, 1, QStringLiteral("Dupont"), QStringLiteral("4.0b"));
        const int rejects = int(w.plots->data().rejects.size());
        QTest::mouseClick(w.limitButton, Qt::LeftButton);
        w.limitEdit->setText(QStringLiteral("0,5"));
        QTest::mouseClick(w.limitButton, Qt::LeftButton);
        QCOMPARE(w.plots->data().limitMs, 500.0);
        QVERIFY(w.plots->data().rejects.size() > rejects);
        for (const QPointF &p : w.plots->data().kept)
            QVERIFY(p.y() >= 100 && p.y() <= 500);
        w.logic().markAnalysed = [](const QString &) { return true; };
        w.QuitterClick();
    }

    // A narrow window shows the plots instead of the report on demand; a wide one
    // beside it. Either way the page of controls is centred above the status bar.
    void placeOfThePlots_data()
    {
        QTest::addColumn<QSize>("window");
        QTest::addColumn<bool>("beside");
        QTest::newRow("800 x 600") << QSize(800, 600) << false;
        QTest::newRow("1280 x 1024") << QSize(1280, 1024) << true;
        QTest::newRow("1920 x 1080") << QSize(1920, 1080) << true;
    }
    void placeOfThePlots()
    {
        QFETCH(QSize, window);
        QFETCH(bool, beside);
        const QString path = m_dir.filePath(QStringLiteral("Martin_64.LAT"));
        QFile::remove(path);
        QVERIFY(QFile::copy(QStringLiteral(ZOKA_TESTDATA_DIR "/analysis/Martin_64.LAT"), path));
        ScopedScriptedMessages msgs;
        TFormAnalyse w(m_session);
        w.FormShow(path, 1, 1, QStringLiteral("Martin"), QStringLiteral("4.0b"));
        w.resize(window);
        w.show();
        QCOMPARE(w.plotsButton->isVisible(), !beside);
        QVERIFY(w.reportView->isVisible());
        QCOMPARE(w.plots->isVisible(), beside);
        if (beside) {
            QVERIFY(w.plots->x() > w.reportView->geometry().right());
        } else {
            w.plotsButton->click();
            QVERIFY(!w.reportView->isVisible() && w.plots->isVisible());
            QCOMPARE(w.plots->geometry(), w.reportView->geometry());
        }
        const QWidget *page = w.findChild<QWidget *>(QStringLiteral("CentredPage"));
        const QRect p = page->geometry();
        const int above = w.height() - w.statusBar->height();
        QCOMPARE(w.statusBar->geometry(), QRect(p.left(), p.bottom() + 1, p.width(), w.statusBar->height()));
        QVERIFY2(qAbs(p.left() - (w.width() - 1 - p.right())) <= 1, qPrintable(QString::number(p.left())));
        QVERIFY2(qAbs(p.top() - (above - 1 - p.bottom())) <= 1, qPrintable(QString::number(p.top())));
        for (const QWidget *c : {static_cast<QWidget *>(w.plots), static_cast<QWidget *>(w.quitButton)})
            QVERIFY(page->rect().contains(c->geometry()));
        w.plots->tabs()->setCurrentIndex(2); // the field, its last row whole
        const QChartView *field = w.plots->views().at(2);
        QTRY_VERIFY(field->chart()->plotArea().height() > 100);
        QVERIFY(field->chart()->plotArea().bottom() <= field->viewport()->height());
        w.logic().markAnalysed = [](const QString &) { return true; };
        w.QuitterClick();
    }
};

QTEST_MAIN(TstPlots)
#include "tst_plots.moc"
