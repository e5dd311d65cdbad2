// SPDX-License-Identifier: GPL-3.0-or-later
#include "epreuves/widgets/tformtas.h"

#include "platform/widgets/faces.h"

namespace zoka {

namespace {
using P = AttentionSoutenueProgramme;

int addCaract(StageWidget *stage)
{
    StageWidget::Element caract;
    caract.kind = StageWidget::Element::Text;
    caract.box = P::CaractBox;
    caract.pen = QColor::fromRgba(P::TextColour);
    caract.font = QFont(P::Face);
    caract.font.setPixelSize(P::pixelsOfPoints(100));
    caract.shown = false;
    return stage->addElement(caract);
}

int addMask(StageWidget *stage)
{
    StageWidget::Element mask;
    mask.kind = StageWidget::Element::Filled;
    mask.box = P::CaractBox;
    mask.fill = QColor::fromRgba(P::MaskColour);
    mask.pen = mask.fill;
    mask.penWidth = 0;
    mask.shown = false;
    return stage->addElement(mask);
}
} // namespace

TFormTas::TFormTas(QWidget *parent)
    : TestWindow(TestId::AttentionSoutenue, parent),
      m_caract(addCaract(stage())),
      m_mask(addMask(stage())),
      m_mediaPlayer1(makeSoundPlayer()),
      m_programme(*stage(), m_caract, m_mask, *m_mediaPlayer1, &faceInstalled)
{
    setObjectName(QStringLiteral("FormTas"));
    setProgramme(&m_programme);
}

} // namespace zoka
