#include "epreuves/widgets/tform1.h"

namespace zoka {

namespace {
int addShape1(StageWidget *stage)
{
    StageWidget::Element square;
    square.kind = StageWidget::Element::Filled;
    square.box = VisuelCentreProgramme::Shape1Box;
    square.fill = Qt::black;
    square.pen = Qt::black;
    square.penWidth = 1;
    square.shown = false;
    return stage->addElement(square);
}
} // namespace

TForm1::TForm1(QWidget *parent)
    : TestWindow(TestId::VisuelCentre, parent), m_shape1(addShape1(stage())), m_programme(*stage(), m_shape1)
{
    setObjectName(QStringLiteral("Form1"));
    setProgramme(&m_programme);
}

} // namespace zoka
