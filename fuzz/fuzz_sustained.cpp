// SPDX-License-Identifier: GPL-3.0-or-later
// The reader and report of "Attention soutenue" (ReadSustainedAttentionFile) and its
// item lines. The name line gives the count and the speed (whatever its extension,
// the file is read as this test's).
//
// Properties: no crash, no undefined behaviour, no leak; every line reads as an item
// exactly when a plain pattern says it is one, with the same character and value; a
// reading that got through the 228 items writes the whole report, always 32 lines,
// the three lines of answers at most 50 characters each, no figure reading "nan" or
// "inf"; a refused reading writes no report; the result file is never changed.

#include "fuzzcommon.h"

#include "analysis/analysis.h"
#include "analysis/resultreader.h"
#include "analysis/sustainedtally.h"
#include "platform/cp1252.h"
#include "shell/naming.h"

#include <QRegularExpression>

using namespace zoka;

namespace {

void checkItemLines(const QStringList &lines)
{
    static const QRegularExpression re(QStringLiteral("^(3|\\p{L})[ \\t]*(-?)0*([0-9]+)[ \\t]*$"));
    for (const QString &line : lines) {
        const QRegularExpressionMatch m = re.match(line);
        bool refOk = m.hasMatch() && m.capturedLength(3) <= 10 && m.captured(3).toLongLong() <= 2147483647LL;
        const SustainedLine got = parseSustainedLine(line);
        fuzz::check(got.ok == refOk, "an item line read differently", line.left(200));
        if (!refOk)
            continue;
        const qint64 magnitude = m.captured(3).toLongLong();
        fuzz::check(got.character == line.at(0)
                        && got.value == (m.captured(2).isEmpty() ? magnitude : -magnitude),
                    "an item line gave another value", line.left(200));
    }
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    fuzz::setUp();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const fuzz::FileInput in = fuzz::splitInput(data, size, false);
    checkItemLines(fuzz::linesOf(in.content));

    const QString path = fuzz::writeScratch(in.name, in.content);
    if (path.isEmpty())
        return 0;
    const ResultNameParts parts = parseResultFileName(in.name);
    AnalysisState st;
    prepareAnalysis(st, path, index(TestId::AttentionSoutenue), parts.speedValid ? parts.speed : 3,
                    PatientOfFileName(in.name), QStringLiteral("4.0b"));
    fuzz::fixTime(st);
    const bool read = ReadSustainedAttentionFile(st);

    fuzz::check(read != (st.AnalysisError == AnalysisReadFailure), "reading result and error code disagree");
    if (!read)
        fuzz::check(st.Report.isEmpty(), "a refused reading left a report");
    const bool whole = read && st.AnalysisError != AnalysisIncomplete && st.AnalysisError != AnalysisUnlimited;
    if (whole) {
        const QStringList report = cp1252::splitLines(st.Report.text());
        fuzz::check(report.size() == 32, "the report is not 32 lines long", st.Report.text());
        fuzz::check(report.value(9).size() <= 50 && report.value(10).size() <= 50 && report.value(11).size() <= 50,
                    "a line of answers longer than 50 characters", st.Report.text());
        const QString figures = report.mid(22).join(u'\n');
        fuzz::check(!fuzz::holdsNonNumber(figures), "a figure of the report is not a number", figures);
    }
    fuzz::check(fuzz::readWhole(path) == in.content, "the reading changed the result file");
    fuzz::removeScratch(path);
    fuzz::takeMessageCount();
    return 0;
}
