// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include "administration/essailogic.h"

#include <QDialog>

class QLabel;
class QPushButton;
class QTextEdit;

namespace zoka {

class QtSoundPlayer;

// The instructions window: test title, written instructions, practice runs on
// request, the real run, thanks and end sound. Created once and reused; every
// administration starts again in FormShow. Its handlers live in EssaiLogic; the
// window only mirrors EssaiLogic's view.
class TFormEssai final : public QDialog {
    Q_OBJECT
public:
    explicit TFormEssai(Session &session, QWidget *parent = nullptr);
    ~TFormEssai() override;

    // Shows the window maximised and modally; returns when it has closed.
    void runAdministration();

    EssaiLogic &logic() { return *m_logic; }

    // Controls, named by their role; after each, the handler it raises.
    QLabel *titleLabel = nullptr;
    QTextEdit *instructionsText = nullptr;
    QLabel *responseRuleLabel = nullptr;   // the response rule of "TR double binaire"
    QPushButton *continueButton = nullptr; // ContinuerClick
    QPushButton *noButton = nullptr;       // NonClick ("Passer" or "Non")
    QPushButton *quitButton = nullptr;     // QuitterClick

protected:
    void showEvent(QShowEvent *e) override;
    void keyPressEvent(QKeyEvent *e) override;
    void reject() override;

private:
    void FormShow();
    void ContinuerClick();
    void NonClick();
    void QuitterClick();
    void applyView();

    Session &m_session;
    QtSoundPlayer *m_endSound = nullptr;
    QWidget *m_instructionsCover = nullptr; // shows the "no" pointer over the disabled memo
    EssaiLogic *m_logic = nullptr;
};

// The one instructions window of the program (created on first use, with `session`).
TFormEssai *essaiWindow(Session &session);

} // namespace zoka
