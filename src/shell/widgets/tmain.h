// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include "shell/mainlogic.h"

#include <QGroupBox>
#include <QStringList>
#include <QWidget>

class QButtonGroup;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QRadioButton;

namespace zoka {

// A captioned group of radio buttons laid out in one column, the buttons sharing the
// client height evenly. Setting the items or the selection from the program emits
// nothing; userSelected() reports the examiner's choice of another item.
class RadioGroup : public QGroupBox {
    Q_OBJECT
public:
    explicit RadioGroup(const QString &caption, QWidget *parent = nullptr);
    void setItems(const QStringList &items);
    QStringList items() const { return m_items; }
    void setItemIndex(int index);  // -1: none selected
    int itemIndex() const;
    QRadioButton *button(int i) const;

signals:
    void userSelected(int index);

protected:
    void resizeEvent(QResizeEvent *e) override;

private:
    void arrange();
    QStringList m_items;
    QList<QRadioButton *> m_buttons;
    QButtonGroup *m_group;
};

// The main window: patient name, test and item count, the lists of patients and of
// their result files, and the actions. All behaviour is in MainLogic; the window
// forwards every action there and then shows the state.
class TMain : public QWidget {
    Q_OBJECT
public:
    explicit TMain(Session &session, QWidget *parent = nullptr);

    MainLogic &logic() { return m_logic; }
    // Shows the state of MainLogic in the controls (nothing is raised by it).
    void syncFromLogic();
    // Runs the first-showing handler now (normally queued by the first showing).
    void runFormShow();

    // Controls, named by their role.
    QGroupBox *BoxNom;
    QLineEdit *Nom;
    QGroupBox *GroupBox1;
    QPushButton *Passation;
    QPushButton *Analyses;
    QPushButton *Suivi;
    QPushButton *Gestion;
    QGroupBox *ListPassation;
    QListWidget *ListPatients;
    QListWidget *FileListPatients;
    QListWidget *FileListEpreuves;
    QGroupBox *GroupBox4;
    QPushButton *Quitter;
    QPushButton *Options;
    RadioGroup *Epreuves;
    RadioGroup *NbItems3;
    RadioGroup *NbItems2;
    RadioGroup *VitesseAS;
    QGroupBox *GroupBox2;
    QLabel *Label1;
    QLabel *ListNotice; // files of the results directory that could not be listed

protected:
    void showEvent(QShowEvent *e) override;
    void closeEvent(QCloseEvent *e) override;
    bool eventFilter(QObject *watched, QEvent *e) override;

private:
    template<class F> void handle(F &&f);
    int keyboardSelection(QListWidget *list) const;
    void fillList(QListWidget *w, const QStringList &entries, int selected);
    void applyGroup(RadioGroup *w, const RadioGroupModel &m);

    MainLogic m_logic;
    bool m_syncing = false;
    bool m_shownOnce = false;
    bool m_quitting = false;
};

} // namespace zoka
