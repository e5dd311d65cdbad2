// SPDX-License-Identifier: GPL-3.0-or-later
// The result-file reader of tests 0-6, 8 and 9 (ReadResultFile) and the number
// lines it is made of. The name line chooses the test and the count.
//
// Properties: no crash, no undefined behaviour, no leak; the lines of the file come
// back unchanged through the encoding the notes are saved with; every line reads as a
// number exactly when a plain pattern says it is one, with the same value; a reading
// without error holds, for each item, the value of its line, and that value is
// positive; the error code is one the reader knows.

#include "fuzzcommon.h"

#include "analysis/analysis.h"
#include "analysis/resultreader.h"
#include "platform/cp1252.h"
#include "shell/naming.h"

#include <algorithm>

#include <QRegularExpression>

using namespace zoka;

namespace {

// A number line as the file layout defines it, read another way: blanks, a sign, the
// digits, then the end of the line or a blank; a value within ±(2^31 - 1).
bool referenceNumber(const QString &line, int *value)
{
    static const QRegularExpression re(QStringLiteral("^[ \\t]*([+-]?)0*([0-9]+)(?:[ \\t].*)?$"),
                                       QRegularExpression::DotMatchesEverythingOption);
    const QRegularExpressionMatch m = re.match(line);
    if (!m.hasMatch() || m.capturedLength(2) > 10)
        return false;
    const qint64 magnitude = m.captured(2).toLongLong();
    if (magnitude > 2147483647LL)
        return false;
    *value = int(m.captured(1) == QStringLiteral("-") ? -magnitude : magnitude);
    return true;
}

void checkNumberLines(const QStringList &lines)
{
    for (const QString &line : lines) {
        int expected = 0;
        int got = 0;
        const bool refOk = referenceNumber(line, &expected);
        const bool ok = parseNumberLine(line, &got);
        fuzz::check(ok == refOk, "a number line read differently", line.left(200));
        fuzz::check(!ok || got == expected, "a number line gave another value", line.left(200));
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
    const QStringList lines = fuzz::linesOf(in.content);
    fuzz::check(fuzz::linesOf(cp1252::encodeLines(lines)) == lines,
                "lines changed by a rewrite in Windows-1252");
    checkNumberLines(lines);

    const QString path = fuzz::writeScratch(in.name, in.content);
    if (path.isEmpty())
        return 0;
    const ResultNameParts parts = parseResultFileName(in.name);
    if (parts.testIndex < 0 || speedInName(parts.testIndex)) {
        fuzz::removeScratch(path);
        return 0;
    }
    AnalysisState st;
    prepareAnalysis(st, path, parts.testIndex, 1, PatientOfFileName(in.name), QStringLiteral("4.0b"));
    fuzz::fixTime(st);
    ReadResultFile(st);

    const int e = st.AnalysisError;
    fuzz::check(e == AnalysisNoError || (e >= AnalysisBadFileName && e <= AnalysisUntimelyCount) || e == AnalysisUnlimited
                    || e == AnalysisReadFailure,
                "unknown reading error code", QString::number(e));
    fuzz::check(st.ItemCount >= 0, "negative item count");
    // A name with a control character is refused before any reading; every other
    // file the target wrote is a regular file within the bounds, and is loaded.
    const bool nameRefused = std::any_of(in.name.cbegin(), in.name.cend(),
                                         [](QChar c) { return c.category() == QChar::Other_Control; });
    fuzz::check(st.LinesLoaded != nameRefused, "a readable file was not loaded, or a refused name was");

    if (e == AnalysisNoError && st.ItemCount <= MaxItemValues) {
        // Line 2 is the practice runs, lines 3 .. N + 2 the items.
        int practice = 0;
        fuzz::check(lines.size() < 2 || lines.at(1) == NotesMarker
                        || (referenceNumber(lines.at(1), &practice) && practice == st.PracticeRuns),
                    "practice runs read wrongly");
        for (int i = 0; i < st.ItemCount; ++i) {
            int v = 0;
            fuzz::check(i + 2 < lines.size() && referenceNumber(lines.at(i + 2), &v)
                            && v == st.RawValues[size_t(i)] && v > 0,
                        "an item value read wrongly", QString::number(i + 1));
        }
        for (int i = st.ItemCount; i < MaxItemValues; ++i)
            fuzz::check(st.RawValues[size_t(i)] == 0, "a value beyond the item count");
    }

    fuzz::removeScratch(path);
    fuzz::takeMessageCount();
    return 0;
}
