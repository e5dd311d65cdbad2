// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include "protocol/protocol.h"
#include "platform/stagegeometry.h"
#include "platform/widgets/presenter.h"

#include <QColor>
#include <QFont>
#include <QImage>
#include <QRegion>
#include <QWidget>

#include <functional>
#include <vector>

namespace zoka {

// The 800 x 600 stage of a test window: a white area holding the stimulus elements
// (filled squares, outlines, texts, pictures) at their stage positions, scaled and
// centred to the widget as StageGeometry says. Mouse presses (double clicks
// included: each is a press) are reported with their time: the input event's own
// time where it is on the program's clock, else the tick read before anything else
// (pressTick()).
class StageWidget final : public QWidget, public StimulusSurface {
public:
    struct Element {
        enum Kind { Filled, Outline, Text, Picture };
        Kind kind = Filled;
        QRect box;            // stage pixels
        QColor fill = Qt::black;
        QColor pen = Qt::black;
        int penWidth = 1;
        QString text;
        QFont font;
        QColor textBackground = Qt::transparent; // a text element's box behind its text
        // A text element's baseline, in pixels below the top of its box, as a label
        // of that cell height draws it; -1: the text is centred in the box.
        int baseline = -1;
        // With a baseline: the glyphs drawn as outlines widened by this many pixels
        // and centred in the box by their ink (a bold face drawn with its regular
        // outlines is made bold this way); 0: plain text.
        qreal widen = 0;
        QImage picture;
        bool shown = false;
    };

    explicit StageWidget(QWidget *parent = nullptr);

    // Colour of the whole window behind the elements (white unless a test asks for
    // another, e.g. the dialog face colour).
    void setBackground(const QColor &c);
    QColor background() const { return m_background; }

    int addElement(const Element &e);
    // The stimulus square of the reaction-time tests: filled black with a black
    // outline, hidden, at `box`.
    static Element blackSquare(const QRect &box);
    Element &element(int id) { return m_elements[size_t(id)]; }
    const Element &element(int id) const { return m_elements[size_t(id)]; }
    int elementCount() const { return int(m_elements.size()); }
    // The topmost shown element whose box holds the stage point `p`, or -1.
    int elementAt(const QPoint &p) const;

    StageGeometry geometryNow() const { return StageGeometry(size()); }
    QPoint toStage(const QPointF &widgetPos) const { return geometryNow().toStage(widgetPos); }

    // StimulusSurface
    void setShown(int element, bool shown) override;
    bool isShown(int element) const override;
    void moveTo(int element, int left, int top) override;
    QRect box(int element) const override;
    void setText(int element, const QString &text) override;
    void setFont(int element, const QString &family, int pixelHeight, bool bold) override;
    void setColours(int element, quint32 foreground, quint32 background) override;
    void drawNow() override;
    bool setPicture(int element, const QByteArray &data) override;
    bool hasFace(const QString &family) const override;

    // Called for every mouse press, with the press's tick and the stage point.
    std::function<void(quint32 tick, QPoint stagePos)> onPress;

    // Draws the stage (white, elements) in stage coordinates on `p`.
    void paintStage(QPainter &p) const;

    // Drawings on the display's refresh (see Presenter). While presenting, drawNow()
    // draws the changes into the stage's picture and presents them on a refresh, and
    // the widget's own painting shows that picture. False, with the reason in
    // presenter().reason(), when the stage draws at once instead.
    bool startPresenting();
    void stopPresenting();
    bool presenting() const { return m_presenter.active(); }
    const Presenter &presenter() const { return m_presenter; }
    // The next drawNow() goes on the refresh nearest to `tick` (the next refresh
    // without); forgets the time of the last drawing.
    void setDrawingDue(std::optional<quint32> tick);
    // The time the last drawing since setDrawingDue() appeared, when presented.
    std::optional<quint32> shownTick() const { return m_shown; }

protected:
    void paintEvent(QPaintEvent *) override;
    void mousePressEvent(QMouseEvent *e) override;
    void mouseDoubleClickEvent(QMouseEvent *e) override;

private:
    bool valid(int id) const { return id >= 0 && id < int(m_elements.size()); }
    void touch(const QRect &stageBox);
    void touchIfShown(int id);
    void paintRegion(QPainter &p) const;
    static void paintElement(QPainter &p, const Element &e);
    void renderFrame(QRegion region);
    std::vector<Element> m_elements;
    Presenter m_presenter;
    QImage m_frame; // what was last presented, widget pixels
    std::optional<quint32> m_due;
    std::optional<quint32> m_shown;
    QRegion m_dirty; // widget pixels to draw again at the next drawNow()
    QColor m_background = Qt::white;
};

} // namespace zoka
