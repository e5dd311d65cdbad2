#pragma once
// A small file system of its own for a test that needs a full disk or a read-only
// directory. Only the superuser may mount one: a test QSKIPs when `mounted` is false.
#include <QFile>
#include <QString>

#include <sys/mount.h>

struct ScopedTmpfs {
    QByteArray at;
    bool mounted = false;

    // `options` as for mount(8), e.g. "size=64k"; `flags` e.g. MS_RDONLY.
    ScopedTmpfs(const QString &dir, const char *options, unsigned long flags = 0)
        : at(QFile::encodeName(dir))
    {
        mounted = ::mount("zoka-test", at.constData(), "tmpfs", flags, options) == 0;
    }
    ~ScopedTmpfs()
    {
        if (mounted)
            ::umount2(at.constData(), MNT_DETACH);
    }
    ScopedTmpfs(const ScopedTmpfs &) = delete;
    ScopedTmpfs &operator=(const ScopedTmpfs &) = delete;
};
