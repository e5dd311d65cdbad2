// SPDX-License-Identifier: GPL-3.0-or-later
#include "analysis/analysisstate.h"

#include "platform/cp1252.h"
#include "platform/fileerrors.h"
#include "platform/messages.h"
#include "platform/safewrite.h"
#include "analysis/resultreader.h"

#include <QDir>
#include <QFile>
#include <QScopeGuard>

#include <cerrno>
#include <fcntl.h>
#include <unistd.h>
#include "battery/testtable.h"

namespace zoka {

const std::array<QString, 6> ErrorTexts = {
    QStringLiteral("0: Erreur interne"),
    QStringLiteral("1: Le nom de fichier a un mauvais format"),
    QStringLiteral("2: Le fichier de données est incomplet"),
    QStringLiteral("3: Erreur: une valeur de temps est négative!"),
    QStringLiteral("4: Trop de données dans le fichier: il sera tronqué"),
    QStringLiteral("5: Trop d'appuis intempestifs ou non comptés"),
};

void AnalysisState::resetNotes()
{
    DataLines.clear();
    Notes = QStringList{NotesMarker};
}

void AnalysisState::resetReading()
{
    ItemCount = 0;
    RawValues.fill(0);
    KeptValues.fill(0);
    GridValues.fill(0);
    UntimelyCount = 0;
    SecondCount = -1;
    AdministrationDate.clear();
    RejectCount = 0;
    InternalErrorCode = 0;
    LinesLoaded = false;
}

void AnalysisState::resetForShow()
{
    resetNotes();
    resetReading();
    LimiteEnabled = true;
    ExportWithoutInfo = true;
    const int limit = testEntryAt(TestIndex) ? testEntryAt(TestIndex)->timeLimitSeconds : 3;
    LimitText = QString::number(limit) + QStringLiteral(".0");
    AcceptedLimitText = LimitText;
    RejectLimitMs = limit * 1000.0;
    AnalysisError = AnalysisNoError;
    AnalysisPass = 1;
    Report.clear();
}

void ReportError(AnalysisState &st, int code)
{
    if (code < 0 || code > 5)
        code = 0;
    if (code != 2)
        showMessage(MsgKind::Information, QStringLiteral("      Err") + ErrorTexts[code]
                                          + QStringLiteral("          "));
    st.AnalysisError = code;
}

void CollectDataLines(AnalysisState &st, const QStringList &lines)
{
    // Only a line that is exactly "[Notes]" ends the data: a line that merely holds it
    // (a patient name, an extra line) is data and is kept.
    for (const QString &l : lines) {
        if (l == NotesMarker)
            break;
        st.DataLines << l;
    }
}

void ReadNotes(AnalysisState &st, const QStringList &lines, int from)
{
    for (int i = qMax(0, from); i < lines.size(); ++i)
        if (!lines.at(i).isEmpty())
            st.Notes << lines.at(i);
}

const QString NotesMarker = QStringLiteral("[Notes]");

int indexOfNotes(const QStringList &lines, int from)
{
    for (int i = qMax(0, from); i < lines.size(); ++i)
        if (lines.at(i) == NotesMarker)
            return i;
    return -1;
}

void ReadAfterData(AnalysisState &st, const QStringList &lines, int next)
{
    // A first line "[Notes]" (a file analysed while it was empty, written to later):
    // no line of it is a data line kept, so all that follows is notes.
    if (!lines.isEmpty() && lines.first() == NotesMarker) {
        ReadNotes(st, lines, 1);
        return;
    }
    if (next >= lines.size())
        return;
    if (lines.at(next) == NotesMarker) {
        ReadNotes(st, lines, next + 1);
        return;
    }
    ReportError(st, AnalysisTooManyLines);
    st.AnalysisError = AnalysisNoError;
    const int notesAt = indexOfNotes(lines, next);
    if (notesAt >= 0)
        ReadNotes(st, lines, notesAt + 1);
}

void noteIdentityBeforeReading(AnalysisState &st)
{
    st.ReadIdentity = identityOfPath(st.FilePath);
    st.HeldByRun = isLockedByRun(st.FilePath);
}

void checkIdentityAfterReading(AnalysisState &st)
{
    if (!(identityOfPath(st.FilePath) == st.ReadIdentity))
        st.ReadIdentity = {};
}

NotesSave saveNotesChecked(const AnalysisState &st, QString *error, const std::function<void()> &beforeWrite)
{
    if (!st.LinesLoaded)
        return NotesSave::Written;
    const QString shown = QDir::toNativeSeparators(st.FilePath);
    const auto refuse = [&](NotesSave why, const QString &text) {
        if (error)
            *error = text;
        return why;
    };
    const auto cannot = [&](int err) {
        return refuse(err == ELOOP ? NotesSave::Link : NotesSave::WriteFailed,
                      QStringLiteral("Impossible de réécrire le fichier %1 : %2").arg(shown, fileErrorText(err)));
    };
    if (isSymbolicLink(st.FilePath))
        return cannot(ELOOP);
    const int fd = ::open(QFile::encodeName(st.FilePath).constData(),
                          O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0)
        return cannot(errno);
    const auto closeFd = qScopeGuard([fd] { ::close(fd); });
    int err = 0;
    if (st.HeldByRun || !lockForReading(fd, &err))
        return refuse(NotesSave::HeldByRun,
                      QStringLiteral("Le fichier %1 n'a pas été réécrit : %2.").arg(shown, RunInProgressText));
    const auto changed = [&] {
        return refuse(NotesSave::FileChanged,
                      QStringLiteral("Le fichier %1 a changé depuis son ouverture dans cette fenêtre (réécrit par "
                                     "une autre fenêtre d'analyse ou par une nouvelle passation) : il n'a pas été réécrit.")
                          .arg(shown));
    };
    const FileIdentity now = identityOfFd(fd);
    if (!(now == st.ReadIdentity) || !identityOfPath(st.FilePath).sameFile(now))
        return changed();
    QStringList lines;
    if (!loadResultLines(st.FilePath, &lines, nullptr))
        return changed();
    AnalysisState current;
    CollectDataLines(current, lines);
    if (current.DataLines != st.DataLines)
        return changed();

    QStringList out = st.DataLines;
    if (st.Notes.isEmpty() || st.Notes.first() != NotesMarker)
        out << NotesMarker;
    out << st.Notes;
    const QByteArray bytes = cp1252::encodeLines(out);

    if (beforeWrite)
        beforeWrite();
    if (!writeFileSafely(st.FilePath, bytes, nullptr, &err))
        return cannot(err);
    return NotesSave::Written;
}

} // namespace zoka
