// SPDX-License-Identifier: GPL-3.0-or-later
#include "epreuves/widgets/pucecarrewindow.h"

namespace zoka {

namespace {
int addSquare(StageWidget *stage)
{
    StageWidget::Element square;
    square.kind = StageWidget::Element::Outline;
    square.box = QRect(QPoint(0, 0), PuceProgramme::SquareSize);
    square.pen = Qt::black;
    square.penWidth = 3;
    square.shown = false;
    return stage->addElement(square);
}
} // namespace

PuceCarreWindow::PuceCarreWindow(QWidget *parent)
    : TestWindow(TestId::PuceCarre, parent), m_square(addSquare(stage())), m_programme(*stage(), m_square)
{
    setObjectName(QStringLiteral("PuceCarreWindow"));
    setProgramme(&m_programme);
}

} // namespace zoka
