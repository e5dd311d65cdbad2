// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/trialtimer.h"

namespace zoka {

QtTrialTimer::QtTrialTimer()
{
    m_timer.setSingleShot(true);
    m_timer.setTimerType(Qt::PreciseTimer);
    QObject::connect(&m_timer, &QTimer::timeout, [this] { expire(); });
}

void QtTrialTimer::start(int intervalMs) { m_timer.start(intervalMs); }
void QtTrialTimer::stop() { m_timer.stop(); }
bool QtTrialTimer::isActive() const { return m_timer.isActive(); }

} // namespace zoka
