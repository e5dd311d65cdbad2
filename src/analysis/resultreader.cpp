// SPDX-License-Identifier: GPL-3.0-or-later
#include "analysis/resultreader.h"

#include "analysis/report.h"
#include "platform/boundedread.h"
#include "platform/cp1252.h"
#include "platform/fileerrors.h"
#include "platform/messages.h"
#include "battery/testtable.h"
#include "shell/naming.h"

#include <algorithm>
#include <cerrno>
#include <climits>

namespace zoka {

namespace {
QString titleOf(int testIndex)
{
    return testTitle(testIndex);
}

bool isBlank(QChar c) { return c == u' ' || c == u'\t'; }

// A line as it may be quoted in a message: control characters shown as "?", cut at 40.
QString quoted(const QString &line)
{
    QString s = line.left(40);
    for (QChar &c : s)
        if (c.unicode() < 0x20 || (c.unicode() >= 0x7F && c.unicode() < 0xA0))
            c = u'?';
    return s;
}
} // namespace

// A result file is a few kilobytes: header, practice line, at most 228 items, the
// closing line and the notes. These bounds leave room for any notes an examiner types.
constexpr qint64 MaxResultFileBytes = 16 * 1024 * 1024;
constexpr int MaxResultFileLines = 65536;
constexpr int MaxResultLineBytes = 1024 * 1024;

const QString IncompleteFileText = QStringLiteral(
    "        Le fichier est incomplet. Le contenu partiel est visualisé et non traité.        ");

bool loadResultLines(const QString &path, QStringList *lines, QString *error)
{
    lines->clear();
    // The program never gives a result file a name with a control character (a
    // patient's name cannot hold one): such a file is not read, and its name never
    // reaches a report.
    const QString name = path.mid(path.lastIndexOf(u'/') + 1);
    if (std::any_of(name.cbegin(), name.cend(), [](QChar c) { return c.category() == QChar::Other_Control; })) {
        if (error)
            *error = fileErrorText(EINVAL) + QStringLiteral(" : ") + path;
        return false;
    }
    // Only a regular file is read (a directory, a FIFO or a device is not a result
    // file, and reading one could hang), and within bounds.
    QList<QByteArray> raw;
    const LineReadResult r =
        readLinesBounded(path, {MaxResultFileBytes, MaxResultFileLines, MaxResultLineBytes}, &raw);
    QString why;
    switch (r.status) {
    case LineReadStatus::Ok:
        for (const QByteArray &line : std::as_const(raw))
            *lines << cp1252::decode(line);
        return true;
    case LineReadStatus::NotRegularFile:
        why = QStringLiteral("Nom de fichier incorrect");
        break;
    case LineReadStatus::TooBig:
        why = QStringLiteral("Fichier trop volumineux pour un fichier de résultats");
        break;
    case LineReadStatus::TooManyLines:
        why = QStringLiteral("Fichier de plus de %1 lignes, trop long pour un fichier de résultats")
                  .arg(MaxResultFileLines);
        break;
    case LineReadStatus::LineTooLong:
        why = QStringLiteral("Ligne %1 trop longue pour un fichier de résultats").arg(r.line);
        break;
    case LineReadStatus::OpenFailed:
    case LineReadStatus::ReadFailed:
        why = fileErrorText(r.errnoValue);
        break;
    }
    if (error)
        *error = why + QStringLiteral(" : ") + path;
    return false;
}

bool parseNumberLine(const QString &line, int *value, QString *problem, int *consumed)
{
    int i = 0;
    const int n = int(line.size());
    while (i < n && isBlank(line.at(i)))
        ++i;
    bool negative = false;
    if (i < n && (line.at(i) == u'-' || line.at(i) == u'+')) {
        negative = line.at(i) == u'-';
        ++i;
    }
    const int digitsStart = i;
    qint64 v = 0;
    bool tooLarge = false;
    while (i < n && line.at(i) >= u'0' && line.at(i) <= u'9') {
        v = v * 10 + (line.at(i).unicode() - u'0');
        if (v > qint64(2147483648LL))
            tooLarge = true, v = qint64(2147483648LL);
        ++i;
    }
    if (i == digitsStart) {
        if (problem)
            *problem = line.trimmed().isEmpty()
                ? QStringLiteral("ligne vide à la place d'un nombre")
                : QStringLiteral("« %1 » n'est pas un nombre").arg(quoted(line));
        return false;
    }
    if (i < n && !isBlank(line.at(i))) {
        if (problem)
            *problem = QStringLiteral("caractère inattendu dans « %1 »").arg(quoted(line));
        return false;
    }
    if (negative)
        v = -v;
    if (tooLarge || v > 2147483647LL || v < -2147483647LL) {
        if (problem)
            *problem = QStringLiteral("nombre trop grand « %1 »").arg(quoted(line.trimmed()));
        return false;
    }
    *value = int(v);
    if (consumed)
        *consumed = i;
    return true;
}

bool itemCountOfFileName(const QString &fileName, bool stopAtDash, int *n)
{
    const int u = int(fileName.indexOf(u'_'));
    int stop = int(fileName.indexOf(u'.'));
    if (stopAtDash) {
        // The "-" of the speed comes after the "_"; a patient name may hold one too.
        const int dash = int(fileName.indexOf(u'-', u + 1));
        if (dash >= 0 && (stop < 0 || dash < stop))
            stop = dash;
    }
    // The text between the first "_" and the stop (all of the rest when missing).
    const int start = u + 1;
    const QString text = stop >= start ? fileName.mid(start, stop - start) : fileName.mid(start);
    qint64 value = 0;
    int i = 0;
    while (i < text.size() && text.at(i) >= u'0' && text.at(i) <= u'9') {
        value = qMin<qint64>(value * 10 + (text.at(i).unicode() - u'0'), qint64(INT_MAX));
        ++i;
    }
    *n = int(value);
    return u >= 0 && !text.isEmpty() && i == text.size();
}

QString ParseHeaderLine(AnalysisState &st, const QString &line, int nameEnd)
{
    const int p = int(line.indexOf(QStringLiteral(": ")));
    if (p >= 0)
        st.PatientName = line.left(p);
    if (st.PatientName != st.FileName.left(qMax(0, nameEnd - 2)))
        showMessage(MsgKind::Warning,
                    QStringLiteral(" Le nom du fichier ne correspond pas au nom de patient enregistré! "));
    const int start = p >= 0 ? p + 2 : 0;
    // An endless series: the header's only "#" is its last character.
    if (!line.isEmpty() && line.indexOf(u'#') == line.size() - 1) {
        showMessage(MsgKind::Warning,
                    QStringLiteral(" Le fichier contient des données en nbre quelconque.")
                        + QChar(u'\r')
                        + QStringLiteral(" Pour les visualiser ou les traiter, il est nécessaire de les exporter. "));
        st.ExportWithoutInfo = false;
        st.AdministrationDate = line.mid(start, qMax(0, int(line.size()) - start - 2));
        return QStringLiteral("illimité");
    }
    st.AdministrationDate = line.mid(start);
    return QString();
}

void ShowRawContents(AnalysisState &st, const QStringList &lines, const QString &date,
                     int shownCount, int expectedCount)
{
    const bool unlimited = expectedCount == EndlessCountInName;
    st.LimiteEnabled = false;
    ReportWriter &w = st.Report;
    w.clear();
    w.line(bannerLine(st.Version));
    w.line();
    // A file analysed when it held its header only has "[Notes]" as line 2.
    const bool notesAsLine2 = lines.size() > 1 && lines.at(1) == NotesMarker;
    const QString practiceLine = lines.size() > 1 && !notesAsLine2 ? lines.at(1) : QString();
    if (unlimited) {
        w.line(st.PatientName + QStringLiteral("    ") + titleOf(st.TestIndex) + QStringLiteral("   ")
               + QStringLiteral("Nombre non limité d'items"));
        w.line(QStringLiteral("Passation de l'épreuve le ") + date);
        w.line(QStringLiteral("Nombre d'essais : ") + practiceLine);
        w.line(QStringLiteral("Affichage des ") + fmtInt(shownCount) + QStringLiteral(" premières données:"));
    } else {
        w.line(st.PatientName + QStringLiteral("    ") + titleOf(st.TestIndex) + QStringLiteral("   ")
               + fmtInt(expectedCount) + QStringLiteral(" items"));
        w.line(QStringLiteral("Passation de l'épreuve le ") + date);
        w.line(QStringLiteral("Nombre d'essais : ") + practiceLine);
        w.line(QStringLiteral("Données incomplètes (") + fmtInt(shownCount) + QStringLiteral(" sur ")
               + fmtInt(expectedCount) + QStringLiteral(")"));
    }

    int idx = notesAsLine2 ? 1 : 2;
    int k = 0;
    while (idx < lines.size()) {
        ++k;
        if (unlimited && k > shownCount)
            break;
        const QString &l = lines.at(idx++);
        if (l == NotesMarker)
            break;
        if (l.startsWith(u'0')) {
            w.line(QStringLiteral("Pas d'appui intempestif"));
        } else if (l.startsWith(u'-')) {
            const int blank = int(l.indexOf(u' '));
            if (blank < 0)
                w.line(QStringLiteral("Nbre d'appui(s) intempestif(s): ") + l.mid(1));
            else
                w.line(QStringLiteral("Nbre d'appuis intempestifs: ") + l.mid(1, blank - 1));
        } else {
            w.line(fmtInt(k, 4) + QStringLiteral(" :  ") + l);
        }
    }
    // The notes follow the file's first "[Notes]" line, the one the data lines kept
    // end at - its very first line in a file that held nothing else when analysed.
    const int notesAt = indexOfNotes(lines, 0);
    if (notesAt >= 0)
        ReadNotes(st, lines, notesAt + 1);
    CollectDataLines(st, lines);
}

void reportMalformedLine(AnalysisState &st, int lineNumber, const QString &problem)
{
    showMessage(MsgKind::Error, QStringLiteral("Format numérique incorrect dans le fichier %1, ligne %2 : %3. "
                                               "Le fichier n'est pas analysé.")
                                    .arg(st.FileName)
                                    .arg(lineNumber)
                                    .arg(problem));
    st.AnalysisError = AnalysisReadFailure;
    st.Report.clear();
}

namespace {

// After a failed reading, DataLines and Notes still hold the whole file, so that closing
// the window rewrites it unchanged.
void keepWholeFile(AnalysisState &st, const QStringList &lines)
{
    const int notesAt = indexOfNotes(lines, 0);
    if (notesAt >= 0)
        ReadNotes(st, lines, notesAt + 1);
    CollectDataLines(st, lines);
}

} // namespace

void WriteReportHead(AnalysisState &st)
{
    ReportWriter &w = st.Report;
    w.clear();
    w.line(bannerLine(st.Version));
    w.line();
    w.line(st.PatientName + QStringLiteral("    ") + titleOf(st.TestIndex) + QStringLiteral("   ")
           + fmtInt(st.ItemCount) + QStringLiteral(" items"));
    w.line(QStringLiteral("Passation de l'épreuve le ") + st.AdministrationDate);
    w.line(QStringLiteral("Analyse du fichier le ") + reportDateText(st.AnalysisTime) + QStringLiteral(" à ")
           + reportTimeText(st.AnalysisTime));
    w.line(QStringLiteral("Nombre d'essais: ") + fmtInt(st.PracticeRuns)
           + QStringLiteral(" ;  Nombre d'appuis intempestifs: ") + fmtInt(st.UntimelyCount));
    const ClosingLayout closing = closingLayoutOf(st.TestIndex);
    if (closing == ClosingLayout::UntimelyAndFixation) {
        w.line(QStringLiteral("Nombre d'appuis pendant l'affichage du point de fixation: ") + fmtInt(st.SecondCount));
    } else if (closing == ClosingLayout::UntimelyAndFalseAlarms) {
        w.line(QStringLiteral("Nombre de fausse(s) alarme(s): ") + fmtInt(st.SecondCount));
        w.line(QStringLiteral("Nombre d'omissions: ") + fmtInt(omissionCount(st)));
    }
    w.line();
}

void ReadResultFile(AnalysisState &st)
{
    st.resetReading();
    st.SecondCount = -1;
    const int underscore = int(st.FileName.indexOf(u'_'));
    const int nameEnd = underscore + 2; // 1-based position of the first "_", plus one
    const bool nameError = !itemCountOfFileName(st.FileName, false, &st.ItemCount);
    if (nameError)
        ReportError(st, AnalysisBadFileName);

    QStringList lines;
    QString ioError;
    if (!loadResultLines(st.FilePath, &lines, &ioError)) {
        showMessage(MsgKind::Error, ioError);
        st.AnalysisError = AnalysisReadFailure;
        st.Report.clear();
        return;
    }
    st.LinesLoaded = true;

    const QString header = lines.isEmpty() ? QString() : lines.first();
    if (ParseHeaderLine(st, header, nameEnd) == QStringLiteral("illimité")) {
        ShowRawContents(st, lines, st.AdministrationDate, 15, EndlessCountInName);
        st.AnalysisError = AnalysisUnlimited;
        return;
    }

    // The data lines end at the "[Notes]" line: a file that was analysed while
    // incomplete has its notes right after its last item.
    const int notesLine = indexOfNotes(lines, 1);
    const int dataEnd = notesLine >= 0 ? notesLine : int(lines.size());

    int idx = 1;
    if (idx < dataEnd) {
        QString problem;
        if (!parseNumberLine(lines.at(idx), &st.PracticeRuns, &problem)) {
            reportMalformedLine(st, idx + 1, problem);
            keepWholeFile(st, lines);
            return;
        }
        ++idx;
    } else {
        st.PracticeRuns = 0;
    }

    if (st.ItemCount > MaxItemValues) {
        // Only a renamed file can carry such a count: the values would not fit.
        if (st.AnalysisError != AnalysisBadFileName)
            ReportError(st, AnalysisBadFileName);
        st.LimiteEnabled = false;
        keepWholeFile(st, lines);
        WriteReportHead(st);
        return;
    }

    for (int i = 1; i <= st.ItemCount; ++i) {
        int v = 0;
        if (idx < dataEnd) {
            QString problem;
            if (!parseNumberLine(lines.at(idx), &v, &problem)) {
                reportMalformedLine(st, idx + 1, problem);
                keepWholeFile(st, lines);
                return;
            }
            ++idx;
        }
        st.RawValues[i - 1] = v;
        if (idx >= dataEnd || v <= 0) {
            ReportError(st, AnalysisIncomplete);
            ShowRawContents(st, lines, st.AdministrationDate, i - 1, st.ItemCount);
            showMessage(MsgKind::Warning, IncompleteFileText);
            st.ExportWithoutInfo = false;
            return;
        }
    }

    // Closing line, in the test's layout: the untimely-press counter, and for some
    // tests a second number. (Only a count of 0 in the file name can leave no line
    // for it.)
    if (idx < dataEnd) {
        const QString &l = lines.at(idx);
        QString problem;
        int used = 0;
        int first = 0;
        bool ok = parseNumberLine(l, &first, &problem, &used);
        if (ok && closingLineNumbers(closingLayoutOf(st.TestIndex)) == 2) {
            int second = 0;
            ok = parseNumberLine(l.mid(used), &second, &problem);
            if (!ok && l.mid(used).trimmed().isEmpty())
                problem = QStringLiteral("le second nombre manque dans « %1 »").arg(quoted(l));
            st.SecondCount = second;
        }
        if (!ok) {
            reportMalformedLine(st, idx + 1, problem);
            keepWholeFile(st, lines);
            return;
        }
        ++idx;
        st.UntimelyCount = first;
        if (st.UntimelyCount > 0)
            ReportError(st, AnalysisUntimelyCount);
        else
            st.UntimelyCount = -st.UntimelyCount;
    }

    ReadAfterData(st, lines, idx);
    // A renamed file may carry a count that has no foreperiod series for this test:
    // the statistics cannot be made, and the program must not end over it. The file
    // name is at fault (error 1, even when extra lines cleared it), no statistics,
    // and no new limit either.
    if (!statisticsCoverCount(st.TestIndex, st.ItemCount)) {
        if (nameError)
            st.AnalysisError = AnalysisBadFileName;
        else
            ReportError(st, AnalysisBadFileName);
        st.LimiteEnabled = false;
    }
    CollectDataLines(st, lines);
    WriteReportHead(st);
}

} // namespace zoka
