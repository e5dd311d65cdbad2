// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/stagegeometry.h"

#include <cmath>

namespace zoka {

StageGeometry::StageGeometry(const QSize &window)
{
    if (window.width() <= 0 || window.height() <= 0)
        return;
    m_scale = std::min(double(window.width()) / Width, double(window.height()) / Height);
    m_offset = QPointF((window.width() - Width * m_scale) / 2.0,
                       (window.height() - Height * m_scale) / 2.0);
    // Whole window pixels for the stage's corner, so that an unscaled stage is drawn
    // pixel for pixel.
    m_offset = QPointF(std::floor(m_offset.x()), std::floor(m_offset.y()));
}

QRectF StageGeometry::stageRect() const { return toWindow(QRectF(0, 0, Width, Height)); }

QRectF StageGeometry::toWindow(const QRectF &stage) const
{
    return QRectF(m_offset.x() + stage.x() * m_scale, m_offset.y() + stage.y() * m_scale,
                  stage.width() * m_scale, stage.height() * m_scale);
}

QPoint StageGeometry::toStage(const QPointF &window) const
{
    return QPoint(int(std::floor((window.x() - m_offset.x()) / m_scale)),
                  int(std::floor((window.y() - m_offset.y()) / m_scale)));
}

} // namespace zoka
