// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QString>

namespace zoka {

// The read-only mark of a file, kept in its permission bits so that it survives a
// restart of the program. Marked = no write permission for anyone; clearing the mark
// gives the owner write permission back. Every other bit is kept as it is.

// True when the file exists and nobody may write it.
bool isReadOnlyMarked(const QString &path);

// Removes every write bit (owner, user, group, other). False when the file is
// missing or its permissions cannot be changed.
bool setReadOnlyMark(const QString &path);

// Gives the owner write permission back. False when the file is missing or its
// permissions cannot be changed.
bool clearReadOnlyMark(const QString &path);

// The not-analysed mark of a result file is its read-only mark: set when a test
// file has been written, cleared by the analysis.
inline bool MarkNotAnalysed(const QString &path) { return setReadOnlyMark(path); }
inline bool MarkAnalysed(const QString &path) { return clearReadOnlyMark(path); }

} // namespace zoka
