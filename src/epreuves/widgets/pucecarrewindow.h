// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include "epreuves/puce.h"
#include "epreuves/widgets/testwindow.h"

namespace zoka {

// "Puce Carré": the square outline on the white stage, the hand pointer.
class PuceCarreWindow final : public TestWindow {
public:
    explicit PuceCarreWindow(QWidget *parent = nullptr);

    int square() const { return m_square; }

private:
    int m_square;
    PuceProgramme m_programme;
};

} // namespace zoka
