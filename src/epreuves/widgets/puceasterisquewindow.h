// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include "epreuves/puce.h"
#include "epreuves/widgets/testwindow.h"

namespace zoka {

// "Puce Astérisque": the asterisk on the white stage, the hand pointer.
class PuceAsterisqueWindow final : public TestWindow {
public:
    explicit PuceAsterisqueWindow(QWidget *parent = nullptr);

    int asterisk() const { return m_asterisk; }

private:
    int m_asterisk;
    PuceProgramme m_programme;
};

} // namespace zoka
