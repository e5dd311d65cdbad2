// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/widgets/presenter.h"

#include "platform/clock.h"

#include <QGuiApplication>
#include <QTimer>
#include <QWidget>
#include <QtGui/qguiapplication_platform.h>

#include <X11/Xlib.h>
#include <xcb/present.h>
#include <xcb/xcb.h>
#include <xcb/xfixes.h>

#include <poll.h>
#include <time.h>

#include <cmath>
#include <cstdlib>

namespace zoka {

namespace {

quint64 monotonicUs()
{
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return quint64(ts.tv_sec) * 1000000u + quint64(ts.tv_nsec) / 1000u;
}

// How long a presentation may take beyond the refresh it targets before the server
// is deemed not to complete it.
constexpr quint64 CompletionSlackUs = 250000;

} // namespace

struct Presenter::X {
    xcb_connection_t *c = nullptr;
    xcb_special_event_t *events = nullptr;
    xcb_window_t window = 0;
    xcb_pixmap_t pixmap = 0;
    xcb_gcontext_t gc = 0;
    quint8 depth = 0;
    QSize size;
    QPoint offset; // the widget in its window
    quint32 serial = 0;
    quint32 busySerial = 0; // the pixmap is the server's until this one's idle event
    bool busy = false;
    RefreshSchedule *schedule = nullptr; // fed with the refreshes seen in passing
    std::unique_ptr<QTimer> watch;       // asks for a refresh now and then
    quint64 marginUs = 500;              // a refresh nearer than this is taken as past

    ~X()
    {
        if (!c)
            return;
        if (pixmap)
            xcb_free_pixmap(c, pixmap);
        if (gc)
            xcb_free_gc(c, gc);
        if (events)
            xcb_unregister_for_special_event(c, events);
        xcb_disconnect(c);
    }

    // Waits for the completion event of `serial` (and keeps track of the pixmap's
    // idle events) until `deadlineUs`. Errors of the connection end the wait.
    std::optional<Presenter::Completion> waitComplete(quint32 wanted, quint64 deadlineUs, QString *why,
                                                      bool untilIdle = false)
    {
        for (;;) {
            while (xcb_generic_event_t *ev = xcb_poll_for_event(c)) {
                const bool error = ev->response_type == 0;
                const int code = error ? reinterpret_cast<xcb_generic_error_t *>(ev)->error_code : 0;
                std::free(ev);
                if (error) {
                    *why = QStringLiteral("erreur du serveur X (code %1)").arg(code);
                    return std::nullopt;
                }
            }
            while (xcb_generic_event_t *ev = xcb_poll_for_special_event(c, events)) {
                const auto *ge = reinterpret_cast<xcb_present_generic_event_t *>(ev);
                std::optional<Presenter::Completion> done;
                bool skipped = false;
                if (ge->evtype == XCB_PRESENT_EVENT_COMPLETE_NOTIFY) {
                    const auto *ce = reinterpret_cast<xcb_present_complete_notify_event_t *>(ev);
                    if (ce->serial == wanted) {
                        skipped = ce->mode == XCB_PRESENT_COMPLETE_MODE_SKIP;
                        done = Presenter::Completion{ce->ust, ce->msc};
                    } else if (ce->kind == XCB_PRESENT_COMPLETE_KIND_NOTIFY_MSC && schedule) {
                        schedule->refreshSeen(ce->ust, ce->msc);
                    }
                } else if (ge->evtype == XCB_PRESENT_EVENT_IDLE_NOTIFY) {
                    const auto *ie = reinterpret_cast<xcb_present_idle_notify_event_t *>(ev);
                    if (ie->serial == busySerial)
                        busy = false;
                    if (untilIdle && !busy)
                        done = Presenter::Completion{};
                }
                std::free(ev);
                if (skipped) {
                    *why = QStringLiteral("présentation sautée par le serveur");
                    return std::nullopt;
                }
                if (done)
                    return done;
            }
            if (xcb_connection_has_error(c)) {
                *why = QStringLiteral("connexion au serveur X perdue");
                return std::nullopt;
            }
            const quint64 now = monotonicUs();
            if (now >= deadlineUs && wanted == 0 && !untilIdle)
                return std::nullopt; // only the events already there
            if (now >= deadlineUs) {
                *why = QStringLiteral("le serveur n'a pas signalé la fin de la présentation");
                return std::nullopt;
            }
            pollfd p{xcb_get_file_descriptor(c), POLLIN, 0};
            ::poll(&p, 1, int(qMin<quint64>((deadlineUs - now + 999) / 1000, 50)));
        }
    }

    // Takes in the events that have come (refreshes seen), without waiting.
    void drain()
    {
        QString why;
        waitComplete(0, 0, &why);
    }

