#include "platform/fileattr.h"

#include <QFile>
#include <QFileInfo>

namespace zoka {

namespace {
constexpr QFileDevice::Permissions WriteBits =
    QFileDevice::WriteOwner | QFileDevice::WriteUser | QFileDevice::WriteGroup | QFileDevice::WriteOther;
}

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
    return QFile::setPermissions(path, p & ~WriteBits);
}

bool clearReadOnlyMark(const QString &path)
{
    if (!QFileInfo::exists(path))
        return false;
    const QFileDevice::Permissions p = QFile::permissions(path);
    return QFile::setPermissions(path, p | QFileDevice::WriteOwner | QFileDevice::WriteUser);
}

} // namespace zoka
