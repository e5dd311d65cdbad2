// SPDX-License-Identifier: GPL-3.0-or-later
#include "epreuves/widgets/stagewidget.h"

#include "platform/clock.h"
#include "platform/eventtime.h"
#include "platform/widgets/faces.h"

#include <QFontMetricsF>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainterPath>
#include <QPainter>

namespace zoka {

StageWidget::StageWidget(QWidget *parent) : QWidget(parent)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
    setAutoFillBackground(false);
    setFocusPolicy(Qt::NoFocus);
}

void StageWidget::setBackground(const QColor &c)
{
    m_background = c;
    if (!m_frame.isNull())
        renderFrame(QRegion(rect()));
    update();
}

StageWidget::Element StageWidget::blackSquare(const QRect &box)
{
    Element square;
    square.kind = Element::Filled;
    square.box = box;
    square.fill = Qt::black;
    square.pen = Qt::black;
    square.penWidth = 1;
    square.shown = false;
    return square;
}

int StageWidget::addElement(const Element &e)
{
    m_elements.push_back(e);
    return int(m_elements.size()) - 1;
}

int StageWidget::elementAt(const QPoint &p) const
{
    for (int i = int(m_elements.size()) - 1; i >= 0; --i)
        if (m_elements[size_t(i)].shown && m_elements[size_t(i)].box.contains(p))
            return i;
    return -1;
}

void StageWidget::touch(const QRect &stageBox)
{
    // The element's box in widget pixels, with a pixel to spare for the rounding of
    // a scaled stage.
    m_dirty += geometryNow().toWindow(QRectF(stageBox)).toAlignedRect().adjusted(-1, -1, 1, 1);
}

void StageWidget::setShown(int id, bool shown)
{
    if (!valid(id) || m_elements[size_t(id)].shown == shown)
        return;
    m_elements[size_t(id)].shown = shown;
    touch(m_elements[size_t(id)].box);
}

bool StageWidget::isShown(int id) const { return valid(id) && m_elements[size_t(id)].shown; }

void StageWidget::moveTo(int id, int left, int top)
{
    if (!valid(id))
        return;
    Element &e = m_elements[size_t(id)];
    if (e.box.topLeft() == QPoint(left, top))
        return;
    if (e.shown)
        touch(e.box);
    e.box.moveTopLeft(QPoint(left, top));
    if (e.shown)
        touch(e.box);
}

QRect StageWidget::box(int id) const { return valid(id) ? m_elements[size_t(id)].box : QRect(); }

void StageWidget::touchIfShown(int id)
{
    if (m_elements[size_t(id)].shown)
        touch(m_elements[size_t(id)].box);
}

void StageWidget::setText(int id, const QString &text)
{
    if (!valid(id) || m_elements[size_t(id)].text == text)
        return;
    m_elements[size_t(id)].text = text;
    touchIfShown(id);
}

void StageWidget::setFont(int id, const QString &family, int pixelHeight, bool bold)
{
    if (!valid(id))
        return;
    QFont f(family);
    f.setPixelSize(qMax(1, pixelHeight));
    f.setBold(bold);
    if (m_elements[size_t(id)].font == f)
        return;
    m_elements[size_t(id)].font = f;
    touchIfShown(id);
}

void StageWidget::setColours(int id, quint32 foreground, quint32 background)
{
    if (!valid(id))
        return;
    Element &e = m_elements[size_t(id)];
    const QColor fg = QColor::fromRgba(foreground);
    const QColor bg = QColor::fromRgba(background);
    if (e.kind == Element::Text) {
        e.pen = fg;
        e.textBackground = bg;
    } else {
        e.pen = fg;
        e.fill = bg;
    }
    touchIfShown(id);
}

void StageWidget::drawNow()
{
    // A synchronous paint of what changed: the stimulus is on the screen when the
    // onset is read.
    if (m_dirty.isEmpty())
        return;
    const QRegion region = m_dirty;
    m_dirty = QRegion();
    if (!isVisible())
        return;
    if (m_presenter.active()) {
        // Drawn into the stage's picture, presented on a refresh; the widget's own
        // painting catches up afterwards with the same picture.
        renderFrame(region);
        if (const auto shown = m_presenter.present(m_frame, region, m_due)) {
            m_shown = shown;
            update(region);
            return;
        }
        // The presenter has stopped and says why: drawn at once from now on.
        m_frame = QImage();
    }
    repaint(region);
}

bool StageWidget::startPresenting()
{
    m_shown.reset();
    m_due.reset();
    if (!m_presenter.begin(this))
        return false;
    // The server's copy of the stage starts whole, as the widget shows it.
    m_frame = QImage();
    renderFrame(QRegion(rect()));
    // Every text drawn once out of sight: the outlines of its glyphs are loaded
    // (about a millisecond for a widened symbol) before its first onset.
    QImage scratch(64, 64, QImage::Format_RGB32);
    QPainter warm(&scratch);
    for (const Element &e : m_elements)
        if (e.kind == Element::Text)
            paintElement(warm, e);
    warm.end();
    if (!m_presenter.present(m_frame, QRegion(rect()))) {
        m_frame = QImage();
        return false;
    }
    return true;
}

