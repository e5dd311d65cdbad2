// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include "epreuves/visuelcentre.h"
#include "epreuves/widgets/testwindow.h"

namespace zoka {

// "TR visuel centré": the black square Shape1 in the middle of the white stage.
class TForm1 final : public TestWindow {
public:
    explicit TForm1(QWidget *parent = nullptr);

    int shape1() const { return m_shape1; }

private:
    int m_shape1;
    VisuelCentreProgramme m_programme;
};

} // namespace zoka
