// Whole runs of the reaction-time windows on the fake clock: every trial timer of a
// window is a SimTimer, and a short script plays the patient and the passing time.
#pragma once
#include "platform/clock.h"
#include "platform/trialtimer.h"
#include "protocol/protocol.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <functional>

namespace rt {

class Sim;

// A trial timer that expires at its due time on the simulation's clock.
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
    QList<int> armed;
};

// Installs itself as the clock and the timer factory while it lives.
//   script: tokens separated by blanks:
//     >     time runs to the next event of Timer1 (the first timer made), which
//           fires; the other timers' events due before it fire on the way
//     +N    time runs N ms (the timers due in between fire on time)
//     p     a mouse press now          k   the stop key now
//     *N(...) the tokens in brackets N times
class Sim {
public:
    Sim();
    ~Sim();
    zoka::FakeClock clk{100000};
    QList<SimTimer *> timers;
    std::function<void()> press;
    std::function<void(int)> key;
    // Runs the script; false (with the reason in `error`) on a token it cannot do.
    bool run(const QString &script);
    bool next();
    void advance(quint32 ms);
    QString error;
};

// The run of `test` that the instructions window prepares: the practice run, or a
// real run of `count` items (endless: 64 items, repeated), for patient Dupont with
// the result file (or the practice scratch file) in `dir`.
zoka::RunSetup preparedRun(int test, bool practice, int count, bool endless, const QString &dir);

QByteArray fileBytes(const QString &path);
// "Dupont: <date> à <time>[ #]" CR LF, then each of `lines` and CR LF.
QByteArray resultFile(const zoka::RunSetup &setup, const QList<QByteArray> &lines);

} // namespace rt
