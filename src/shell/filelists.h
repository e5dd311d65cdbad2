#pragma once
#include <QString>
#include <QStringList>
#include "platform/fileattr.h"

namespace zoka {

// The results directory as the main window lists it, the not-analysed mark and the
// deletion of result files.

// Mask of a file list before a patient name has been typed: every file.
inline const QString AllFilesMask = QStringLiteral("*.*");

// Plain files of `dir` (no directories, no hidden files), sorted by name ignoring
// case, so that every file of one patient (in any spelling of the name) is adjacent.
// Empty when `dir` is empty or cannot be read.
QStringList readFileList(const QString &dir);

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

// The not-analysed mark of a result file (its read-only permission).
bool isNotAnalysed(const QString &path);

// The deletion of one result file (button "Suppression"), asking first, and a second
// time when the file has not been analysed yet; the content is truncated to nothing
// before the directory entry goes.
enum class DeleteOutcome { Deleted, Kept, Failed };
// On Failed, *error receives the French text to show (not shown here).
DeleteOutcome DeleteResultFile(const QString &name, QString *error = nullptr);

// The question asked before a not-analysed file is deleted or overwritten.
QString notAnalysedQuestion(const QString &name);

} // namespace zoka
