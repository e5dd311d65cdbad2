// SPDX-License-Identifier: GPL-3.0-or-later
// Whole runs of the reaction-time windows on the fake clock. While a Sim lives it is
// the clock and every trial timer made is one of its SimTimers; a script plays the
// patient and the passing time, tokens separated by blanks:
//   >    time runs to the next event of the trial timer (the first timer made); the other
//        timers' events due before it fire on the way
//   +N   time runs N ms, the timers due in between firing on time
//   p    a mouse press      k   the stop key      *N(...)  the tokens N times
#pragma once
#include "platform/clock.h"
#include "platform/trialtimer.h"
#include "protocol/protocol.h"

#include <functional>

namespace rt {

class Sim;
class SimTimer final : public zoka::TrialTimer {
public:
    explicit SimTimer(Sim &sim);
    ~SimTimer() override;
    void start(int ms) override;
    void stop() override { active = false; }
    bool isActive() const override { return active; }
    void fire()
    {
        active = false;
        expire();
    }
    Sim &sim;
    quint32 due = 0;
    bool active = false;
};

class Sim {
public:
    Sim();
    ~Sim();
    bool run(const QString &script); // false on a token it cannot play
    zoka::FakeClock clk{100000};
    QList<SimTimer *> timers;
    std::function<void()> press;
    std::function<void(int)> key;

private:
    void advance(quint32 ms);
};

// The run of `test` the instructions window prepares (count 0: the practice run;
// endless: 64 items, repeated) for Dupont, its file in `dir`, shown at a fixed time.
zoka::RunSetup preparedRun(int test, int count, bool endless, const QString &dir);
QByteArray fileBytes(const QString &path);
// The header of `setup`'s file, practice-runs line 0, then `lines`, CR LF each.
QByteArray resultFile(const zoka::RunSetup &setup, const QList<QByteArray> &lines);

} // namespace rt
