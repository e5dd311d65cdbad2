// SPDX-License-Identifier: GPL-3.0-or-later
#include "analysis/analysiswindowlogic.h"

#include "analysis/analysis.h"
#include "analysis/reportwriter.h"
#include "platform/cp1252.h"
#include "platform/messages.h"
#include "shell/filelists.h"
#include "shell/internalerror.h"
#include "analysis/report.h"
#include "battery/testtable.h"

namespace zoka {

namespace {
}

AnalysisWindowLogic::AnalysisWindowLogic()
    : markAnalysed([](const QString &path) { return MarkAnalysed(path); })
{
}

void AnalysisWindowLogic::show(const Session &session)
{
    const ExaminerChoices &chosen = session.choices;
    show(session.resultFile(chosen.selectedFile), chosen.testIndex, chosen.speedIndex, chosen.patientName,
         session.config.Version, session.config.ProgramDir);
}

void AnalysisWindowLogic::show(const QString &filePath, int testIndex, int speedIndex,
                               const QString &patientName, const QString &version, const QString &programDir)
{
    m_programDir = programDir;
    m_closed = false;
    m_limitStep = LimitStep::Idle;
    m_statusMessage.clear();
    prepareAnalysis(m_state, filePath, testIndex, speedIndex, patientName, version);
    const bool produced = openAnalysis(m_state);
    m_fileLoaded = m_state.LinesLoaded;
    m_notesRead = m_state.Notes;
    publishReport(produced);
}

QString AnalysisWindowLogic::caption() const
{
    const int t = m_state.TestIndex;
    const QString title = testTitle(t);
    return QStringLiteral("Analyse de ") + m_state.FileName + QStringLiteral("  -  ") + title;
}

bool AnalysisWindowLogic::limitButtonsVisible() const
{
    return !readsStream(m_state.TestIndex);
}

bool AnalysisWindowLogic::limitButtonsEnabled() const
{
    return m_state.LimiteEnabled;
}

const QString &AnalysisWindowLogic::statusMessage() const
{
    return m_statusMessage.isEmpty() && m_state.HeldByRun ? RunInProgressText : m_statusMessage;
}

QString AnalysisWindowLogic::limitStatus() const
{
    return limitStatusText(m_state);
}

QString AnalysisWindowLogic::limitCaption() const
{
    return m_limitStep == LimitStep::Idle ? QStringLiteral("Limite") : QStringLiteral("Appliquer");
}

QString AnalysisWindowLogic::limitClick()
{
    m_statusMessage.clear();
    if (m_limitStep == LimitStep::Idle) {
        const TestEntry *entry = testEntryAt(m_state.TestIndex);
        const QString proposed = entry ? QString(entry->proposedLimit) : QStringLiteral("1");
        m_state.LimitText = proposed;
        m_limitStep = LimitStep::Editing;
        return proposed;
    }
    applyLimitAndAnalyse(m_state, m_state.LimitText);
    m_limitStep = LimitStep::Idle;
    publishReport(true);
    return QString();
}

void AnalysisWindowLogic::limitTextChanged(const QString &text)
{
    m_state.LimitText = text;
}

void AnalysisWindowLogic::effacer(const QStringList &notesBox)
{
    m_statusMessage.clear();
    const bool produced = rereadAnalysis(m_state);
    m_notesRead = m_state.Notes;
    m_state.Notes = notesBox;
    m_fileLoaded = m_state.LinesLoaded;
    publishReport(produced);
}

void AnalysisWindowLogic::publishReport(bool produced)
{
    // A failed reading leaves an empty report rather than the previous file's.
    if (!produced)
        m_state.Report.clear();
    QString error;
    if (!writeReportFile(m_programDir, m_state.Report.bytes(), &error))
        showError(error);
    m_reportText = cp1252::splitLines(m_state.Report.text()).join(QLatin1Char('\n'));
    if (m_state.InternalErrorCode != 0)
        InternalError(m_state.InternalErrorCode);
}

AnalysisWindowLogic::CloseOutcome AnalysisWindowLogic::closeSequence(const QStringList &notesBox)
{
    if (m_closed)
        return CloseOutcome::AlreadyClosed;
    m_statusMessage.clear();
    // A file that could not be read at all is left as it is.
    if (m_fileLoaded) {
        m_state.Notes = notesBox;
        QString error;
        NotesSave saved = NotesSave::Written;
        if (m_state.HeldByRun) {
            // Read while a run was writing it: never rewritten nor marked; notes typed
            // here are only handed back.
            if (notesBox != m_notesRead) {
                saved = NotesSave::HeldByRun;
                error = QStringLiteral("Le fichier %1 n'a pas été réécrit : %2.").arg(m_state.FilePath, RunInProgressText);
            }
        } else {
            const QString path = m_state.FilePath;
            saved = saveNotesChecked(m_state, &error, [this, path] { markAnalysed(path); });
        }
        if (saved != NotesSave::Written) {
            QString question = error + QStringLiteral("\n\nLes notes n'ont pas été enregistrées dans le fichier de résultats.");
            const QStringList typed = notesBox.mid(notesBox.value(0) == NotesMarker ? 1 : 0);
            if (saved != NotesSave::WriteFailed && !typed.isEmpty())
                question += QStringLiteral(" Vos notes, à copier (Ctrl+C copie ce message) :\n\n") + typed.join(QLatin1Char('\n'));
            question += QStringLiteral("\n\nFermer quand même la fenêtre d'analyse ? (Non : la fenêtre reste ouverte)");
            if (showMessage(MsgKind::Error, question, MsgButtons::YesNoDefaultNo) != MsgAnswer::Yes)
                return CloseOutcome::KeptOpen;
        }
    }
    m_state.Notes.clear();
    m_closed = true;
    return CloseOutcome::Closed;
}

} // namespace zoka
