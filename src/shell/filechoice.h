// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QString>

namespace zoka {

// What a result file chosen in the main window's list says about its administration:
// the test of its extension, the item count and, for "Attention soutenue", the speed
// of its name. The main window sets its controls from it.
struct FileChoice {
    int testIndex = -1;       // -1: the extension belongs to no test
    bool countValid = false;
    int fileItemCount = 0;    // the count of the name (0 when not valid)
    bool speedValid = false;  // test 7: the name holds speed 0, 1 or 2
    int speedIndex = 3;       // test 7: that speed, else 3 (the 1000 ms fallback)
    // The button of the test's count group that shows the count (-1: a test of a
    // fixed count or of speeds).
    int countButton = -1;
};
FileChoice fileChoiceOf(const QString &fileName);

// The warning for a test-7 file name without a valid speed.
QString badSpeedText();

} // namespace zoka
