// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include "platform/timingcheck.h"

#include <functional>

class QWidget;

namespace zoka {

class SoundPlayer;

// The measurements of the timing check, about 10 s in all, with the priority a run
// gets: 300 presentations one refresh apart on `window` (shown), 100 one-shot trial
// timers, the event-clock check, the tone `toneFile` opened on the program's player
// (its output and latency) and played once while the output's monitor is recorded.
// `progress` is told what is being measured. Nothing here shows a message box: what
// fails is said in the figures.
TimingCheckFigures runTimingCheck(QWidget *window, const QString &toneFile,
                                  const std::function<void(const QString &)> &progress = {});

// The tone's first sample on the monitor of the default output (PulseAudio), after
// the tick read right before the player's play().
struct ToneOnset {
    bool ok = false;
    QString reason;
    double ms = 0;
};

} // namespace zoka
