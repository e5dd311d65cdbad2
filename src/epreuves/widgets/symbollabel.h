// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include "epreuves/widgets/stagewidget.h"

namespace zoka {

// A symbol of the go/no-go windows: `text` in Tahoma bold of `cellHeight` pixels
// (the height of the face's character cell, as the symbols are designed), its
// baseline where such a label puts it, horizontally centred in `box`; hidden.
StageWidget::Element symbolLabel(const QString &text, QColor colour, const QRect &box, int cellHeight);

} // namespace zoka
