// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include "analysis/analysisstate.h"
#include "platform/messages.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <functional>

namespace zoka {

// Export of the raw data of a result file as semicolon-separated text (the "Export"
// folder of the results directory), shared by the analysis window and zoka-report.

// The export file's bytes (Windows-1252, CR LF) from the lines of a result file:
// with `withInfo` the three information lines ("Nom;", "Passation du;",
// "Nbre d'essais;") and the data lines, the closing line of tests other than 7
// becoming "Intempestifs;" + count when negative; without, the numbered data lines
// alone, the file's last line left out (tests other than 7). The data end at the
// "[Notes]" line. `patientName` and `administrationDate` are those of the reading.
QByteArray BuildExportBytes(const QStringList &fileLines, int testIndex,
                            const QString &patientName, const QString &administrationDate,
                            bool withInfo);

// The same for the file an analysis has read (st.FilePath, read again now, as the
// export always takes the file as it stands). On failure returns false and puts the
// French file-error text in `error`.
bool exportBytesOf(const AnalysisState &st, bool withInfo, QByteArray *bytes, QString *error);

// Result-file name + ".csv" (the whole name, extension included).
QString exportFileName(const QString &resultFileName);
// The "Export" folder beside a result file (its results directory).
QString exportDirectory(const QString &resultFilePath);
// Label of the export group: "Path=  " + path up to 40 characters, else
// "Path= .. " + its last 40 characters.
QString exportPathLabel(const QString &path);

// Writes `bytes` as the whole new content of `path`: through a temporary file that
// replaces `path` only once every byte is written and flushed, so that a failure
// (missing folder, no right to write, full disk) leaves no half-written file and the
// previous file, if any, whole. On failure `error` gets the French words of the
// fault ("Disque plein", "Accès au fichier refusé", ...).
bool writeWholeFile(const QString &path, const QByteArray &bytes, QString *error);

// Outcome of one export to a file.
enum class ExportOutcome {
    Written,      // the file was (re)written
    KeptExisting, // it existed and the examiner chose not to replace it
    Cancelled,    // Cancel in the replacement question: nothing written or opened
    Failed,       // nothing written; the examiner has been told why
};

// One export: checks the folder of `target`, asks "  Ce fichier a déjà été exporté;
// Voulez-vous le remplacer?   " (Yes/No/Cancel, in a box of `questionKind`) when it
// exists, then on Yes or for a new file has `produce` make the bytes and writes them
// with writeWholeFile. Every failure is told to the examiner in French, naming the
// file. Messages go through messages().
ExportOutcome exportToFile(const QString &target, MsgKind questionKind,
                           const std::function<bool(QByteArray *bytes, QString *error)> &produce);

// Hands a file to the desktop's program for its type (`open`, e.g.
// QDesktopServices::openUrl); when none could open it, shows `failureText` (French:
// that no program could open the file, and where the export lies).
bool openInDesktopProgram(const QString &path, const std::function<bool(const QString &)> &open,
                          const QString &failureText);

// Text of the replacement question.
extern const QString ReplaceExportQuestion;

} // namespace zoka
