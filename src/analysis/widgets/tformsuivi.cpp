// SPDX-License-Identifier: GPL-3.0-or-later
#include "analysis/widgets/tformsuivi.h"

#include "analysis/export.h"
#include "analysis/printlayout.h"
#include "analysis/reportwriter.h"
#include "analysis/trials.h"
#include "analysis/widgets/plots.h"
#include "analysis/widgets/printing.h"
#include "battery/testtable.h"
#include "platform/messages.h"
#include "platform/printsubmit.h"
#include "platform/widgets/desktopopen.h"
#include "shell/widgets/windows.h"

#include <QBuffer>
#include <QChart>
#include <QChartView>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPainter>
#include <QPdfWriter>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>
#include <QScreen>
#include <QSplitter>
#include <QStatusBar>
#include <QStringListModel>
#include <QTabWidget>
#include <QTemporaryFile>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace zoka {

namespace {

enum Column { ColWhen, ColFile, ColItems, ColMedian, ColMean, ColSd, ColOmissions, ColFalseAlarms, ColUntimely, ColState, ColumnCount };

QString fig(double v, int decimals) { return QLocale().toString(v, 'f', decimals); }

QString whenText(const Administration &a)
{
    return a.when.toString(QStringLiteral("dd/MM/yyyy HH:mm")) + (a.dateFromFile ? QStringLiteral(" *") : QString());
}

// Text of an administration in the choice of the pair compared.
QString choiceText(const Administration &a)
{
    return QStringLiteral("%1  %2").arg(whenText(a), a.fileName);
}

// The follow-up as a PDF: its lines laid out as the printed report, then its charts
// (those of every test with administrations to plot), two a page.
int renderFollowUpPdf(QByteArray *pdf, const ReportDocument &doc, const QPageLayout &pageLayout, int copies,
                      const QList<FollowUpSeries> &series, const std::function<void(int)> &onPage)
{
    return renderDocumentPdf(
        pdf, doc, pageLayout, copies,
        [&](QPainter &painter, QPdfWriter &writer, const QRect &area, int) {
            const int margin = area.width() / 14;
            QFont heading(QStringLiteral("DejaVu Sans"), 12);
            heading.setBold(true);
            int slot = 0;
            for (const FollowUpSeries &s : series) {
                const QList<NamedChart> charts = makeFollowUpCharts(s);
                for (const NamedChart &c : charts) {
                    if (slot % 2 == 0) {
                        writer.newPage();
                        painter.setFont(heading);
                        painter.setPen(Qt::black);
                        painter.drawText(QRect(margin, margin / 2, area.width() - 2 * margin, margin),
                                         Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("Graphiques : ") + doc.title);
                    }
                    const int top = margin * 3 / 2;
                    const int height = (area.height() - top - margin) / 2;
                    const QRectF target(margin, top + (slot % 2) * height, area.width() - 2 * margin, height - margin / 3);
                    renderChart(c.chart, &painter, target, QSizeF(1000, 1000 * target.height() / target.width()));
                    delete c.chart;
                    ++slot;
                }
            }
        },
        onPage);
}

} // namespace

