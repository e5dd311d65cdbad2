// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QString>

namespace zoka {

// Type faces the windows are designed with. A face is "installed" when text asked
// in it is drawn in it, or in the free face of the same metrics that stands in for
// it (Liberation Serif for Times New Roman), never in some other face the system
// picks instead. Tahoma comes from Debian's fonts-wine, which puts it outside the
// font configuration's directories: it is added to the program's fonts from there.
bool faceInstalled(const QString &family);

// Whether the bold weight of `family` is drawn with the outlines of its regular
// weight (fonts-wine's Tahoma Bold has the bold widths but regular strokes).
bool boldDrawnRegular(const QString &family);

} // namespace zoka
