// SPDX-License-Identifier: GPL-3.0-or-later
#include "epreuves/widgets/mixtewindow.h"

namespace zoka {

MixteWindow::MixteWindow(QWidget *parent)
    : TestWindow(TestId::Mixte, parent),
      m_square(stage()->addElement(StageWidget::blackSquare(MixteProgramme::SquareBox))),
      m_tonePlayer(makeSoundPlayer()),
      m_programme(*stage(), m_square, *m_tonePlayer)
{
    setObjectName(QStringLiteral("MixteWindow"));
    setProgramme(&m_programme);
}

} // namespace zoka
