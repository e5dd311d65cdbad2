#include "shell/windows.h"

namespace zoka {

namespace {
QWidget *theMainWindow = nullptr;
}

QWidget *mainWindow() { return theMainWindow; }
void setMainWindow(QWidget *w) { theMainWindow = w; }

} // namespace zoka
