// SPDX-License-Identifier: GPL-3.0-or-later
#include "epreuves/widgets/simplebinairewindow.h"

#include "epreuves/widgets/symbollabel.h"
#include "platform/soundplayer.h"
#include "platform/widgets/faces.h"

namespace zoka {

SimpleBinaireWindow::SimpleBinaireWindow(QWidget *parent)
    : TestWindow(TestId::SimpleBinaire, parent)
{
    setObjectName(QStringLiteral("SimpleBinaireWindow"));
    faceInstalled(QLatin1String(GoNoGoProgramme::SymbolFace));
    m_cross = stage()->addElement(
        symbolLabel(QStringLiteral("+"), Qt::black, SimpleBinaire::CrossBox, SimpleBinaire::CrossCell));
    m_ring = stage()->addElement(
        symbolLabel(QStringLiteral("O"), Qt::black, SimpleBinaire::RingBox, SimpleBinaire::RingCell));
    m_programme = std::make_unique<GoNoGoProgramme>(*stage(), SimpleBinaire::symbols(m_cross, m_ring),
                                                    makeSoundPlayer());
    setProgramme(m_programme.get());
}

} // namespace zoka
