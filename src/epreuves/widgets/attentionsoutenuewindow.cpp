// SPDX-License-Identifier: GPL-3.0-or-later
#include "epreuves/widgets/attentionsoutenuewindow.h"

#include "platform/widgets/faces.h"

namespace zoka {

namespace {
using P = AttentionSoutenueProgramme;

int addCharacter(StageWidget *stage)
{
    StageWidget::Element character;
    character.kind = StageWidget::Element::Text;
    character.box = P::CharacterBox;
    character.pen = QColor::fromRgba(P::TextColour);
    character.font = QFont(P::Face);
    character.font.setPixelSize(P::pixelsOfPoints(100));
    character.shown = false;
    return stage->addElement(character);
}

int addMask(StageWidget *stage)
{
    StageWidget::Element mask;
    mask.kind = StageWidget::Element::Filled;
    mask.box = P::CharacterBox;
    mask.fill = QColor::fromRgba(P::MaskColour);
    mask.pen = mask.fill;
    mask.penWidth = 0;
    mask.shown = false;
    return stage->addElement(mask);
}
} // namespace

AttentionSoutenueWindow::AttentionSoutenueWindow(QWidget *parent)
    : TestWindow(TestId::AttentionSoutenue, parent),
      m_character(addCharacter(stage())),
      m_mask(addMask(stage())),
      m_errorPlayer(makeSoundPlayer()),
      m_programme(*stage(), m_character, m_mask, *m_errorPlayer, &faceInstalled)
{
    setObjectName(QStringLiteral("AttentionSoutenueWindow"));
    setProgramme(&m_programme);
}

} // namespace zoka
