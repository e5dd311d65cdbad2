#include "analysis/analysisstate.h"

#include "platform/cp1252.h"
#include "platform/fileerrors.h"
#include "platform/messages.h"
#include "platform/safewrite.h"
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
    DStr.clear();
    Notes = QStringList{NotesMarker};
}

void AnalysisState::resetReading()
{
    N = 0;
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
        st.DStr << l;
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
    ReportError(st, 4);
    st.AnalysisError = AnalysisNoError;
    const int notesAt = indexOfNotes(lines, next);
    if (notesAt >= 0)
        ReadNotes(st, lines, notesAt + 1);
}

bool SaveNotes(const AnalysisState &st, QString *error)
{
    if (!st.LinesLoaded)
        return true;
    QStringList out = st.DStr;
    if (st.Notes.isEmpty() || st.Notes.first() != NotesMarker)
        out << NotesMarker;
    out << st.Notes;
    const QByteArray bytes = cp1252::encodeLines(out);

    int err = 0;
    if (!writeFileSafely(st.FilePath, bytes, nullptr, &err)) {
        if (error)
            *error = QStringLiteral("Impossible de réécrire le fichier %1 : %2")
                         .arg(st.FilePath, fileErrorText(err));
        return false;
    }
    return true;
}

} // namespace zoka
