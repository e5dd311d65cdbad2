// SPDX-License-Identifier: GPL-3.0-or-later
#include "epreuves/widgets/lateralisewindow.h"

namespace zoka {

LateraliseWindow::LateraliseWindow(QWidget *parent)
    : TestWindow(TestId::Lateralise, parent),
      m_square(stage()->addElement(StageWidget::blackSquare(QRect(QPoint(0, 0), LateraliseProgramme::SquareSize)))),
      m_programme(*stage(), m_square)
{
    setObjectName(QStringLiteral("LateraliseWindow"));
    setProgramme(&m_programme);
}

} // namespace zoka
