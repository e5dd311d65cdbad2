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
    exportGroup = new QGroupBox(QStringLiteral("Choix du mode d'exportation"), m_page);
    exportGroup->setObjectName(QStringLiteral("exportGroup"));
    // One line more than the three modes of the data: the report as a PDF.
    exportGroup->setGeometry(176, 160, 297, 217);
    exportGroup->setAutoFillBackground(true);

    auto radio = [this](const char *name, const QString &caption, int top) {
        auto *b = new QRadioButton(caption, exportGroup);
        b->setObjectName(QString::fromLatin1(name));
        b->setGeometry(16, top, 270, 17);
        return b;
    };
    exportTextChoice = radio("exportTextChoice", QStringLiteral("Exporter vers le BlocNote"), 32);
    exportWithInfoChoice = radio("exportWithInfoChoice", QStringLiteral("Exporter vers Excel les données et les info(s)"), 56);
    exportDataOnlyChoice = radio("exportDataOnlyChoice", QStringLiteral("Exporter vers Excel seulement les données"), 80);
    exportPdfChoice = radio("exportPdfChoice", QStringLiteral("Exporter en PDF le rapport et les notes"), 104);
    exportDataOnlyChoice->setChecked(true);

    exportFileLabel = new QLabel(QStringLiteral("Fichier exporté:"), exportGroup);
    exportFileLabel->setObjectName(QStringLiteral("exportFileLabel"));
    exportFileLabel->setGeometry(16, 136, 275, 17);

    exportOkButton = new QPushButton(QStringLiteral("Ok"), exportGroup);
    exportOkButton->setObjectName(QStringLiteral("exportOkButton"));
    exportOkButton->setGeometry(40, 168, 81, 25);
    exportCancelButton = new QPushButton(QStringLiteral("Annuler"), exportGroup);
    exportCancelButton->setObjectName(QStringLiteral("exportCancelButton"));
    exportCancelButton->setGeometry(152, 168, 81, 25);
    for (QPushButton *b : {exportOkButton, exportCancelButton}) {
        b->setAutoDefault(false);
        b->setDefault(false);
    }
    exportGroup->hide();

    connect(exportTextChoice, &QRadioButton::clicked, this, &TFormAnalyse::RBNotePadClick);
    connect(exportWithInfoChoice, &QRadioButton::clicked, this, &TFormAnalyse::RBXLavecClick);
    connect(exportDataOnlyChoice, &QRadioButton::clicked, this, &TFormAnalyse::RBXLsansClick);
    connect(exportPdfChoice, &QRadioButton::clicked, this, &TFormAnalyse::RBPdfClick);
    connect(exportOkButton, &QPushButton::clicked, this, &TFormAnalyse::BExportOkClick);
    connect(exportCancelButton, &QPushButton::clicked, this, &TFormAnalyse::BExportCancelClick);
}

void TFormAnalyse::applyExportAvailability(bool showing)
{
    if (showing)
        exportDataOnlyChoice->setEnabled(true);
    // An endless or incomplete file exports with its information lines only.
    if (!m_logic.state().ExportWithoutInfo) {
        exportDataOnlyChoice->setEnabled(false);
        exportWithInfoChoice->setChecked(true);
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
    exportGroup->show();
    exportGroup->raise();
    if (exportTextChoice->isChecked())
        RBNotePadClick();
    else if (exportWithInfoChoice->isChecked())
        RBXLavecClick();
    else if (exportPdfChoice->isChecked())
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
    setPathLabel(exportFileLabel, exportPathLabel(QDir::toNativeSeparators(exportPath(false))));
}

void TFormAnalyse::RBXLavecClick()
{
    RBXLsansClick();
}

void TFormAnalyse::RBPdfClick()
{
    setPathLabel(exportFileLabel, exportPathLabel(QDir::toNativeSeparators(exportPath(true))));
}

void TFormAnalyse::RBNotePadClick()
{
    exportFileLabel->clear();
}

void TFormAnalyse::BExportCancelClick()
{
    exportGroup->hide();
}

void TFormAnalyse::BExportOkClick()
{
    exportGroup->hide();
    const AnalysisState &st = m_logic.state();
    const auto open = openDocument ? openDocument : openInDesktop;

    if (exportTextChoice->isChecked()) {
        const QString path = QFileInfo(st.FilePath).absoluteFilePath();
        openInDesktopProgram(path, open,
                             QStringLiteral("Aucun éditeur de texte n'a pu ouvrir le fichier de résultats %1.")
                                 .arg(QDir::toNativeSeparators(path)));
        return;
    }

    const bool pdf = exportPdfChoice->isChecked();
    const bool withInfo = exportWithInfoChoice->isChecked();
    const QString target = exportPath(pdf);
    ExportOutcome outcome;
    if (pdf) {
        const ReportDocument doc = reportDocument();
        const PlotData plotData = plots->data();
        outcome = exportToFile(target, MsgKind::Warning, [&](QByteArray *bytes, QString *error) {
            if (renderReportPdf(bytes, doc, exportPageLayout(), 1, &plotData, nullptr) > 0)
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
