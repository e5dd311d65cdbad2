// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QByteArray>
#include <QString>
#include <QStringList>

namespace zoka {

// The long table of items for research: one tab-separated row per item of every result
// file (UTF-8, LF line ends, "n/a" where a column does not apply), and one row for the
// closing line (the untimely presses). The item's stimulus comes from the fixed series
// of its test, as the analysis takes it. Described column by column by trialsSidecar()
// (JSON, with the units), as behavioural tables are archived (`*_beh.tsv` beside a
// `*_beh.json`).

// The header row.
QByteArray trialsHeader();

// The rows of the result file at `path` (named `fileName`, the name its patient, count
// and test are read from). A file that is stopped early or still being written gives
// the rows it holds, marked in the `state` column. Returns false with a French
// `error` (the cause and the file) when the file cannot be read or holds a line
// that is not what its test writes; nothing is added then. `warning` gets what the
// examiner should know about a file that was read (a first-line name that is not the
// file name's patient).
bool appendTrials(const QString &path, const QString &fileName, QByteArray *rows, QString *error,
                  QString *warning);

// The JSON description of the columns.
QByteArray trialsSidecar();

} // namespace zoka
