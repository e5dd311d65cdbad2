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

    // Controls, named after their role.
    QLabel *Titre = nullptr;
    QTextEdit *Cons = nullptr;
    QLabel *Imagedb = nullptr;
    QPushButton *Continuer = nullptr;
    QPushButton *Non = nullptr;
    QPushButton *Quitter = nullptr;

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
    QtSoundPlayer *MediaPlayer2 = nullptr;
    QWidget *m_consCover = nullptr; // shows the "no" pointer over the disabled memo
    EssaiLogic *m_logic = nullptr;
};

// The one instructions window of the program (created on first use, with `session`).
TFormEssai *essaiWindow(Session &session);

} // namespace zoka
