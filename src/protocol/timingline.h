// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include "protocol/runtiming.h"

#include <QDateTime>
#include <QLocale>
#include <QString>

namespace zoka {

// The date and time of a result file's header, as its line 1 holds them after ": "
// ("09/12/2026 à 10:04:12"): what ties a journal line to its result file.
QString headerDateTimeText(const QDateTime &shownAt, const QLocale &locale = QLocale());

// The timing-journal line of one administration: the result file's name, the date and
// time of its header, then how the run was timed, field by field (" | " between
// them). What the run did not know is written as unknown, never guessed.
QString timingJournalLine(const QString &fileName, const QDateTime &shownAt, const RunTiming &timing,
                          const QLocale &locale = QLocale());

// A duration in milliseconds with `decimals` decimals and a decimal comma, whatever
// the regional settings (the journal reads the same on every machine).
QString journalMs(double ms, int decimals);

} // namespace zoka