TFormSuivi::TFormSuivi(const Session &session, QWidget *parent)
    : QDialog(parent), m_session(session)
{
    setWindowTitle(QStringLiteral("Suivi du patient"));
    setObjectName(QStringLiteral("TFormSuivi"));
    resize(1000, 700);

    auto *top = new QHBoxLayout;
    top->addWidget(new QLabel(QStringLiteral("Patient :")));
    patientChoice = new QComboBox;
    patientChoice->setObjectName(QStringLiteral("patientChoice"));
    patientChoice->setMinimumContentsLength(24);
    patientChoice->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    m_patients = new QStringListModel(this);
    patientChoice->setModel(m_patients);
    top->addWidget(patientChoice);
    summaryLabel = new QLabel;
    top->addWidget(summaryLabel, 1);

    administrationTree = new QTreeWidget;
    administrationTree->setObjectName(QStringLiteral("administrationTree"));
    administrationTree->setColumnCount(ColumnCount);
    administrationTree->setHeaderLabels({QStringLiteral("Épreuve / date"), QStringLiteral("Fichier"), QStringLiteral("Items"),
                                 QStringLiteral("Médiane"), QStringLiteral("Moyenne"), QStringLiteral("Écart-type"),
                                 QStringLiteral("Omissions"), QStringLiteral("Fausses alarmes"),
                                 QStringLiteral("Appuis intempestifs"), QStringLiteral("État")});
    administrationTree->setRootIsDecorated(true);
    administrationTree->setAlternatingRowColors(true);
    administrationTree->header()->setSectionResizeMode(QHeaderView::Interactive);

    auto *right = new QWidget;
    auto *rightLayout = new QVBoxLayout(right);
    rightLayout->setContentsMargins(0, 0, 0, 0);
    auto *testRow = new QHBoxLayout;
    testRow->addWidget(new QLabel(QStringLiteral("Épreuve :")));
    testChoice = new QComboBox;
    testChoice->setObjectName(QStringLiteral("testChoice"));
    testRow->addWidget(testChoice, 1);
    rightLayout->addLayout(testRow);
    chartTabs = new QTabWidget;
    chartTabs->setObjectName(QStringLiteral("chartTabs"));
    rightLayout->addWidget(chartTabs, 1);
    auto *pairRow = new QGridLayout;
    pairRow->addWidget(new QLabel(QStringLiteral("Comparer la passation")), 0, 0);
    firstChoice = new QComboBox;
    firstChoice->setObjectName(QStringLiteral("firstChoice"));
    pairRow->addWidget(firstChoice, 0, 1);
    pairRow->addWidget(new QLabel(QStringLiteral("à la passation")), 1, 0);
    secondChoice = new QComboBox;
    secondChoice->setObjectName(QStringLiteral("secondChoice"));
    pairRow->addWidget(secondChoice, 1, 1);
    pairRow->setColumnStretch(1, 1);
    rightLayout->addLayout(pairRow);
    changeLabel = new QLabel;
    changeLabel->setObjectName(QStringLiteral("changeLabel"));
    changeLabel->setWordWrap(true);
    changeLabel->setTextInteractionFlags(Qt::TextSelectableByMouse);
    changeLabel->setFrameShape(QFrame::StyledPanel);
    changeLabel->setMinimumHeight(90);
    changeLabel->setToolTip(QStringLiteral("Différence des médianes (seconde moins première passation) et son intervalle de "
                                          "confiance à 95 % selon Bonett et Price (2002) ; test de Mann-Whitney des temps "
                                          "de réaction (loi exacte jusqu'à 49 temps par passation sans ex aequo, sinon "
                                          "approximation normale) ; test exact de Fisher des omissions et fausses alarmes. "
                                          "Les omissions ne comptent pas parmi les temps."));
    changeLabel->setAlignment(Qt::AlignTop | Qt::AlignLeft);
    rightLayout->addWidget(changeLabel);

    auto *split = new QSplitter(Qt::Horizontal);
    split->addWidget(administrationTree);
    split->addWidget(right);
    split->setStretchFactor(0, 3);
    split->setStretchFactor(1, 2);

    auto *buttons = new QHBoxLayout;
    printButton = new QPushButton(QStringLiteral("Imprimer"));
    exportPdfButton = new QPushButton(QStringLiteral("Exporter en PDF"));
    exportItemsButton = new QPushButton(QStringLiteral("Exporter les items"));
    exportItemsButton->setToolTip(QStringLiteral("Tableau d'une ligne par item de chaque passation (TSV) et sa description (JSON), "
                                             "dans le dossier Export"));
    closeButton = new QPushButton(QStringLiteral("Fermer"));
    for (QPushButton *b : {printButton, exportPdfButton, exportItemsButton}) {
        b->setAutoDefault(false); // the Enter key never prints nor exports by mistake
        buttons->addWidget(b);
    }
    closeButton->setDefault(true);
    buttons->addStretch(1);
    buttons->addWidget(closeButton);

    statusBar = new QStatusBar;
    statusBar->setSizeGripEnabled(false);

    auto *layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(split, 1);
    layout->addLayout(buttons);
    layout->addWidget(statusBar);

    connect(patientChoice, &QComboBox::currentIndexChanged, this, &TFormSuivi::PatientsChange);
    connect(testChoice, &QComboBox::currentIndexChanged, this, &TFormSuivi::EpreuveChange);
    connect(firstChoice, &QComboBox::currentIndexChanged, this, &TFormSuivi::PassationChange);
    connect(secondChoice, &QComboBox::currentIndexChanged, this, &TFormSuivi::PassationChange);
    connect(administrationTree, &QTreeWidget::currentItemChanged, this, [this](QTreeWidgetItem *item) {
        if (m_filling || !item)
            return;
        const int test = item->data(0, Qt::UserRole).toInt();
        const int at = testChoice->findData(test);
        if (at >= 0)
            testChoice->setCurrentIndex(at);
    });
    connect(printButton, &QPushButton::clicked, this, &TFormSuivi::ImprimerClick);
    connect(exportPdfButton, &QPushButton::clicked, this, &TFormSuivi::ExporterPdfClick);
    connect(exportItemsButton, &QPushButton::clicked, this, &TFormSuivi::ExporterItemsClick);
    connect(closeButton, &QPushButton::clicked, this, &QDialog::accept);
}