    // Asks to be told of the next refresh: the schedule keeps up with the display
    // between presentations (its period over a longer span, a recent refresh to
    // count from).
    void askNextRefresh()
    {
        drain();
        if (!schedule || !schedule->known())
            return;
        xcb_present_notify_msc(c, window, ++serial, schedule->next(monotonicUs(), marginUs), 0, 0);
        xcb_flush(c);
    }

    bool waitIdle(QString *why)
    {
        if (!busy)
            return true;
        if (waitComplete(0, monotonicUs() + CompletionSlackUs, why, true))
            return true;
        if (why->startsWith(QLatin1String("le serveur n'a pas")))
            *why = QStringLiteral("le serveur ne rend pas l'image présentée");
        return false;
    }

    std::optional<Presenter::Completion> notifyMsc(quint64 target, quint64 deadlineUs, QString *why)
    {
        const quint32 s = ++serial;
        xcb_present_notify_msc(c, window, s, target, 0, 0);
        xcb_flush(c);
        return waitComplete(s, deadlineUs, why);
    }

    // Copies the rectangles of `region` of `frame` into the pixmap.
    void upload(const QImage &frame, const QRegion &region)
    {
        const quint32 maxBytes = xcb_get_maximum_request_length(c) * 4u - 64u;
        for (const QRect &r0 : region) {
            const QRect r = r0.intersected(frame.rect());
            if (r.isEmpty())
                continue;
            const int rowBytes = r.width() * 4;
            const int rowsPerRequest = qMax(1, int(maxBytes / quint32(rowBytes)));
            QByteArray rows;
            for (int y = r.top(); y <= r.bottom(); y += rowsPerRequest) {
                const int n = qMin(rowsPerRequest, r.bottom() + 1 - y);
                rows.resize(qsizetype(rowBytes) * n);
                for (int i = 0; i < n; ++i)
                    memcpy(rows.data() + qsizetype(i) * rowBytes,
                           frame.constScanLine(y + i) + qsizetype(r.left()) * 4, size_t(rowBytes));
                xcb_put_image(c, XCB_IMAGE_FORMAT_Z_PIXMAP, pixmap, gc, quint16(r.width()), quint16(n),
                              qint16(r.left()), qint16(y), 0, depth, quint32(rows.size()),
                              reinterpret_cast<const quint8 *>(rows.constData()));
            }
        }
    }

