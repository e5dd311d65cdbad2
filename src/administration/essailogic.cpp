// SPDX-License-Identifier: GPL-3.0-or-later
#include "administration/essailogic.h"

#include "administration/runstate.h"
#include "battery/series.h"
#include "platform/cp1252.h"
#include "platform/messages.h"
#include "platform/runlock.h"
#include "platform/safewrite.h"
#include "platform/soundplayer.h"
#include "shell/filelists.h"
#include "platform/timingjournal.h"
#include "protocol/timingline.h"
#include "shell/sharedstate.h"
#include "battery/testtable.h"

#include <QDir>
#include <QFileInfo>
#include <algorithm>

namespace zoka {

namespace essaitexts {
const QString Continuer = QStringLiteral("&Continuer");
const QString Oui = QStringLiteral("&Oui");
const QString Passer = QStringLiteral("Passer");
const QString Non = QStringLiteral("Non");
const QString Quitter = QStringLiteral("&Quitter");
const QString ReadyPractice = QStringLiteral("Prêt pour les essais?");
const QString RedoPractice = QStringLiteral("Refaire les essais?");
const QString ReadyTest = QStringLiteral("Prêt pour l'épreuve?");
const QString Thanks = QStringLiteral("Merci de votre collaboration");
} // namespace essaitexts

namespace {

bool journalEnabled = false;
// The examiner is told once, the first time the journal cannot be written.
bool journalWarned = false;

void warnJournal(const QString &path, int err)
{
    if (err == 0 || journalWarned)
        return;
    journalWarned = true;
    showWarning(journalErrorText(path, err));
}

// Text of the error box for an instruction file that cannot be read.
QString instructionErrorText(const QString &path)
{
    const QString reason = QFileInfo::exists(path) ? QStringLiteral("Accès au fichier refusé")
                                                   : QStringLiteral("Fichier introuvable");
    return QStringLiteral("Les consignes de l'épreuve ne peuvent pas être affichées.\n\n"
                          "%1 : %2\n(%3)\n\n"
                          "La passation peut continuer sans les consignes écrites.")
        .arg(reason, QFileInfo(path).fileName(), QDir::toNativeSeparators(path));
}

} // namespace

QString instructionFileName(int testIndex)
{
    const TestEntry *entry = testEntryAt(testIndex);
    return entry ? QStringLiteral("Cons_") + entry->extension + QStringLiteral(".txt") : QString();
}

QString practiceScratchFile() { return programFile(QStringLiteral("Essais")); }
QString endSoundFile() { return programFile(QStringLiteral("SonFin.wav")); }

QStringList messageLines(int n, const QString &text)
{
    QStringList lines;
    for (int i = 1; i < n; ++i)
        lines << QString();
    lines << text;
    return lines;
}

bool usesStimulusGrid(int testIndex)
{
    const TestEntry *entry = testEntryAt(testIndex);
    return entry && entry->grid;
}

void FillStimulusGrid(bool practice, int fileItemCount)
{
    if (practice || fileItemCount == 64) {
        const auto &perm = practice ? PracticeGrid64 : TestGrid64;
        for (int i = 1; i <= 64; ++i) {
            const int k = perm[i - 1];
            StimulusTop[k] = 30 + 75 * ((i - 1) / 8);
            StimulusLeft[k] = 42 + 100 * ((i - 1) % 8);
        }
    } else {
        for (int i = 1; i <= 36; ++i) {
            const int k = TestGrid36[i - 1];
            StimulusTop[k] = 30 + 105 * ((i - 1) / 6);
            StimulusLeft[k] = 42 + 140 * ((i - 1) % 6);
        }
    }
}

void preparePracticeRun(int testIndex)
{
    std::copy(PracticeSequence.begin(), PracticeSequence.end(), ItemSequence.begin() + 1);
    const TestEntry *entry = testEntryAt(testIndex);
    RunItemCount = entry ? entry->practiceItems : 0;
    UnlimitedActive = false;
    OutputFile = practiceScratchFile();
}

void prepareRealRun(int testIndex)
{
    RunItemCount = ItemCount;
    UnlimitedActive = UnlimitedChosen;
    // The series hold 64 items (65 with item 0); a larger count never comes from the
    // main window, and must not run past the tables.
    const int n = std::clamp(ItemCount, 0, 64);
    const TestEntry *entry = testEntryAt(testIndex);
    const ForeperiodSeries series = entry ? entry->series : ForeperiodSeries::None;
    if (series == ForeperiodSeries::Master) {
        std::copy(MasterSequence.begin(), MasterSequence.begin() + n + 1, ItemSequence.begin());
    } else if (series == ForeperiodSeries::MasterGrid) {
        if (ItemCount == 36)
            std::copy(Sequence36.begin(), Sequence36.end(), ItemSequence.begin() + 1);
        else
            std::copy(MasterSequence.begin() + 1, MasterSequence.begin() + n + 1,
                      ItemSequence.begin() + 1);
    }
    OutputFile = ResultFileName;
}

EssaiLogic::EssaiLogic(TestWindowLauncher launcher, SoundPlayer *endSound)
    : m_launcher(std::move(launcher)), m_endSound(endSound)
{
    m_view.continuerCaption = essaitexts::Continuer;
    m_view.nonCaption = essaitexts::Passer;
}

void EssaiLogic::beginAdministration()
{
    PracticeRuns = 0;
    std::copy(MasterSequence.begin() + 1, MasterSequence.end(), ItemSequence.begin() + 1);
}

void EssaiLogic::changed()
{
    if (m_viewChanged)
        m_viewChanged();
}

void setTimingJournalEnabled(bool on)
{
    journalEnabled = on;
    journalWarned = false;
}

void EssaiLogic::FormShow()
{
    // An administration begins: a journal that cannot take its line is said now,
    // before the patient starts, rather than after the run.
    if (journalEnabled && !journalWarned) {
        const QString path = programFile(TimingJournalName);
        warnJournal(path, probeJournal(path));
    }
    EssaiState = EssaiInstructions;
    PracticeRuns = 0;
    m_view.closeRequested = false;
    m_view.title = testTitle(TestIndex);
    m_view.continuerCaption = essaitexts::Continuer;
    m_view.continuerVisible = true;
    m_view.nonVisible = false;
    if (const TestEntry *entry = testEntryAt(TestIndex); entry && entry->responseRulePicture) {
        m_view.imageTop = 320;
        m_view.imageVisible = true;
        m_view.consHeight = 140;
    } else {
        m_view.imageTop = 213;
        m_view.imageVisible = false;
        m_view.consHeight = 265;
    }
    const QString path = programFile(instructionFileName(TestIndex));
    QString text;
    if (cp1252::readFile(path, &text)) {
        m_view.consLines = cp1252::splitLines(text);
    } else {
        // Never leave another test's instructions (or the last "thank you") under
        // this test's title.
        m_view.consLines.clear();
        showError(instructionErrorText(path));
    }
    m_view.focus = EssaiView::Focus::Continuer;
}

void EssaiLogic::ShowMessageLine(int n, const QString &text)
{
    m_view.consLines = messageLines(n, text);
}

void EssaiLogic::ContinuerClick()
{
    m_view.imageVisible = false;
    switch (EssaiState) {
    case EssaiInstructions:
        ShowMessageLine(3, essaitexts::ReadyPractice);
        m_view.nonCaption = essaitexts::Passer;
        m_view.nonVisible = true;
        EssaiState = EssaiReadyPractice;
        break;
    case EssaiReadyPractice:
        EssaiState = EssaiPracticeRunning;
        if (!practiceRun()) {
            endAfterFileError();
            break;
        }
        m_view.nonCaption = essaitexts::Non;
        m_view.nonVisible = true;
        m_view.continuerCaption = essaitexts::Oui;
        ShowMessageLine(3, essaitexts::RedoPractice);
        m_view.focus = EssaiView::Focus::Non;
        EssaiState = EssaiRedoPractice;
        break;
    case EssaiRedoPractice:
        m_view.nonVisible = false;
        m_view.continuerCaption = essaitexts::Continuer;
        ShowMessageLine(3, essaitexts::ReadyPractice);
        m_view.focus = EssaiView::Focus::Continuer;
        EssaiState = EssaiReadyPractice;
        break;
    case EssaiReadyTest:
        EssaiState = EssaiFinished;
        if (!realRun()) {
            endAfterFileError();
            break;
        }
        m_view.continuerVisible = false;
        m_view.focus = EssaiView::Focus::Quitter;
        ShowMessageLine(4, essaitexts::Thanks);
        PlayEndSound();
        // The endless choice was for this run only, whatever became of the end
        // sound: kept, it would make the next administration endless (and its file
        // a "999" one) while the main window offers the normal item counts again.
        UnlimitedChosen = false;
        UnlimitedActive = false;
        break;
    case EssaiFinished:
        EssaiState = EssaiFinishedClosed;
        break;
    default: // 0 and 3: nothing
        break;
    }
}

void EssaiLogic::NonClick()
{
    EssaiState = EssaiReadyTest;
    m_view.nonVisible = false;
    m_view.continuerCaption = essaitexts::Continuer;
    ShowMessageLine(3, essaitexts::ReadyTest);
    m_view.focus = EssaiView::Focus::Continuer;
}

void EssaiLogic::QuitterClick()
{
    m_view.closeRequested = true;
}

bool EssaiLogic::practiceRun()
{
    preparePracticeRun(TestIndex);
    PracticeMode = true;
    const RunOutcome outcome = LaunchTestWindow();
    PracticeRuns += 1;
    PracticeMode = false;
    return outcome.ran && outcome.fileError.isEmpty();
}

bool EssaiLogic::realRun()
{
    prepareRealRun(TestIndex);
    if (!mayReplaceResultFile())
        return false;
    const RunOutcome outcome = LaunchTestWindow();
    if (outcome.ran || !outcome.fileError.isEmpty())
        journalRun(outcome);
    return outcome.ran && outcome.fileError.isEmpty();
}

// Another program on the same results directory may have written a file of this name
// since "Passation": it is replaced only when the examiner says so again, and never
// while its run goes on.
bool EssaiLogic::mayReplaceResultFile()
{
    const FileIdentity now = identityOfPath(ResultFileName);
    if (now == AgreedResultFile || (!now.valid && !QFileInfo::exists(ResultFileName) && !isSymbolicLink(ResultFileName)))
        return true;
    QString refusal;
    const auto ask = [](const QString &q) { return askBeforeDestroying(MsgKind::Warning, q); };
    switch (confirmReplacingResultFile(ResultFileName, ask, &refusal)) {
    case ReplaceOutcome::Agreed:
        AgreedResultFile = identityOfPath(ResultFileName);
        return true;
    case ReplaceOutcome::Refused:
        showError(refusal);
        return false;
    case ReplaceOutcome::Declined:
        return false;
    }
    return false;
}

// The practice runs are left out: their scratch file is replaced by every run and
// never analysed, so their lines could never be matched to a result; the real run's
// line, minutes later on the same machine, stands for the administration.
void EssaiLogic::journalRun(const RunOutcome &outcome)
{
    if (!journalEnabled)
        return;
    const QDateTime shownAt = outcome.shownAt.isValid() ? outcome.shownAt : QDateTime::currentDateTime();
    const QString path = programFile(TimingJournalName);
    warnJournal(path, appendJournalLine(path, timingJournalLine(QFileInfo(OutputFile).fileName(), shownAt,
                                                               outcome.timing)));
}

RunOutcome EssaiLogic::LaunchTestWindow()
{
    if (usesStimulusGrid(TestIndex))
        FillStimulusGrid(PracticeMode, FileItemCount);
    changed();
    if (!m_launcher)
        return {};
    return m_launcher(currentRunSetup(TestIndex));
}

// The run did not take place (a file the window needs could not be loaded, a
// window this version lacks) or ended on a file error, each already reported: the
// administration stops here. Nobody is thanked for a test whose results were not
// kept; the examiner goes back to the main window.
void EssaiLogic::endAfterFileError()
{
    EssaiState = EssaiFinished;
    m_view.continuerVisible = false;
    m_view.nonVisible = false;
    m_view.consLines.clear();
    m_view.focus = EssaiView::Focus::Quitter;
    m_view.closeRequested = true;
    UnlimitedChosen = false;
    UnlimitedActive = false;
}

bool EssaiLogic::PlayEndSound()
{
    if (!m_endSound)
        return false;
    return m_endSound->open(endSoundFile()) && m_endSound->play();
}

} // namespace zoka
