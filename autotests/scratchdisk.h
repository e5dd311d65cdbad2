// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A small file system of a test's own (tmpfs) mounted on a directory: a disk that
// can be filled, or made read-only, even for the superuser. Mounting needs the
// superuser; a test QSKIPs when mounted() is false.
#include <QByteArray>
#include <QDir>
#include <QFile>

#include <cerrno>
#include <fcntl.h>
#include <sys/mount.h>
#include <unistd.h>

class ScratchDisk {
public:
    explicit ScratchDisk(const QString &dir, const char *size = "size=256k")
        : m_dir(QFile::encodeName(dir))
    {
        m_mounted = ::mount("zoka-test", m_dir.constData(), "tmpfs", 0, size) == 0;
    }
    ~ScratchDisk()
    {
        if (m_mounted)
            ::umount2(m_dir.constData(), MNT_DETACH);
    }
    ScratchDisk(const ScratchDisk &) = delete;
    ScratchDisk &operator=(const ScratchDisk &) = delete;

    bool mounted() const { return m_mounted; }

    // Takes every free block with the file "plein": the next block any file needs
    // is refused (ENOSPC). Returns the error that ended the filling.
    int fill() const
    {
        const int fd = ::open((m_dir + "/plein").constData(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0600);
        const QByteArray block(4096, 'x');
        while (::write(fd, block.constData(), size_t(block.size())) > 0) {
        }
        const int err = errno;
        ::close(fd);
        return err;
    }

    bool makeReadOnly() const
    {
        return ::mount(nullptr, m_dir.constData(), nullptr, MS_REMOUNT | MS_RDONLY, nullptr) == 0;
    }

private:
    QByteArray m_dir;
    bool m_mounted = false;
};
