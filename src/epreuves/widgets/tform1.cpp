// SPDX-License-Identifier: GPL-3.0-or-later
#include "epreuves/widgets/tform1.h"

namespace zoka {

TForm1::TForm1(QWidget *parent)
    : TestWindow(TestId::VisuelCentre, parent),
      m_shape1(stage()->addElement(StageWidget::blackSquare(VisuelCentreProgramme::Shape1Box))),
      m_programme(*stage(), m_shape1)
{
    setObjectName(QStringLiteral("Form1"));
    setProgramme(&m_programme);
}

} // namespace zoka
