// SPDX-License-Identifier: GPL-3.0-or-later
#include "shell/mainlogic.h"

#include "platform/fileerrors.h"
#include "platform/messages.h"
#include "platform/safewrite.h"
#include "shell/configfile.h"
#include "shell/internalerror.h"
#include "shell/maintexts.h"
#include "shell/naming.h"
#include "shell/sharedstate.h"
#include "battery/testtable.h"

#include <QDir>
#include <QFileInfo>

#include <cerrno>

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

QString resultsDirNotWritableText(const QString &dir, int err)
{
    return QStringLiteral("Aucun fichier de résultats ne peut être créé dans le répertoire des résultats <%1> : %2.\r"
                          "Choisissez un autre répertoire dans la fenêtre [Options].")
        .arg(QDir::toNativeSeparators(dir), fileErrorText(err));
}

const QString StartupFailedText = QStringLiteral(
    "Le démarrage de ZOKA n'a pu aboutir: les boutons Passation, Analyse et Suppression "
    "restent inactifs.\r"
    "Corrigez les réglages dans la fenêtre [Options] (bouton Accepter, « Enregistrer les "
    "valeurs » coché), puis quittez et redémarrez l'application ZOKA.");
} // namespace

MainLogic::MainLogic()
    : MainLogic(Hooks{})
{
}

MainLogic::MainLogic(Hooks hooks)
    : m_hooks(std::move(hooks))
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

void MainLogic::beforeModal()
{
    if (m_hooks.beforeModal)
        m_hooks.beforeModal();
}

// ---- Start-up and end ----------------------------------------------------------------

void MainLogic::FormShow()
{
    if (m_hooks.screenSize) {
        const QSize s = m_hooks.screenSize();
        InitialScreenWidth = s.width();
        InitialScreenHeight = s.height();
    }
    VersionShort = ProgramVersion.chopped(1);

    beforeModal();
    if (m_hooks.showIntro)
        m_hooks.showIntro();

    caption = Caption;

    beforeModal();
    const bool loaded = m_hooks.loadConfiguration ? m_hooks.loadConfiguration() : LoadConfigurationAtStartup();
    if (!loaded) {
        // Config stays as it was; give the options window something sensible to show
        // (nothing is written unless the examiner accepts it there).
        if (Config.ProgramDir.isEmpty())
            Config = defaultConfigRecord(QDir::currentPath());
        startupFailure();
        return;
    }
    configurationLoaded = true;

    caption += VersionShort;

    TestIndex = 0;
    twoCountsGroup.visible = false;
    threeCountsGroup.visible = false;
    countText.clear();

    // The results directory.
    if (!QFileInfo(Config.ResultsDir).isDir()) {
        say(MsgKind::Error, resultsDirMissingText(Config.ResultsDir));
        beforeModal();
        if (m_hooks.showOptions)
            m_hooks.showOptions();
    }
    ResultsDirPath = Config.ResultsDir;

    if (!pointFileLists(ResultsDirPath)) {
        say(MsgKind::Error, resultsDirUnusableText(ResultsDirPath));
        startupFailure();
        return;
    }

    administrationEnabled = true;
    analysisEnabled = true;
    deleteEnabled = true;
    testGroup.enabled = true;
    setTestGroupIndex(TestIndex);

    focus = MainFocus::PatientName;
    PatientName.clear();
    SelectedFile.clear();

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
    if (m_hooks.switchScreenMode)
        m_hooks.switchScreenMode(InitialScreenWidth, InitialScreenHeight);
    return true;
}

void MainLogic::QuitterClick()
{
    // After a start-up that could not read the configuration, Config holds nothing
    // the examiner chose: the file on disk is left as it is.
    if (configurationLoaded) {
        const bool saved = m_hooks.saveConfiguration ? m_hooks.saveConfiguration() : SaveConfiguration();
        if (!saved)
            return; // the error has been reported; the program stays open
    }
    if (m_hooks.switchScreenMode)
        m_hooks.switchScreenMode(InitialScreenWidth, InitialScreenHeight);
    if (m_hooks.quit)
        m_hooks.quit();
}

void MainLogic::OptionsClick()
{
    beforeModal();
    if (m_hooks.showOptions)
        m_hooks.showOptions();
    if (ResultsDirPath.isEmpty())
        return;
    if (!pointFileLists(ResultsDirPath))
        say(MsgKind::Error, resultsDirUnusableText(ResultsDirPath));
    RefreshPatientList();
}

