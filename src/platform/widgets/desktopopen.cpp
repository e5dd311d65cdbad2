// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/widgets/desktopopen.h"

#include <QDesktopServices>
#include <QMimeDatabase>
#include <QProcess>
#include <QStandardPaths>
#include <QUrl>

namespace zoka {

bool openInDesktop(const QString &path)
{
    // Handing a file over succeeds as soon as the desktop's opener has started, even
    // when it then finds no program: ask first whether one is registered for the type.
    const QString query = QStandardPaths::findExecutable(QStringLiteral("xdg-mime"));
    const QString type = QMimeDatabase().mimeTypeForFile(path).name();
    if (!query.isEmpty() && !type.isEmpty()) {
        QProcess p;
        p.start(query, {QStringLiteral("query"), QStringLiteral("default"), type});
        if (p.waitForFinished(5000) && p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0
            && p.readAllStandardOutput().trimmed().isEmpty())
            return false;
    }
    return QDesktopServices::openUrl(QUrl::fromLocalFile(path));
}

} // namespace zoka
