// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/refreshschedule.h"

#include <cmath>

namespace zoka {

void RefreshSchedule::reset() { *this = RefreshSchedule(); }

void RefreshSchedule::refreshSeen(quint64 ustUs, quint64 msc)
{
    if (m_samples > 0 && (msc < m_lastMsc || ustUs < m_lastUst)) {
        // The counter went back (another display mode, another output): start afresh.
        const int presentations = m_presentations, missed = m_missed;
        reset();
        m_presentations = presentations;
        m_missed = missed;
    }
    if (m_samples == 0) {
        m_firstUst = ustUs;
        m_firstMsc = msc;
    }
    m_lastUst = ustUs;
    m_lastMsc = msc;
    m_recentUst[m_samples % Recent] = ustUs;
    m_recentMsc[m_samples % Recent] = msc;
    m_recentCount = qMin(m_recentCount + 1, int(Recent));
    ++m_samples;
    if (msc > m_firstMsc)
        m_periodUs = double(ustUs - m_firstUst) / double(msc - m_firstMsc);
}

bool RefreshSchedule::presented(quint64 ustUs, quint64 msc, quint64 targetMsc)
{
    refreshSeen(ustUs, msc);
    ++m_presentations;
    const bool missed = msc > targetMsc;
    if (missed)
        ++m_missed;
    return missed;
}

int RefreshSchedule::origin() const
{
    int best = 0;
    double bestLag = 0;
    for (int i = 0; i < m_recentCount; ++i) {
        const double lag = double(qint64(m_recentUst[i] - m_lastUst))
                           - double(qint64(m_recentMsc[i] - m_lastMsc)) * m_periodUs;
        if (i == 0 || lag < bestLag) {
            best = i;
            bestLag = lag;
        }
    }
    return best;
}

double RefreshSchedule::refreshesSinceOrigin(quint64 us) const
{
    return (double(qint64(us - m_recentUst[origin()]))) / m_periodUs;
}

quint64 RefreshSchedule::nearest(quint64 us) const
{
    if (!known())
        return m_lastMsc + 1;
    const qint64 n = qint64(std::llround(refreshesSinceOrigin(us)));
    return quint64(qint64(m_recentMsc[origin()]) + n);
}

quint64 RefreshSchedule::next(quint64 nowUs, quint64 marginUs) const
{
    if (!known())
        return m_lastMsc + 1;
    const qint64 n = qint64(std::floor(refreshesSinceOrigin(nowUs + marginUs))) + 1;
    return qMax(quint64(qint64(m_recentMsc[origin()]) + n), m_lastMsc + 1);
}

quint64 RefreshSchedule::timeOf(quint64 msc) const
{
    if (!known())
        return m_lastUst;
    const int o = origin();
    return quint64(qint64(m_recentUst[o]) + std::llround(double(qint64(msc - m_recentMsc[o])) * m_periodUs));
}

int refreshLeadMs(double periodMs)
{
    if (periodMs <= 0)
        return 0;
    return int(std::ceil(periodMs / 2)) + RefreshDrawMarginMs;
}

quint32 tickOfUs(quint64 us) { return quint32(us / 1000u); }

quint64 usOfTick(quint32 tick, quint64 nearUs)
{
    const qint32 ms = qint32(tick - tickOfUs(nearUs));
    return quint64(qint64(nearUs / 1000u * 1000u) + qint64(ms) * 1000);
}

} // namespace zoka
