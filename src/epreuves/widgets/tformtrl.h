// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include "epreuves/lateralise.h"
#include "epreuves/widgets/testwindow.h"

namespace zoka {

// "TR latéralisé": the black square Shape1, moved to the cell of every item.
class TFormTrl final : public TestWindow {
public:
    explicit TFormTrl(QWidget *parent = nullptr);

    int shape1() const { return m_shape1; }

private:
    int m_shape1;
    LateraliseProgramme m_programme;
};

// "TR latéralisé + Fixation": the square, the fixation frame Shape2 and the point
// PtFix inside it, with the fixation timer Timer2.
class TFormTrfc final : public TestWindow {
public:
    explicit TFormTrfc(QWidget *parent = nullptr);

    int shape1() const { return m_shape1; }
    int shape2() const { return m_shape2; }
    int ptFix() const { return m_ptFix; }
    TrialTimer &timer2() { return *m_timer2; }
    const LateraliseFixationProgramme &programme() const { return m_programme; }

private:
    int m_shape1;
    int m_ptFix;
    int m_shape2;
    std::unique_ptr<TrialTimer> m_timer2;
    LateraliseFixationProgramme m_programme;
};

} // namespace zoka
