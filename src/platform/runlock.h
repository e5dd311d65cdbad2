// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QString>

#include <sys/types.h>

namespace zoka {

// Two programs may share one results directory (a folder on a server). A result file
// being written is held by the run that writes it with an advisory lock (fcntl
// open-file-description locks: they belong to the open file, not to the process, and
// network file systems that carry POSIX locks pass them on). Whoever else would
// rewrite, replace or remove the file asks first and leaves it alone.

// The words shown when a file is held by a run of another program.
inline const QString RunInProgressText = QStringLiteral("Épreuve en cours sur un autre poste");

// What makes a file the one that was read: the file itself (device, inode), its size
// and its time of last change. Invalid when the name is missing, is a symbolic link or
// is not a regular file.
struct FileIdentity {
    dev_t device = 0;
    ino_t inode = 0;
    qint64 size = -1;
    qint64 modifiedNs = 0;
    bool valid = false;

    bool sameFile(const FileIdentity &o) const { return valid && o.valid && device == o.device && inode == o.inode; }
    bool operator==(const FileIdentity &o) const
    {
        return sameFile(o) && size == o.size && modifiedNs == o.modifiedNs;
    }
};
// The name itself (a symbolic link is not followed).
FileIdentity identityOfPath(const QString &path);
// An open file.
FileIdentity identityOfFd(int fd);

// Locks the whole file open as `fd` for writing, without waiting. True when the lock is
// held, or when the file system keeps no locks (nothing more can be done there). False
// when another open file holds a lock on it (another program's run, an analysis about to
// rewrite it), with the error number in *err.
bool lockForWriting(int fd, int *err = nullptr);
// Same for reading: refused while a run holds its write lock.
bool lockForReading(int fd, int *err = nullptr);

// True when a run (in any program) holds its write lock on `path`.
bool isLockedByRun(const QString &path);

} // namespace zoka
