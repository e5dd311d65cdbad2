// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QImage>

namespace zoka {

// The response rule of the double go/no-go test, as a 327 x 71 picture (24-bit, white
// background): a red plus, "ou", a blue circle, "appuyez rapidement"; below it a blue
// plus, "ou", a red circle, "ne PAS appuyer". Drawn by code, the same every time.
QImage responseRulePicture();

} // namespace zoka
