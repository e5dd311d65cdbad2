// SPDX-License-Identifier: GPL-3.0-or-later
#include "shell/programdir.h"

#include "shell/filelists.h"

#include "platform/fileerrors.h"
#include "platform/safewrite.h"
#include "platform/messages.h"
#include "shell/configfile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <cerrno>

namespace zoka {

namespace {

QString quoted(const QString &path)
{
    return QString::fromUtf8("« %1 »").arg(QDir::toNativeSeparators(path));
}

void setError(QString *error, const QString &text)
{
    if (error)
        *error = text;
}

bool copyOneFile(const QString &from, const QString &to, QString *error)
{
    const QString head = QString::fromUtf8("Le fichier %1 ne peut être copié dans %2 : ")
                             .arg(quoted(QFileInfo(from).fileName()), quoted(QFileInfo(to).absolutePath()));
    QFile in(from);
    errno = 0;
    if (!in.open(QIODevice::ReadOnly)) {
        const int err = errno;
        setError(error, head + fileErrorText(err ? err : EACCES) + QLatin1Char('.'));
        return false;
    }
    errno = 0;
    const QByteArray bytes = in.readAll();
    if (in.error() != QFileDevice::NoError) {
        const int err = errno;
        setError(error, head + fileErrorText(err ? err : EIO) + QLatin1Char('.'));
        return false;
    }
    QSaveFile out(to);
    int err = 0;
    if (!openSaveFile(out, QIODevice::WriteOnly, &err)) {
        setError(error, head + fileErrorText(err ? err : EACCES) + QLatin1Char('.'));
        return false;
    }
    errno = 0;
    if (out.write(bytes) != bytes.size()) {
        err = errno;
        out.cancelWriting();
        setError(error, head + fileErrorText(err ? err : EIO) + QLatin1Char('.'));
        return false;
    }
    if (!commitSaveFile(out, &err)) {
        setError(error, head + fileErrorText(err ? err : EIO) + QLatin1Char('.'));
        return false;
    }
    return true;
}

} // namespace

QString installedDataDir(const QString &executableDir)
{
    const QDir bin(executableDir);
    if (executableDir.isEmpty() || bin.dirName() != QStringLiteral("bin"))
        return QString();
    const QString share = QDir::cleanPath(bin.absoluteFilePath(QStringLiteral("../share/zoka")));
    return QFileInfo(share).isDir() ? share : QString();
}

QString userProgramDir()
{
    // $XDG_DATA_HOME when it is an absolute path, else $HOME/.local/share. Without
    // either there is no such directory (the root's /.local/share is nobody's).
    const QString xdg = qEnvironmentVariable("XDG_DATA_HOME");
    if (!xdg.isEmpty() && QDir::isAbsolutePath(xdg))
        return QDir(xdg).filePath(QStringLiteral("zoka"));
    const QString home = qEnvironmentVariable("HOME");
    if (home.isEmpty() || !QDir::isAbsolutePath(home))
        return QString();
    return QDir(home).filePath(QStringLiteral(".local/share/zoka"));
}

bool copyMissingDataFiles(const QString &from, const QString &to, QString *error)
{
    const QFileInfo target(to);
    if (target.exists() && !target.isDir()) {
        setError(error, QString::fromUtf8("Le répertoire des données de ZOKA %1 ne peut être créé : "
                                          "un fichier de ce nom existe déjà.")
                            .arg(quoted(to)));
        return false;
    }
    errno = 0;
    if (!target.exists() && !QDir().mkpath(to)) {
        const int err = errno;
        setError(error, QString::fromUtf8("Le répertoire des données de ZOKA %1 ne peut être créé : %2.")
                            .arg(quoted(to), fileErrorText(err ? err : EACCES)));
        return false;
    }
    if (!QFileInfo(to).isWritable()) {
        setError(error, QString::fromUtf8("Le répertoire des données de ZOKA %1 n'est pas accessible en écriture.")
                            .arg(quoted(to)));
        return false;
    }
    const QDir source(from);
    if (!source.exists()) {
        setError(error, QString::fromUtf8("Le répertoire des fichiers de ZOKA %1 est introuvable.").arg(quoted(from)));
        return false;
    }
    const QDir dest(to);
    const QFileInfoList files = source.entryInfoList(QDir::Files, QDir::Name);
    for (const QFileInfo &file : files) {
        const QFileInfo there(dest.filePath(file.fileName()));
        // A file already there (even a dangling link) is the user's: never replaced.
        if (there.exists() || there.isSymLink())
            continue;
        if (!copyOneFile(file.filePath(), there.filePath(), error))
            return false;
    }
    return true;
}

QString findProgramDirectory(const QString &executableDir, const QString &launchDir)
{
    const QString shared = installedDataDir(executableDir);
    if (shared.isEmpty())
        return launchDir;
    const QString mine = userProgramDir();
    if (mine.isEmpty()) {
        showError(QString::fromUtf8("ZOKA ne trouve pas de répertoire pour vos données : "
                                    "ni XDG_DATA_HOME ni HOME n'indiquent un répertoire.\r"
                                    "ZOKA va s'arrêter."));
        return QString();
    }
    QString text;
    if (!copyMissingDataFiles(shared, mine, &text)) {
        showError(text + QString::fromUtf8("\rZOKA va s'arrêter."));
        return QString();
    }
    if (!isEnterableDirectory(mine)) {
        showError(QString::fromUtf8("Le répertoire des données de ZOKA %1 est inaccessible.\rZOKA va s'arrêter.")
                      .arg(quoted(mine)));
        return QString();
    }
    return mine;
}

} // namespace zoka
