// SPDX-License-Identifier: GPL-3.0-or-later
#include "epreuves/widgets/tformtrl.h"

namespace zoka {

TFormTrl::TFormTrl(QWidget *parent)
    : TestWindow(TestId::Lateralise, parent),
      m_shape1(stage()->addElement(StageWidget::blackSquare(QRect(QPoint(0, 0), LateraliseProgramme::Shape1Size)))),
      m_programme(*stage(), m_shape1)
{
    setObjectName(QStringLiteral("FormTrl"));
    setProgramme(&m_programme);
}

namespace {
StageWidget::Element fixationPoint()
{
    StageWidget::Element point;
    point.kind = StageWidget::Element::Picture;
    point.box = LateraliseFixationProgramme::PtFixBox;
    point.shown = false;
    return point;
}

StageWidget::Element fixationFrame()
{
    StageWidget::Element frame;
    frame.kind = StageWidget::Element::Outline;
    frame.box = LateraliseFixationProgramme::Shape2Box;
    frame.pen = Qt::black;
    frame.penWidth = 1;
    frame.shown = false;
    return frame;
}
} // namespace

// The frame is laid over the point, so that its line stays whole while the point
// (whose box reaches one pixel over the frame's right and bottom lines) is up.
TFormTrfc::TFormTrfc(QWidget *parent)
    : TestWindow(TestId::LateraliseFixation, parent),
      m_shape1(stage()->addElement(StageWidget::blackSquare(QRect(QPoint(0, 0), LateraliseProgramme::Shape1Size)))),
      m_ptFix(stage()->addElement(fixationPoint())),
      m_shape2(stage()->addElement(fixationFrame())),
      m_timer2(makeTrialTimer()),
      m_programme(*stage(), m_shape1, m_shape2, m_ptFix, *m_timer2)
{
    setObjectName(QStringLiteral("FormTrfc"));
    setProgramme(&m_programme);
}

} // namespace zoka
