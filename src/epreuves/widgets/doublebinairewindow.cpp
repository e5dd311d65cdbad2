// SPDX-License-Identifier: GPL-3.0-or-later
#include "epreuves/widgets/doublebinairewindow.h"

#include "epreuves/widgets/symbollabel.h"
#include "platform/soundplayer.h"
#include "platform/widgets/faces.h"

namespace zoka {

DoubleBinaireWindow::DoubleBinaireWindow(QWidget *parent)
    : TestWindow(TestId::DoubleBinaire, parent)
{
    setObjectName(QStringLiteral("DoubleBinaireWindow"));
    faceInstalled(QLatin1String(GoNoGoProgramme::SymbolFace));
    for (size_t i = 0; i < DoubleBinaire::Symbols.size(); ++i) {
        const DoubleBinaire::Symbol &s = DoubleBinaire::Symbols[i];
        m_symbols[i] = stage()->addElement(symbolLabel(QString::fromLatin1(s.text), QColor::fromRgba(s.colour),
                                                       s.box, s.cell));
    }
    m_programme = std::make_unique<GoNoGoProgramme>(*stage(), DoubleBinaire::symbols(m_symbols), makeSoundPlayer());
    setProgramme(m_programme.get());
}

} // namespace zoka
