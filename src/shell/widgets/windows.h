// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

#include <functional>

class QWidget;

namespace zoka {

// Entry points of the modal windows the main window opens. Each is implemented by
// its own subsystem; all windows are created once and reused.

// The main window, parent of every modal window (nullptr before it exists).
QWidget *mainWindow();
void setMainWindow(QWidget *w);

void showIntroWindow();     // shell/widgets: intro and help, modal
void showOptionsWindow();   // shell/widgets: options, modal
void StartAdministration(); // administration/widgets: instructions, practice, test run
// analysis/widgets: analysis of SelectedFile, modal; returns the patient name the
// file's header gave (empty when none was read).
QString showAnalysisWindow();
// analysis/widgets: the follow-up of `patient` across the results directory, modal.
void showFollowUpWindow(const QString &patient);

// The main window opens the administration and the analysis through these, which
// the program installs at start-up (the shell's windows sit below both subsystems).
void setAdministrationWindow(std::function<void()> open);
void setAnalysisWindow(std::function<QString()> open);
void runAdministrationWindow();
QString runAnalysisWindow();
void setFollowUpWindow(std::function<void(const QString &)> open);
void runFollowUpWindow(const QString &patient);

} // namespace zoka
