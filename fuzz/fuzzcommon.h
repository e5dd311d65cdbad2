// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// What every fuzz target shares: a silent message service, a scratch directory on
// a memory file system, the layout of an input, and a way to stop on a broken
// property with a readable reason.

#include "analysis/analysisstate.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <cstddef>
#include <cstdint>

namespace fuzz {

// Called once per process: French regional conventions, the silent message service,
// the scratch directory, the program directory (for AnaTemp.txt) pointed at it.
void setUp();

// The scratch directory (on /dev/shm when there is one: the program's atomic
// rewrites sync the disk, and a memory file system makes that cheap).
const QString &scratchDir();

// Number of message boxes shown since the last call (and forgets them).
int takeMessageCount();

// Stops the run with `what` when `ok` is false: a finding. The input is kept by
// libFuzzer as the crash file.
void check(bool ok, const char *what, const QString &detail = QString());

// An input of the file-reading targets:
//   line 1   the result file's name (Latin-1, at most 64 bytes; "/", NUL and CR become
//            "_": names the file system refuses, and line breaks in a name, are the
//            business of the hostile-file tests)
//   line 2   (targets with limits only) the limit texts, separated by "|"
//   the rest the result file's bytes, as they are.
struct FileInput {
    QString name;
    QStringList limits;
    QByteArray content;
};
FileInput splitInput(const uint8_t *data, size_t size, bool withLimits);

// Writes `bytes` to the scratch directory under `name` (replacing any file there);
// returns the path, empty when the file cannot be made.
QString writeScratch(const QString &name, const QByteArray &bytes);
QByteArray readWhole(const QString &path);
// Removes the file and anything the program left beside it.
void removeScratch(const QString &path);

// The lines of a result file as the program reads them.
QStringList linesOf(const QByteArray &bytes);

// Fixed time of the analysis, so that two reports of the same input are the same.
void fixTime(zoka::AnalysisState &st);

} // namespace fuzz

namespace fuzz {
// True when `text` holds the word "nan" or "inf" (any case, standing alone): how a
// figure that is not a number prints.
bool holdsNonNumber(const QString &text);
}
