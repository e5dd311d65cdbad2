// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include "epreuves/lateralise.h"
#include "epreuves/widgets/testwindow.h"

namespace zoka {

// "TR latéralisé": the black square, moved to the cell of every item.
class LateraliseWindow final : public TestWindow {
public:
    explicit LateraliseWindow(QWidget *parent = nullptr);

    int square() const { return m_square; }

private:
    int m_square;
    LateraliseProgramme m_programme;
};

} // namespace zoka
