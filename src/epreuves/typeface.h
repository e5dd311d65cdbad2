// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QString>

#include <functional>

namespace zoka {

// Whether the face `family` (or the metric-compatible face that stands for it) is
// what the system really draws with. The windows answer it; a programme that draws
// text asks it before a run, so that no run is given in another face by mistake.
using FaceCheck = std::function<bool(const QString &family)>;

// The face installed in place of `family` with the same metrics ("Times New Roman"
// -> "Liberation Serif"); `family` itself when there is none.
QString metricEquivalentFace(const QString &family);

// The message shown when `family` cannot be drawn.
QString missingFaceText(const QString &family);

} // namespace zoka
