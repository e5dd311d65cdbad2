// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include "analysis/analysisstate.h"
#include "analysis/sustainedtally.h"

namespace zoka {

// Analysis of an "Attention soutenue" result file. The reader itself,
// ReadSustainedAttentionFile, is declared in analysis/analysis.h.

// Writes the whole report of a sustained-attention file from the state (patient,
// dates, practice runs, N, speed) and the tally of its 228 lines, replacing st.Report.
void WriteSustainedReport(AnalysisState &st, const SustainedTally &tally);

} // namespace zoka
