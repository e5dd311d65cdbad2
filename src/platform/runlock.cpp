// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/runlock.h"

#include <QFile>

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace zoka {

namespace {

FileIdentity identityOfStat(const struct stat &st)
{
    FileIdentity id;
    if (!S_ISREG(st.st_mode))
        return id;
    id.device = st.st_dev;
    id.inode = st.st_ino;
    id.size = st.st_size;
    id.modifiedNs = qint64(st.st_mtim.tv_sec) * 1000000000LL + st.st_mtim.tv_nsec;
    id.valid = true;
    return id;
}

bool lockWhole(int fd, short type, int *err)
{
    struct flock fl {};
    fl.l_type = type;
    fl.l_whence = SEEK_SET;
    fl.l_start = 0;
    fl.l_len = 0; // to the end, wherever it goes
    int r;
    do {
        r = ::fcntl(fd, F_OFD_SETLK, &fl);
    } while (r != 0 && errno == EINTR);
    if (r == 0)
        return true;
    const int e = errno;
    // A file system without locks (or a lock server that does not answer): the
    // writer goes on as it did before locks existed.
    if (e == ENOLCK || e == EINVAL || e == EOPNOTSUPP)
        return true;
    if (err)
        *err = e;
    return false;
}

} // namespace

FileIdentity identityOfPath(const QString &path)
{
    struct stat st {};
    if (path.isEmpty() || ::lstat(QFile::encodeName(path).constData(), &st) != 0)
        return {};
    return identityOfStat(st);
}

FileIdentity identityOfFd(int fd)
{
    struct stat st {};
    if (fd < 0 || ::fstat(fd, &st) != 0)
        return {};
    return identityOfStat(st);
}

bool lockForWriting(int fd, int *err) { return lockWhole(fd, F_WRLCK, err); }
bool lockForReading(int fd, int *err) { return lockWhole(fd, F_RDLCK, err); }

bool isLockedByRun(const QString &path)
{
    const int fd = ::open(QFile::encodeName(path).constData(),
                          O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0)
        return false;
    struct flock fl {};
    fl.l_type = F_RDLCK; // what a reader would take: only a write lock stands in its way
    fl.l_whence = SEEK_SET;
    const bool locked = ::fcntl(fd, F_OFD_GETLK, &fl) == 0 && fl.l_type == F_WRLCK;
    ::close(fd);
    return locked;
}

} // namespace zoka
