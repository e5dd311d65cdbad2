// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include "epreuves/binaire.h"
#include "epreuves/widgets/testwindow.h"

namespace zoka {

// "TR simple binaire": the cross and the ring in the middle of the stage, and the
// error sound of the practice runs.
class SimpleBinaireWindow final : public TestWindow {
public:
    explicit SimpleBinaireWindow(QWidget *parent = nullptr);

    int cross() const { return m_cross; }
    int ring() const { return m_ring; }
    GoNoGoProgramme &programme() { return *m_programme; }

private:
    int m_cross;
    int m_ring;
    std::unique_ptr<GoNoGoProgramme> m_programme;
};

} // namespace zoka
