// SPDX-License-Identifier: GPL-3.0-or-later
#include "epreuves/widgets/tformtra.h"

#include <QApplication>

namespace zoka {

TFormTra::TFormTra(QWidget *parent)
    : TestWindow(TestId::Auditif, parent), m_mediaPlayer1(makeSoundPlayer()), m_programme(*m_mediaPlayer1)
{
    setObjectName(QStringLiteral("FormTra"));
    // This window keeps the system's dialog face colour: it shows nothing.
    stage()->setBackground(QApplication::palette().color(QPalette::Window));
    setProgramme(&m_programme);
}

} // namespace zoka