// ---- Name, test and count ---------------------------------------------------------

void MainLogic::NomChange()
{
    PatientName = patientNameText;

    const int keep = underscoreDotCut(PatientName);
    const int bad = forbiddenFileNameCharIndex(PatientName);
    if (keep >= 0) {
        say(MsgKind::Error, NameBadChars);
        setPatientNameText(PatientName.left(keep));
    } else if (bad >= 0) {
        say(MsgKind::Error, NameForbiddenChars);
        setPatientNameText(PatientName.left(bad));
    }

    if (PatientName.size() > MaxPatientNameLength) {
        say(MsgKind::Error, NameTooLong);
        setPatientNameText(PatientName.left(MaxPatientNameLength));
    }

    setPatientFilesMask(PatientName + QStringLiteral("_*"));
}

void MainLogic::EpreuvesClick()
{
    UnlimitedActive = false;
    UnlimitedChosen = false;
    twoCountsGroup.enabled = true;
    threeCountsGroup.enabled = true;
    if (!FileClickInProgress) {
        clearFileSelection();
        SelectedFile.clear();
    }
    countGroupCaption = CountGroupItems;
    countText.clear();
    TestIndex = testGroup.index;
    if (TestIndex == SpeedTestIndex)
        SetupSpeedChoice(1);
    else
        SetupItemCountChoice();
}

void MainLogic::SetupItemCountChoice()
{
    speedGroup.visible = false;
    twoCountsGroup.visible = false;
    threeCountsGroup.visible = false;
    ItemCount = 0;
    const TestEntry *entry = testEntryAt(TestIndex);
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
        ItemCount = 64;
        break;
    case CountChoice::Speed:
        break;
    }
    countText = QString::number(ItemCount);
    if (ItemCount == 0)
        InternalError(201);
}

void MainLogic::TakeItemCount(int kind)
{
    switch (kind) {
    case 1:
        ItemCount = FileItemCount;
        break;
    case 2:
        ItemCount = twoCountsGroup.index == 1 ? 64 : 32;
        if (ItemCount == 32 && countChoiceIs(CountChoice::Choice36_64))
            ItemCount = 36;
        break;
    case 3:
        ItemCount = threeCountsGroup.index == 2 ? 64 : threeCountsGroup.index == 1 ? 32 : 16;
        break;
    default:
        break;
    }
    countText = QString::number(ItemCount);
}

void MainLogic::NbItems2Click()
{
    if (!FileClickInProgress) {
        clearFileSelection();
        SelectedFile.clear();
    }
    TakeItemCount(2);
}

void MainLogic::NbItems3Click()
{
    if (!FileClickInProgress) {
        clearFileSelection();
        SelectedFile.clear();
    }
    TakeItemCount(3);
}

void MainLogic::SetupSpeedChoice(int s)
{
    SpeedIndex = s;
    twoCountsGroup.visible = false;
    threeCountsGroup.visible = false;
    speedGroup.enabled = true;
    speedGroup.visible = true;
    setSpeedGroupIndex(s);
    countGroupCaption = CountGroupMsec;
    countText = QString::number(SpeedTable[SpeedIndex]);
    ItemCount = 228;
}

void MainLogic::VitesseASClick()
{
    SpeedIndex = speedGroup.index;
    countText = QString::number(SpeedTable[SpeedIndex]);
}

void MainLogic::rerunTestSetup()
{
    if (TestIndex == SpeedTestIndex)
        SetupSpeedChoice(1);
    else
        SetupItemCountChoice();
}

void MainLogic::Label1DblClick()
{
    if (!FileClickInProgress) {
        clearFileSelection();
        SelectedFile.clear();
    }
    if (startupFailed || !testEntryAt(TestIndex) || !testEntryAt(TestIndex)->endlessAllowed)
        return;
    if (ask(MsgKind::Confirmation, AskEndless)) {
        UnlimitedChosen = true;
        if (countChoiceIs(CountChoice::Choice36_64) || countChoiceIs(CountChoice::Choice32_64))
            setTwoCountsIndex(1);
        else if (countChoiceIs(CountChoice::Choice16_32_64))
            setThreeCountsIndex(2);
        ItemCount = EndlessItemCount;
        twoCountsGroup.enabled = false;
        threeCountsGroup.enabled = false;
        countText = Endless;
    } else {
        UnlimitedChosen = false;
        UnlimitedActive = false;
        twoCountsGroup.enabled = true;
        threeCountsGroup.enabled = true;
        rerunTestSetup();
    }
}

