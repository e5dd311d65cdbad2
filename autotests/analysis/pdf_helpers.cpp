// SPDX-License-Identifier: GPL-3.0-or-later
#include "pdf_helpers.h"

#include <QProcess>
#include <QRegularExpression>

namespace {

QString run(const QString &program, const QStringList &args, bool *ok = nullptr)
{
    QProcess p;
    p.start(program, args);
    const bool finished = p.waitForFinished(30000);
    if (ok)
        *ok = finished && p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
    return QString::fromUtf8(p.readAllStandardOutput());
}

QString infoField(const QString &path, const QString &field)
{
    bool ok = false;
    const QString out = run(QStringLiteral("pdfinfo"), {path}, &ok);
    if (!ok)
        return QString();
    for (const QString &line : out.split(u'\n'))
        if (line.startsWith(field + u':'))
            return line.mid(field.size() + 1).trimmed();
    return QString();
}

} // namespace

int pdfPageCount(const QString &path)
{
    bool ok = false;
    const int pages = infoField(path, QStringLiteral("Pages")).toInt(&ok);
    return ok ? pages : -1;
}

QString pdfPageSize(const QString &path)
{
    const QString size = infoField(path, QStringLiteral("Page size"));
    const QRegularExpressionMatch m = QRegularExpression(QStringLiteral("^([\\d.]+) x ([\\d.]+)")).match(size);
    if (!m.hasMatch())
        return QString();
    return QString::number(qRound(m.captured(1).toDouble())) + QStringLiteral(" x ")
        + QString::number(qRound(m.captured(2).toDouble()));
}

QStringList pdfPageLines(const QString &path, int page)
{
    const QString p = QString::number(page);
    const QString text = run(QStringLiteral("pdftotext"),
                             {QStringLiteral("-layout"), QStringLiteral("-f"), p, QStringLiteral("-l"), p,
                              QStringLiteral("-enc"), QStringLiteral("UTF-8"), path, QStringLiteral("-")});
    QStringList lines;
    for (const QString &line : text.split(u'\n')) {
        const QString s = simplifiedLine(line);
        if (!s.isEmpty())
            lines << s;
    }
    return lines;
}

QStringList pdfFontsNotEmbedded(const QString &path)
{
    // name type encoding emb sub uni object ID: the "emb" column is the 4th from the end
    // but one; names have no blanks.
    const QStringList rows = run(QStringLiteral("pdffonts"), {path}).split(u'\n', Qt::SkipEmptyParts);
    QStringList missing;
    for (int i = 2; i < rows.size(); ++i) {
        const QStringList cols = rows.at(i).split(u' ', Qt::SkipEmptyParts);
        if (cols.size() >= 7 && cols.at(cols.size() - 5) != QStringLiteral("yes"))
            missing << cols.first();
    }
    return missing;
}

QString simplifiedLine(const QString &line)
{
    QString s = line;
    s.replace(QChar(0x0C), u' '); // form feed at a page's end
    return s.simplified();
}
