// SPDX-License-Identifier: GPL-3.0-or-later
#include "analysis/printlayout.h"

#include "analysis/export.h"

#include <QDir>
#include <QFileInfo>

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

namespace {
// " ( 2 copies de 3 pages )"
QString countsText(int copies, int pages)
{
    return QStringLiteral(" ( ") + QString::number(copies)
        + (copies > 1 ? QStringLiteral(" copies de ") : QStringLiteral(" copie de "))
        + QString::number(pages) + (pages > 1 ? QStringLiteral(" pages )") : QStringLiteral(" page )"));
}
} // namespace

QString printedText(int copies, int pages)
{
    return QStringLiteral("Impression terminée") + countsText(copies, pages);
}

QString queuedText(JobProgress progress, const QString &printer, int copies, int pages)
{
    const QString counts = countsText(copies, pages);
    switch (progress) {
    case JobProgress::Accepted:
        break;
    case JobProgress::Held:
        return QStringLiteral("Impression en attente : travail retenu par l'imprimante ") + printer + counts;
    case JobProgress::QueueStopped:
        return QStringLiteral("Impression en attente : imprimante ") + printer + QStringLiteral(" arrêtée") + counts;
    case JobProgress::Unknown:
        return QStringLiteral("Impression envoyée à ") + printer + QStringLiteral(", non confirmée") + counts;
    }
    return printedText(copies, pages);
}

QString queuedWarning(JobProgress progress, const QString &printer)
{
    switch (progress) {
    case JobProgress::Held:
        return QStringLiteral("Le rapport a été envoyé à l'imprimante %1, mais le système d'impression le retient : "
                              "il ne sera imprimé qu'une fois libéré dans la file d'attente de l'imprimante.")
            .arg(printer);
    case JobProgress::QueueStopped:
        return QStringLiteral("Le rapport attend dans la file de l'imprimante %1, qui est arrêtée : "
                              "il ne sera imprimé qu'une fois l'imprimante remise en marche.")
            .arg(printer);
    case JobProgress::Accepted:
    case JobProgress::Unknown:
        break;
    }
    return QString();
}

QString printFileProposal(const QString &resultFilePath)
{
    const QFileInfo result(resultFilePath);
    const QString name = result.fileName() + QStringLiteral(".pdf");
    const QDir exportDir(exportDirectory(resultFilePath));
    return (exportDir.exists() ? exportDir : result.absoluteDir()).absoluteFilePath(name);
}

} // namespace zoka
