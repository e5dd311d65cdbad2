// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include "battery/testtable.h"
#include "platform/messages.h"
#include "shell/filelists.h"
#include "shell/session.h"

#include <QSize>
#include <QString>
#include <QStringList>
#include <functional>

namespace zoka {

// The main window's behaviour, apart from its widgets: the state of every control
// that the handlers read or change, and the handlers themselves. The window (TMain)
// forwards the examiner's actions here and draws the state afterwards; tests drive
// the same handlers with a scripted message service.
//
// As with the examiner's own actions, setting a radio group's selection from the
// program raises that group's click handler when the selection changes, and setting
// the text of the name field raises NomChange when the text changes: the set*()
// functions below do exactly that.

enum class MainFocus { None, PatientName, TwoCounts, ThreeCounts, Administration, PatientFiles };

struct RadioGroupModel {
    QStringList items;
    int index = -1;
    bool visible = true;
    bool enabled = true;
};

struct FileListModel {
    QString directory;   // empty until the list is pointed at a directory
    QString mask = AllFilesMask;
    QStringList entries;
    int selected = -1;
    QString selectedEntry() const { return selected >= 0 && selected < entries.size() ? entries.at(selected) : QString(); }
};

// The handlers act on the session (the examiner's choices, the configuration, the
// results directory) and reach the windows they open through its services.
class MainLogic {
public:
    explicit MainLogic(Session &session);
    Session &session() { return m_session; }
    // What the logic asks of its own window: `beforeModal` brings the window up to
    // date before a message box or another window; `quit` ends the program (button
    // "Quitter"). Empty: nothing.
    void setWindowCallbacks(std::function<void()> beforeModal, std::function<void()> quit);

    // ---- State of the controls --------------------------------------------------
    QString caption;
    QString patientNameText;
    bool patientNameEnabled = true;
    RadioGroupModel testGroup;        // "Epreuves": the ten tests
    RadioGroupModel twoCountsGroup;   // 32/64 or 36/64 items
    RadioGroupModel threeCountsGroup; // 16/32/64 items
    RadioGroupModel speedGroup;       // speed of test 7
    QString countGroupCaption;
    QString countText;
    bool administrationEnabled = false;
    bool analysisEnabled = false;
    bool deleteEnabled = false;
    bool listsEnabled = true;
    QString listNotice; // under the lists: files that could not be listed
    FileListModel allFilesList;     // never shown: every file of the results directory
    FileListModel patientFilesList; // files of the patient in the name field
    QStringList patientList;
    int patientListSelected = -1;
    MainFocus focus = MainFocus::None; // focus asked for by the last handler
    bool startupFailed = false;        // start-up stopped: only Options and Quitter work
    bool configurationLoaded = false;  // the configuration holds what was read or set up at start

    // ---- Changes made by the program (raise the handlers like the examiner's) ---
    void setPatientNameText(const QString &text);
    void setTestGroupIndex(int index);
    void setTwoCountsIndex(int index);
    void setThreeCountsIndex(int index);
    void setSpeedGroupIndex(int index);
    void selectFile(int row);     // selection only, no handler
    void selectPatient(int row);  // selection only, no handler

    // ---- The examiner's actions on the lists ------------------------------------
    void userClickPatient(int row);     // selects, then ListPatientsClick
    void userClickFile(int row);        // selects, then FileListEpreuvesClick
    void userDoubleClickFile(int row);  // selects, then FileListEpreuvesDblClick

    // ---- Handlers ------------------------------------------------------------------
    void FormShow();
    bool FormClose();  // true: the window may close (and the program ends)
    void NomChange();
    void EpreuvesClick();
    void NbItems2Click();
    void NbItems3Click();
    void VitesseASClick();
    void Label1DblClick();
    void PassationClick();
    void AnalysesClick();
    void SuiviClick();
    void OptionsClick();
    void QuitterClick();
    void ListPatientsClick();
    void FileListEpreuvesClick();
    void FileListEpreuvesDblClick();
    void GestionClick();

    // ---- Steps shared by the handlers -----------------------------------------
    void SetupItemCountChoice();
    void SetupSpeedChoice(int s);
    void TakeItemCount(int kind);
    bool CheckBeforeAdministration();
    bool CheckBeforeAnalysis();
    void RefreshPatientList();
    // Points both file lists at `dir`. False (and both lists emptied) when the
    // directory's files cannot be reached.
    bool pointFileLists(const QString &dir);
    void setPatientFilesMask(const QString &mask); // re-reads the list when it changes
    void rereadFileLists();                     // re-reads both lists

private:
    void clearFileSelection();
    void focusVisibleCountGroup();
    void rerunTestSetup();
    bool countChoiceIs(CountChoice c) const;
    bool repairTestIndex();
    void startupFailure();
    void beforeModal();
    // Message boxes, with the window brought up to date first.
    void say(MsgKind kind, const QString &text);
    bool ask(MsgKind kind, const QString &text);

    const Services &services() const { return m_session.services; }

    Session &m_session;
    ExaminerChoices &m_chosen;
    std::function<void()> m_beforeModal;
    std::function<void()> m_quit;
    bool m_fileClickInProgress = false; // a file chosen in the list sets the controls
};

} // namespace zoka
