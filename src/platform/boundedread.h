// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QByteArray>
#include <QList>
#include <QString>

namespace zoka {

// Reading a text file that may be anything the user names: only a regular file is read
// (links resolved; a FIFO, a device or a directory is refused without being read, and
// nothing blocks), line by line, within fixed bounds, so that neither a file that
// never ends nor one of millions of empty lines can hang the program or exhaust its
// memory.

struct LineReadLimits {
    qint64 maxBytes = 0;      // whole file
    int maxLines = 0;
    int maxLineBytes = 0;     // one line, without its line end
};

enum class LineReadStatus {
    Ok,
    OpenFailed,     // errnoValue tells why (ENOENT, EACCES, ...)
    NotRegularFile, // a directory, a FIFO, a device, a socket, a file of /proc or /sys
    TooBig,         // more than maxBytes
    TooManyLines,   // more than maxLines
    LineTooLong,    // line `line` (1-based) longer than maxLineBytes
    ReadFailed,     // errnoValue tells why
};

struct LineReadResult {
    LineReadStatus status = LineReadStatus::Ok;
    int errnoValue = 0;
    int line = 0;
};

// Reads the lines of `path` as bytes, split on CR LF, lone LF or lone CR; a final line
// end adds no empty line (as cp1252::splitLines). On any refusal *lines is left empty.
LineReadResult readLinesBounded(const QString &path, const LineReadLimits &limits, QList<QByteArray> *lines);

} // namespace zoka
