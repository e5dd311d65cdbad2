// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include "shell/session.h"
#include "shell/intrologic.h"

#include <QDialog>
#include <QLabel>
#include <functional>

class QPushButton;
class QTextEdit;

namespace zoka {

// A control of the title screen that only reacts to the mouse: the invisible areas
// over the picture's drawn buttons, and the picture itself.
class IntroArea : public QLabel {
    Q_OBJECT
public:
    using QLabel::QLabel;
signals:
    void released();
    void doubleClicked();

protected:
    void mouseReleaseEvent(QMouseEvent *e) override;
    void mouseDoubleClickEvent(QMouseEvent *e) override;
};

// Title screen shown over the main window at start-up: the title picture, whose
// drawn buttons (continue, help, quit) are made clickable by invisible areas, the
// help text, and a plain title with real buttons when there is no picture.
class TFormIntro : public QDialog {
    Q_OBJECT
public:
    // The title picture and the help file are those of session.startDir, the directory
    // the program started in. `screen`: the screen size the layout is centred on (the
    // primary screen's when empty).
    explicit TFormIntro(const Session &session, QWidget *parent = nullptr, QSize screen = QSize());

    // Controls, named by their role; after each, the handler it raises.
    IntroArea *picture;          // Image1DblClick
    QLabel *titleLabel;          // "ZOKA", on the plain title screen
    IntroArea *continueArea;     // Shape1MouseUp
    IntroArea *helpArea;         // Shape2MouseUp
    IntroArea *quitArea;         // Shape3MouseUp
    QPushButton *continueButton; // ContinuerClick
    QPushButton *helpButton;     // AideClick
    QPushButton *quitButton;     // QuitterClick
    QTextEdit *helpText;

    // Ends the program (the display mode put back first); tests replace it.
    std::function<void()> endProgram;

    const intro::HelpToggle &help() const { return m_help; }

public slots:
    void FormShow();
    void ContinuerClick();
    void AideClick();
    void QuitterClick();
    void Image1DblClick();
    void Shape1MouseUp();
    void Shape2MouseUp();
    void Shape3MouseUp();

protected:
    void keyPressEvent(QKeyEvent *e) override;
    void showEvent(QShowEvent *e) override;
    void closeEvent(QCloseEvent *e) override;
    void reject() override; // Esc does not leave the title screen

private:
    const Session &m_session;
    void FormCreate(QSize screen);
    void showHelpState();

    intro::HelpToggle m_help;
    QString m_baseCaption;
};

} // namespace zoka
