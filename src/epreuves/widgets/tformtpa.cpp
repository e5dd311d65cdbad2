// SPDX-License-Identifier: GPL-3.0-or-later
#include "epreuves/widgets/tformtpa.h"

#include "platform/widgets/faces.h"

namespace zoka {

namespace {
int addAsterisk(StageWidget *stage)
{
    StageWidget::Element star;
    star.kind = StageWidget::Element::Text;
    star.text = QStringLiteral("*");
    star.box = QRect(QPoint(0, 0), PuceProgramme::AsteriskSize);
    star.font = QFont(PuceProgramme::AsteriskFace);
    star.font.setPixelSize(PuceProgramme::AsteriskPixels);
    star.pen = Qt::black;
    star.shown = false;
    return stage->addElement(star);
}

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

TFormTpa::TFormTpa(QWidget *parent)
    : TestWindow(TestId::PuceAsterisque, parent),
      m_label1(addAsterisk(stage())),
      m_programme(*stage(), m_label1, PuceProgramme::AsteriskFace, &faceInstalled)
{
    setObjectName(QStringLiteral("FormTpa"));
    runPointer = Qt::PointingHandCursor;
    setProgramme(&m_programme);
}

TFormTpc::TFormTpc(QWidget *parent)
    : TestWindow(TestId::PuceCarre, parent), m_shape1(addSquare(stage())), m_programme(*stage(), m_shape1)
{
    setObjectName(QStringLiteral("FormTpc"));
    runPointer = Qt::PointingHandCursor;
    setProgramme(&m_programme);
}

} // namespace zoka
