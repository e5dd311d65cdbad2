// SPDX-License-Identifier: GPL-3.0-or-later
// The whole analysis of one result file, as the analysis window and zoka-report run
// it: the name chooses the test (extension), the count and the speed; the second
// line gives the limits typed in "Limite" then "Appliquer"; then "Effacer" and one
// more limit, as the window allows.
//
// Properties: no crash, no undefined behaviour, no leak; the result file is never
// changed; a refused reading gives no report at all, even after "Limite"; an
// accepted one always gives a report; the statistics never print a NaN or an
// infinity; no file ends in an internal error; the file read with a state that has
// just analysed another file (zoka-report reads all its files with one) gives the
// same report as with a fresh one. The follow-up's reading agrees with the analysis
// (refused files unreadable, measured files with numbers only, comparable with
// themselves), and the long table of its items either takes the file whole, every row
// with all its columns, or refuses it and adds nothing.

#include "fuzzcommon.h"

#include "analysis/analysis.h"
#include "analysis/followup.h"
#include "analysis/trials.h"
#include "battery/testtable.h"
#include "platform/cp1252.h"
#include "shell/naming.h"

#include <QDir>
#include <QFile>

#include <cmath>

using namespace zoka;

namespace {

// The figures of the last block (from its "Médiane & Ecart-type" line on) are made by
// the program; none may read "nan" or "inf".
void checkFigures(const AnalysisState &st)
{
    const QString text = st.Report.text();
    qsizetype from = text.lastIndexOf(QStringLiteral("\r\n                     Médiane & Ecart-type"));
    if (from < 0) // "Attention soutenue"
        from = text.lastIndexOf(QStringLiteral("\r\n(Médiane & Ecart-type"));
    if (from >= 0)
        fuzz::check(!fuzz::holdsNonNumber(text.mid(from)), "a figure of the report is not a number",
                    text.mid(from, 3000));
}

void checkReading(const AnalysisState &st, bool produced)
{
    const bool refused = st.AnalysisError == AnalysisReadFailure;
    fuzz::check(!(refused && !st.Report.isEmpty()), "a refused reading left a report");
    fuzz::check(!(produced && st.Report.isEmpty()), "an accepted reading gave no report");
    // The reader keeps counts without foreperiods away from the statistics: no file
    // may end the program with an internal error.
    fuzz::check(st.InternalErrorCode == 0, "internal error", QString::number(st.InternalErrorCode));
}

// The analysis of another file (a complete one of a grid test, with a second count,
// notes and a new limit), as zoka-report has made before the file it reads next.
void analyseAnotherFile(AnalysisState &st)
{
    static QString path;
    if (path.isEmpty()) {
        // In a folder of its own: no input can bear its name there.
        QDir(fuzz::scratchDir()).mkdir(QStringLiteral("autre"));
        path = fuzz::scratchDir() + QStringLiteral("/autre/Autre_36.LFC");
        QStringList lines{QStringLiteral("Autre: 01/12/2026 à 10:00:00"), QStringLiteral("2")};
        for (int i = 0; i < 36; ++i)
            lines << QString::number(250 + 61 * i);
        lines << QStringLiteral("-3 2") << NotesMarker << QStringLiteral("note");
        QFile f(path);
        fuzz::check(f.open(QIODevice::WriteOnly) && f.write(cp1252::encodeLines(lines)) > 0,
                    "cannot write the other file");
    }
    prepareAnalysis(st, path, 2, 1, QStringLiteral("Autre"), QStringLiteral("4.0b"));
    fuzz::fixTime(st);
    fuzz::check(openAnalysis(st), "the other file was not analysed");
    applyLimitAndAnalyse(st, QStringLiteral("2,5"));
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    fuzz::setUp();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const fuzz::FileInput in = fuzz::splitInput(data, size, true);
    const QString path = fuzz::writeScratch(in.name, in.content);
    if (path.isEmpty())
        return 0;
    const QString name = FileNameOfPath(path);
    const ResultNameParts parts = parseResultFileName(name);
    if (parts.testIndex < 0) {
        fuzz::removeScratch(path);
        return 0;
    }
    const int test = parts.testIndex;
    const int speed = speedInName(test) ? (parts.speedValid ? parts.speed : 3) : 1;

    AnalysisState st;
    prepareAnalysis(st, path, test, speed, PatientOfFileName(name), QStringLiteral("4.0b"));
    fuzz::fixTime(st);
    const bool produced = openAnalysis(st);
    checkReading(st, produced);
    const QByteArray firstReport = st.Report.bytes();
    const bool refused = st.AnalysisError == AnalysisReadFailure;

    // "Limite" / "Appliquer", as long as the window leaves the button enabled.
    if (st.LimiteEnabled && !speedInName(test)) {
        for (const QString &limit : in.limits) {
            applyLimitAndAnalyse(st, limit);
            if (st.InternalErrorCode != 0)
                break;
        }
        fuzz::check(!(refused && !st.Report.isEmpty()), "statistics of a file the reading refused");
        checkFigures(st);

        // "Effacer", then one more limit.
        const bool again = rereadAnalysis(st);
        checkReading(st, again && st.AnalysisError != AnalysisReadFailure);
        if (st.LimiteEnabled && st.InternalErrorCode == 0) {
            applyLimitAndAnalyse(st, in.limits.value(0));
            checkFigures(st);
        }
    } else {
        checkFigures(st);
    }

    // zoka-report reads every file with one state: what the previous file left in it
    // must not show in the next report.
    AnalysisState reused;
    analyseAnotherFile(reused);
    prepareAnalysis(reused, path, test, speed, PatientOfFileName(name), QStringLiteral("4.0b"));
    fuzz::fixTime(reused);
    fuzz::check(openAnalysis(reused) == produced && reused.Report.bytes() == firstReport,
                "the state of a previous file changed the report",
                QString::fromLatin1(firstReport) + QStringLiteral("\n----\n")
                    + QString::fromLatin1(reused.Report.bytes()));

    const Administration a = readAdministration(path);
    fuzz::check(!refused || a.state == FileState::Unreadable, "the follow-up measured a refused file");
    fuzz::check(!a.comparable() || (std::isfinite(a.rt.median) && std::isfinite(a.rt.sd) && std::isfinite(a.rt.mean)),
                "a follow-up figure is not a number");
    if (a.comparable()) {
        const Change c = compareAdministrations(a, a);
        fuzz::check(c.valid && c.rtTest.p >= 0 && c.rtTest.p <= 1 && c.omissionP >= 0 && c.omissionP <= 1
                        && !fuzz::holdsNonNumber(c.sentences.join(u' ')),
                    "an administration compared with itself", c.sentences.join(u'\n'));
    }
    QByteArray rows = "x";
    QString error, warning;
    if (appendTrials(path, name, &rows, &error, &warning)) {
        for (const QByteArray &row : rows.mid(1).split('\n'))
            fuzz::check(row.isEmpty() || row.count('\t') == trialsHeader().count('\t'), "a row of the item table",
                        QString::fromUtf8(row));
    } else {
        fuzz::check(rows == "x" && !error.isEmpty(), "a refused file left rows or no reason");
    }

    fuzz::check(fuzz::readWhole(path) == in.content, "the analysis changed the result file");
    fuzz::removeScratch(path);
    fuzz::takeMessageCount();
    return 0;
}