// ---- Administration and analysis --------------------------------------------------

bool MainLogic::countChoiceIs(CountChoice c) const
{
    const TestEntry *entry = testEntryAt(TestIndex);
    return entry && entry->counts == c;
}

bool MainLogic::repairTestIndex()
{
    // A file name that matched no test leaves TestIndex at -1 while the list still
    // shows the previous test: that test is the one in force.
    if (TestIndex < 0 || TestIndex >= TestCount)
        TestIndex = testGroup.index;
    return TestIndex >= 0 && TestIndex < TestCount;
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
    if (m_hooks.switchScreenMode)
        m_hooks.switchScreenMode(800, 600);
    if (!repairTestIndex())
        return;
    // A count or speed read back from a chosen file name serves its analysis; an
    // administration always runs one of the test's own series. Tests 6, 8 and 9
    // run their fixed 64 items (a chosen Dupont_65.MIX or Dupont_999.PAS must not
    // ask for 65 or 999 items), and test 7 one of its three speeds (a chosen file
    // without a valid speed must not give a new file named with speed 3).
    if (countChoiceIs(CountChoice::Fixed64)) {
        if (ItemCount != EndlessItemCount)
            SetupItemCountChoice();
    } else if (TestIndex == SpeedTestIndex && (SpeedIndex < 0 || SpeedIndex > 2)) {
        SetupSpeedChoice(1);
    }
    FileItemCount = fileItemCountFor(TestIndex, ItemCount);
    ResultFileName = buildResultFileName(PatientName, TestIndex, FileItemCount, UnlimitedChosen, SpeedIndex);
    if (!CheckBeforeAdministration())
        return;

    beforeModal();
    if (m_hooks.startAdministration)
        m_hooks.startAdministration();

    UnlimitedActive = false;
    twoCountsGroup.enabled = true;
    threeCountsGroup.enabled = true;
    SelectedFile = ResultFileName;
    rereadFileLists();
    RefreshPatientList();
    // The file just recorded stands chosen in the list, ready for its analysis.
    patientFilesList.selected = int(patientFilesList.entries.indexOf(ResultFileName));
    analysisEnabled = true;
}

bool MainLogic::CheckBeforeAdministration()
{
    if (PatientName.isEmpty()) {
        say(MsgKind::Warning, NotEncoded);
        focus = MainFocus::PatientName;
        return false;
    }
    if (ItemCount == 0) {
        say(MsgKind::Warning, CountNotSet);
        focusVisibleCountGroup();
        return false;
    }
    // The name may come from elsewhere than the name field (the header of an analysed
    // file, a chosen file's name): the result file must still be a plain file of the
    // results directory that its header can name.
    QString refusal = patientNameProblem(PatientName);
    if (refusal.isEmpty())
        refusal = resultFileNameProblem(ResultFileName);
    if (!refusal.isEmpty()) {
        say(MsgKind::Error, refusal);
        focus = MainFocus::PatientName;
        return false;
    }
    // The result file is created in the current directory, the results directory.
    int err = 0;
    if (!canCreateFileIn(QStringLiteral("."), &err)) {
        say(MsgKind::Error, resultsDirNotWritableText(ResultsDirPath.isEmpty() ? QDir::currentPath() : ResultsDirPath, err));
        return false;
    }
    QString replaceRefusal;
    const auto askNo = [this](const QString &q) {
        beforeModal();
        return askBeforeDestroying(MsgKind::Warning, q);
    };
    switch (confirmReplacingResultFile(ResultFileName, askNo, &replaceRefusal)) {
    case ReplaceOutcome::Agreed:
        break;
    case ReplaceOutcome::Refused:
        say(MsgKind::Error, replaceRefusal);
        [[fallthrough]];
    case ReplaceOutcome::Declined:
        focus = MainFocus::PatientName;
        return false;
    }
    // The run asks again when another program has put a file of this name there since.
    AgreedResultFile = identityOfPath(ResultFileName);
    focus = MainFocus::Administration;
    return true;
}

void MainLogic::SuiviClick()
{
    if (startupFailed) // no results directory to look into
        return;
    beforeModal();
    if (m_hooks.showFollowUp)
        m_hooks.showFollowUp(patientNameText.trimmed());
}

