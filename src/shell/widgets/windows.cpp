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
} // namespace

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
