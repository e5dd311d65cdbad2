// SPDX-License-Identifier: GPL-3.0-or-later
#include "analysis/sustained.h"

#include "analysis/analysis.h"
#include "analysis/reportwriter.h"
#include "analysis/resultreader.h"
#include "analysis/stats.h"
#include "platform/messages.h"
#include "battery/testtable.h"
#include "shell/naming.h"

#include <algorithm>

namespace zoka {

namespace {


// Statistics of the times of items first..last (1-based, inclusive), kept within the
// 228 entries of the arrays; an empty range gives 0 for all three figures.
Stats statsOfItems(const std::vector<int> &times, int first, int last)
{
    first = std::max(first, 1);
    last = std::min(last, int(times.size()));
    if (last < first)
        return Stats{};
    return ComputeStats(times.data(), first - 1, last - 1);
}

void writeTimeLines(ReportWriter &r, const std::vector<int> &times, int n, int reject1,
                    int reject2, const QString &total, const QString &part1,
                    const QString &part2)
{
    const QString rejects = QStringLiteral("  & Rejets= ");
    r.line(total + figuresText(statsOfItems(times, 1, n)) + rejects + fmtInt(reject1 + reject2));
    r.line(part1 + figuresText(statsOfItems(times, 1, n / 2)) + rejects + fmtInt(reject1));
    r.line(part2 + figuresText(statsOfItems(times, n / 2 + 1, n)) + rejects + fmtInt(reject2));
}

// A reading that stops on a malformed line still keeps the whole file (data lines and
// notes), so that closing the window rewrites it unchanged.
void keepWholeFile(AnalysisState &st, const QStringList &lines)
{
    const int notesAt = indexOfNotes(lines, 0);
    if (notesAt >= 0)
        ReadNotes(st, lines, notesAt + 1);
    CollectDataLines(st, lines);
}

} // namespace

void WriteSustainedReport(AnalysisState &st, const SustainedTally &tally)
{
    const SustainedCounters &c = tally.counters();
    const int n = st.ItemCount;
    const int speed = (st.SpeedIndex >= 0 && st.SpeedIndex < int(SpeedTable.size()))
        ? SpeedTable[st.SpeedIndex] : SpeedTable[3];

    ReportWriter &r = st.Report;
    r.clear();
    r.line(bannerLine(st.Version));
    r.line();
    r.line(st.PatientName + QStringLiteral("    ") + testEntry(TestId::AttentionSoutenue).title
           + QStringLiteral("   ") + fmtInt(n) + QStringLiteral(" items (durée: ")
           + fmtInt(speed) + QStringLiteral(" msec)"));
    r.line(QStringLiteral("Passation de l'épreuve le ") + st.AdministrationDate);
    r.line(QStringLiteral("Analyse du fichier le ") + reportDateText(st.AnalysisTime)
           + QStringLiteral(" à ") + reportTimeText(st.AnalysisTime));
    r.line(QStringLiteral("Nombre d'essais: ") + fmtInt(st.PracticeRuns));
    r.line();
    r.line(QStringLiteral("Réponses au chiffre 3 (Non-Appui[=NA] ou Masque [=MAS] ou TR [=Nombre]):"));
    r.line();
    const QString &responses = tally.responses();
    r.line(responses.mid(0, 50));
    r.line(responses.mid(50, 50));
    r.line(responses.mid(100, 50));
    r.line();
    r.line(QStringLiteral("Nombre d'absences de réaction (attendues) au chiffre 3= ")
           + fmtInt(c.digitNoPress));
    r.line(QStringLiteral("Nombre de fausses alarmes au chiffre 3= ") + fmtInt(c.digitPress));
    r.line(QStringLiteral("Nombre de réactions au masque précédant le chiffre 3= ")
           + fmtInt(c.digitMask));
    r.line();
    auto split = [](int digit, int letter) {
        return fmtInt(qint64(digit) + letter) + QStringLiteral(" (Chiffre= ") + fmtInt(digit)
            + QStringLiteral(" Lettres= ") + fmtInt(letter) + QStringLiteral(")");
    };
    r.line(QStringLiteral("Total des non-appuis= ") + split(c.digitNoPress, c.letterNoPress));
    r.line(QStringLiteral("Total des Appuis= ") + split(c.digitPress, c.letterPress));
    r.line(QStringLiteral("Total des réactions à l'apparition du masque= ")
           + split(c.digitMask, c.letterMask));
    r.line();
    r.line(QStringLiteral("(Médiane & Ecart-type [Moyenne] & Nbre réponses < 100ms rejetées des analyses)"));
    writeTimeLines(r, tally.letterTimes(), n, c.letterReject1, c.letterReject2,
                   QStringLiteral("TR TOTAL Lettres=     "),
                   QStringLiteral("TR PARTIE 1 Lettres=  "),
                   QStringLiteral("TR PARTIE 2 Lettres=  "));
    r.line();
    writeTimeLines(r, tally.digitTimes(), n, c.digitReject1, c.digitReject2,
                   QStringLiteral("TR TOTAL Chiffre=     "),
                   QStringLiteral("TR PARTIE 1 Chiffre=  "),
                   QStringLiteral("TR PARTIE 2 Chiffre=  "));
    r.line();
    r.line(QStringLiteral("Répartition des appuis intempestifs au chiffre 3 en fonction du nombre de lettres le précédant="));
    const auto &g = c.afterLetters;
    r.line(QStringLiteral("Après 0 lettre= ") + fmtInt(g[0]) + QStringLiteral(",  3 lettres= ")
           + fmtInt(g[1]) + QStringLiteral(",  5 lettres= ") + fmtInt(g[2])
           + QStringLiteral(",  10 lettres= ") + fmtInt(g[3])
           + QStringLiteral(",  15 lettres= ") + fmtInt(g[4]));
}

bool ReadSustainedAttentionFile(AnalysisState &st)
{
    st.resetReading();
    // Item count: between the first "_" and the "-" of the speed (or the first ".").
    int n = 0;
    if (!itemCountOfFileName(st.FileName, true, &n))
        ReportError(st, AnalysisBadFileName);
    st.ItemCount = n;

    QStringList lines;
    QString error;
    if (!loadResultLines(st.FilePath, &lines, &error)) {
        showError(error);
        st.AnalysisError = AnalysisReadFailure;
        st.Report.clear();
        return false;
    }
    st.LinesLoaded = true;

    const int underscore = int(st.FileName.indexOf(QLatin1Char('_')));
    const QString header = lines.isEmpty() ? QString() : lines.first();
    if (ParseHeaderLine(st, header, underscore + 2) == QStringLiteral("illimité")) {
        // This test never writes an endless series. Such a file is only listed, so
        // that its lines are kept when the window rewrites it with the notes.
        ShowRawContents(st, lines, st.AdministrationDate, 15, EndlessCountInName);
        st.AnalysisError = AnalysisUnlimited;
        return true;
    }

    // Line 2: the practice runs. A file that stops before it is incomplete.
    if (lines.size() < 2 || lines.at(1) == NotesMarker) {
        ReportError(st, AnalysisIncomplete);
        ShowRawContents(st, lines, st.AdministrationDate, 0, n);
        showWarning(IncompleteFileText);
        return true;
    }
    QString problem;
    if (!parseNumberLine(lines.at(1), &st.PracticeRuns, &problem)) {
        reportMalformedLine(st, 2, problem);
        keepWholeFile(st, lines);
        return false;
    }

    SustainedTally tally(n);
    for (int i = 1; i <= SustainedItemCount; ++i) {
        const int index = i + 1; // 0-based line of item i
        // A "[Notes]" line where an item is expected: the file was analysed while it
        // was incomplete, and its notes follow; it is still incomplete.
        if (index >= lines.size() || lines.at(index) == NotesMarker) {
            ReportError(st, AnalysisIncomplete);
            ShowRawContents(st, lines, st.AdministrationDate, i - 1, n);
            showWarning(IncompleteFileText);
            return true;
        }
        const SustainedLine item = parseSustainedLine(lines.at(index));
        if (!item.ok) {
            reportMalformedLine(st, index + 1, item.problem);
            keepWholeFile(st, lines);
            return false;
        }
        tally.addLine(i, item.character, item.value);
    }

    const int next = SustainedItemCount + 2;
    ReadAfterData(st, lines, next);
    CollectDataLines(st, lines);

    WriteSustainedReport(st, tally);
    return true;
}

} // namespace zoka