void MainLogic::AnalysesClick()
{
    bool testKnown = true;
    if (SelectedFile.isEmpty()) {
        if (repairTestIndex()) {
            FileItemCount = fileItemCountFor(TestIndex, ItemCount);
            SelectedFile = buildResultFileName(PatientName, TestIndex, FileItemCount, UnlimitedChosen, SpeedIndex);
        } else {
            testKnown = false;
        }
    } else {
        if (SelectedFile.indexOf(QLatin1Char('_')) > 0 && PatientName.isEmpty())
            PatientName = SelectedFile.left(SelectedFile.indexOf(QLatin1Char('_')));
        if (TestIndex < 0 || TestIndex >= TestCount) {
            // The chosen file belongs to no test: nothing to analyse.
            say(MsgKind::Warning, ExtUnknown);
            testKnown = false;
        }
    }

    if (testKnown && CheckBeforeAnalysis()) {
        beforeModal();
        if (m_hooks.showAnalysis) {
            // The reading names the patient for the next administration, unless
            // that name could not name a result file ("_" or ".", a path, a
            // character Windows-1252 cannot hold, ...).
            const QString read = m_hooks.showAnalysis();
            if (!read.isEmpty() && patientNameProblem(read).isEmpty())
                PatientName = read;
        }
    }

    repairTestIndex();
    if (!pointFileLists(ResultsDirPath))
        say(MsgKind::Error, resultsDirUnusableText(ResultsDirPath));
    RefreshPatientList();
    SelectedFile.clear();
    UnlimitedActive = false;
    UnlimitedChosen = false;
    twoCountsGroup.enabled = true;
    threeCountsGroup.enabled = true;
    if (TestIndex >= 0 && TestIndex < TestCount)
        rerunTestSetup();
}

bool MainLogic::CheckBeforeAnalysis()
{
    if (PatientName.isEmpty()) {
        say(MsgKind::Warning, NotEncoded);
        focus = MainFocus::PatientName;
        return false;
    }
    if (FileItemCount == 0) {
        say(MsgKind::Warning, CountNotSet);
        focusVisibleCountGroup();
        return false;
    }
    if (!QFileInfo(SelectedFile).isFile()) {
        say(MsgKind::Warning, LeFichier + SelectedFile + Introuvable);
        focus = MainFocus::PatientName;
        return false;
    }
    return true;
}

// ---- Lists ---------------------------------------------------------------------------

bool MainLogic::pointFileLists(const QString &dir)
{
    if (dir.isEmpty() || !QFileInfo(dir).isDir() || !QDir::setCurrent(dir)) {
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
    SelectedFile.clear();
}

void MainLogic::FileListEpreuvesClick()
{
    struct Guard {
        Guard() { FileClickInProgress = true; }
        ~Guard() { FileClickInProgress = false; }
    } guard;

    SelectedFile = FileNameOfPath(patientFilesList.selectedEntry());
    if (SelectedFile.isEmpty()) {
        focus = MainFocus::PatientFiles;
        return;
    }
    const ResultNameParts parts = parseResultFileName(SelectedFile);
    TestIndex = parts.testIndex;
    if (TestIndex < 0) {
        say(MsgKind::Warning, ExtUnknown);
        focus = MainFocus::PatientFiles;
        return;
    }
    setTestGroupIndex(TestIndex);

    if (!parts.countValid) {
        FileItemCount = 0;
        say(MsgKind::Warning, CountBad);
        focus = MainFocus::PatientFiles;
        return;
    }
    FileItemCount = parts.count;

    if (TestIndex == SpeedTestIndex) {
        if (!parts.speedValid) {
            speedGroup.enabled = false;
            countText.clear();
            say(MsgKind::Warning, AsHead + QLatin1Char('\r') + AsWhy + QLatin1Char('\r') + AsPress + QLatin1Char('"') + AsWord
                        + QLatin1Char('"') + AsTail);
            SpeedIndex = 3;
        } else {
            SetupSpeedChoice(parts.speed);
        }
    } else if (countChoiceIs(CountChoice::Fixed64)) {
        TakeItemCount(1);
    } else if (countChoiceIs(CountChoice::Choice36_64) || countChoiceIs(CountChoice::Choice32_64)) {
        setTwoCountsIndex(FileItemCount < 64 ? 0 : 1);
    } else {
        setThreeCountsIndex(FileItemCount < 32 ? 0 : FileItemCount < 64 ? 1 : 2);
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
        if (QFileInfo::exists(name) || QFileInfo(name).isSymLink()) {
            QString error;
            beforeModal();
            if (DeleteResultFile(name, &error) == DeleteOutcome::Failed) {
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
