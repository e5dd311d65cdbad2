// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/safewrite.h"

#include "platform/fileerrors.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace zoka {

namespace {

// The error number of a failed call; some failures of QSaveFile (a directory at the
// file's place, an unwritable directory found before any system call) leave none.
int lastError(const QString &path)
{
    if (errno != 0)
        return errno;
    return QFileInfo(path).isDir() ? EISDIR : EACCES;
}

// Syncs the directory entry of a renamed file. A directory that cannot be opened for
// reading, or a file system that cannot sync one, is not an error.
int syncDirectory(const QString &dir)
{
    const int fd = ::open(QFile::encodeName(dir).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return 0;
    int err = 0;
    if (::fsync(fd) != 0 && errno != EINVAL && errno != EROFS)
        err = errno;
    ::close(fd);
    return err;
}

} // namespace

bool isSymbolicLink(const QString &path)
{
    struct stat st {};
    return !path.isEmpty() && ::lstat(QFile::encodeName(path).constData(), &st) == 0 && S_ISLNK(st.st_mode);
}

bool openSaveFile(QSaveFile &file, QIODevice::OpenMode mode, int *err)
{
    const QString path = file.fileName();
    const auto refuse = [&](int e) {
        if (err)
            *err = e;
        return false;
    };
    if (isSymbolicLink(path))
        return refuse(ELOOP);
    errno = 0;
    if (!file.open(mode))
        return refuse(lastError(path));
    if (isSymbolicLink(path)) {
        file.cancelWriting();
        return refuse(ELOOP);
    }
    return true;
}

bool commitSaveFile(QSaveFile &file, int *err)
{
    if (isSymbolicLink(file.fileName())) {
        file.cancelWriting();
        if (err)
            *err = ELOOP;
        return false;
    }
    errno = 0;
    if (!file.commit()) {
        if (err)
            *err = lastError(file.fileName());
        return false;
    }
    return true;
}

QString fileWriteErrorText(const QString &path, int err)
{
    return QStringLiteral("Le fichier %1 ne peut être écrit : %2.")
        .arg(QDir::toNativeSeparators(path), fileErrorText(err));
}

bool writeFileSafely(const QString &path, const QByteArray &bytes, QString *error, int *errnoValue)
{
    const auto fail = [&](int err) {
        if (err == 0)
            err = EIO;
        if (errnoValue)
            *errnoValue = err;
        if (error)
            *error = fileWriteErrorText(path, err);
        return false;
    };

    // Unbuffered: each write reaches the file at once and its failure is seen here, not
    // lost in a flush that commit() does not report. The new file is removed when `f`
    // goes out of scope without a commit.
    QSaveFile f(path);
    int err = 0;
    if (!openSaveFile(f, QIODevice::WriteOnly | QIODevice::Unbuffered, &err))
        return fail(err);
    const char *at = bytes.constData();
    qint64 left = bytes.size();
    while (left > 0) {
        errno = 0;
        const qint64 n = f.write(at, left);
        if (n <= 0)
            return fail(lastError(path));
        at += n;
        left -= n;
    }
    errno = 0;
    if (!f.flush())
        return fail(lastError(path));
    // A full disk or an I/O error may show only when the data reaches the disk.
    if (::fsync(f.handle()) != 0 && errno != EINVAL && errno != EROFS)
        return fail(errno);
    if (!commitSaveFile(f, &err))
        return fail(err);
    if (const int e = syncDirectory(QFileInfo(path).absolutePath()))
        return fail(e);
    return true;
}

bool canCreateFileIn(const QString &dir, int *errnoValue)
{
    QByteArray name = QFile::encodeName(QDir(dir).filePath(QStringLiteral(".zoka-XXXXXX")));
    const int fd = ::mkostemp(name.data(), O_CLOEXEC);
    if (fd < 0) {
        if (errnoValue)
            *errnoValue = errno;
        return false;
    }
    ::close(fd);
    ::unlink(name.constData());
    return true;
}

} // namespace zoka
