// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include "protocol/protocol.h"

#include <QRect>

namespace zoka {

// "TR visuel centré": a black square in the middle of a white screen after a
// foreperiod of 1 to 7 s. The items differ only by their foreperiod.
class VisuelCentreProgramme final : public StimulusProgramme {
public:
    // The square: filled black square with a black outline, x 390-410, y 290-310.
    static constexpr QRect SquareBox{390, 290, 21, 21};

    VisuelCentreProgramme(StimulusSurface &surface, int square)
        : m_surface(surface), m_square(square)
    {
    }

    bool begin(const RunSetup &) override;
    void present(int position) override;
    void withdraw(int position) override;

private:
    StimulusSurface &m_surface;
    int m_square;
};

} // namespace zoka
