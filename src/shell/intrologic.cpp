// SPDX-License-Identifier: GPL-3.0-or-later
#include "shell/intrologic.h"

#include "platform/cp1252.h"
#include "platform/fileerrors.h"
#include "platform/messages.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>

namespace zoka::intro {

QPoint layoutOffset(const QSize &screen)
{
    // C++ division already rounds toward zero.
    return {(screen.width() - 800) / 2, (screen.height() - 600) / 2};
}

QString pictureFile(const QString &dir)
{
    const QDir d(dir);
    if (QFileInfo::exists(d.filePath(BitmapFile)))
        return d.filePath(BitmapFile);
    if (QFileInfo::exists(d.filePath(JpegFile)))
        return d.filePath(JpegFile);
    return {};
}

bool readHelpText(const QString &path, QStringList *lines, QString *error)
{
    lines->clear();
    QFile f(path);
    errno = 0;
    if (!f.open(QIODevice::ReadOnly)) {
        const int err = errno;
        if (error)
            *error = QString::fromUtf8("Le fichier d'aide %1 ne peut être lu : %2.")
                         .arg(QDir::toNativeSeparators(QFileInfo(path).absoluteFilePath()),
                              fileErrorText(err ? err : (QFile::exists(path) ? EACCES : ENOENT)));
        return false;
    }
    *lines = cp1252::splitLines(cp1252::decode(f.readAll()));
    return true;
}

void HelpToggle::helpAreaReleased(const QString &path)
{
    if (caption != closedCaption()) {
        close();
        return;
    }
    memoVisible = true;
    QString error;
    if (!readHelpText(path, &lines, &error)) {
        showError(error);
        return; // the empty help stays shown, the caption stays "Aide"
    }
    caption = openCaption();
    buttonVisible = true;
}

void HelpToggle::helpButtonClicked()
{
    if (caption == openCaption())
        close();
}

void HelpToggle::close()
{
    memoVisible = false;
    lines.clear();
    caption = closedCaption();
    buttonVisible = false;
}

} // namespace zoka::intro
