// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include "analysis/analysisstate.h"

#include <QString>
#include <QStringList>

namespace zoka {

// Warning shown when a result file stops before its last item.
extern const QString IncompleteFileText;

// All lines of a result file (Windows-1252). Only a regular file is read (links
// resolved; a FIFO or a device is refused without blocking), within bounds of size,
// line count and line length. On failure returns false and puts the French text of
// the cause, " : " and the path in `error`.
bool loadResultLines(const QString &path, QStringList *lines, QString *error);

// A numeric line: optional blanks, an optional "-", decimal digits; the rest of the
// line is ignored (as long as it starts with a blank). Returns false for anything
// else (no digit, a number outside the 32-bit range, a stray character right after
// the digits) and says why in `problem` (French).
bool parseNumberLine(const QString &line, int *value, QString *problem = nullptr,
                     int *consumed = nullptr);

// Item count of a file name: the text between the first "_" and `stop` (the first
// "." - or, for test 7, the first "-" after the "_" when there is one). Returns false when it is
// not an integer; `*n` then holds the value of its leading digits (0 without any).
bool itemCountOfFileName(const QString &fileName, bool stopAtDash, int *n);

// Splits line 1: sets PatientName and AdministrationDate, warns when the name does
// not match the file name's patient part, and for an endless-series header warns,
// forces the export with information and returns "illimité" (else an empty text).
QString ParseHeaderLine(AnalysisState &st, const QString &line, int nameEnd);

// Report made of the file's lines only (incomplete or endless file, expectedCount
// EndlessCountInName for the latter). Also loads the notes and fills DataLines. Disables Limite/Effacer.
void ShowRawContents(AnalysisState &st, const QStringList &lines, const QString &date,
                     int shownCount, int expectedCount);

// Shows the file-error box for a line that cannot be read as expected, and marks the
// reading as failed (no report).
void reportMalformedLine(AnalysisState &st, int lineNumber, const QString &problem);

// Reader of tests 0-6, 8, 9 (test 7: ReadSustainedAttentionFile, analysis.h).
void ReadResultFile(AnalysisState &st);

// Writes the report head (banner ... empty line), replacing the report.
void WriteReportHead(AnalysisState &st);

} // namespace zoka