void TFormSuivi::FormShow(const QString &dir, const QString &patient)
{
    m_dir = dir;
    m_files = resultFilesUnder(dir);
    const QStringList patients = patientsOf(m_files);
    m_filling = true;
    // A plain list model: a results directory may hold thousands of patients.
    m_patients->setStringList(patients);
    m_filling = false;
    statusBar->clearMessage();
    const int at = int(patients.indexOf(patient));
    if (at >= 0 || patients.isEmpty()) {
        patientChoice->setCurrentIndex(at);
        load(patient);
        if (at < 0 && !patient.isEmpty())
            summaryLabel->setText(QStringLiteral("Aucun fichier de résultats pour %1 dans %2.")
                                .arg(patient, QDir::toNativeSeparators(dir)));
        return;
    }
    // No file for the name typed: the patients found are offered, the first shown.
    patientChoice->setCurrentIndex(0);
    load(patients.first());
    if (!patient.isEmpty())
        statusBar->showMessage(QStringLiteral("Aucun fichier de résultats pour %1 : choisissez un patient.").arg(patient));
}

void TFormSuivi::PatientsChange(int index)
{
    if (m_filling || index < 0)
        return;
    load(patientChoice->itemText(index));
}

void TFormSuivi::load(const QString &patient)
{
    m_patient = patient;
    m_all = patient.isEmpty() ? QList<Administration>() : loadFollowUp(m_files, patient);
    int tests = 0, set = 0;
    for (int t = 0; t < TestCount; ++t)
        tests += administrationsOfTest(m_all, t).isEmpty() ? 0 : 1;
    for (const Administration &a : std::as_const(m_all))
        set += a.comparable() ? 0 : 1;
    summaryLabel->setText(patient.isEmpty()
                        ? QStringLiteral("Aucun fichier de résultats dans %1.").arg(QDir::toNativeSeparators(m_dir))
                        : QStringLiteral("%1 passation(s) de %2 épreuve(s)%3")
                              .arg(m_all.size())
                              .arg(tests)
                              .arg(set ? QStringLiteral(" ; %1 laissée(s) hors des comparaisons").arg(set) : QString()));
    fillTree();
    fillTests();
    const bool any = !m_all.isEmpty();
    for (QPushButton *b : {printButton, exportPdfButton, exportItemsButton})
        b->setEnabled(any);
}

