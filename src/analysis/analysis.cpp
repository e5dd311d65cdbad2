// SPDX-License-Identifier: GPL-3.0-or-later
#include "analysis/analysis.h"

#include "analysis/report.h"
#include "analysis/resultreader.h"
#include "platform/messages.h"
#include "battery/testtable.h"

#include <QFileInfo>
#include <QScopeGuard>
#include <QLocale>
#include <cmath>

namespace zoka {

void prepareAnalysis(AnalysisState &st, const QString &filePath, int testIndex, int speedIndex,
                     const QString &patientName, const QString &version)
{
    st.FilePath = filePath;
    st.FileName = QFileInfo(filePath).fileName();
    st.TestIndex = testIndex;
    st.SpeedIndex = speedIndex;
    st.PatientName = patientName;
    st.Version = version;
    st.resetForShow();
}

namespace {
// A refused file is not analysed: no "Limite" may make statistics of what was read
// of it before the refusal.
bool refuse(AnalysisState &st)
{
    st.LimiteEnabled = false;
    return false;
}

bool readFile(AnalysisState &st)
{
    noteIdentityBeforeReading(st);
    const auto after = qScopeGuard([&st] { checkIdentityAfterReading(st); });
    if (readsStream(st.TestIndex)) {
        if (!ReadSustainedAttentionFile(st))
            return refuse(st);
    } else {
        ReadResultFile(st);
    }
    return st.AnalysisError != AnalysisReadFailure || refuse(st);
}
} // namespace

bool openAnalysis(AnalysisState &st)
{
    if (!readFile(st))
        return false;
    if (!readsStream(st.TestIndex) && st.AnalysisError == AnalysisNoError)
        return AnalyseValues(st);
    return true;
}

bool rereadAnalysis(AnalysisState &st)
{
    st.resetNotes();
    return readFile(st);
}

namespace {
// The first "," becomes ".".
QString withDecimalPoint(QString t)
{
    const int comma = int(t.indexOf(u','));
    if (comma >= 0)
        t[comma] = u'.';
    return t;
}

bool secondsOfLimit(const QString &t, double *seconds)
{
    bool ok = false;
    *seconds = QLocale::c().toDouble(t.trimmed(), &ok);
    return ok && std::isfinite(*seconds) && *seconds >= 0.1 && *seconds <= 10.0;
}
} // namespace

bool limitTextAccepted(const QString &text)
{
    double seconds = 0;
    return text.isEmpty() || secondsOfLimit(withDecimalPoint(text), &seconds);
}

bool ApplyLimit(AnalysisState &st, const QString &text)
{
    QString t = text;
    if (t.isEmpty()) {
        const TestEntry *entry = testEntryAt(st.TestIndex);
        t = entry ? QString(entry->defaultLimit) : QStringLiteral("3.0");
    }
    t = withDecimalPoint(t);
    st.LimitText = t;
    double seconds = 0;
    if (!secondsOfLimit(t, &seconds)) {
        showMessage(MsgKind::Warning, QStringLiteral("   Mauvais format de limite !    "));
        // The next block must name the limit actually in force, not the refused text.
        st.LimitText = st.AcceptedLimitText;
        return false;
    }
    st.RejectLimitMs = std::nearbyint(seconds * 1000.0);
    st.AcceptedLimitText = st.LimitText;
    return true;
}

void applyLimitAndAnalyse(AnalysisState &st, const QString &text)
{
    ApplyLimit(st, text);
    AnalyseValues(st);
}

QString limitStatusText(const AnalysisState &st)
{
    return QStringLiteral("Limite= ") + QString::number(qint64(std::llround(st.RejectLimitMs)));
}

} // namespace zoka
