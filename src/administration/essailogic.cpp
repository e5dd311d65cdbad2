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

// The examiner is told once a session, the first time the journal cannot be written.
void warnJournal(Session &session, const QString &path, int err)
{
    if (err == 0 || session.journalWarned)
        return;
    session.journalWarned = true;
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

QString practiceScratchFile(const Session &session) { return session.programFile(QStringLiteral("Essais")); }
QString endSoundFile(const Session &session) { return session.programFile(QStringLiteral("SonFin.wav")); }

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

void FillStimulusGrid(RunState &run, bool practice, int fileItemCount)
{
    if (practice || fileItemCount == 64) {
        const auto &perm = practice ? PracticeGrid64 : TestGrid64;
        for (int i = 1; i <= 64; ++i) {
            const int k = perm[i - 1];
            run.stimulusTop[k] = 30 + 75 * ((i - 1) / 8);
            run.stimulusLeft[k] = 42 + 100 * ((i - 1) % 8);
        }
    } else {
        for (int i = 1; i <= 36; ++i) {
            const int k = TestGrid36[i - 1];
            run.stimulusTop[k] = 30 + 105 * ((i - 1) / 6);
            run.stimulusLeft[k] = 42 + 140 * ((i - 1) % 6);
        }
    }
}

void preparePracticeRun(Session &session, int testIndex)
{
    RunState &run = session.run;
    std::copy(PracticeSequence.begin(), PracticeSequence.end(), run.itemSequence.begin() + 1);
    const TestEntry *entry = testEntryAt(testIndex);
    run.itemCount = entry ? entry->practiceItems : 0;
    run.unlimited = false;
    run.outputFile = practiceScratchFile(session);
}

void prepareRealRun(Session &session, int testIndex)
{
    RunState &run = session.run;
    const int itemCount = session.choices.itemCount;
    run.itemCount = itemCount;
    run.unlimited = session.choices.unlimitedChosen;
    // The series hold 64 items (65 with item 0); a larger count never comes from the
    // main window, and must not run past the tables.
    const int n = std::clamp(itemCount, 0, 64);
    const TestEntry *entry = testEntryAt(testIndex);
    const ForeperiodSeries series = entry ? entry->series : ForeperiodSeries::None;
    if (series == ForeperiodSeries::Master) {
        std::copy(MasterSequence.begin(), MasterSequence.begin() + n + 1, run.itemSequence.begin());
    } else if (series == ForeperiodSeries::MasterGrid) {
        if (itemCount == 36)
            std::copy(Sequence36.begin(), Sequence36.end(), run.itemSequence.begin() + 1);
        else
            std::copy(MasterSequence.begin() + 1, MasterSequence.begin() + n + 1,
                      run.itemSequence.begin() + 1);
    }
    run.outputFile = session.resultFile(session.choices.resultFileName);
}

EssaiLogic::EssaiLogic(Session &session, SoundPlayer *endSound)
    : m_session(session), m_endSound(endSound)
{
    m_view.continuerCaption = essaitexts::Continuer;
    m_view.nonCaption = essaitexts::Passer;
}

void EssaiLogic::beginAdministration(RunState &run)
{
    run.practiceRuns = 0;
    std::copy(MasterSequence.begin() + 1, MasterSequence.end(), run.itemSequence.begin() + 1);
}

void EssaiLogic::changed()
{
    if (m_viewChanged)
        m_viewChanged();
}

void EssaiLogic::FormShow()
{
    // An administration begins: a journal that cannot take its line is said now,
    // before the patient starts, rather than after the run.
    if (m_session.services.timingJournal && !m_session.journalWarned) {
        const QString path = m_session.programFile(TimingJournalName);
        warnJournal(m_session, path, probeJournal(path));
    }
    m_session.run.essaiState = EssaiInstructions;
    m_session.run.practiceRuns = 0;
    m_view.closeRequested = false;
    m_view.title = testTitle(m_session.choices.testIndex);
    m_view.continuerCaption = essaitexts::Continuer;
    m_view.continuerVisible = true;
    m_view.nonVisible = false;
    if (const TestEntry *entry = testEntryAt(m_session.choices.testIndex); entry && entry->responseRulePicture) {
        m_view.imageTop = 320;
        m_view.imageVisible = true;
        m_view.consHeight = 140;
    } else {
        m_view.imageTop = 213;
        m_view.imageVisible = false;
        m_view.consHeight = 265;
    }
    const QString path = m_session.programFile(instructionFileName(m_session.choices.testIndex));
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
    switch (m_session.run.essaiState) {
    case EssaiInstructions:
        ShowMessageLine(3, essaitexts::ReadyPractice);
        m_view.nonCaption = essaitexts::Passer;
        m_view.nonVisible = true;
        m_session.run.essaiState = EssaiReadyPractice;
        break;
    case EssaiReadyPractice:
        m_session.run.essaiState = EssaiPracticeRunning;
        if (!practiceRun()) {
            endAfterFileError();
            break;
        }
        m_view.nonCaption = essaitexts::Non;
        m_view.nonVisible = true;
        m_view.continuerCaption = essaitexts::Oui;
        ShowMessageLine(3, essaitexts::RedoPractice);
        m_view.focus = EssaiView::Focus::Non;
        m_session.run.essaiState = EssaiRedoPractice;
        break;
    case EssaiRedoPractice:
        m_view.nonVisible = false;
        m_view.continuerCaption = essaitexts::Continuer;
        ShowMessageLine(3, essaitexts::ReadyPractice);
        m_view.focus = EssaiView::Focus::Continuer;
        m_session.run.essaiState = EssaiReadyPractice;
        break;
    case EssaiReadyTest:
        m_session.run.essaiState = EssaiFinished;
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
        m_session.choices.unlimitedChosen = false;
        m_session.run.unlimited = false;
        break;
    case EssaiFinished:
        m_session.run.essaiState = EssaiFinishedClosed;
        break;
    default: // 0 and 3: nothing
        break;
    }
}

void EssaiLogic::NonClick()
{
    m_session.run.essaiState = EssaiReadyTest;
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
    preparePracticeRun(m_session, m_session.choices.testIndex);
    m_session.run.practiceMode = true;
    const RunOutcome outcome = LaunchTestWindow();
    m_session.run.practiceRuns += 1;
    m_session.run.practiceMode = false;
    return outcome.ran && outcome.fileError.isEmpty();
}

bool EssaiLogic::realRun()
{
    prepareRealRun(m_session, m_session.choices.testIndex);
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
    ExaminerChoices &chosen = m_session.choices;
    const QString path = m_session.resultFile(chosen.resultFileName);
    const FileIdentity now = identityOfPath(path);
    if (now == chosen.agreedResultFile || (!now.valid && !QFileInfo::exists(path) && !isSymbolicLink(path)))
        return true;
    QString refusal;
    const auto ask = [](const QString &q) { return askBeforeDestroying(MsgKind::Warning, q); };
    switch (confirmReplacingResultFile(m_session.baseDir(), chosen.resultFileName, ask, &refusal)) {
    case ReplaceOutcome::Agreed:
        chosen.agreedResultFile = identityOfPath(path);
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
    if (!m_session.services.timingJournal)
        return;
    const QDateTime shownAt = outcome.shownAt.isValid() ? outcome.shownAt : QDateTime::currentDateTime();
    const QString path = m_session.programFile(TimingJournalName);
    warnJournal(m_session, path, appendJournalLine(path, timingJournalLine(QFileInfo(m_session.run.outputFile).fileName(), shownAt,
                                                               outcome.timing)));
}

RunOutcome EssaiLogic::LaunchTestWindow()
{
    if (usesStimulusGrid(m_session.choices.testIndex))
        FillStimulusGrid(m_session.run, m_session.run.practiceMode, m_session.choices.fileItemCount);
    changed();
    if (!m_session.services.runTestWindow)
        return {};
    return m_session.services.runTestWindow(currentRunSetup(m_session, m_session.choices.testIndex));
}

// The run did not take place (a file the window needs could not be loaded, a
// window this version lacks) or ended on a file error, each already reported: the
// administration stops here. Nobody is thanked for a test whose results were not
// kept; the examiner goes back to the main window.
void EssaiLogic::endAfterFileError()
{
    m_session.run.essaiState = EssaiFinished;
    m_view.continuerVisible = false;
    m_view.nonVisible = false;
    m_view.consLines.clear();
    m_view.focus = EssaiView::Focus::Quitter;
    m_view.closeRequested = true;
    m_session.choices.unlimitedChosen = false;
    m_session.run.unlimited = false;
}

bool EssaiLogic::PlayEndSound()
{
    if (!m_endSound)
        return false;
    return m_endSound->open(endSoundFile(m_session)) && m_endSound->play();
}

} // namespace zoka
