// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include "shell/optionslogic.h"

#include <QColor>
#include <QDialog>
#include <QFont>
#include <functional>

class QCheckBox;
class QComboBox;
class QFontDialog;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace zoka {

// Font choice with a colour, as the configuration keeps it: Qt's font dialog (name,
// size, bold, italic, underline, strike-out) with a colour list below it.
class TFontChoiceDialog : public QDialog {
    Q_OBJECT
public:
    explicit TFontChoiceDialog(QWidget *parent = nullptr);
    void setChoice(const QFont &font, const QColor &color);
    QFont chosenFont() const;
    QColor chosenColor() const;

    // The sixteen colours of the list, with their French names.
    static const QList<QPair<QString, QColor>> &standardColors();

private:
    QFontDialog *m_fonts;
    QComboBox *m_colors;
    QString m_givenFamily;
    QString m_shownFamily;
};

// Configuration window: results directory, left print margin, print font, stop key,
// start-up screen resolution. Created once, shown modally through
// showOptionsWindow(); it closes only through "Accepter" and "Annuler".
class TFormOptions : public QDialog {
    Q_OBJECT
public:
    explicit TFormOptions(Session &session, QWidget *parent = nullptr);

    // Controls, named by their role; after each, the handler it raises.
    QLabel *resultsDirLabel;
    QLineEdit *resultsDirEdit;         // DirEprChange, DirEprExit
    QPushButton *browseButton;         // Button1Click ("....")
    QGroupBox *screenGroup;            // "Résolution d'écran"
    QLabel *screenSizeLabel;           // "Actuelle: " width " x " height
    QPushButton *restoreScreenButton;  // Button2Click ("Retour valeur initiale")
    QGroupBox *printGroup;             // "Impression"
    QLabel *marginLabel;
    QLineEdit *marginEdit;             // MargeGChange
    QLabel *fontLabel;
    QPushButton *fontButton;           // PoliceClick
    QLabel *stopKeyLabel;
    QLineEdit *stopKeyEdit;            // KeyStopChange, KeyStopExit
    QCheckBox *saveSettingsCheck;      // "Enregistrer les valeurs"
    QPushButton *acceptButton;         // AccepterClick
    QPushButton *cancelButton;         // AnnulerClick
    QPushButton *timingCheckButton;    // "Contrôle de la chronométrie"

    // The standard dialogs, replaceable for tests. directoryDialog returns the
    // chosen directory ("" = cancelled); fontDialog edits font and colour and
    // returns false when cancelled.
    std::function<QString(QWidget *parent, const QString &start)> directoryDialog;
    std::function<bool(QWidget *parent, QFont &font, QColor &color)> fontDialog;

    OptionsLogic &logic() { return m_logic; }

    // Mapping between the configuration's print-font fields and a font and colour.
    static QFont fontOfConfig(const ConfigRecord &c);
    static QColor colorOfBgr(qint32 bgr);
    static qint32 bgrOfColor(const QColor &color);
    static quint8 styleOfFont(const QFont &font);

public slots:
    void FormShow();
    void DirEprChange(const QString &text);
    void DirEprExit();
    void Button1Click();
    void MargeGChange(const QString &text);
    void PoliceClick();
    void KeyStopChange(const QString &text);
    void KeyStopExit();
    void Button2Click();
    void AccepterClick();
    void AnnulerClick();

protected:
    void showEvent(QShowEvent *e) override;
    void closeEvent(QCloseEvent *e) override;
    void reject() override; // Esc does not close the window
    bool eventFilter(QObject *watched, QEvent *e) override;

private:
    void setDirText(const QString &text);
    void FormClose();

    Session &m_session;
    OptionsLogic m_logic;
    bool m_closing = false;
    bool m_inExit = false;
};

} // namespace zoka
