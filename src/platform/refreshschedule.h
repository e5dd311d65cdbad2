// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QString>
#include <QtGlobal>

namespace zoka {

// The refreshes of a display as the completion events of its presentations show
// them: each event gives the refresh counter (MSC) and its time (UST, microseconds
// of CLOCK_MONOTONIC). The schedule estimates the refresh period from the events
// (from the first refresh seen to the last, so that the jitter of single events
// fades over a run), says which refresh is nearest to a moment or the first one
// after it, and counts the presentations that completed later than the refresh
// they targeted (missed frames). An event may come late, never early: the times of
// refreshes are counted from the earliest-lying of the recent events.
class RefreshSchedule {
public:
    // Forgets every refresh seen (a new run).
    void reset();
    // A refresh seen without a presentation (a notification of the counter).
    void refreshSeen(quint64 ustUs, quint64 msc);
    // A presentation that targeted refresh `targetMsc` completed on refresh `msc` at
    // `ustUs`. Returns whether it missed its refresh.
    bool presented(quint64 ustUs, quint64 msc, quint64 targetMsc);

    // Whether a refresh and the period are known.
    bool known() const { return m_samples >= 2 && m_periodUs > 0; }
    double periodUs() const { return m_periodUs; }
    quint64 lastMsc() const { return m_lastMsc; }
    quint64 lastUst() const { return m_lastUst; }
    // The refresh nearest to the moment `us`.
    quint64 nearest(quint64 us) const;
    // The first refresh at least `marginUs` after the moment `nowUs`.
    quint64 next(quint64 nowUs, quint64 marginUs) const;
    // The expected time of refresh `msc`.
    quint64 timeOf(quint64 msc) const;

    int presentations() const { return m_presentations; }
    int missedFrames() const { return m_missed; }

private:
    double refreshesSinceOrigin(quint64 us) const;
    // Of the recent refreshes seen, the one lying earliest against the period.
    int origin() const;

    int m_samples = 0;
    quint64 m_firstUst = 0, m_firstMsc = 0;
    quint64 m_lastUst = 0, m_lastMsc = 0;
    double m_periodUs = 0;
    static constexpr int Recent = 16;
    quint64 m_recentUst[Recent] = {}, m_recentMsc[Recent] = {};
    int m_recentCount = 0;
    int m_presentations = 0;
    int m_missed = 0;
};

// How much earlier than its due time the timer of a change shown on a refresh is
// armed: half a period (the refresh nearest to the due time may come that much
// before it) and time to draw the change. 0 when changes are not shown on refreshes
// (`periodMs` 0).
int refreshLeadMs(double periodMs);
constexpr int RefreshDrawMarginMs = 4;

// The program's millisecond tick of a time in microseconds of CLOCK_MONOTONIC, and
// the microseconds of a tick, taken as the one nearest to `nearUs`.
quint32 tickOfUs(quint64 us);
quint64 usOfTick(quint32 tick, quint64 nearUs);

// What a measurement of the refresh found (the timing check): the period (mean of the
// intervals between completions, ms), its jitter (their SD), the presentations made
// one refresh apart and those that missed their refresh; ok = false with a French
// reason where it could not be measured.
struct RefreshMeasure {
    bool ok = false;
    QString reason;
    int presentations = 0;
    double periodMs = 0;
    double jitterMs = 0;
    int missedFrames = 0;
};

} // namespace zoka
