// SPDX-License-Identifier: GPL-3.0-or-later
#include "epreuves/visuelcentre.h"

namespace zoka {

bool VisuelCentreProgramme::begin(const RunSetup &)
{
    m_surface.moveTo(m_shape1, Shape1Box.left(), Shape1Box.top());
    m_surface.setShown(m_shape1, false);
    m_surface.drawNow();
    return true;
}

void VisuelCentreProgramme::present(int)
{
    m_surface.setShown(m_shape1, true);
    m_surface.drawNow();
}

void VisuelCentreProgramme::withdraw(int)
{
    m_surface.setShown(m_shape1, false);
    m_surface.drawNow();
}

} // namespace zoka
