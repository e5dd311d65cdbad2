// SPDX-License-Identifier: GPL-3.0-or-later
#include "shell/widgets/windows.h"

namespace zoka {

namespace {
QWidget *theMainWindow = nullptr;
}

QWidget *mainWindow() { return theMainWindow; }
void setMainWindow(QWidget *w) { theMainWindow = w; }

namespace {
std::function<void()> administrationWindow;
std::function<QString()> analysisWindow;
std::function<void(const QString &)> followUpWindow;
} // namespace

void setFollowUpWindow(std::function<void(const QString &)> open) { followUpWindow = std::move(open); }

void runFollowUpWindow(const QString &patient)
{
    if (followUpWindow)
        followUpWindow(patient);
}

void setAdministrationWindow(std::function<void()> open) { administrationWindow = std::move(open); }
void setAnalysisWindow(std::function<QString()> open) { analysisWindow = std::move(open); }

void runAdministrationWindow()
{
    if (administrationWindow)
        administrationWindow();
}

QString runAnalysisWindow()
{
    return analysisWindow ? analysisWindow() : QString();
}

} // namespace zoka
