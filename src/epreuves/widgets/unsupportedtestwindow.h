// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include "platform/widgets/pointer.h"
#include "protocol/resultwriter.h"

#include <QDialog>

class QLabel;
class QPushButton;

namespace zoka {

// The window of a test this version does not support: no trials, only a line
// asking the patient to close it. It writes the date into "TRnul.nul" in the
// results directory while it is up. No test of the battery opens it.
class UnsupportedTestWindow final : public QDialog {
public:
    static constexpr const char *FileName = "TRnul.nul";

    explicit UnsupportedTestWindow(const QString &resultsDir, QWidget *parent = nullptr);
    ~UnsupportedTestWindow() override;

    QLabel *Message;
    QPushButton *Fermer;

    void FormShow();
    void FormMouseDown();
    void FermerClick();

protected:
    void showEvent(QShowEvent *e) override;
    void mousePressEvent(QMouseEvent *e) override;

public:
    void reject() override;

private:
    // Pointer back and file closed, whatever way the window is left.
    void leave();

    QString m_resultsDir;

    ResultWriter m_file;
    PointerGuard m_pointer;
};

} // namespace zoka
