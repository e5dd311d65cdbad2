// SPDX-License-Identifier: GPL-3.0-or-later
#include "epreuves/widgets/tformtrm.h"

namespace zoka {

TFormTrm::TFormTrm(QWidget *parent)
    : TestWindow(TestId::Mixte, parent),
      m_shape1(stage()->addElement(StageWidget::blackSquare(MixteProgramme::Shape1Box))),
      m_mediaPlayer1(makeSoundPlayer()),
      m_programme(*stage(), m_shape1, *m_mediaPlayer1)
{
    setObjectName(QStringLiteral("FormTrm"));
    setProgramme(&m_programme);
}

} // namespace zoka
