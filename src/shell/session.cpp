// SPDX-License-Identifier: GPL-3.0-or-later
#include "shell/session.h"

#include <QDir>

namespace zoka {

QString Session::programFile(const QString &name) const
{
    return QDir(config.ProgramDir).filePath(name);
}

QString Session::baseDir() const
{
    if (!resultsDir.isEmpty())
        return resultsDir;
    if (!config.ProgramDir.isEmpty())
        return config.ProgramDir;
    return startDir;
}

QString Session::resultFile(const QString &name) const
{
    return QDir(baseDir()).filePath(name);
}

} // namespace zoka
