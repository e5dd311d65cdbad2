// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QString>
#include <QtGlobal>

#include <functional>

namespace zoka {

// Real-time scheduling and locked memory for the length of a run: the thread of the
// test window goes ahead of every ordinary process, and no page of the program waits
// on the disk in the middle of a trial. Both are asked for when the run starts and
// given back when it ends; a refusal is recorded and changes nothing else.
//
// The order is the one desktop programs follow: the scheduler itself where the user
// may (root, CAP_SYS_NICE, an RLIMIT_RTPRIO), else RealtimeKit over D-Bus. Either way
// the process's RLIMIT_RTTIME is set first (RealtimeKit requires it): a real-time
// thread that keeps the processor longer than that without sleeping is put back
// among the ordinary ones instead of freezing the machine.

// The real-time priority asked for: above every ordinary process, below the sound
// servers' own threads (PulseAudio takes 5), so that a long drawing never holds up
// the sound.
constexpr int RunRealtimePriority = 3;
// RLIMIT_RTTIME: RealtimeKit's ceiling (its default), and the soft limit at which the
// thread is put back among the ordinary ones.
constexpr qint64 RunRtTimeHardUs = 200000;
constexpr qint64 RunRtTimeSoftUs = 100000;

// The calls a run's scheduling goes through: the system's (systemRealtime()) or a
// test's. Each returns 0 or an error number, except realtimeKit, which returns an
// empty text when it made the calling thread real-time, or the reason it did not.
struct RealtimeSystem {
    std::function<int(qint64 softUs, qint64 hardUs)> limitRtTime;
    std::function<int(int priority)> setFifo;  // the calling thread
    std::function<int()> setOrdinary;          // the calling thread back to SCHED_OTHER
    std::function<QString(int priority)> realtimeKit;
    // Locks the pages of the process; `future` also those mapped later (only where no
    // memory-lock limit can make a later allocation fail).
    std::function<int(bool future)> lockMemory;
    std::function<void()> unlockMemory;
    std::function<bool()> canLockFuture;
    // Whether the thread was put back among the ordinary ones for keeping the
    // processor too long since the run started.
    std::function<bool()> overran;
};

// The system calls (RealtimeKit left empty: the window layer adds its D-Bus client).
RealtimeSystem systemRealtime();

// For a RealtimeKit client: the calling thread has just been made real-time (it is
// watched for the RLIMIT_RTTIME signal like one the scheduler made so).
void noteRealtimeThread();

// What runs use; none installed (tests), nothing is asked and the journal says so.
void setRealtimeSystem(const RealtimeSystem *system); // copied; nullptr = none
bool realtimeInstalled();

// Real-time scheduling and locked memory for one run.
class RunPriority {
public:
    RunPriority() = default;
    ~RunPriority() { lower(); }
    RunPriority(const RunPriority &) = delete;
    RunPriority &operator=(const RunPriority &) = delete;

    // Asks for both (through the installed system); never fails.
    void raise();
    // Gives back what was granted. Safe to call twice.
    void lower();

    // What was granted, in French: "SCHED_FIFO 3", "RealtimeKit, priorité 3",
    // "refusé (...)" or "non demandé"; and whether the memory was locked.
    QString granted() const { return m_granted; }
    bool memoryLocked() const { return m_locked; }

private:
    RealtimeSystem m_system;
    bool m_active = false;
    bool m_realtime = false;
    bool m_locked = false;
    bool m_futureLocked = false;
    QString m_granted = QStringLiteral("non demandé");
};

} // namespace zoka