void StageWidget::stopPresenting()
{
    m_presenter.end();
    m_frame = QImage();
    m_due.reset();
}

void StageWidget::setDrawingDue(std::optional<quint32> tick)
{
    m_due = tick;
    m_shown.reset();
}

void StageWidget::renderFrame(QRegion region)
{
    if (m_frame.size() != size()) {
        m_frame = QImage(size(), QImage::Format_RGB32);
        region = QRegion(rect());
    }
    QPainter p(&m_frame);
    p.setClipRegion(region);
    paintRegion(p);
}

bool StageWidget::setPicture(int id, const QByteArray &data)
{
    if (!valid(id))
        return false;
    QImage img;
    if (!img.loadFromData(data) || img.isNull())
        return false;
    Element &e = m_elements[size_t(id)];
    touchIfShown(id);
    e.picture = img;
    touchIfShown(id);
    return true;
}

bool StageWidget::hasFace(const QString &family) const { return faceInstalled(family); }

void StageWidget::paintStage(QPainter &p) const
{
    p.fillRect(QRect(0, 0, StageGeometry::Width, StageGeometry::Height), m_background);
    for (const Element &e : m_elements)
        if (e.shown)
            paintElement(p, e);
}

void StageWidget::paintElement(QPainter &p, const Element &e)
{
    switch (e.kind) {
    case Element::Filled:
        p.fillRect(e.box, e.fill);
        if (e.penWidth > 0 && e.pen != e.fill) {
            p.setPen(QPen(e.pen, e.penWidth, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin));
            p.setBrush(Qt::NoBrush);
            p.drawRect(QRectF(e.box).adjusted(e.penWidth / 2.0, e.penWidth / 2.0,
                                              -e.penWidth / 2.0, -e.penWidth / 2.0));
        }
        break;
    case Element::Outline:
        // The pen lies inside the box, as a framed shape of that size.
        p.setPen(QPen(e.pen, e.penWidth, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin));
        p.setBrush(Qt::NoBrush);
        p.drawRect(QRectF(e.box).adjusted(e.penWidth / 2.0, e.penWidth / 2.0,
                                          -e.penWidth / 2.0, -e.penWidth / 2.0));
        break;
    case Element::Text:
        if (e.textBackground.alpha() > 0)
            p.fillRect(e.box, e.textBackground);
        p.setPen(e.pen);
        p.setFont(e.font);
        if (e.baseline >= 0 && e.widen > 0) {
            QPainterPath glyphs;
            glyphs.addText(0, 0, e.font, e.text);
            const QRectF ink = glyphs.boundingRect();
            glyphs.translate(e.box.left() + (e.box.width() - ink.width()) / 2 - ink.left(), e.box.top() + e.baseline);
            p.save();
            p.setRenderHint(QPainter::Antialiasing);
            p.setPen(QPen(e.pen, e.widen, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
            p.setBrush(e.pen);
            p.drawPath(glyphs);
            p.restore();
        } else if (e.baseline >= 0) {
            const qreal advance = QFontMetricsF(e.font).horizontalAdvance(e.text);
            p.drawText(QPointF(e.box.left() + (e.box.width() - advance) / 2, e.box.top() + e.baseline), e.text);
        } else {
            p.drawText(e.box, Qt::AlignCenter, e.text);
        }
        break;
    case Element::Picture:
        // At its natural size, cut to the element's box.
        p.drawImage(e.box.topLeft(), e.picture, QRect(QPoint(0, 0), e.box.size()).intersected(e.picture.rect()));
        break;
    }
}

void StageWidget::paintEvent(QPaintEvent *e)
{
    QPainter p(this);
    if (m_presenter.active() && m_frame.size() == size()) {
        // What was presented last.
        for (const QRect &r : e->region())
            p.drawImage(r, m_frame, r);
        return;
    }
    paintRegion(p);
}

void StageWidget::paintRegion(QPainter &p) const
{
    p.fillRect(rect(), m_background);
    const StageGeometry g = geometryNow();
    p.translate(g.offset());
    p.scale(g.scale(), g.scale());
    p.setClipRect(QRect(0, 0, StageGeometry::Width, StageGeometry::Height), Qt::IntersectClip);
    paintStage(p);
}

void StageWidget::mousePressEvent(QMouseEvent *e)
{
    const quint32 now = clock().tick();
    // The input event's own time where it is on the program's clock: the time the
    // event waited in the queue does not count.
    const quint32 tick = pressTick(now, e->timestamp());
    e->accept();
    if (onPress)
        onPress(tick, toStage(e->position()));
}

void StageWidget::mouseDoubleClickEvent(QMouseEvent *e)
{
    // The second press of a double click is a press like any other.
    mousePressEvent(e);
}

} // namespace zoka