void TFormSuivi::fillTree()
{
    m_filling = true;
    administrationTree->clear();
    // Made apart and handed over at once, the columns fitted once: hundreds of rows.
    QList<QTreeWidgetItem *> heads;
    for (int t = 0; t < TestCount; ++t) {
        const QList<int> rows = administrationsOfTest(m_all, t);
        if (rows.isEmpty())
            continue;
        auto *head = new QTreeWidgetItem(QStringList{testTitle(t)});
        heads << head;
        head->setData(0, Qt::UserRole, t);
        QFont bold = head->font(0);
        bold.setBold(true);
        head->setFont(0, bold);
        for (int i : rows) {
            const Administration &a = m_all.at(i);
            auto *item = new QTreeWidgetItem(head);
            item->setData(0, Qt::UserRole, t);
            item->setText(ColWhen, whenText(a));
            item->setText(ColFile, a.fileName);
            // The count, and for Attention soutenue the speed, as the file name gives them.
            item->setText(ColItems, a.speedIndex >= 0 ? QStringLiteral("%1 (vitesse %2)").arg(a.itemCount).arg(a.speedIndex)
                                                      : QString::number(a.itemCount));
            QString state = fileStateText(a.state);
            if (a.state == FileState::Complete) {
                item->setText(ColMedian, fig(a.rt.median, 1));
                item->setText(ColMean, fig(a.rt.mean, 1));
                item->setText(ColSd, fig(a.rt.sd, 1));
                item->setText(ColOmissions, QStringLiteral("%1 / %2").arg(a.omissions).arg(a.goItems));
                item->setText(ColFalseAlarms, a.falseAlarms >= 0 ? QStringLiteral("%1 / %2").arg(a.falseAlarms).arg(a.noGoItems)
                                                                 : QStringLiteral("-"));
                item->setText(ColUntimely, QString::number(a.untimely));
                for (const ItemGroup &g : a.groups) {
                    auto *sub = new QTreeWidgetItem(item);
                    sub->setData(0, Qt::UserRole, t);
                    sub->setText(ColWhen, g.label);
                    if (g.countOnly) {
                        sub->setText(ColMedian, QString::number(g.count));
                    } else {
                        sub->setText(ColMedian, fig(g.stats.median, 1));
                        sub->setText(ColMean, fig(g.stats.mean, 1));
                        sub->setText(ColSd, fig(g.stats.sd, 1));
                    }
                }
            } else {
                state += QStringLiteral(", non comparé");
            }
            if (!a.problem.isEmpty()) {
                state += QStringLiteral(" (!)");
                for (int c = 0; c < ColumnCount; ++c)
                    item->setToolTip(c, a.problem);
            }
            item->setText(ColState, state);
            if (a.state != FileState::Complete || a.nameMismatch)
                for (int c = 0; c < ColumnCount; ++c)
                    item->setForeground(c, a.state != FileState::Complete ? QColor(140, 140, 140) : QColor(190, 90, 0));
            for (int c = ColItems; c < ColState; ++c)
                item->setTextAlignment(c, Qt::AlignRight | Qt::AlignVCenter);
        }
    }
    administrationTree->addTopLevelItems(heads);
    for (QTreeWidgetItem *head : std::as_const(heads)) {
        head->setFirstColumnSpanned(true);
        head->setExpanded(true);
    }
    administrationTree->header()->resizeSections(QHeaderView::ResizeToContents);
    m_filling = false;
}

void TFormSuivi::fillTests()
{
    m_filling = true;
    testChoice->clear();
    for (int t = 0; t < TestCount; ++t)
        if (!administrationsOfTest(m_all, t).isEmpty())
            testChoice->addItem(testTitle(t), t);
    m_filling = false;
    testChoice->setCurrentIndex(-1);
    testChoice->setCurrentIndex(testChoice->count() > 0 ? 0 : -1);
    if (testChoice->count() == 0)
        EpreuveChange(-1);
}

void TFormSuivi::EpreuveChange(int index)
{
    if (m_filling)
        return;
    m_test = index >= 0 ? testChoice->itemData(index).toInt() : -1;
    showCharts();
    fillComparison();
}

