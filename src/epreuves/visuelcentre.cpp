// SPDX-License-Identifier: GPL-3.0-or-later
#include "epreuves/visuelcentre.h"

namespace zoka {

bool VisuelCentreProgramme::begin(const RunSetup &)
{
    m_surface.moveTo(m_square, SquareBox.left(), SquareBox.top());
    m_surface.setShown(m_square, false);
    m_surface.drawNow();
    return true;
}

void VisuelCentreProgramme::present(int)
{
    m_surface.setShown(m_square, true);
    m_surface.drawNow();
}

void VisuelCentreProgramme::withdraw(int)
{
    m_surface.setShown(m_square, false);
    m_surface.drawNow();
}

} // namespace zoka
