// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QString>

namespace zoka {

// Opens a file in the program the desktop has for its type (a spreadsheet for a CSV
// file, a text editor for a text file), without waiting for it. Returns false when
// the desktop has no program for that type or none could be started; the caller
// then tells the examiner.
bool openInDesktop(const QString &path);

} // namespace zoka
