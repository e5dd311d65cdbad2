#include "analysis/printlayout.h"

#include <cmath>

namespace zoka {

PrintLayout printLayout(int widthPx, int heightPx, double marginCm, int fontSizePt)
{
    PrintLayout l;
    const double margin = std::isfinite(marginCm) && marginCm > 0 ? marginCm : 0.0;
    l.left = int(std::lround(double(qMax(widthPx, 0)) / 20.9 * margin));
    const int size = fontSizePt > 0 ? fontSizePt : 8;
    const int height = qMax(heightPx, 2);
    l.linesPerPage = qMax(height / (size * 10), 2);
    l.lineHeight = height / l.linesPerPage;
    l.pageHeight = height;
    return l;
}

QList<PrintedPage> paginate(const QStringList &report, const QStringList &notes,
                            const PrintLayout &layout)
{
    QList<PrintedPage> pages(1);
    const int lines = qMax(layout.linesPerPage, 2);
    int y = layout.top;
    int count = 0;
    // A full page asks for a new one, which is begun with its first line.
    bool pageFull = false;
    auto put = [&](const QString &text) {
        const bool offPage = layout.pageHeight > 0 && y + layout.lineHeight > layout.pageHeight
            && !pages.last().isEmpty();
        if (pageFull || offPage) {
            pages.append(PrintedPage());
            y = layout.top;
            count = 0;
            pageFull = false;
        }
        pages.last().append({y, text});
        y += layout.lineHeight;
    };
    for (const QString &line : report) {
        put(line);
        if (++count > lines - 2) {
            pageFull = true;
            count = 0;
        }
    }
    for (const QString &line : notes) {
        put(line);
        if (++count > lines - 1) {
            pageFull = true;
            count = 0;
        }
    }
    return pages;
}

QString printingPageText(int page)
{
    return QStringLiteral("Impression de la page ") + QString::number(page);
}

QString printedText(int copies, int pages)
{
    return QStringLiteral("Impression terminée ( ") + QString::number(copies)
        + (copies > 1 ? QStringLiteral(" copies de ") : QStringLiteral(" copie de "))
        + QString::number(pages) + (pages > 1 ? QStringLiteral(" pages )") : QStringLiteral(" page )"));
}

} // namespace zoka
