// SPDX-License-Identifier: GPL-3.0-or-later
#include "epreuves/widgets/auditifwindow.h"

#include <QApplication>

namespace zoka {

AuditifWindow::AuditifWindow(QWidget *parent)
    : TestWindow(TestId::Auditif, parent), m_tonePlayer(makeSoundPlayer()), m_programme(*m_tonePlayer)
{
    setObjectName(QStringLiteral("AuditifWindow"));
    // This window keeps the system's dialog face colour: it shows nothing.
    stage()->setBackground(QApplication::palette().color(QPalette::Window));
    setProgramme(&m_programme);
}

} // namespace zoka
