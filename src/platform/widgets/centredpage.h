// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QSize>

class QWidget;

namespace zoka {

// The windows laid out for an 800 x 600 display keep their controls on a page of
// that size, centred in the window whatever the size of the screen (at the top left
// when the window is smaller). The controls are made children of the returned page.
inline constexpr QSize DesignPageSize{800, 600};
QWidget *makeCentredPage(QWidget *window, QSize size = DesignPageSize);

} // namespace zoka
