// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QPoint>
#include <QPointF>
#include <QRect>
#include <QRectF>
#include <QSize>

namespace zoka {

// The test windows lay out their stimuli on an 800 x 600 stage. On an 800 x 600
// display the stage is the whole screen; on any other it is scaled uniformly to fit
// and centred (the margins stay white), so that positions and hit boxes keep their
// meaning. Mouse positions are mapped back to stage pixels.
class StageGeometry {
public:
    static constexpr int Width = 800;
    static constexpr int Height = 600;

    explicit StageGeometry(const QSize &window = QSize(Width, Height));

    double scale() const { return m_scale; }
    QPointF offset() const { return m_offset; }
    // The stage's area in window pixels.
    QRectF stageRect() const;
    // A stage rectangle in window pixels.
    QRectF toWindow(const QRectF &stage) const;
    // The stage pixel under a window position (may lie outside 0..799 x 0..599 in
    // the margins).
    QPoint toStage(const QPointF &window) const;

private:
    double m_scale = 1.0;
    QPointF m_offset;
};

} // namespace zoka
