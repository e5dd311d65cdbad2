// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

class QWidget;

namespace zoka {

struct Session;

// Entry points of the modal windows. Each is implemented by its own subsystem; all
// windows are created once (with the session of that first call) and reused. The
// logic reaches them through the session's services, which the program fills with
// these (src/main.cpp).

// The main window, parent of every modal window (nullptr before it exists).
QWidget *mainWindow();
void setMainWindow(QWidget *w);

void showIntroWindow(const Session &session); // shell/widgets: intro and help, modal
void showOptionsWindow(Session &session);     // shell/widgets: options, modal
void StartAdministration(Session &session);   // administration/widgets: instructions, practice, test run
// analysis/widgets: analysis of the chosen file (choices.selectedFile), modal; returns
// the patient name the file's header gave (empty when none was read).
QString showAnalysisWindow(const Session &session);
// analysis/widgets: the follow-up of `patient` across the results directory, modal.
void showFollowUpWindow(const Session &session, const QString &patient);

} // namespace zoka
