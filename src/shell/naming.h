// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include "battery/testtable.h"

#include <QString>

namespace zoka {

// Result-file names: patient + "_" + count [+ "-" + speed] + "." + test extension,
// e.g. Dupont_32.VC, Dupont_65.MIX, Dupont_228-0.AS, Dupont_999.SB (endless series).
// The patient part never holds "_" or ".", so the first "_" and the first "." of a
// name delimit its fields when it is read back.

constexpr int MaxPatientNameLength = 20;
constexpr int EndlessCountInName = 999;

// Whether the result-file name of the test carries the speed chosen (the table says).
bool speedInName(int testIndex);

// Builds the name of a result file. `fileItemCount` is the count as it goes into
// the name (65 for test 6); `unlimited` writes "999" instead; the speed digit is
// written for test 7 only. `testIndex` must be 0-9.
QString buildResultFileName(const QString &patient, int testIndex, int fileItemCount, bool unlimited,
                            int speedIndex);

// The count a name carries for the test: the table's count in the name (65 for TR
// mixte), else the chosen count.
int fileItemCountFor(int testIndex, int itemCount);

// The part of `path` after its last directory separator ("/" or "\"), all of it
// when there is none.
QString FileNameOfPath(const QString &path);

// The patient of a result-file name: the file-name part (after the last separator)
// before its first "_"; empty when it holds no "_".
QString PatientOfFileName(const QString &name);

// What a result-file name says, read back field by field.
struct ResultNameParts {
    QString extension;     // after the first "." (the whole name without a ".")
    int testIndex = -1;    // test of the upper-case extension, -1 when none
    QString countText;     // between the first "_" and the first "." (before any "-")
    bool countValid = false;
    int count = 0;
    QString speedText;     // between the first "-" and the first "."
    bool speedValid = false; // speed text is 0, 1 or 2
    int speed = -1;
};
ResultNameParts parseResultFileName(const QString &fileName);

// Position (0-based) where a typed patient name has to be cut because of "_" or
// ".", following the rule of the name field: p = 1-based position of the first "_"
// plus that of the first "." (0 when absent); p beyond the length counts as 1. Returns
// -1 when the name holds neither, otherwise the number of characters kept (p - 1).
int underscoreDotCut(const QString &name);

// 0-based position of the first character that cannot stand in a file name on
// Linux or Windows or that would leave the results directory (/ \ : * ? " < > | and
// control characters); -1 when there is none.
int forbiddenFileNameCharIndex(const QString &name);

// The message that refuses `name` as the patient part of a result-file name, by the
// rules of the name field ("_" or ".", a character of forbiddenFileNameCharIndex,
// more than 20 characters) and because the result file's header must hold it (every
// character representable in Windows-1252); empty when the name is acceptable. Every
// name that goes into a result-file name passes here, whether typed or read from a file.
QString patientNameProblem(const QString &name);

// The message that refuses `fileName` as the name of a new result file: it must name a
// file of the results directory itself (no directory separator, no "..", not an
// absolute path) and be representable in Windows-1252. Empty when it is acceptable.
QString resultFileNameProblem(const QString &fileName);

} // namespace zoka
