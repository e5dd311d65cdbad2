// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include "analysis/analysisstate.h"

#include <QByteArray>
#include <QString>

namespace zoka {

// The one road from a result file to its report, shared by the analysis window and
// the command-line report tool. Messages go through messages(); the tool installs a
// service that prints them.

// Reader and report of "Attention soutenue" (test 7): reads st.FilePath / st.FileName,
// fills the state as ReadResultFile does and writes the whole report (replacing
// st.Report). Returns false when the reading failed before any report.
bool ReadSustainedAttentionFile(AnalysisState &st);

// Prepares `st` for one result file and the analysis window's opening:
// FilePath/FileName, TestIndex, SpeedIndex, PatientName, Version, then resetForShow().
void prepareAnalysis(AnalysisState &st, const QString &filePath, int testIndex,
                     int speedIndex, const QString &patientName, const QString &version);

// Opening of the window (FormShow step 6): reads the file with the reader of its test
// and, when the reading left no error, appends the first analysis block. Returns
// true when a report was produced (raw listings included).
bool openAnalysis(AnalysisState &st);

// Effacer: empties DataLines and Notes and reads the file again (report head only).
bool rereadAnalysis(AnalysisState &st);

// ApplyLimit (4.2): validates `text` (empty -> "3.0", "10.0" for tests 8 and 9;
// first "," -> "."), sets LimitText, and RejectLimitMs when it is a number from 0.1
// to 10.0, else shows "   Mauvais format de limite !    ". Returns true when accepted.
bool ApplyLimit(AnalysisState &st, const QString &text);

// Whether ApplyLimit accepts `text` (an empty text gives the default limit).
bool limitTextAccepted(const QString &text);

// "Limite" then "Appliquer" with `text`: ApplyLimit, then a new block in every case.
void applyLimitAndAnalyse(AnalysisState &st, const QString &text);

// Appends one analysis block (4.3). Returns false when an internal error
// (st.InternalErrorCode) stopped it.
bool AnalyseValues(AnalysisState &st);

// Status panel text: "Limite= " + RejectLimitMs as a plain number.
QString limitStatusText(const AnalysisState &st);

} // namespace zoka