void TFormSuivi::showCharts()
{
    while (chartTabs->count() > 0) {
        QWidget *w = chartTabs->widget(0);
        chartTabs->removeTab(0);
        delete w;
    }
    if (m_test < 0)
        return;
    for (const NamedChart &c : makeFollowUpCharts(followUpSeries(m_all, m_test))) {
        auto *view = new QChartView(c.chart);
        view->setRenderHint(QPainter::Antialiasing);
        chartTabs->addTab(view, c.name);
    }
    if (chartTabs->count() == 0) {
        auto *none = new QLabel(QStringLiteral("Aucune passation complète de cette épreuve à représenter."));
        none->setAlignment(Qt::AlignCenter);
        chartTabs->addTab(none, QStringLiteral("Graphiques"));
    }
}

void TFormSuivi::fillComparison()
{
    m_filling = true;
    firstChoice->clear();
    secondChoice->clear();
    if (m_test >= 0) {
        for (int i : administrationsOfTest(m_all, m_test)) {
            if (!m_all.at(i).comparable())
                continue;
            firstChoice->addItem(choiceText(m_all.at(i)), i);
            secondChoice->addItem(choiceText(m_all.at(i)), i);
        }
    }
    const QPair<int, int> pair = m_test >= 0 ? defaultComparison(m_all, m_test) : QPair<int, int>{-1, -1};
    firstChoice->setCurrentIndex(firstChoice->findData(pair.first));
    secondChoice->setCurrentIndex(secondChoice->findData(pair.second));
    m_filling = false;
    showChange();
}

void TFormSuivi::PassationChange()
{
    if (!m_filling)
        showChange();
}

QPair<int, int> TFormSuivi::comparedPair() const
{
    return {firstChoice->currentData().isValid() ? firstChoice->currentData().toInt() : -1,
            secondChoice->currentData().isValid() ? secondChoice->currentData().toInt() : -1};
}

void TFormSuivi::showChange()
{
    const auto [a, b] = comparedPair();
    if (a < 0 || b < 0) {
        changeLabel->setText(m_test < 0 ? QString()
                                       : QStringLiteral("Il faut deux passations complètes de cette épreuve pour une comparaison."));
        return;
    }
    if (a == b) {
        changeLabel->setText(QStringLiteral("Choisissez deux passations différentes."));
        return;
    }
    const Change c = compareAdministrations(m_all.at(a), m_all.at(b));
    changeLabel->setText(c.valid ? c.sentences.join(u'\n') : c.refusal);
}

QList<QPair<int, int>> TFormSuivi::printedPairs() const
{
    // The pair on screen for its test, the last two for every other test.
    QList<QPair<int, int>> pairs;
    for (int t = 0; t < TestCount; ++t) {
        const QPair<int, int> p = t == m_test ? comparedPair() : defaultComparison(m_all, t);
        if (p.first >= 0 && p.second >= 0 && p.first != p.second)
            pairs << p;
    }
    return pairs;
}

ReportDocument TFormSuivi::document() const
{
    ReportDocument doc;
    doc.report = followUpReportLines(m_patient, m_all, printedPairs(), m_session.config.Version, QDateTime::currentDateTime());
    doc.font = reportPrintFont(m_session.config);
    doc.colour = reportPrintColour(m_session.config);
    doc.marginCm = m_session.config.PrintMarginCm;
    doc.title = QStringLiteral("ZOKA - Suivi de ") + m_patient;
    return doc;
}

QString TFormSuivi::exportPdfPath() const
{
    return QDir(QDir(m_dir).filePath(QStringLiteral("Export"))).filePath(QStringLiteral("Suivi_%1.pdf").arg(m_patient));
}

namespace {
QList<FollowUpSeries> allSeries(const QList<Administration> &all)
{
    QList<FollowUpSeries> out;
    for (int t = 0; t < TestCount; ++t)
        if (!administrationsOfTest(all, t).isEmpty())
            out << followUpSeries(all, t);
    return out;
}
} // namespace

