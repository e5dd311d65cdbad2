// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include "platform/refreshschedule.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <QtGlobal>

namespace zoka {

// The timing check ("Contrôle de la chronométrie"): what was measured, and one French
// verdict per line against fixed thresholds. The measurements themselves are made by
// the window layer (timingcheckrun.h); here only figures, verdicts and texts, so that
// the thresholds are tested without a display.

enum class Verdict { Good, Acceptable, Check, NotMeasured };
// "bon", "acceptable", "à vérifier", "non mesuré".
QString verdictText(Verdict v);

// What the measurements found. A part that could not be measured says why.
struct TimingCheckFigures {
    // Refresh: the display's refresh period and its jitter, over presentations one
    // refresh apart.
    RefreshMeasure refresh;
    // One-shot trial timers: lateness of each expiry after its due time, in ms.
    QList<double> timerLatenessMs;
    // Input events stamped on the program's clock.
    bool eventTimesOnClock = false;
    // Sound: the output as the tone player found it ("" with a reason when there is
    // none), and its reported latency (-1 unknown).
    QString soundPath;
    QString soundReason;
    qint64 sinkLatencyUs = -1;
    // A tone's first sample seen on the output's monitor, after the tick read at its
    // play command (ms, the median of 3 tones); not measured without a monitor source.
    bool onsetMeasured = false;
    QString onsetReason;
    double onsetMs = 0;
    // Real-time scheduling granted while measuring, as for a run.
    QString realtime;
    bool memoryLocked = false;
};

struct CheckLine {
    QString name;       // "Période de rafraîchissement", ...
    QString measured;   // the figures, in French
    Verdict verdict = Verdict::NotMeasured;
    QString thresholds; // "bon : ≤ 0,5 ms ; acceptable : ≤ 1,5 ms"
};

// Median, mean and maximum of `values` (0 for an empty list).
struct Summary {
    double median = 0;
    double mean = 0;
    double max = 0;
};
Summary summarise(QList<double> values);

// The lines of the check, in order: refresh period and jitter, missed frames, trial
// timers, event clock, sound output latency, tone onset, real-time scheduling.
QList<CheckLine> timingCheckLines(const TimingCheckFigures &figures);

// Whether a line calls for a look ("à vérifier"): `zoka --check-timing` then exits 1.
bool needsCheck(const QList<CheckLine> &lines);

// The report as text: a title line, then per line "<name> : <measured> -> <verdict>
// (<thresholds>)"; `when` goes on the title line.
QStringList timingCheckText(const QList<CheckLine> &lines, const QString &when);

// The same as an HTML table (the window shows it, the PDF prints it): name, what was
// measured, the verdict in its colour, the thresholds.
QString timingCheckHtml(const QList<CheckLine> &lines, const QString &when);

// Thresholds.
namespace checklimits {
constexpr double JitterGoodMs = 0.5, JitterAcceptableMs = 1.5;
constexpr double PeriodMinMs = 4, PeriodMaxMs = 42; // 24-250 Hz: a real display
constexpr double MissedAcceptableShare = 0.01;      // at most 1 % missed
constexpr double TimerMedianGoodMs = 0.5, TimerMaxGoodMs = 2;
constexpr double TimerMedianAcceptableMs = 1, TimerMaxAcceptableMs = 5;
constexpr double LatencyGoodMs = 10, LatencyAcceptableMs = 30;
constexpr double OnsetGoodMs = 2, OnsetAcceptableMs = 10;
} // namespace checklimits

} // namespace zoka
