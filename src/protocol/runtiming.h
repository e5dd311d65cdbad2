// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QString>
#include <QtGlobal>

namespace zoka {

// How well one run was timed, as the timing journal records it. The test window fills
// it while the run goes on; the instructions window writes it to the journal when the
// administration ends, whatever way it ended. A field left at its default was not
// known: the journal says so rather than guessing.
struct RunTiming {
    // Display: the server's vendor ("Xvfb", "Xorg", "XWayland", ...), the desktop
    // session type ("x11", "wayland", "" when unknown) and whether a compositor stands
    // between the program's pictures and the screen.
    QString displayServer;
    QString sessionType;
    bool compositorInPath = false;

    // How visual onsets were timed: "present" (the display server's completion time
    // of the refresh that showed the stimulus) or "repaint" (drawn, then the clock
    // read), with the reason for the latter ("pas d'extension Present", ...).
    QString presentation;
    QString fallbackReason;
    double refreshPeriodMs = 0;  // measured from the completion events; 0 = unknown
    int presentations = 0;       // stimulus changes presented during the run
    int missedFrames = 0;        // presentations completed after the refresh targeted

    // How presses were timed: "event" (the input event's own time) or "handler" (the
    // clock read first thing in the handler).
    QString pressTiming;

    // Tone tests: the sound path ("PulseAudio") and the sink's reported latency,
    // device included, in microseconds (-1 = not known or no tone in this test).
    QString soundPath;
    qint64 sinkLatencyUs = -1;

    // Real-time scheduling granted to the run ("RealtimeKit, priorité 10",
    // "SCHED_FIFO 10", or why it was refused) and whether the memory was locked.
    QString realtime;
    bool memoryLocked = false;
};

} // namespace zoka
