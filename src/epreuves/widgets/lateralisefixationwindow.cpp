// SPDX-License-Identifier: GPL-3.0-or-later
#include "epreuves/widgets/lateralisefixationwindow.h"

namespace zoka {

namespace {
StageWidget::Element pointElement()
{
    StageWidget::Element point;
    point.kind = StageWidget::Element::Picture;
    point.box = LateraliseFixationProgramme::PointBox;
    point.shown = false;
    return point;
}

StageWidget::Element frameElement()
{
    StageWidget::Element frame;
    frame.kind = StageWidget::Element::Outline;
    frame.box = LateraliseFixationProgramme::FrameBox;
    frame.pen = Qt::black;
    frame.penWidth = 1;
    frame.shown = false;
    return frame;
}
} // namespace

// The frame is laid over the point, so that its line stays whole while the point
// (whose box reaches one pixel over the frame's right and bottom lines) is up.
LateraliseFixationWindow::LateraliseFixationWindow(QWidget *parent)
    : TestWindow(TestId::LateraliseFixation, parent),
      m_square(stage()->addElement(StageWidget::blackSquare(QRect(QPoint(0, 0), LateraliseProgramme::SquareSize)))),
      m_fixationPoint(stage()->addElement(pointElement())),
      m_fixationFrame(stage()->addElement(frameElement())),
      m_fixationTimer(makeTrialTimer()),
      m_programme(*stage(), m_square, m_fixationFrame, m_fixationPoint, *m_fixationTimer)
{
    setObjectName(QStringLiteral("LateraliseFixationWindow"));
    setProgramme(&m_programme);
}

} // namespace zoka
