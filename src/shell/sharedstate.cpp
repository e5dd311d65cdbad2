// SPDX-License-Identifier: GPL-3.0-or-later
#include "shell/sharedstate.h"

#include <QDir>

namespace zoka {

int TestIndex = 0;
QString PatientName;
int ItemCount = 0;
int FileItemCount = 0;
bool UnlimitedChosen = false;
bool UnlimitedActive = false;
int SpeedIndex = 1;
QString ResultFileName;
FileIdentity AgreedResultFile;
QString SelectedFile;
QString ResultsDirPath;
int InitialScreenWidth = 0;
int InitialScreenHeight = 0;
QString VersionShort;
bool FileClickInProgress = false;
ConfigRecord Config;

void resetSharedState()
{
    TestIndex = 0;
    PatientName.clear();
    ItemCount = 0;
    FileItemCount = 0;
    UnlimitedChosen = false;
    UnlimitedActive = false;
    SpeedIndex = 1;
    ResultFileName.clear();
    AgreedResultFile = {};
    SelectedFile.clear();
    ResultsDirPath.clear();
    InitialScreenWidth = 0;
    InitialScreenHeight = 0;
    VersionShort.clear();
    FileClickInProgress = false;
    Config = ConfigRecord();
}

QString programFile(const QString &name)
{
    return QDir(Config.ProgramDir).filePath(name);
}

} // namespace zoka
