// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include "epreuves/visuelcentre.h"
#include "epreuves/widgets/testwindow.h"

namespace zoka {

// "TR visuel centré": the black square in the middle of the white stage.
class VisuelCentreWindow final : public TestWindow {
public:
    explicit VisuelCentreWindow(QWidget *parent = nullptr);

    int square() const { return m_square; }

private:
    int m_square;
    VisuelCentreProgramme m_programme;
};

} // namespace zoka
