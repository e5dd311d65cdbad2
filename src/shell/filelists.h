// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QString>
#include <QStringList>
#include <functional>
#include "platform/fileattr.h"

namespace zoka {

// The results directory as the main window lists it, the not-analysed mark and the
// deletion of result files.

// Mask of a file list before a patient name has been typed: every file.
inline const QString AllFilesMask = QStringLiteral("*.*");

// Plain files of `dir` (no directories, no hidden files), sorted by name ignoring
// case, so that every file of one patient (in any spelling of the name) is adjacent.
// Empty when `dir` is empty or cannot be read. *unlistable (when given) receives the
// number of plain files left out because their names are not valid in the system's
// encoding (no name the program shows could open them).
QStringList readFileList(const QString &dir, int *unlistable = nullptr);

// The line under the lists when some files could not be listed; empty for none.
QString unlistableFilesText(int count);

// True when `fileName` matches the list mask: "*.*" (or "*") matches everything;
// "prefix*" matches names starting with the prefix, ignoring case; anything else must
// equal the name, ignoring case. The prefix is taken literally.
bool matchesMask(const QString &fileName, const QString &mask);

// Files of `files` that match `mask`, in their order.
QStringList filterByMask(const QStringList &files, const QString &mask);

// The patient list built from the sorted list of every file of the results
// directory: one name per run of adjacent files whose patients are equal ignoring
// case (the spelling of the first file wins; a file without "_" gives an empty name),
// then sorted as the list box keeps it (ignoring case).
QStringList patientsOfFileList(const QStringList &sortedFiles);

// Inserts `name` into `list` at its sorted place (ignoring case, after equal names).
void insertSorted(QStringList &list, const QString &name);

// Whether `dir` is a directory whose files can be reached (searched): what a results
// directory must be.
bool isEnterableDirectory(const QString &dir);

// The not-analysed mark of a result file (its read-only permission).
bool isNotAnalysed(const QString &path);

// The deletion of one result file (button "Suppression"), asking first, and a second
// time when the file has not been analysed yet ("Non" is the default of both). Only
// the directory entry is removed (a symbolic link as a link): on failure the file is
// as it was. A file a run of another program is writing is refused.
enum class DeleteOutcome { Deleted, Kept, Failed };
// `name` is a file of directory `dir`, named by `name` in the questions. On Failed,
// *error receives the French text to show (not shown here).
DeleteOutcome DeleteResultFile(const QString &dir, const QString &name, QString *error = nullptr);

// The question asked before a not-analysed file is deleted or overwritten.
QString notAnalysedQuestion(const QString &name);
// "Ce nom existe déjà ! ..." for a result file about to be replaced by a new run.
QString existingNameQuestion(const QString &name);

// Before a run writes result file `name` of directory `dir`: refused while a run of another program holds
// it (*refusal gets the French text, not shown here); a file already there is replaced
// only when `ask` (a question whose default is "Non") says yes to the existing-name
// question, and to the not-analysed one for a file not yet analysed, whose mark is
// then cleared so that the run may write it.
enum class ReplaceOutcome { Agreed, Declined, Refused };
ReplaceOutcome confirmReplacingResultFile(const QString &dir, const QString &name,
                                          const std::function<bool(const QString &)> &ask, QString *refusal);

} // namespace zoka
