// SPDX-License-Identifier: GPL-3.0-or-later
#include "epreuves/widgets/tformtrnul.h"

#include "platform/messages.h"

#include <QDir>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>

namespace zoka {

TFormTrNul::TFormTrNul(const QString &resultsDir, QWidget *parent) : QDialog(parent), m_resultsDir(resultsDir)
{
    setObjectName(QStringLiteral("FormTrNul"));
    setWindowTitle(QStringLiteral("FormTrNul"));
    setModal(true);
    resize(800, 360);
    Label1 = new QLabel(QStringLiteral("Epreuve non supportée actuellement"), this);
    Label1->move(320, 168);
    Label1->adjustSize();
    Fermer = new QPushButton(QStringLiteral("Fermer"), this);
    Fermer->setGeometry(352, 224, 113, 41);
    Fermer->setDefault(true);
    Fermer->setAutoDefault(true);
    connect(Fermer, &QPushButton::clicked, this, [this] { FermerClick(); });
}

TFormTrNul::~TFormTrNul()
{
    m_pointer.restore();
    m_file.abandon();
}

void TFormTrNul::showEvent(QShowEvent *e)
{
    QDialog::showEvent(e);
    if (!e->spontaneous())
        FormShow();
}

void TFormTrNul::FormShow()
{
    Label1->setText(QStringLiteral("Epreuve non supportée actuellement"));
    Label1->adjustSize();
    Fermer->setFocus();
    m_pointer.take(Qt::BlankCursor);
    if (!m_file.create(QDir(m_resultsDir).filePath(QLatin1String(FileName))) || !m_file.writeLine(headerDateText(QDate::currentDate()))) {
        const QString error = m_file.errorText();
        m_file.abandon();
        showError(error);
    }
}

void TFormTrNul::FormMouseDown()
{
    Label1->setText(QStringLiteral("Cliquez sur le bouton ou pressez <Return> pour quitter!"));
    Label1->adjustSize();
}

void TFormTrNul::mousePressEvent(QMouseEvent *e)
{
    e->accept();
    FormMouseDown();
}

void TFormTrNul::FermerClick()
{
    leave();
    QDialog::accept();
}

void TFormTrNul::leave()
{
    m_pointer.restore();
    if (m_file.isOpen() && !m_file.close())
        showError(m_file.errorText());
}

// Escape and the close box (through reject()) leave as the button does: the
// pointer comes back and the file is closed.
void TFormTrNul::reject() { FermerClick(); }

} // namespace zoka
