// SPDX-License-Identifier: GPL-3.0-or-later
#include "epreuves/widgets/unsupportedtestwindow.h"

#include "platform/messages.h"

#include <QDir>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>

namespace zoka {

UnsupportedTestWindow::UnsupportedTestWindow(const QString &resultsDir, QWidget *parent)
    : QDialog(parent), m_resultsDir(resultsDir)
{
    setObjectName(QStringLiteral("FormTrNul"));
    setWindowTitle(QStringLiteral("FormTrNul"));
    setModal(true);
    resize(800, 360);
    Message = new QLabel(QStringLiteral("Epreuve non supportée actuellement"), this);
    Message->move(320, 168);
    Message->adjustSize();
    Fermer = new QPushButton(QStringLiteral("Fermer"), this);
    Fermer->setGeometry(352, 224, 113, 41);
    Fermer->setDefault(true);
    Fermer->setAutoDefault(true);
    connect(Fermer, &QPushButton::clicked, this, [this] { FermerClick(); });
}

UnsupportedTestWindow::~UnsupportedTestWindow()
{
    m_pointer.restore();
    m_file.abandon();
}

void UnsupportedTestWindow::showEvent(QShowEvent *e)
{
    QDialog::showEvent(e);
    if (!e->spontaneous())
        FormShow();
}

void UnsupportedTestWindow::FormShow()
{
    Message->setText(QStringLiteral("Epreuve non supportée actuellement"));
    Message->adjustSize();
    Fermer->setFocus();
    m_pointer.take(Qt::BlankCursor);
    if (!m_file.create(QDir(m_resultsDir).filePath(QLatin1String(FileName))) || !m_file.writeLine(headerDateText(QDate::currentDate()))) {
        const QString error = m_file.errorText();
        m_file.abandon();
        showError(error);
    }
}

void UnsupportedTestWindow::FormMouseDown()
{
    Message->setText(QStringLiteral("Cliquez sur le bouton ou pressez <Return> pour quitter!"));
    Message->adjustSize();
}

void UnsupportedTestWindow::mousePressEvent(QMouseEvent *e)
{
    e->accept();
    FormMouseDown();
}

void UnsupportedTestWindow::FermerClick()
{
    leave();
    QDialog::accept();
}

void UnsupportedTestWindow::leave()
{
    m_pointer.restore();
    if (m_file.isOpen() && !m_file.close())
        showError(m_file.errorText());
}

// Escape and the close box (through reject()) leave as the button does: the
// pointer comes back and the file is closed.
void UnsupportedTestWindow::reject() { FermerClick(); }

} // namespace zoka
