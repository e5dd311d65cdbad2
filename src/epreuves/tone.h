// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include "protocol/protocol.h"

namespace zoka {

class SoundPlayer;

// The low tone of the auditory items ("Songrave.wav" in the program directory): the
// player is given the file and opened at the start of a run, plays the tone from
// its beginning at each onset, is stopped and rewound when the item ends (never
// closed between items) and closed at the end of the run.
class ToneStimulus {
public:
    static inline const QString FileName = QStringLiteral("Songrave.wav");

    explicit ToneStimulus(SoundPlayer &player) : m_player(player) {}

    // Opens the tone of the run; false when it cannot be played (the player has said
    // why, naming the file).
    bool open(const RunSetup &setup);
    // Starts the tone. A player that cannot start it reports why; failed() is then
    // true until the next open().
    void start();
    void stop();
    void close();

    // The player's own state: the tone is sounding (it has not reached its end).
    bool sounding() const;
    bool failed() const { return m_failed; }
    // Inside start(): the player's error box may be up, and nothing of the item
    // counts until it is answered.
    bool starting() const { return m_starting; }
    // The player's sound path and output latency, as found when the tone was opened.
    void fillTiming(RunTiming &timing) const;

private:
    SoundPlayer &m_player;
    bool m_failed = false;
    bool m_starting = false;
    QString m_outputPath;
    qint64 m_latencyUs = -1;
};

} // namespace zoka
