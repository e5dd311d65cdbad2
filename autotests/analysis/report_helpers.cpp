// SPDX-License-Identifier: GPL-3.0-or-later
#include "report_helpers.h"

#include "platform/cp1252.h"

#include <QFile>
#include <QList>

QByteArray withPlaceholderDate(const QByteArray &report)
{
    QList<QByteArray> lines = report.split('\n');
    for (QByteArray &l : lines)
        if (l.startsWith("Analyse du fichier le "))
            l = zoka::cp1252::encode(QStringLiteral("Analyse du fichier le <DATE> à <TIME>\r"));
    return lines.join('\n');
}

QByteArray readAll(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}