    void sendPresent(const QRegion &update, quint32 s, quint64 target)
    {
        std::vector<xcb_rectangle_t> rects;
        for (const QRect &r : update)
            rects.push_back({qint16(r.x()), qint16(r.y()), quint16(r.width()), quint16(r.height())});
        const xcb_xfixes_region_t region = xcb_generate_id(c);
        xcb_xfixes_create_region(c, region, quint32(rects.size()), rects.data());
        xcb_present_pixmap(c, window, pixmap, s, 0, region, qint16(offset.x()), qint16(offset.y()), 0, 0, 0,
                           XCB_PRESENT_OPTION_COPY, target, 0, 0, 0, nullptr);
        xcb_xfixes_destroy_region(c, region);
        busy = true;
        busySerial = s;
        xcb_flush(c);
    }
};

Presenter::Presenter() = default;
Presenter::~Presenter() = default;

bool Presenter::active() const { return m_x != nullptr; }

bool Presenter::fail(const QString &why)
{
    m_reason = why;
    m_x.reset();
    return false;
}

double Presenter::refreshPeriodMs() const
{
    return m_schedule.known() ? m_schedule.periodUs() / 1000.0 : 0.0;
}

int Presenter::leadMs() const
{
    const double period = refreshPeriodMs();
    return refreshLeadMs(period) + (m_counterAhead ? int(std::ceil(period / 2)) : 0);
}

bool Presenter::begin(QWidget *widget)
{
    m_x.reset();
    m_counterAhead = false;
    m_reason.clear();
    m_schedule.reset();
    if (QGuiApplication::platformName() != QLatin1String("xcb"))
        return fail(QStringLiteral("pas de serveur X (plateforme %1)").arg(QGuiApplication::platformName()));
    if (!usingSystemClock())
        return fail(QStringLiteral("horloge de test en place"));
    if (qgetenv("ZOKA_PRESENTATION") == "repaint")
        return fail(QStringLiteral("dessin direct demandé (ZOKA_PRESENTATION=repaint)"));
    if (!widget || !widget->isVisible() || !widget->window()->windowHandle())
        return fail(QStringLiteral("fenêtre non affichée"));
    if (widget->devicePixelRatioF() != 1.0)
        return fail(QStringLiteral("écran mis à l'échelle (facteur %1)").arg(widget->devicePixelRatioF()));

    auto x = std::make_unique<X>();
    const char *name = nullptr;
    if (auto *x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>())
        if (Display *qtDisplay = x11->display())
            name = DisplayString(qtDisplay);
    x->c = xcb_connect(name, nullptr);
    if (!x->c || xcb_connection_has_error(x->c))
        return fail(QStringLiteral("connexion au serveur X impossible"));
    xcb_connection_t *c = x->c;
    m_x = std::move(x);

    const xcb_query_extension_reply_t *ext = xcb_get_extension_data(c, &xcb_present_id);
    if (!ext || !ext->present)
        return fail(QStringLiteral("pas d'extension Present"));
    const xcb_query_extension_reply_t *fixes = xcb_get_extension_data(c, &xcb_xfixes_id);
    if (!fixes || !fixes->present)
        return fail(QStringLiteral("pas d'extension XFixes"));
    free(xcb_present_query_version_reply(c, xcb_present_query_version(c, 1, 0), nullptr));
    free(xcb_xfixes_query_version_reply(c, xcb_xfixes_query_version(c, 2, 0), nullptr));

    X &s = *m_x;
    s.window = xcb_window_t(widget->window()->winId());
    s.offset = widget->mapTo(widget->window(), QPoint(0, 0));
    xcb_get_geometry_reply_t *geo = xcb_get_geometry_reply(c, xcb_get_geometry(c, s.window), nullptr);
    if (!geo)
        return fail(QStringLiteral("fenêtre inconnue du serveur X"));
    s.depth = geo->depth;
    free(geo);
    // The picture goes to the server as the program holds it: 32 bits a pixel, blue
    // first (little-endian 0xffRRGGBB).
    const xcb_setup_t *setup = xcb_get_setup(c);
    bool format = setup->image_byte_order == XCB_IMAGE_ORDER_LSB_FIRST
                  && QSysInfo::ByteOrder == QSysInfo::LittleEndian && (s.depth == 24 || s.depth == 32);
    bool bpp32 = false;
    for (auto it = xcb_setup_pixmap_formats_iterator(setup); it.rem; xcb_format_next(&it))
        if (it.data->depth == s.depth)
            bpp32 = it.data->bits_per_pixel == 32;
    if (!format || !bpp32)
        return fail(QStringLiteral("format d'image de l'écran non pris en charge (profondeur %1)").arg(s.depth));

    const quint32 eid = xcb_generate_id(c);
    xcb_present_select_input(c, eid, s.window,
                             XCB_PRESENT_EVENT_MASK_COMPLETE_NOTIFY | XCB_PRESENT_EVENT_MASK_IDLE_NOTIFY);
    s.events = xcb_register_for_special_xge(c, &xcb_present_id, eid, nullptr);

    // The clock check: the time of a refresh the server reports must lie between two
    // readings of the program's clock taken around the wait for it. A server on
    // another clock (another machine, the wall clock) is off by far more.
    QString why;
    const quint64 start = monotonicUs();
    const auto now0 = s.notifyMsc(0, start + CompletionSlackUs, &why);
    if (!now0)
        return fail(QStringLiteral("compteur de rafraîchissement illisible : %1").arg(why));
    if (now0->ust > monotonicUs() + 1000 || now0->ust + 200000 < start)
        return fail(QStringLiteral("horloge de l'extension Present différente de celle du programme"));
    // The counter's answer comes at once. A real display gives the time of its last
    // refresh; a simulated one (Xvfb) the time of the question, with the counter of
    // the nearest refresh: it runs up to half a refresh ahead, and a refresh less
    // than half a period away counts as past there. The refreshes themselves are
    // the next ones.
    m_counterAhead = now0->ust >= start;
    for (int i = 1; i <= 3; ++i) {
        const quint32 before = clock().tick();
        const auto seen = s.notifyMsc(now0->msc + quint64(i), monotonicUs() + CompletionSlackUs, &why);
        const quint32 after = clock().tick();
        if (!seen)
            return fail(QStringLiteral("rafraîchissement non signalé : %1").arg(why));
        const quint32 at = tickOfUs(seen->ust);
        if (ticksBetween(before, at) > ticksBetween(before, after))
            return fail(QStringLiteral("horloge de l'extension Present différente de celle du programme"));
        m_schedule.refreshSeen(seen->ust, seen->msc);
    }
    if (!m_schedule.known())
        return fail(QStringLiteral("période de rafraîchissement non mesurable"));
    s.schedule = &m_schedule;
    s.marginUs = m_counterAhead ? quint64(m_schedule.periodUs() / 2) + 500 : 500;
    s.watch = std::make_unique<QTimer>();
    s.watch->setInterval(200);
    QObject::connect(s.watch.get(), &QTimer::timeout, [&s] { s.askNextRefresh(); });
    s.watch->start();
    return true;
}

void Presenter::end() { m_x.reset(); }

std::optional<Presenter::Completion> Presenter::presentOn(const QRegion &update, quint64 targetMsc)
{
    if (!m_x)
        return std::nullopt;
    X &s = *m_x;
    QString why;
    if (!s.waitIdle(&why)) {
        fail(QStringLiteral("présentation impossible : %1").arg(why));
        return std::nullopt;
    }
    const quint32 serial = ++s.serial;
    s.sendPresent(update, serial, targetMsc);
    const quint64 now = monotonicUs();
    const quint64 due = m_schedule.timeOf(targetMsc);
    const auto done = s.waitComplete(serial, qMax(now, due) + CompletionSlackUs, &why);
    if (!done) {
        fail(QStringLiteral("présentation impossible : %1").arg(why));
        return std::nullopt;
    }
    return done;
}

std::optional<quint32> Presenter::present(const QImage &frame, const QRegion &changed,
                                          std::optional<quint32> dueTick)
{
    if (!m_x)
        return std::nullopt;
    X &s = *m_x;
    QString why;
    if (frame.format() != QImage::Format_RGB32 && frame.format() != QImage::Format_ARGB32_Premultiplied) {
        fail(QStringLiteral("image au format inattendu"));
        return std::nullopt;
    }
    if (!s.waitIdle(&why)) {
        fail(QStringLiteral("présentation impossible : %1").arg(why));
        return std::nullopt;
    }
    QRegion update = changed & QRegion(frame.rect());
    if (frame.size() != s.size) {
        // A new size: a new pixmap holding the whole picture.
        if (s.pixmap)
            xcb_free_pixmap(s.c, s.pixmap);
        if (s.gc)
            xcb_free_gc(s.c, s.gc);
        s.pixmap = xcb_generate_id(s.c);
        xcb_create_pixmap(s.c, s.depth, s.pixmap, s.window, quint16(frame.width()), quint16(frame.height()));
        s.gc = xcb_generate_id(s.c);
        xcb_create_gc(s.c, s.gc, s.pixmap, 0, nullptr);
        s.size = frame.size();
        update = QRegion(frame.rect());
    }
    if (update.isEmpty())
        return tickOfUs(monotonicUs());
    s.upload(frame, update);
    xcb_flush(s.c);
    s.drain();

    // The refresh aimed at: the one nearest to the due time, or the next one. One
    // that is already too near (or past) is asked for all the same only when it
    // was aimed at: the server then shows the picture on the next one, and the
    // frame counts as missed.
    const quint64 now = monotonicUs();
    const quint64 next = m_schedule.next(now, s.marginUs);
    const quint64 aimed = dueTick ? m_schedule.nearest(usOfTick(*dueTick, now)) : next;
    const quint64 asked = qMax(aimed, next);
    const auto done = presentOn(update, asked);
    if (!done)
        return std::nullopt;
    m_schedule.presented(done->ust, done->msc, aimed);
    return tickOfUs(done->ust);
}

RefreshMeasure measureRefresh(QWidget *window, int count)
{
    RefreshMeasure m;
    Presenter p;
    if (!p.begin(window)) {
        m.reason = p.reason();
        return m;
    }
    // The window's own picture, presented again and again: nothing changes on the
    // screen.
    QImage picture = window->grab().toImage().convertToFormat(QImage::Format_RGB32);
    if (!p.present(picture, QRegion(picture.rect()))) {
        m.reason = p.reason();
        return m;
    }
    const QRegion corner(QRect(0, 0, qMin(64, picture.width()), qMin(64, picture.height())));
    QList<double> gaps;
    quint64 lastUst = p.schedule().lastUst(), lastMsc = p.schedule().lastMsc();
    for (int i = 0; i < count; ++i) {
        const quint64 target = lastMsc + 1;
        const auto done = p.presentOn(corner, target);
        if (!done) {
            m.reason = p.reason();
            return m;
        }
        ++m.presentations;
        if (done->msc > target)
            ++m.missedFrames;
        if (done->msc > lastMsc)
            gaps << double(done->ust - lastUst) / 1000.0 / double(done->msc - lastMsc);
        lastUst = done->ust;
        lastMsc = done->msc;
    }
    double sum = 0;
    for (double g : gaps)
        sum += g;
    m.periodMs = gaps.isEmpty() ? 0 : sum / gaps.size();
    double sq = 0;
    for (double g : gaps)
        sq += (g - m.periodMs) * (g - m.periodMs);
    m.jitterMs = gaps.size() > 1 ? std::sqrt(sq / (gaps.size() - 1)) : 0;
    m.ok = true;
    return m;
}

} // namespace zoka
