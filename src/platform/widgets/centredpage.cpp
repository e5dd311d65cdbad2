// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/widgets/centredpage.h"

#include <QEvent>
#include <QWidget>

namespace zoka {

namespace {
class PageCentring final : public QObject {
public:
    PageCentring(QWidget *window, QWidget *page) : QObject(page), m_window(window), m_page(page)
    {
        window->installEventFilter(this);
        centre();
    }
    bool eventFilter(QObject *watched, QEvent *e) override
    {
        if (watched == m_window && (e->type() == QEvent::Resize || e->type() == QEvent::Show))
            centre();
        return false;
    }

private:
    void centre()
    {
        m_page->move(qMax(0, (m_window->width() - m_page->width()) / 2),
                     qMax(0, (m_window->height() - m_page->height()) / 2));
    }
    QWidget *m_window;
    QWidget *m_page;
};
} // namespace

QWidget *makeCentredPage(QWidget *window, QSize size)
{
    auto *page = new QWidget(window);
    page->setObjectName(QStringLiteral("CentredPage"));
    page->setFixedSize(size);
    new PageCentring(window, page);
    return page;
}

} // namespace zoka
