// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/fileattr.h"

#include <QFile>
#include <QFileInfo>

namespace zoka {

namespace {
// The permission bits of the file itself. (The "User" flags tell what the running
// user may do, which for the superuser is everything; they map onto the owner bits.)
constexpr QFileDevice::Permissions WriteBits =
    QFileDevice::WriteOwner | QFileDevice::WriteGroup | QFileDevice::WriteOther;
constexpr QFileDevice::Permissions UserBits =
    QFileDevice::ReadUser | QFileDevice::WriteUser | QFileDevice::ExeUser;
} // namespace

bool isReadOnlyMarked(const QString &path)
{
    const QFileInfo fi(path);
    if (!fi.exists() || fi.isDir())
        return false;
    return (QFile::permissions(path) & WriteBits) == 0;
}

bool setReadOnlyMark(const QString &path)
{
    if (!QFileInfo::exists(path))
        return false;
    const QFileDevice::Permissions p = QFile::permissions(path);
    return QFile::setPermissions(path, p & ~(WriteBits | UserBits));
}

bool clearReadOnlyMark(const QString &path)
{
    if (!QFileInfo::exists(path))
        return false;
    const QFileDevice::Permissions p = QFile::permissions(path);
    return QFile::setPermissions(path, (p & ~UserBits) | QFileDevice::WriteOwner);
}

} // namespace zoka
