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

    // Controls, named by their role; after each, the handler of MainLogic it raises.
    QGroupBox *patientNameGroup;
    QLineEdit *patientNameEdit;        // NomChange
    QGroupBox *taskGroup;              // "Tâche à réaliser:"
    QPushButton *administrationButton; // PassationClick
    QPushButton *analysisButton;       // AnalysesClick
    QPushButton *followUpButton;       // SuiviClick
    QPushButton *deleteButton;         // GestionClick ("Suppression")
    QGroupBox *listsGroup;
    QListWidget *patientList;          // ListPatientsClick
    QListWidget *allFilesList;         // never shown: every file of the results directory
    QListWidget *patientFilesList;     // FileListEpreuvesClick, FileListEpreuvesDblClick
    QGroupBox *quitGroup;
    QPushButton *quitButton;           // QuitterClick
    QPushButton *optionsButton;        // OptionsClick
    RadioGroup *testGroup;             // EpreuvesClick
    RadioGroup *threeCountsGroup;      // NbItems3Click: 16, 32 or 64 items
    RadioGroup *twoCountsGroup;        // NbItems2Click: 32/36 or 64 items
    RadioGroup *speedGroup;            // VitesseASClick
    QGroupBox *countGroup;             // "# items" or "msec:"
    QLabel *countLabel;                // the count or the speed; Label1DblClick
    QLabel *listNotice; // files of the results directory that could not be listed

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
