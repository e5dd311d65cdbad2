#pragma once
#include <QString>

namespace zoka {

// Whether text asked for in `family` is really drawn in that face or in its
// metric-compatible stand-in (metricEquivalentFace), not in some other face the
// font system fell back to.
bool faceInstalled(const QString &family);

} // namespace zoka
