// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include "platform/refreshschedule.h"

#include <QImage>
#include <QRegion>
#include <QString>

#include <memory>
#include <optional>

class QWidget;

namespace zoka {

// Pictures put on the screen on the display's refresh through the X Present
// extension. A widget's picture is kept whole in a server pixmap; each change
// uploads what changed and presents it on a refresh. The time of a change is the
// server's own completion time of that refresh (UST, CLOCK_MONOTONIC
// microseconds), on the program's clock: begin() checks that it is, and measures
// the refresh period.
//
// Where it cannot (not an X11 display, no Present, another clock, a picture format
// it does not handle, a presentation the server does not complete), the presenter
// says why in French and stays inactive: the caller draws the old way. The
// environment variable ZOKA_PRESENTATION=repaint asks for the old way on purpose.
class Presenter {
public:
    Presenter();
    ~Presenter();
    Presenter(const Presenter &) = delete;
    Presenter &operator=(const Presenter &) = delete;

    // Starts presenting on `widget` (shown; its top-level window mapped). False, with
    // reason(), when presentations cannot be used.
    bool begin(QWidget *widget);
    // Lets the pixmap go; counts stay readable.
    void end();
    bool active() const;
    QString reason() const { return m_reason; }

    // Presents `frame` (the widget's whole picture, at its size) of which `changed`
    // has changed since the last presentation, on the refresh nearest to `dueTick`,
    // or on the next refresh when there is none. Returns the tick of the refresh
    // that showed it. On failure the presenter stops (reason() says why) and returns
    // nothing: nothing of this picture may have reached the screen.
    std::optional<quint32> present(const QImage &frame, const QRegion &changed,
                                   std::optional<quint32> dueTick = std::nullopt);

    // What the completion events showed since begin().
    double refreshPeriodMs() const;
    // How long before its due time a drawing must start to be presented on the
    // refresh nearest to it: refreshLeadMs(), and half a period more on a server
    // whose counter moves on half-way between refreshes (a simulated refresh).
    int leadMs() const;
    int presentations() const { return m_schedule.presentations(); }
    int missedFrames() const { return m_schedule.missedFrames(); }
    const RefreshSchedule &schedule() const { return m_schedule; }

    // Presents on refresh `targetMsc` exactly (the pixmap already holds the picture)
    // the area `update`; the completion's refresh and time. For measurements.
    struct Completion { quint64 ust = 0; quint64 msc = 0; };
    std::optional<Completion> presentOn(const QRegion &update, quint64 targetMsc);

private:
    struct X;
    bool fail(const QString &why);
    std::unique_ptr<X> m_x;
    QString m_reason;
    RefreshSchedule m_schedule;
    bool m_counterAhead = false; // the server's counter runs half a refresh ahead
};

// Presents `count` frames on `window` (shown, mapped) one refresh apart and measures the
// refresh period (mean and SD of completion-time differences, ms) and frames missed.
// ok=false with a French reason where Present is missing or its clock is not the program's.
RefreshMeasure measureRefresh(QWidget *window, int count);

} // namespace zoka
