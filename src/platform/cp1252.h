// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QByteArray>
#include <QString>
#include <QStringList>

namespace zoka {

// Every text file of the program (result files, instructions, report, help) is
// Windows-1252 with CR LF line ends.
namespace cp1252 {

QByteArray encode(const QString &text);
QString decode(const QByteArray &bytes);

// Splits on CR LF, lone LF or lone CR; a final line end adds no empty line.
QStringList splitLines(const QString &text);
// Joins with CR LF after every line (including the last).
QByteArray encodeLines(const QStringList &lines);

// Whole-file helpers. readFile returns false (and leaves `text` empty) when the file
// cannot be opened.
bool readFile(const QString &path, QString *text);

} // namespace cp1252
} // namespace zoka
