// SPDX-License-Identifier: GPL-3.0-or-later
#include "analysis/export.h"
#include "analysis/widgets/plots.h"
#include "analysis/widgets/printing.h"
#include "analysis/widgets/tformanalyse.h"
#include "platform/messages.h"
#include "platform/widgets/desktopopen.h"

#include <QDir>
#include <QFileInfo>
#include <QFontMetrics>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>

namespace zoka {

void TFormAnalyse::createExportGroup()
{
    GroupExport = new QGroupBox(QStringLiteral("Choix du mode d'exportation"), m_page);
    GroupExport->setObjectName(QStringLiteral("GroupExport"));
    // One line more than the three modes of the data: the report as a PDF.
    GroupExport->setGeometry(176, 160, 297, 217);
    GroupExport->setAutoFillBackground(true);

    auto radio = [this](const char *name, const QString &caption, int top) {
        auto *b = new QRadioButton(caption, GroupExport);
        b->setObjectName(QString::fromLatin1(name));
        b->setGeometry(16, top, 270, 17);
        return b;
    };
    RBNotePad = radio("RBNotePad", QStringLiteral("Exporter vers le BlocNote"), 32);
    RBXLavec = radio("RBXLavec", QStringLiteral("Exporter vers Excel les données et les info(s)"), 56);
    RBXLsans = radio("RBXLsans", QStringLiteral("Exporter vers Excel seulement les données"), 80);
    RBPdf = radio("RBPdf", QStringLiteral("Exporter en PDF le rapport et les notes"), 104);
    RBXLsans->setChecked(true);

    Label1 = new QLabel(QStringLiteral("Fichier exporté:"), GroupExport);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setGeometry(16, 136, 275, 17);

    BExportOk = new QPushButton(QStringLiteral("Ok"), GroupExport);
    BExportOk->setObjectName(QStringLiteral("BExportOk"));
    BExportOk->setGeometry(40, 168, 81, 25);
    BExportCancel = new QPushButton(QStringLiteral("Annuler"), GroupExport);
    BExportCancel->setObjectName(QStringLiteral("BExportCancel"));
    BExportCancel->setGeometry(152, 168, 81, 25);
    for (QPushButton *b : {BExportOk, BExportCancel}) {
        b->setAutoDefault(false);
        b->setDefault(false);
    }
    GroupExport->hide();

    connect(RBNotePad, &QRadioButton::clicked, this, &TFormAnalyse::RBNotePadClick);
    connect(RBXLavec, &QRadioButton::clicked, this, &TFormAnalyse::RBXLavecClick);
    connect(RBXLsans, &QRadioButton::clicked, this, &TFormAnalyse::RBXLsansClick);
    connect(RBPdf, &QRadioButton::clicked, this, &TFormAnalyse::RBPdfClick);
    connect(BExportOk, &QPushButton::clicked, this, &TFormAnalyse::BExportOkClick);
    connect(BExportCancel, &QPushButton::clicked, this, &TFormAnalyse::BExportCancelClick);
}

void TFormAnalyse::applyExportAvailability(bool showing)
{
    if (showing)
        RBXLsans->setEnabled(true);
    // An endless or incomplete file exports with its information lines only.
    if (!m_logic.state().ExportWithoutInfo) {
        RBXLsans->setEnabled(false);
        RBXLavec->setChecked(true);
    }
}

QString TFormAnalyse::exportPath(bool pdf) const
{
    const AnalysisState &st = m_logic.state();
    const QString name = pdf ? st.FileName + QStringLiteral(".pdf") : exportFileName(st.FileName);
    return QDir(exportDirectory(st.FilePath)).filePath(name);
}

void TFormAnalyse::ExporterClick()
{
    m_logic.setStatusMessage(QString());
    refreshStatus();
    GroupExport->show();
    GroupExport->raise();
    if (RBNotePad->isChecked())
        RBNotePadClick();
    else if (RBXLavec->isChecked())
        RBXLavecClick();
    else if (RBPdf->isChecked())
        RBPdfClick();
    else
        RBXLsansClick();
}

namespace {
// The path is shown whole (up to its last 40 characters): in a smaller font when the
// label is too narrow for it.
void setPathLabel(QLabel *label, const QString &text)
{
    QFont f = label->parentWidget()->font();
    QFontMetrics fm(f);
    while (fm.horizontalAdvance(text) > label->width() && f.pointSizeF() > 6) {
        f.setPointSizeF(f.pointSizeF() - 0.5);
        fm = QFontMetrics(f);
    }
    label->setFont(f);
    label->setText(text);
}
} // namespace

void TFormAnalyse::RBXLsansClick()
{
    setPathLabel(Label1, exportPathLabel(QDir::toNativeSeparators(exportPath(false))));
}

void TFormAnalyse::RBXLavecClick()
{
    RBXLsansClick();
}

void TFormAnalyse::RBPdfClick()
{
    setPathLabel(Label1, exportPathLabel(QDir::toNativeSeparators(exportPath(true))));
}

void TFormAnalyse::RBNotePadClick()
{
    Label1->clear();
}

void TFormAnalyse::BExportCancelClick()
{
    GroupExport->hide();
}

void TFormAnalyse::BExportOkClick()
{
    GroupExport->hide();
    const AnalysisState &st = m_logic.state();
    const auto open = openDocument ? openDocument : openInDesktop;

    if (RBNotePad->isChecked()) {
        const QString path = QFileInfo(st.FilePath).absoluteFilePath();
        openInDesktopProgram(path, open,
                             QStringLiteral("Aucun éditeur de texte n'a pu ouvrir le fichier de résultats %1.")
                                 .arg(QDir::toNativeSeparators(path)));
        return;
    }

    const bool pdf = RBPdf->isChecked();
    const bool withInfo = RBXLavec->isChecked();
    const QString target = exportPath(pdf);
    ExportOutcome outcome;
    if (pdf) {
        const ReportDocument doc = reportDocument();
        const PlotData plots = Plots->data();
        outcome = exportToFile(target, MsgKind::Warning, [&](QByteArray *bytes, QString *error) {
            if (renderReportPdf(bytes, doc, exportPageLayout(), 1, &plots, nullptr) > 0)
                return true;
            *error = QStringLiteral("la mise en page du rapport a échoué");
            return false;
        });
    } else {
        outcome = exportToFile(target, withInfo ? MsgKind::Error : MsgKind::Warning,
                               [&](QByteArray *bytes, QString *error) {
                                   return exportBytesOf(st, withInfo, bytes, error);
                               });
    }
    if (outcome == ExportOutcome::Cancelled || outcome == ExportOutcome::Failed)
        return;
    openInDesktopProgram(target, open,
                         QStringLiteral("Aucun programme n'a pu ouvrir le fichier exporté.\n"
                                        "L'exportation se trouve dans %1.")
                             .arg(QDir::toNativeSeparators(target)));
}

} // namespace zoka
