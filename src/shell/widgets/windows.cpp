// SPDX-License-Identifier: GPL-3.0-or-later
#include "shell/widgets/windows.h"

namespace zoka {

namespace {
QWidget *theMainWindow = nullptr;
}

QWidget *mainWindow() { return theMainWindow; }
void setMainWindow(QWidget *w) { theMainWindow = w; }

} // namespace zoka
