// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/widgets/pointer.h"

#include <QCursor>
#include <QGuiApplication>

namespace zoka {

void PointerGuard::take(Qt::CursorShape shape)
{
    if (m_taken)
        QGuiApplication::changeOverrideCursor(QCursor(shape));
    else
        QGuiApplication::setOverrideCursor(QCursor(shape));
    m_taken = true;
}

void PointerGuard::restore()
{
    if (!m_taken)
        return;
    m_taken = false;
    QGuiApplication::restoreOverrideCursor();
}

} // namespace zoka
