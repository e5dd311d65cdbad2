// SPDX-License-Identifier: GPL-3.0-or-later
#include "epreuves/widgets/symbollabel.h"

#include "epreuves/binaire.h"
#include "platform/widgets/faces.h"

namespace zoka {

StageWidget::Element symbolLabel(const QString &text, QColor colour, const QRect &box, int cellHeight)
{
    // Tahoma's character cell is 2472 units of 2048 to the em, 2049 of them above
    // the baseline: a 68-pixel cell is a 56-pixel em with its baseline 56 pixels
    // below the top of the label.
    const int em = qRound(cellHeight * 2048.0 / 2472.0);
    StageWidget::Element label;
    label.kind = StageWidget::Element::Text;
    label.text = text;
    label.font = QFont(QLatin1String(GoNoGoProgramme::SymbolFace));
    label.font.setPixelSize(em);
    label.font.setBold(true);
    label.pen = colour;
    label.box = box;
    label.baseline = qRound(em * 2049.0 / 2048.0);
    // A Tahoma Bold with regular strokes is widened by a sixteenth of the em, about
    // what its bold stems add.
    static const bool widen = boldDrawnRegular(label.font.family());
    label.widen = widen ? em / 16.0 : 0;
    label.shown = false;
    return label;
}

} // namespace zoka
