// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include "analysis/analysisstate.h"
#include "shell/session.h"

#include <QString>
#include <QStringList>
#include <functional>

namespace zoka {

// Everything the analysis window does that needs no widget: the opening reading,
// the two-step limit change, Effacer, the report file and the close sequence. The
// window (TFormAnalyse) wires its controls to it and draws what it says.
class AnalysisWindowLogic {
public:
    enum class LimitStep { Idle, Editing };             // caption "Limite" / "Appliquer"
    enum class CloseOutcome { Closed, AlreadyClosed, KeptOpen };

    AnalysisWindowLogic();

    // FormShow: reads the chosen file (choices.selectedFile of the results directory)
    // for the chosen test at the chosen speed, with the chosen patient and the
    // configuration's version; writes the report file into the program directory. The
    // session is not changed: patientRead() gives the name the file's header holds,
    // for the caller.
    void show(const Session &session);
    QString patientRead() const { return m_state.PatientName; }
    // Same, with everything given (tests and the window share this road); the report
    // file goes into `programDir`.
    void show(const QString &filePath, int testIndex, int speedIndex,
              const QString &patientName, const QString &version, const QString &programDir);

    // "Analyse de " + file name + "  -  " + the test's title.
    QString caption() const;
    // Limite and Effacer: hidden for "Attention soutenue", disabled after a raw listing.
    bool limitButtonsVisible() const;
    bool limitButtonsEnabled() const;

    // Text of the Data memo: the report as written to the report file (empty when
    // the reading failed).
    const QString &reportText() const { return m_reportText; }
    // Notes box content as loaded: "[Notes]" then the note lines.
    const QStringList &notes() const { return m_state.Notes; }

    // Status bar panels 1 ("Limite= ...") and 2 (messages).
    QString limitStatus() const;
    // A file a run of another program was writing when it was read says so here:
    // "Épreuve en cours sur un autre poste" (the analysis then never rewrites it).
    const QString &statusMessage() const;
    void setStatusMessage(const QString &text) { m_statusMessage = text; }

    // LimiteClick: Idle -> Editing (returns the proposed limit, "1", or "5" for the
    // two pointing tests, and takes it as LimitText); Editing -> ApplyLimit with
    // LimitText, a new analysis block in every case, report rewritten, Idle.
    LimitStep limitStep() const { return m_limitStep; }
    QString limitCaption() const;
    QString limitClick();
    // LimitValChange: the typed text becomes LimitText at every change.
    void limitTextChanged(const QString &text);

    // EffacerClick: the file read again (report head only; the whole report for
    // "Attention soutenue"). The notes are what `notesBox` holds (the lines of the
    // Notes memo): notes typed and not yet saved are kept.
    void effacer(const QStringList &notesBox);

    // Close sequence, run once per showing: clears the not-analysed mark, then
    // rewrites the result file with `notesBox` (the lines of the Notes memo), both only
    // when the file is still the one read (saveNotesChecked). When the file cannot be
    // rewritten the examiner is told, given the notes typed to copy when the file had
    // changed, and asked whether to close anyway ("Non", the default, keeps the window).
    // A file read while a run of another program wrote it is never rewritten.
    CloseOutcome closeSequence(const QStringList &notesBox);
    bool closed() const { return m_closed; }

    AnalysisState &state() { return m_state; }
    const AnalysisState &state() const { return m_state; }

    // Clears the not-analysed mark of a file; MarkAnalysed unless a test replaces it.
    std::function<bool(const QString &)> markAnalysed;

private:
    void publishReport(bool produced);

    AnalysisState m_state;
    QString m_programDir; // where the report file goes
    LimitStep m_limitStep = LimitStep::Idle;
    bool m_closed = false;
    bool m_fileLoaded = false;
    QString m_reportText;
    QStringList m_notesRead; // the notes as the last reading found them
    QString m_statusMessage;
};

} // namespace zoka
