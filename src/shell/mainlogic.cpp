// SPDX-License-Identifier: GPL-3.0-or-later
#include "shell/mainlogic.h"

#include "platform/messages.h"
#include "shell/administrationcheck.h"
#include "shell/configfile.h"
#include "shell/filechoice.h"
#include "shell/internalerror.h"
#include "shell/maintexts.h"
#include "shell/naming.h"
#include "battery/testtable.h"

#include <QDir>
#include <QFileInfo>


namespace zoka {

using namespace maintext;

namespace {
QString resultsDirMissingText(const QString &dir)
{
    return DirHead + dir + DirTail + QLatin1Char('\r') + DirActivate + QLatin1Char('\r') + DirRestart;
}

QString resultsDirUnusableText(const QString &dir)
{
    return QStringLiteral("Le répertoire des résultats <%1> n'est pas accessible.").arg(dir);
}

const QString StartupFailedText = QStringLiteral(
    "Le démarrage de ZOKA n'a pu aboutir: les boutons Passation, Analyse et Suppression "
    "restent inactifs.\r"
    "Corrigez les réglages dans la fenêtre [Options] (bouton Accepter, « Enregistrer les "
    "valeurs » coché), puis quittez et redémarrez l'application ZOKA.");
} // namespace

MainLogic::MainLogic(Session &session)
    : m_session(session), m_chosen(session.choices)
{
    patientNameText = NomInit;
    for (const TestEntry &entry : testTable())
        testGroup.items << entry.listCaption;
    testGroup.enabled = false;
    threeCountsGroup.items = {Items16, Items32, Items64};
    twoCountsGroup.items = {Items32, Items64};
    twoCountsGroup.visible = false;  // one count group at a time
    speedGroup.items = {Lente, Moyenne, Rapide};
    speedGroup.index = 1;
    speedGroup.visible = false;
    countGroupCaption = CountGroupItems;
}

// ---- Program-side changes ----------------------------------------------------------

void MainLogic::setPatientNameText(const QString &text)
{
    if (text == patientNameText)
        return;
    patientNameText = text;
    NomChange();
}

void MainLogic::setTestGroupIndex(int index)
{
    if (index == testGroup.index)
        return;
    testGroup.index = index;
    if (index >= 0)
        EpreuvesClick();
}

void MainLogic::setTwoCountsIndex(int index)
{
    if (index == twoCountsGroup.index)
        return;
    twoCountsGroup.index = index;
    if (index >= 0)
        NbItems2Click();
}

void MainLogic::setThreeCountsIndex(int index)
{
    if (index == threeCountsGroup.index)
        return;
    threeCountsGroup.index = index;
    if (index >= 0)
        NbItems3Click();
}

void MainLogic::setSpeedGroupIndex(int index)
{
    if (index == speedGroup.index)
        return;
    speedGroup.index = index;
    if (index >= 0)
        VitesseASClick();
}

void MainLogic::selectFile(int row)
{
    patientFilesList.selected = (row >= 0 && row < patientFilesList.entries.size()) ? row : -1;
}

void MainLogic::selectPatient(int row)
{
    patientListSelected = (row >= 0 && row < patientList.size()) ? row : -1;
}

void MainLogic::userClickPatient(int row)
{
    selectPatient(row);
    ListPatientsClick();
}

void MainLogic::userClickFile(int row)
{
    selectFile(row);
    FileListEpreuvesClick();
}

void MainLogic::userDoubleClickFile(int row)
{
    selectFile(row);
    FileListEpreuvesDblClick();
}

void MainLogic::clearFileSelection() { patientFilesList.selected = -1; }

void MainLogic::say(MsgKind kind, const QString &text)
{
    beforeModal();
    showMessage(kind, text);
}

bool MainLogic::ask(MsgKind kind, const QString &text)
{
    beforeModal();
    return askYesNo(kind, text);
}

void MainLogic::setWindowCallbacks(std::function<void()> beforeModal, std::function<void()> quit)
{
    m_beforeModal = std::move(beforeModal);
    m_quit = std::move(quit);
}

void MainLogic::beforeModal()
{
    if (m_beforeModal)
        m_beforeModal();
}

// ---- Start-up and end ----------------------------------------------------------------

void MainLogic::FormShow()
{
    if (services().screenSize) {
        const QSize s = services().screenSize();
        m_session.screen = {s.width(), s.height()};
    }
    m_session.versionShort = ProgramVersion.chopped(1);

    beforeModal();
    if (services().showIntro)
        services().showIntro();

    caption = Caption;

    beforeModal();
    const bool loaded = services().loadConfiguration ? services().loadConfiguration() : LoadConfigurationAtStartup(m_session);
    if (!loaded) {
        // The configuration stays as it was; give the options window something
        // sensible to show (nothing is written unless the examiner accepts it there).
        if (m_session.config.ProgramDir.isEmpty())
            m_session.config = defaultConfigRecord(m_session.startDir);
        startupFailure();
        return;
    }
    configurationLoaded = true;

    caption += m_session.versionShort;

    m_chosen.testIndex = 0;
    twoCountsGroup.visible = false;
    threeCountsGroup.visible = false;
    countText.clear();

    // The results directory.
    const QString &configured = m_session.config.ResultsDir;
    if (configured.isEmpty() || !QFileInfo(QDir(m_session.startDir), configured).isDir()) {
        say(MsgKind::Error, resultsDirMissingText(m_session.config.ResultsDir));
        beforeModal();
        if (services().showOptions)
            services().showOptions();
    }
    const QString dir = m_session.config.ResultsDir;
    m_session.resultsDir = dir.isEmpty() ? QString() : QDir::cleanPath(QDir(m_session.startDir).absoluteFilePath(dir));

    if (!pointFileLists(m_session.resultsDir)) {
        say(MsgKind::Error, resultsDirUnusableText(dir));
        startupFailure();
        return;
    }

    administrationEnabled = true;
    analysisEnabled = true;
    deleteEnabled = true;
    testGroup.enabled = true;
    setTestGroupIndex(m_chosen.testIndex);

    focus = MainFocus::PatientName;
    m_chosen.patientName.clear();
    m_chosen.selectedFile.clear();

    RefreshPatientList();
}

void MainLogic::startupFailure()
{
    startupFailed = true;
    administrationEnabled = false;
    analysisEnabled = false;
    deleteEnabled = false;
    testGroup.enabled = false;
    patientNameEnabled = false;
    listsEnabled = false;
    twoCountsGroup.enabled = false;
    threeCountsGroup.enabled = false;
    speedGroup.enabled = false;
    say(MsgKind::Error, StartupFailedText);
}

bool MainLogic::FormClose()
{
    if (!ask(MsgKind::Confirmation, CloseAsk))
        return false;
    if (services().switchScreenMode)
        services().switchScreenMode(m_session.screen.width, m_session.screen.height);
    return true;
}

void MainLogic::QuitterClick()
{
    // After a start-up that could not read the configuration, the configuration holds
    // nothing the examiner chose: the file on disk is left as it is.
    if (configurationLoaded) {
        const bool saved = services().saveConfiguration ? services().saveConfiguration() : SaveConfiguration(m_session);
        if (!saved)
            return; // the error has been reported; the program stays open
    }
    if (services().switchScreenMode)
        services().switchScreenMode(m_session.screen.width, m_session.screen.height);
    if (m_quit)
        m_quit();
}

void MainLogic::OptionsClick()
{
    beforeModal();
    if (services().showOptions)
        services().showOptions();
    if (m_session.resultsDir.isEmpty())
        return;
    if (!pointFileLists(m_session.resultsDir))
        say(MsgKind::Error, resultsDirUnusableText(m_session.resultsDir));
    RefreshPatientList();
}

// ---- Name, test and count ---------------------------------------------------------

void MainLogic::NomChange()
{
    m_chosen.patientName = patientNameText;

    const int keep = underscoreDotCut(m_chosen.patientName);
    const int bad = forbiddenFileNameCharIndex(m_chosen.patientName);
    if (keep >= 0) {
        say(MsgKind::Error, NameBadChars);
        setPatientNameText(m_chosen.patientName.left(keep));
    } else if (bad >= 0) {
        say(MsgKind::Error, NameForbiddenChars);
        setPatientNameText(m_chosen.patientName.left(bad));
    }

    if (m_chosen.patientName.size() > MaxPatientNameLength) {
        say(MsgKind::Error, NameTooLong);
        setPatientNameText(m_chosen.patientName.left(MaxPatientNameLength));
    }

    setPatientFilesMask(m_chosen.patientName + QStringLiteral("_*"));
}

void MainLogic::EpreuvesClick()
{
    m_session.run.unlimited = false;
    m_chosen.unlimitedChosen = false;
    twoCountsGroup.enabled = true;
    threeCountsGroup.enabled = true;
    if (!m_fileClickInProgress) {
        clearFileSelection();
        m_chosen.selectedFile.clear();
    }
    countGroupCaption = CountGroupItems;
    countText.clear();
    m_chosen.testIndex = testGroup.index;
    if (speedInName(m_chosen.testIndex))
        SetupSpeedChoice(1);
    else
        SetupItemCountChoice();
}

void MainLogic::SetupItemCountChoice()
{
    speedGroup.visible = false;
    twoCountsGroup.visible = false;
    threeCountsGroup.visible = false;
    m_chosen.itemCount = 0;
    const TestEntry *entry = testEntryAt(m_chosen.testIndex);
    switch (entry ? entry->counts : CountChoice::Speed) {
    case CountChoice::Choice16_32_64:
        threeCountsGroup.items = {Items16, Items32, Items64};
        threeCountsGroup.visible = true;
        setThreeCountsIndex(0);
        TakeItemCount(3);
        break;
    case CountChoice::Choice36_64:
        twoCountsGroup.items = {Items36, Items64};
        twoCountsGroup.visible = true;
        setTwoCountsIndex(0);
        TakeItemCount(2);
        break;
    case CountChoice::Choice32_64:
        twoCountsGroup.items = {Items32, Items64};
        twoCountsGroup.visible = true;
        setTwoCountsIndex(0);
        TakeItemCount(2);
        break;
    case CountChoice::Fixed64:
        m_chosen.itemCount = 64;
        break;
    case CountChoice::Speed:
        break;
    }
    countText = QString::number(m_chosen.itemCount);
    if (m_chosen.itemCount == 0)
        InternalError(201);
}

void MainLogic::TakeItemCount(int kind)
{
    switch (kind) {
    case 1:
        m_chosen.itemCount = m_chosen.fileItemCount;
        break;
    case 2:
        m_chosen.itemCount = twoCountsGroup.index == 1 ? 64 : 32;
        if (m_chosen.itemCount == 32 && countChoiceIs(CountChoice::Choice36_64))
            m_chosen.itemCount = 36;
        break;
    case 3:
        m_chosen.itemCount = threeCountsGroup.index == 2 ? 64 : threeCountsGroup.index == 1 ? 32 : 16;
        break;
    default:
        break;
    }
    countText = QString::number(m_chosen.itemCount);
}

void MainLogic::NbItems2Click()
{
    if (!m_fileClickInProgress) {
        clearFileSelection();
        m_chosen.selectedFile.clear();
    }
    TakeItemCount(2);
}

void MainLogic::NbItems3Click()
{
    if (!m_fileClickInProgress) {
        clearFileSelection();
        m_chosen.selectedFile.clear();
    }
    TakeItemCount(3);
}

void MainLogic::SetupSpeedChoice(int s)
{
    m_chosen.speedIndex = s;
    twoCountsGroup.visible = false;
    threeCountsGroup.visible = false;
    speedGroup.enabled = true;
    speedGroup.visible = true;
    setSpeedGroupIndex(s);
    countGroupCaption = CountGroupMsec;
    countText = QString::number(SpeedTable[m_chosen.speedIndex]);
    m_chosen.itemCount = 228;
}

void MainLogic::VitesseASClick()
{
    m_chosen.speedIndex = speedGroup.index;
    countText = QString::number(SpeedTable[m_chosen.speedIndex]);
}

void MainLogic::rerunTestSetup()
{
    if (speedInName(m_chosen.testIndex))
        SetupSpeedChoice(1);
    else
        SetupItemCountChoice();
}

void MainLogic::Label1DblClick()
{
    if (!m_fileClickInProgress) {
        clearFileSelection();
        m_chosen.selectedFile.clear();
    }
    if (startupFailed || !testEntryAt(m_chosen.testIndex) || !testEntryAt(m_chosen.testIndex)->endlessAllowed)
        return;
    if (ask(MsgKind::Confirmation, AskEndless)) {
        m_chosen.unlimitedChosen = true;
        if (countChoiceIs(CountChoice::Choice36_64) || countChoiceIs(CountChoice::Choice32_64))
            setTwoCountsIndex(1);
        else if (countChoiceIs(CountChoice::Choice16_32_64))
            setThreeCountsIndex(2);
        m_chosen.itemCount = EndlessItemCount;
        twoCountsGroup.enabled = false;
        threeCountsGroup.enabled = false;
        countText = Endless;
    } else {
        m_chosen.unlimitedChosen = false;
        m_session.run.unlimited = false;
        twoCountsGroup.enabled = true;
        threeCountsGroup.enabled = true;
        rerunTestSetup();
    }
}

// ---- Administration and analysis --------------------------------------------------

bool MainLogic::countChoiceIs(CountChoice c) const
{
    const TestEntry *entry = testEntryAt(m_chosen.testIndex);
    return entry && entry->counts == c;
}

bool MainLogic::repairTestIndex()
{
    // A file name that matched no test leaves m_chosen.testIndex at -1 while the list still
    // shows the previous test: that test is the one in force.
    if (m_chosen.testIndex < 0 || m_chosen.testIndex >= TestCount)
        m_chosen.testIndex = testGroup.index;
    return m_chosen.testIndex >= 0 && m_chosen.testIndex < TestCount;
}

void MainLogic::focusVisibleCountGroup()
{
    if (twoCountsGroup.visible)
        focus = MainFocus::TwoCounts;
    else if (threeCountsGroup.visible)
        focus = MainFocus::ThreeCounts;
}

void MainLogic::PassationClick()
{
    if (services().switchScreenMode)
        services().switchScreenMode(800, 600);
    if (!repairTestIndex())
        return;
    // A count or speed read back from a chosen file name serves its analysis; an
    // administration always runs one of the test's own series. Tests 6, 8 and 9
    // run their fixed 64 items (a chosen Dupont_65.MIX or Dupont_999.PAS must not
    // ask for 65 or 999 items), and test 7 one of its three speeds (a chosen file
    // without a valid speed must not give a new file named with speed 3).
    if (countChoiceIs(CountChoice::Fixed64)) {
        if (m_chosen.itemCount != EndlessItemCount)
            SetupItemCountChoice();
    } else if (speedInName(m_chosen.testIndex) && (m_chosen.speedIndex < 0 || m_chosen.speedIndex > 2)) {
        SetupSpeedChoice(1);
    }
    m_chosen.fileItemCount = fileItemCountFor(m_chosen.testIndex, m_chosen.itemCount);
    m_chosen.resultFileName = buildResultFileName(m_chosen.patientName, m_chosen.testIndex, m_chosen.fileItemCount, m_chosen.unlimitedChosen, m_chosen.speedIndex);
    if (!CheckBeforeAdministration())
        return;

    beforeModal();
    if (services().startAdministration)
        services().startAdministration();

    m_session.run.unlimited = false;
    twoCountsGroup.enabled = true;
    threeCountsGroup.enabled = true;
    m_chosen.selectedFile = m_chosen.resultFileName;
    rereadFileLists();
    RefreshPatientList();
    // The file just recorded stands chosen in the list, ready for its analysis.
    patientFilesList.selected = int(patientFilesList.entries.indexOf(m_chosen.resultFileName));
    analysisEnabled = true;
}

bool MainLogic::CheckBeforeAdministration()
{
    const auto askNo = [this](const QString &q) {
        beforeModal();
        return askBeforeDestroying(MsgKind::Warning, q);
    };
    const AdministrationCheck check = checkBeforeAdministration(m_chosen.patientName, m_chosen.itemCount,
                                                                m_chosen.resultFileName, m_session.baseDir(), askNo);
    if (!check.message.isEmpty())
        say(check.kind, check.message);
    switch (check.focus) {
    case CheckFocus::Unchanged:
        break;
    case CheckFocus::Nom:
        focus = MainFocus::PatientName;
        break;
    case CheckFocus::CountGroup:
        focusVisibleCountGroup();
        break;
    case CheckFocus::Passation:
        focus = MainFocus::Administration;
        break;
    }
    if (check.ok)
        m_chosen.agreedResultFile = check.agreedResultFile;
    return check.ok;
}

void MainLogic::SuiviClick()
{
    if (startupFailed) // no results directory to look into
        return;
    beforeModal();
    if (services().showFollowUp)
        services().showFollowUp(patientNameText.trimmed());
}

void MainLogic::AnalysesClick()
{
    bool testKnown = true;
    if (m_chosen.selectedFile.isEmpty()) {
        if (repairTestIndex()) {
            m_chosen.fileItemCount = fileItemCountFor(m_chosen.testIndex, m_chosen.itemCount);
            m_chosen.selectedFile = buildResultFileName(m_chosen.patientName, m_chosen.testIndex, m_chosen.fileItemCount, m_chosen.unlimitedChosen, m_chosen.speedIndex);
        } else {
            testKnown = false;
        }
    } else {
        if (m_chosen.selectedFile.indexOf(QLatin1Char('_')) > 0 && m_chosen.patientName.isEmpty())
            m_chosen.patientName = m_chosen.selectedFile.left(m_chosen.selectedFile.indexOf(QLatin1Char('_')));
        if (m_chosen.testIndex < 0 || m_chosen.testIndex >= TestCount) {
            // The chosen file belongs to no test: nothing to analyse.
            say(MsgKind::Warning, ExtUnknown);
            testKnown = false;
        }
    }

    if (testKnown && CheckBeforeAnalysis()) {
        beforeModal();
        if (services().showAnalysis) {
            // The reading names the patient for the next administration, unless
            // that name could not name a result file ("_" or ".", a path, a
            // character Windows-1252 cannot hold, ...).
            const QString read = services().showAnalysis();
            if (!read.isEmpty() && patientNameProblem(read).isEmpty())
                m_chosen.patientName = read;
        }
    }

    repairTestIndex();
    if (!pointFileLists(m_session.resultsDir))
        say(MsgKind::Error, resultsDirUnusableText(m_session.resultsDir));
    RefreshPatientList();
    m_chosen.selectedFile.clear();
    m_session.run.unlimited = false;
    m_chosen.unlimitedChosen = false;
    twoCountsGroup.enabled = true;
    threeCountsGroup.enabled = true;
    if (m_chosen.testIndex >= 0 && m_chosen.testIndex < TestCount)
        rerunTestSetup();
}

bool MainLogic::CheckBeforeAnalysis()
{
    if (m_chosen.patientName.isEmpty()) {
        say(MsgKind::Warning, NotEncoded);
        focus = MainFocus::PatientName;
        return false;
    }
    if (m_chosen.fileItemCount == 0) {
        say(MsgKind::Warning, CountNotSet);
        focusVisibleCountGroup();
        return false;
    }
    if (!QFileInfo(m_session.resultFile(m_chosen.selectedFile)).isFile()) {
        say(MsgKind::Warning, LeFichier + m_chosen.selectedFile + Introuvable);
        focus = MainFocus::PatientName;
        return false;
    }
    return true;
}

// ---- Lists ---------------------------------------------------------------------------

bool MainLogic::pointFileLists(const QString &dir)
{
    if (!isEnterableDirectory(dir)) {
        allFilesList.directory.clear();
        patientFilesList.directory.clear();
        rereadFileLists();
        return false;
    }
    allFilesList.directory = dir;
    patientFilesList.directory = dir;
    rereadFileLists();
    return true;
}

void MainLogic::setPatientFilesMask(const QString &mask)
{
    if (mask == patientFilesList.mask)
        return;
    patientFilesList.mask = mask;
    patientFilesList.entries = filterByMask(readFileList(patientFilesList.directory), mask);
    patientFilesList.selected = -1;
}

void MainLogic::rereadFileLists()
{
    int unlistable = 0;
    const QStringList all = readFileList(allFilesList.directory, &unlistable);
    listNotice = unlistableFilesText(unlistable);
    allFilesList.entries = all;
    allFilesList.selected = -1;
    patientFilesList.entries = filterByMask(readFileList(patientFilesList.directory), patientFilesList.mask);
    patientFilesList.selected = -1;
}

void MainLogic::RefreshPatientList()
{
    patientList = patientsOfFileList(allFilesList.entries);
    patientListSelected = -1;
}

void MainLogic::ListPatientsClick()
{
    if (patientListSelected < 0)
        return;
    const QString patient = patientList.at(patientListSelected);
    // The name field may already read the patient's name (it starts with "Inconnu"):
    // the name and the file list must follow the choice all the same.
    if (patientNameText == patient)
        NomChange();
    else
        setPatientNameText(patient);
    clearFileSelection();
    m_chosen.selectedFile.clear();
}

void MainLogic::FileListEpreuvesClick()
{
    struct Guard {
        bool &inProgress;
        explicit Guard(bool &b) : inProgress(b) { inProgress = true; }
        ~Guard() { inProgress = false; }
    } guard(m_fileClickInProgress);

    m_chosen.selectedFile = FileNameOfPath(patientFilesList.selectedEntry());
    if (m_chosen.selectedFile.isEmpty()) {
        focus = MainFocus::PatientFiles;
        return;
    }
    const FileChoice chosen = fileChoiceOf(m_chosen.selectedFile);
    m_chosen.testIndex = chosen.testIndex;
    if (m_chosen.testIndex < 0) {
        say(MsgKind::Warning, ExtUnknown);
        focus = MainFocus::PatientFiles;
        return;
    }
    setTestGroupIndex(m_chosen.testIndex);

    if (!chosen.countValid) {
        m_chosen.fileItemCount = 0;
        say(MsgKind::Warning, CountBad);
        focus = MainFocus::PatientFiles;
        return;
    }
    m_chosen.fileItemCount = chosen.fileItemCount;

    if (speedInName(m_chosen.testIndex)) {
        if (!chosen.speedValid) {
            speedGroup.enabled = false;
            countText.clear();
            say(MsgKind::Warning, badSpeedText());
            m_chosen.speedIndex = chosen.speedIndex;
        } else {
            SetupSpeedChoice(chosen.speedIndex);
        }
    } else if (countChoiceIs(CountChoice::Fixed64)) {
        TakeItemCount(1);
    } else if (countChoiceIs(CountChoice::Choice36_64) || countChoiceIs(CountChoice::Choice32_64)) {
        setTwoCountsIndex(chosen.countButton);
    } else {
        setThreeCountsIndex(chosen.countButton);
    }

    analysisEnabled = true;
    focus = MainFocus::PatientFiles;
}

void MainLogic::FileListEpreuvesDblClick()
{
    FileListEpreuvesClick();
    AnalysesClick();
}

void MainLogic::GestionClick()
{
    const auto deleteOne = [this](const QString &entry) -> bool {
        const QString name = FileNameOfPath(entry);
        const QString path = m_session.resultFile(name);
        if (QFileInfo::exists(path) || QFileInfo(path).isSymLink()) {
            QString error;
            beforeModal();
            if (DeleteResultFile(m_session.baseDir(), name, &error) == DeleteOutcome::Failed) {
                say(MsgKind::Error, error);
                return false;
            }
        } else {
            say(MsgKind::Warning, Blanks20 + LeFichier + name + NotFoundTail + Blanks20);
        }
        return true;
    };

    if (patientFilesList.selected >= 0) {
        deleteOne(patientFilesList.selectedEntry());
    } else if (patientListSelected >= 0) {
        const QStringList files = patientFilesList.entries;
        for (const QString &f : files)
            if (!deleteOne(f))
                break;
    } else {
        say(MsgKind::Warning, SelectPatient);
        return;
    }
    // Also after a failure: the lists then show what is really left.
    rereadFileLists();
    RefreshPatientList();
}

} // namespace zoka
