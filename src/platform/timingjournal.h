// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QString>
#include <QStringList>

namespace zoka {

// The timing journal: one line per administration, in the program directory, saying
// how well that administration was timed (display, refresh, presses, sound,
// scheduling). Windows-1252 text, CR LF after every line, like the program's other
// text files. The file only ever grows: every line is appended whole, by one write()
// on a descriptor opened for appending, and the journal is never rewritten. It is
// read only to show an administration's line beside its analysis; nothing of it goes
// back into a result file or a report file.
//
// A line: the result file's name, " | ", the date and time of its header (as the
// header writes them), then the timing fields, each after " | ".

// File name of the journal in the program directory.
extern const QString TimingJournalName; // "Chronometrie.txt"

// Separator of the fields of a line.
extern const QString JournalFieldSeparator; // " | "

// The start every line of the administration of `fileName` shown at `dateText` has:
// "<fileName> | <dateText> | ".
QString journalKey(const QString &fileName, const QString &dateText);

// Appends `line` (control characters made blanks) and CR LF to the journal `path` in
// one write(). The journal is created when missing (mode 0644); a symbolic link, a
// directory, a FIFO or a device at its place is refused and left alone. A write the
// disk takes only in part is cut away again. Returns 0, or the error number.
int appendJournalLine(const QString &path, const QString &line);

// Whether the journal `path` can take lines: opened for appending as
// appendJournalLine() does (created empty when missing), nothing written. 0 or the
// error number.
int probeJournal(const QString &path);

// The message shown, once, when the journal cannot be written.
QString journalErrorText(const QString &path, int errnoValue);

// The last line of the journal `path` that belongs to the administration of `fileName`
// shown at `dateText` (the key removed), read within bounds and only from a regular
// file. Empty when there is none, or when the journal cannot be read.
QString findJournalEntry(const QString &path, const QString &fileName, const QString &dateText);

// What the analysis shows and prints under a report: a title line, then the entry cut
// into lines of at most `width` characters at its field separators (a field longer
// than that is cut where it must); "no line" said plainly when `entry` is empty.
QStringList journalEntryLines(const QString &entry, int width);

} // namespace zoka
