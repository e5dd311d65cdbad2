// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include "analysis/reportwriter.h"
#include "platform/runlock.h"

#include <QDateTime>
#include <QString>
#include <QStringList>
#include <array>
#include <functional>

namespace zoka {

// Codes kept in AnalysisState::AnalysisError; 0 to 5 index ErrorTexts.
enum AnalysisErrorCode : int {
    AnalysisNoError = -1,        // reading went through; the analysis may run
    AnalysisInternalError = 0,
    AnalysisBadFileName = 1,     // the item count of the file name
    AnalysisIncomplete = 2,      // fewer items than the name says: raw listing only
    AnalysisNegativeTime = 3,
    AnalysisTooManyLines = 4,    // extra lines after the data: the analysis goes on
    AnalysisUntimelyCount = 5,   // a closing line whose untimely count is positive
    AnalysisReadFailure = 998,   // file unreadable or holding a malformed line:
                                 // message shown, no report at all
    AnalysisUnlimited = 999,     // endless-series file: raw listing only
};

// Largest item count a result file of tests 0-6, 8, 9 can carry (TR mixte: 65).
constexpr int MaxItemValues = 65;

// Everything the analysis of one result file knows. Rebuilt by every reading; the
// analysis window owns one (and copies DataLines/Notes/Report to its memos), the
// command-line report tool one per file. No widget in here.
//
// Item arrays are 0-based: item i (1..65) is at index i - 1.
struct AnalysisState {
    // ---- what to read (set by the caller before the reading) ----
    QString FilePath;   // path used to open and rewrite the file
    QString FileName;   // bare file name (the chosen file): item count, patient part
    int TestIndex = 0;  // 0-9
    int SpeedIndex = 1; // test 7 only: index into SpeedTable
    QString Version;    // version text of the banner line (Config.Version)
    QDateTime AnalysisTime; // "Analyse du fichier le ..."; invalid = the current time

    // ---- read from the file (4.1) ----
    int ItemCount = 0;                          // item count taken from the file name
    std::array<int, MaxItemValues> RawValues{}; // values as read
    int PracticeRuns = 0;                       // line 2
    int UntimelyCount = 0;                      // closing line, absolute value
    int SecondCount = -1;                       // tests 2, 3, 4: second number; else -1
    QString PatientName;                        // in: the current patient; out: line 1's
    QString AdministrationDate;                 // date-and-time part of line 1
    int AnalysisError = AnalysisNoError;
    bool LinesLoaded = false; // the file was read: DataLines/Notes hold it (SaveNotes may write)
    QStringList DataLines;  // the file's lines before its "[Notes]" line
    QStringList Notes; // "[Notes]" then the note lines
    FileIdentity ReadIdentity; // the file as it was read (invalid: it changed meanwhile)
    bool HeldByRun = false;    // a run of another program was writing it when it was read

    // ---- statistics (4.2) ----
    std::array<int, MaxItemValues> KeptValues{};
    std::array<int, MaxItemValues> GridValues{};
    int AnalysisPass = 1;
    double RejectLimitMs = 3000;
    QString LimitText = QStringLiteral("3.0");
    QString AcceptedLimitText = QStringLiteral("3.0"); // text of the limit in force
    int RejectCount = 0;
    // Set instead of ending the program when the foreperiods of the series are
    // unknown (202: 36 items for a test that has no 36-item series; 203: any other
    // count). The window hands it to InternalError; the block is left unfinished.
    int InternalErrorCode = 0;

    // ---- effects on the window ----
    bool LimiteEnabled = true;       // Limite and Effacer buttons
    bool ExportWithoutInfo = true;   // RBXLsans enabled; false = forced to RBXLavec

    // ---- the report file's content (AnaTemp.txt) ----
    ReportWriter Report;

    // The window's FormShow steps 2-5 (and the Effacer reset of DataLines/Notes):
    // empty DataLines, Notes = {"[Notes]"}, limit from the test's time limit, AnalysisError -1,
    // AnalysisPass 1, buttons and export enabled.
    void resetForShow();
    // Empties DataLines and puts Notes back to its single "[Notes]" line.
    void resetNotes();
    // Read data of a reading (values, counts, error code, internal error).
    void resetReading();
};

// The error texts of the reader, index = code.
extern const std::array<QString, 6> ErrorTexts;

// Shown for code c (outside 0..5: 0), except code 2: "      Err" + ErrorTexts[c] +
// 10 blanks, through messages(). The code is kept in AnalysisError.
void ReportError(AnalysisState &st, int code);

// Appends to DataLines every line of `lines` from the start up to the first line that is
// exactly "[Notes]" (not kept); a line that merely contains "[Notes]" is kept.
void CollectDataLines(AnalysisState &st, const QStringList &lines);

// Appends to Notes every non-empty line of `lines` from index `from` to the end.
void ReadNotes(AnalysisState &st, const QStringList &lines, int from);

// The line that opens the notes section of a result file.
extern const QString NotesMarker;

// Index of the first line from `from` on that is exactly "[Notes]", -1 if none.
int indexOfNotes(const QStringList &lines, int from);

// What follows the last expected line of a result file, at index `next`: the notes
// section, or extra lines (error 4, then the analysis goes on; notes standing after
// the extra lines are loaded too, so that closing the window does not lose them). A
// file whose first line is "[Notes]" keeps no data line: all its lines are notes.
void ReadAfterData(AnalysisState &st, const QStringList &lines, int next);

// Rewrites the result file (FilePath) as DataLines, "[Notes]" (when Notes does not start
// with it) and Notes, replacing it atomically; on failure the old file is left whole
// and `error` gets a French message. Nothing is written (and Written is returned) when
// the file could not be read at all (LinesLoaded false): an unread file is never
// replaced by an empty one.
//
// The file must still be the one that was read: the same file (device, inode), size
// and time (ReadIdentity), the same data lines (DataLines), not a symbolic link, not held
// by a run. Otherwise nothing is written and the result says why. `beforeWrite` runs
// once the file has passed these checks, just before the rewrite (the analysed mark is
// cleared there, never on a file that is not the one read). The file is held by a read
// lock from the checks to the rewrite, so that no run starts on it meanwhile.
enum class NotesSave { Written, WriteFailed, FileChanged, HeldByRun, Link };
NotesSave saveNotesChecked(const AnalysisState &st, QString *error = nullptr,
                           const std::function<void()> &beforeWrite = {});
inline bool SaveNotes(const AnalysisState &st, QString *error = nullptr)
{
    return saveNotesChecked(st, error) == NotesSave::Written;
}

// The identity of FilePath before a reading and whether a run holds it; after the
// reading, an identity that changed meanwhile is dropped (the notes are then never
// written back over what was read).
void noteIdentityBeforeReading(AnalysisState &st);
void checkIdentityAfterReading(AnalysisState &st);

} // namespace zoka
