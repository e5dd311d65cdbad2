// SPDX-License-Identifier: GPL-3.0-or-later
// The notes round trip of the analysis window: open a result file, close the window
// with the notes box as it was loaded (the file is rewritten with its lines and the
// notes), then open and close it again. The name line chooses the test; the file may
// be anything.
//
// Properties: no crash, no undefined behaviour, no leak; a file the window could not
// read is left as it was; closing always succeeds on a writable directory; every
// non-empty line of the file is kept, in order - except the lines the layout drops on
// purpose: a line after the first that merely contains "[Notes]", standing before the
// "[Notes]" line; and the second round trip gives the very same bytes.

#include "fuzzcommon.h"

#include "analysis/analysiswindowlogic.h"
#include "shell/internalerror.h"
#include "shell/naming.h"

using namespace zoka;

namespace {

// Opens and closes the window on `path`; false when closing failed.
bool roundTrip(const QString &path, int test, int speed, const QString &patient, bool *loaded)
{
    AnalysisWindowLogic window;
    fuzz::fixTime(window.state());
    window.show(path, test, speed, patient, QStringLiteral("4.0b"), fuzz::scratchDir());
    *loaded = window.state().LinesLoaded;
    return window.closeSequence(window.notes()) == AnalysisWindowLogic::CloseOutcome::Closed;
}

// The lines a rewrite must keep, in their order.
QStringList linesToKeep(const QStringList &lines)
{
    const int notesAt = int(lines.indexOf(NotesMarker));
    QStringList keep;
    for (int i = 0; i < lines.size(); ++i) {
        const QString &l = lines.at(i);
        if (l.isEmpty())
            continue;
        if (i > 0 && (notesAt < 0 || i < notesAt) && l != NotesMarker && l.contains(NotesMarker))
            continue;
        keep << l;
    }
    return keep;
}

// The first line of `keep` missing from `lines` (taken in order); a null text when
// they all stand there in order.
QString firstMissing(const QStringList &keep, const QStringList &lines)
{
    int j = 0;
    for (const QString &k : keep) {
        while (j < lines.size() && lines.at(j) != k)
            ++j;
        if (j == lines.size())
            return k.isEmpty() ? QStringLiteral("(vide)") : k;
        ++j;
    }
    return QString();
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    fuzz::setUp();
    // The window would end the program here; no file may bring it there.
    setInternalErrorExit([](int n) { fuzz::check(false, "internal error", QString::number(n)); });
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const fuzz::FileInput in = fuzz::splitInput(data, size, false);
    const ResultNameParts parts = parseResultFileName(in.name);
    if (parts.testIndex < 0)
        return 0;
    const QString path = fuzz::writeScratch(in.name, in.content);
    if (path.isEmpty())
        return 0;
    const int test = parts.testIndex;
    const int speed = speedInName(test) ? (parts.speedValid ? parts.speed : 3) : 1;
    const QString patient = PatientOfFileName(in.name);

    bool loaded = false;
    fuzz::check(roundTrip(path, test, speed, patient, &loaded), "closing the window failed");
    const QByteArray first = fuzz::readWhole(path);
    if (!loaded) {
        fuzz::check(first == in.content, "a file the window could not read was changed");
    } else {
        const QString missing = firstMissing(linesToKeep(fuzz::linesOf(in.content)), fuzz::linesOf(first));
        fuzz::check(missing.isNull(), "a line of the file was lost by the notes", missing);
    }

    fuzz::check(roundTrip(path, test, speed, patient, &loaded), "closing the window failed");
    const QByteArray second = fuzz::readWhole(path);
    fuzz::check(second == first, "the second round trip changed the file",
                QString::fromLatin1(first.toHex()) + QStringLiteral("\n") + QString::fromLatin1(second.toHex()));

    fuzz::removeScratch(path);
    fuzz::takeMessageCount();
    return 0;
}