void TFormSuivi::ImprimerClick()
{
    statusBar->clearMessage();
    const ReportDocument doc = document();
    const QList<FollowUpSeries> series = allSeries(m_all);
    PrintRequest request;
    request.parent = this;
    request.title = doc.title;
    request.dialogTitle = QStringLiteral("Imprimer le suivi");
    request.fileProposal = exportPdfPath();
    request.noun = QStringLiteral("suivi");
    request.exportButton = QStringLiteral("Exporter en PDF");
    request.render = [&](QByteArray *pdf, const QPageLayout &layout, int copies, const std::function<void(int)> &onPage) {
        return renderFollowUpPdf(pdf, doc, layout, copies, series, onPage);
    };
    request.status = [this](const QString &text) {
        statusBar->showMessage(text);
        statusBar->repaint();
    };
    request.error = [this](const QString &text) { showError(text); };
    request.warning = [this](const QString &text) { showWarning(text); };
    setEnabled(false);
    printDocument(request, PrintServices{printDialog, submitJob, {}, 5000});
    setEnabled(true);
}

void TFormSuivi::ExporterPdfClick()
{
    statusBar->clearMessage();
    const QString target = exportPdfPath();
    const ReportDocument doc = document();
    const QList<FollowUpSeries> series = allSeries(m_all);
    const ExportOutcome outcome = exportToFile(target, MsgKind::Warning, [&](QByteArray *bytes, QString *error) {
        if (renderFollowUpPdf(bytes, doc, exportPageLayout(), 1, series, nullptr) > 0)
            return true;
        *error = QStringLiteral("la mise en page du suivi a échoué");
        return false;
    });
    if (outcome == ExportOutcome::Cancelled || outcome == ExportOutcome::Failed)
        return;
    statusBar->showMessage(QStringLiteral("Suivi exporté dans %1").arg(QDir::toNativeSeparators(target)));
    openInDesktopProgram(target, openDocument ? openDocument : openInDesktop,
                         QStringLiteral("Aucun programme n'a pu ouvrir le fichier exporté.\nL'exportation se trouve dans %1.")
                             .arg(QDir::toNativeSeparators(target)));
}

void TFormSuivi::ExporterItemsClick()
{
    statusBar->clearMessage();
    const QString base = QDir(QDir(m_dir).filePath(QStringLiteral("Export"))).filePath(QStringLiteral("Suivi_%1_beh").arg(m_patient));
    QByteArray table = trialsHeader();
    QStringList refused;
    for (const Administration &a : std::as_const(m_all)) {
        QString error, warning;
        if (!appendTrials(a.filePath, a.fileName, &table, &error, &warning))
            refused << error;
    }
    const QString tsv = base + QStringLiteral(".tsv");
    const ExportOutcome outcome = exportToFile(tsv, MsgKind::Warning, [&](QByteArray *bytes, QString *) {
        *bytes = table;
        return true;
    });
    if (outcome != ExportOutcome::Written)
        return;
    QString error;
    const QString json = base + QStringLiteral(".json");
    if (!writeWholeFile(json, trialsSidecar(), &error)) {
        showError(QStringLiteral("Impossible d'écrire le fichier %1 : %2.").arg(QDir::toNativeSeparators(json), error));
        return;
    }
    if (!refused.isEmpty())
        showWarning(QStringLiteral("Fichiers laissés hors du tableau :\n") + refused.join(u'\n'));
    statusBar->showMessage(QStringLiteral("Items exportés dans %1 (description : %2)")
                                .arg(QDir::toNativeSeparators(tsv), QFileInfo(json).fileName()));
}

TFormSuivi *followUpWindow(const Session &session)
{
    static TFormSuivi *w = nullptr;
    if (!w)
        w = new TFormSuivi(session, mainWindow());
    return w;
}

void showFollowUpWindow(const Session &session, const QString &patient)
{
    TFormSuivi *w = followUpWindow(session);
    w->FormShow(session.baseDir(), patient);
    if (QScreen *screen = w->screen())
        w->setGeometry(screen->availableGeometry());
    w->setWindowState(w->windowState() | Qt::WindowMaximized);
    w->exec();
}

} // namespace zoka
