// SPDX-License-Identifier: GPL-3.0-or-later
#include "shell/widgets/tformchrono.h"

#include "platform/messages.h"
#include "platform/safewrite.h"
#include "platform/desktopsession.h"
#include "platform/widgets/displayinfo.h"
#include "platform/widgets/timingcheckrun.h"

#include <QBuffer>
#include <QDateTime>
#include <QDir>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QLabel>
#include <QPageLayout>
#include <QPdfWriter>
#include <QPushButton>
#include <QShowEvent>
#include <QTextBrowser>
#include <QTextDocument>
#include <QTimer>
#include <QVBoxLayout>

namespace zoka {

QString timingCheckSubtitle()
{
    const QString session = sessionType(currentSessionEnvironment());
    const QString server = displayServerName();
    const bool compositor = compositorInPath(session) || server.startsWith(QLatin1String("XWayland"));
    return QStringLiteral("%1, affichage %2, session %3, %4")
        .arg(QDateTime::currentDateTime().toString(QStringLiteral("dd/MM/yyyy 'à' HH:mm:ss")), server,
             session.isEmpty() ? QStringLiteral("inconnue") : session,
             compositor ? QStringLiteral("avec compositeur") : QStringLiteral("sans compositeur"));
}

TFormChrono::TFormChrono(const Session &session, QWidget *parent)
    : QDialog(parent), m_session(session)
{
    setObjectName(QStringLiteral("FormChrono"));
    setWindowTitle(QStringLiteral("Contrôle de la chronométrie"));
    setModal(true);
    resize(820, 520);
    auto *layout = new QVBoxLayout(this);
    statusLabel = new QLabel(this);
    statusLabel->setObjectName(QStringLiteral("statusLabel"));
    layout->addWidget(statusLabel);
    resultsView = new QTextBrowser(this);
    resultsView->setObjectName(QStringLiteral("resultsView"));
    layout->addWidget(resultsView, 1);
    auto *buttons = new QHBoxLayout;
    restartButton = new QPushButton(QStringLiteral("Recommencer"), this);
    savePdfButton = new QPushButton(QStringLiteral("Enregistrer en PDF"), this);
    closeButton = new QPushButton(QStringLiteral("Fermer"), this);
    for (QPushButton *b : {restartButton, savePdfButton, closeButton}) {
        b->setAutoDefault(false);
        buttons->addWidget(b);
    }
    buttons->insertStretch(0, 1);
    layout->addLayout(buttons);
    savePdfButton->setEnabled(false);
    connect(restartButton, &QPushButton::clicked, this, &TFormChrono::runCheck);
    connect(savePdfButton, &QPushButton::clicked, this, &TFormChrono::EnregistrerPdfClick);
    connect(closeButton, &QPushButton::clicked, this, &QDialog::accept);
}

void TFormChrono::showEvent(QShowEvent *e)
{
    QDialog::showEvent(e);
    // The measurements need the window on the screen: they start once it is up.
    if (!e->spontaneous() && !m_ranOnce && !m_running)
        QTimer::singleShot(300, this, [this] {
            if (!m_ranOnce && isVisible())
                runCheck();
        });
}

void TFormChrono::runCheck()
{
    if (m_running)
        return;
    m_running = true;
    m_ranOnce = true;
    restartButton->setEnabled(false);
    savePdfButton->setEnabled(false);
    closeButton->setEnabled(false);
    resultsView->clear();
    const QString tone = toneFile.isEmpty() ? m_session.programFile(QStringLiteral("Songrave.wav")) : toneFile;
    const QString when = timingCheckSubtitle();
    const TimingCheckFigures figures = runTimingCheck(this, tone, [this](const QString &what) {
        statusLabel->setText(QStringLiteral("Mesure en cours (environ 10 s) : ") + what);
    });
    showFigures(figures, when);
    closeButton->setEnabled(true);
    restartButton->setEnabled(true);
    m_running = false;
}

void TFormChrono::showFigures(const TimingCheckFigures &figures, const QString &when)
{
    m_lines = timingCheckLines(figures);
    m_html = timingCheckHtml(m_lines, when);
    resultsView->setHtml(m_html);
    statusLabel->setText(needsCheck(m_lines) ? QStringLiteral("Contrôle terminé : au moins une ligne est à vérifier.")
                                      : QStringLiteral("Contrôle terminé."));
    savePdfButton->setEnabled(true);
}

bool TFormChrono::savePdf(const QString &path)
{
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    {
        QPdfWriter writer(&buffer);
        writer.setTitle(QStringLiteral("ZOKA - Contrôle de la chronométrie"));
        writer.setCreator(QStringLiteral("ZOKA"));
        writer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Landscape, QMarginsF(15, 15, 15, 15),
                                         QPageLayout::Millimeter));
        writer.setResolution(300);
        QTextDocument doc;
        doc.setDefaultFont(QFont(QStringLiteral("Liberation Sans"), 10));
        doc.setHtml(m_html);
        doc.print(&writer);
    }
    QString error;
    if (!writeFileSafely(path, buffer.data(), &error)) {
        showError(error);
        return false;
    }
    return true;
}

void TFormChrono::EnregistrerPdfClick()
{
    QString path;
    if (choosePdfPath) {
        path = choosePdfPath();
    } else {
        const QString dir = m_session.config.ResultsDir.isEmpty() ? m_session.baseDir() : m_session.config.ResultsDir;
        path = QFileDialog::getSaveFileName(this, QStringLiteral("Enregistrer le contrôle en PDF"),
                                            QDir(dir).filePath(QStringLiteral("Controle_chronometrie.pdf")),
                                            QStringLiteral("Document PDF (*.pdf)"));
    }
    if (path.isEmpty())
        return;
    if (savePdf(path))
        statusLabel->setText(QStringLiteral("Enregistré dans ") + QDir::toNativeSeparators(path));
}

void showTimingCheckWindow(const Session &session, QWidget *parent)
{
    TFormChrono window(session, parent);
    window.exec();
}

} // namespace zoka
