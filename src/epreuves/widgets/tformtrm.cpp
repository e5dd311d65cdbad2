#include "epreuves/widgets/tformtrm.h"

namespace zoka {

namespace {
int addShape1(StageWidget *stage)
{
    StageWidget::Element square;
    square.kind = StageWidget::Element::Filled;
    square.box = MixteProgramme::Shape1Box;
    square.fill = Qt::black;
    square.pen = Qt::black;
    square.penWidth = 1;
    square.shown = false;
    return stage->addElement(square);
}
} // namespace

TFormTrm::TFormTrm(QWidget *parent)
    : TestWindow(TestId::Mixte, parent),
      m_shape1(addShape1(stage())),
      m_mediaPlayer1(makeSoundPlayer()),
      m_programme(*stage(), m_shape1, *m_mediaPlayer1)
{
    setObjectName(QStringLiteral("FormTrm"));
    setProgramme(&m_programme);
}

} // namespace zoka
