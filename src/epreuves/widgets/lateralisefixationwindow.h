// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include "epreuves/lateralise.h"
#include "epreuves/widgets/testwindow.h"

namespace zoka {

// "TR latéralisé + Fixation": the square, the fixation frame and the fixation point
// inside it, with the fixation timer.
class LateraliseFixationWindow final : public TestWindow {
public:
    explicit LateraliseFixationWindow(QWidget *parent = nullptr);

    int square() const { return m_square; }
    int fixationFrame() const { return m_fixationFrame; }
    int fixationPoint() const { return m_fixationPoint; }
    TrialTimer &fixationTimer() { return *m_fixationTimer; }
    const LateraliseFixationProgramme &programme() const { return m_programme; }

private:
    int m_square;
    int m_fixationPoint;
    int m_fixationFrame;
    std::unique_ptr<TrialTimer> m_fixationTimer;
    LateraliseFixationProgramme m_programme;
};

} // namespace zoka
