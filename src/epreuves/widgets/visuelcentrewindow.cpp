// SPDX-License-Identifier: GPL-3.0-or-later
#include "epreuves/widgets/visuelcentrewindow.h"

namespace zoka {

VisuelCentreWindow::VisuelCentreWindow(QWidget *parent)
    : TestWindow(TestId::VisuelCentre, parent),
      m_square(stage()->addElement(StageWidget::blackSquare(VisuelCentreProgramme::SquareBox))),
      m_programme(*stage(), m_square)
{
    setObjectName(QStringLiteral("VisuelCentreWindow"));
    setProgramme(&m_programme);
}

} // namespace zoka
