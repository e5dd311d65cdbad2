// SPDX-License-Identifier: GPL-3.0-or-later
#include "analysis/followup.h"

#include "platform/runlock.h"

#include "analysis/analysis.h"
#include "analysis/report.h"
#include "analysis/reportwriter.h"
#include "analysis/sustainedtally.h"
#include "battery/series.h"
#include "battery/testtable.h"
#include "platform/messages.h"
#include "shell/naming.h"

#include <QCollator>
#include <QDir>
#include <QDirIterator>
#include <QFileInfo>
#include <QLocale>
#include <QSet>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace zoka {

QString fileStateText(FileState s)
{
    switch (s) {
    case FileState::Complete: return QStringLiteral("complet");
    case FileState::Incomplete: return QStringLiteral("incomplet");
    case FileState::Endless: return QStringLiteral("série illimitée");
    case FileState::BeingWritten: return QStringLiteral("en cours d'écriture");
    case FileState::Unreadable: return QStringLiteral("illisible");
    }
    return QString();
}

QString fileStateCode(FileState s)
{
    switch (s) {
    case FileState::Complete: return QStringLiteral("complete");
    case FileState::Incomplete: return QStringLiteral("incomplete");
    case FileState::Endless: return QStringLiteral("endless");
    case FileState::BeingWritten: return QStringLiteral("being_written");
    case FileState::Unreadable: return QStringLiteral("unreadable");
    }
    return QString();
}

QDateTime parseAdministrationDate(const QString &text)
{
    const QString t = text.trimmed();
    const int at = int(t.indexOf(QStringLiteral(" à ")));
    if (at < 0)
        return QDateTime();
    const QString dateText = t.left(at).trimmed();
    const QString timeText = t.mid(at + 3).trimmed();
    QStringList dateFormats;
    for (const QLocale &l : {QLocale(), QLocale(QLocale::French, QLocale::France)})
        dateFormats << l.dateFormat(QLocale::ShortFormat);
    dateFormats << QStringLiteral("dd/MM/yyyy") << QStringLiteral("d/M/yyyy") << QStringLiteral("yyyy-MM-dd")
                << QStringLiteral("dd.MM.yyyy") << QStringLiteral("M/d/yyyy") << QStringLiteral("dd/MM/yy")
                << QStringLiteral("M/d/yy");
    QDate date;
    for (const QString &f : std::as_const(dateFormats)) {
        date = QDate::fromString(dateText, f);
        if (date.isValid())
            break;
    }
    if (!date.isValid())
        return QDateTime();
    if (date.year() < 1970) // a two-digit year
        date = date.addYears(100);
    QTime time;
    for (const QString &f : {QStringLiteral("HH:mm:ss"), QStringLiteral("H:mm:ss"), QStringLiteral("h:mm:ss AP"),
                             QStringLiteral("h:mm:ss ap"), QStringLiteral("HH:mm"), QStringLiteral("H:mm")}) {
        time = QTime::fromString(timeText, f);
        if (time.isValid())
            break;
    }
    return QDateTime(date, time.isValid() ? time : QTime(0, 0));
}

namespace {

// The messages of a reading are kept instead of shown.
class CollectedMessages final : public MessageService {
public:
    QStringList texts;
    MsgAnswer show(MsgKind, const QString &text, MsgButtons buttons) override
    {
        texts << text.simplified();
        return buttons == MsgButtons::Ok ? MsgAnswer::Ok : MsgAnswer::No;
    }
};

struct CollectMessages {
    CollectedMessages collected;
    MessageService *previous = &messages();
    CollectMessages() { setMessageService(&collected); }
    ~CollectMessages() { setMessageService(previous); }
};

int countGoItems(int testIndex, int n)
{
    int go = 0;
    for (int item = 1; item <= n; ++item)
        go += isGoItem(testIndex, item) ? 1 : 0;
    return go;
}

void measureItems(Administration &a, AnalysisState &st)
{
    const int n = qMin(st.ItemCount, MaxItemValues);
    // The report's first block keeps a time-out (the omission value) among the times;
    // a follow-up counts it as an omission only, so that a change in omissions does
    // not show twice, once as a change in speed.
    const TestEntry *entry = testEntryAt(st.TestIndex);
    const int timeout = entry->timeLimitSeconds * 1000;
    for (int &v : st.KeptValues)
        if (v >= timeout)
            v = 0;
    for (int &v : st.GridValues)
        if (v >= timeout)
            v = 0;
    a.rt = ComputeStats(st.KeptValues, 0, n - 1);
    for (int i = 0; i < n; ++i)
        if (st.KeptValues[std::size_t(i)] > 0)
            a.times.push_back(st.KeptValues[std::size_t(i)]);
    a.keptCount = int(a.times.size());
    a.omissions = omissionCount(st);
    a.goItems = countGoItems(st.TestIndex, n);
    a.untimely = st.UntimelyCount;
    const ClosingLayout closing = closingLayoutOf(st.TestIndex);
    if (closing == ClosingLayout::UntimelyAndFalseAlarms) {
        a.falseAlarms = st.SecondCount;
        a.noGoItems = n - a.goItems;
    }
    auto keptOf = [&](auto pick) {
        std::array<int, MaxItemValues> v{};
        int count = 0;
        for (int item = 1; item <= n; ++item)
            if (pick(item) && st.KeptValues[std::size_t(item - 1)] > 0) {
                v[std::size_t(item - 1)] = st.KeptValues[std::size_t(item - 1)];
                ++count;
            }
        return std::make_pair(ComputeStats(v, 0, n - 1), count);
    };
    if (modalitySplit(st.TestIndex)) {
        for (const auto &part : {std::pair{u'V', QStringLiteral("Visuel")}, std::pair{u'A', QStringLiteral("Auditif")}}) {
            const char16_t modality = part.first;
            const auto [s, count] = keptOf([modality](int item) { return seriesChar(TrmSeries, item) == modality; });
            a.groups << ItemGroup{part.second, s, count, false};
        }
    }
    if (closing == ClosingLayout::UntimelyAndFixation)
        a.groups << ItemGroup{QStringLiteral("Appuis au point de fixation"), Stats{}, st.SecondCount, true};
    if (entry->grid && (st.ItemCount == 64 || st.ItemCount == 36)) {
        const std::array<Stats, 8> regions = regionStatistics(st);
        for (int r = 0; r < 8; ++r)
            a.groups << ItemGroup{RegionNames[std::size_t(r)].trimmed(), regions[std::size_t(r)], 0, false};
    }
}

void measureSustained(Administration &a, const AnalysisState &st)
{
    SustainedTally tally(st.ItemCount);
    for (int i = 1; i <= SustainedItemCount && i + 1 < st.DataLines.size(); ++i) {
        const SustainedLine line = parseSustainedLine(st.DataLines.at(i + 1));
        if (line.ok)
            tally.addLine(i, line.character, line.value);
    }
    const SustainedCounters &c = tally.counters();
    const std::vector<int> &letters = tally.letterTimes();
    a.rt = ComputeStats(letters.data(), 0, int(letters.size()) - 1);
    for (int t : letters)
        if (t > 0)
            a.times.push_back(t);
    a.keptCount = int(a.times.size());
    a.omissions = c.letterNoPress;
    a.goItems = c.letterNoPress + c.letterPress + c.letterMask;
    a.falseAlarms = c.digitPress;
    a.noGoItems = c.digitNoPress + c.digitPress + c.digitMask;
    a.untimely = c.letterMask + c.digitMask;
    const int n = st.ItemCount;
    const int last = int(letters.size());
    a.groups << ItemGroup{QStringLiteral("Partie 1"), ComputeStats(letters.data(), 0, qMin(n / 2, last) - 1), 0, false};
    a.groups << ItemGroup{QStringLiteral("Partie 2"), ComputeStats(letters.data(), n / 2, qMin(n, last) - 1), 0, false};
    a.groups << ItemGroup{QStringLiteral("Appuis aux lettres"), Stats{}, c.letterPress, true};
}

} // namespace

Administration readAdministration(const QString &path, const QString &fileName)
{
    Administration a;
    a.filePath = path;
    a.fileName = fileName.isEmpty() ? QFileInfo(path).fileName() : fileName;
    a.patient = PatientOfFileName(a.fileName);
    const ResultNameParts parts = parseResultFileName(a.fileName);
    a.testIndex = parts.testIndex;
    a.itemCount = parts.count;
    a.speedIndex = speedInName(parts.testIndex) && parts.speedValid ? parts.speed : -1;
    if (a.testIndex < 0) {
        a.problem = QStringLiteral("Le nom du fichier ne correspond pas à une épreuve");
        return a;
    }
    const bool locked = isLockedByRun(path);

    AnalysisState st;
    CollectMessages quiet;
    prepareAnalysis(st, path, a.testIndex, a.speedIndex >= 0 ? a.speedIndex : 3, a.patient, QString());
    st.FileName = a.fileName;
    st.AnalysisTime = QDateTime(QDate(2000, 1, 1), QTime(0, 0)); // no clock needed: the report is not kept
    const bool read = openAnalysis(st);
    a.headerPatient = st.PatientName;
    a.nameMismatch = st.LinesLoaded && st.PatientName != a.patient;
    a.dateText = st.AdministrationDate;
    a.when = parseAdministrationDate(a.dateText);
    if (!a.when.isValid()) {
        a.when = QFileInfo(path).lastModified();
        a.dateFromFile = true;
    }
    a.practiceRuns = st.PracticeRuns;
    QStringList notes = quiet.collected.texts;
    // The mismatch is said once, in the follow-up's own words.
    notes.removeIf([](const QString &t) { return t.contains(QStringLiteral("ne correspond pas au nom de patient")); });
    if (a.nameMismatch)
        notes.prepend(QStringLiteral("Le nom enregistré dans le fichier (« %1 ») n'est pas celui du nom du fichier")
                          .arg(a.headerPatient));
    a.problem = notes.join(QStringLiteral(" ; "));

    if (!read || st.AnalysisError == AnalysisReadFailure || !st.LinesLoaded)
        a.state = FileState::Unreadable;
    else if (st.AnalysisError == AnalysisUnlimited)
        a.state = FileState::Endless;
    else if (st.AnalysisError == AnalysisIncomplete)
        a.state = FileState::Incomplete;
    else if (!readsStream(a.testIndex) && (!st.LimiteEnabled || st.InternalErrorCode != 0))
        a.state = FileState::Unreadable; // a count without statistics (a renamed file)
    else
        a.state = FileState::Complete;
    if (locked && a.state != FileState::Unreadable)
        a.state = FileState::BeingWritten;
    if (a.state == FileState::Complete || a.state == FileState::BeingWritten) {
        if (readsStream(a.testIndex))
            measureSustained(a, st);
        else
            measureItems(a, st);
    }
    return a;
}

QStringList resultFilesUnder(const QString &dir)
{
    QStringList out;
    const QString exportDir = QDir(dir).absoluteFilePath(QStringLiteral("Export"));
    QStringList pending;
    // Breadth first, without following links to directories.
    auto walk = [&](const QString &folder) {
        QDirIterator entries(folder, QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot);
        while (entries.hasNext()) {
            entries.next();
            const QFileInfo info = entries.fileInfo();
            if (info.isDir()) {
                if (!info.isSymLink() && info.absoluteFilePath() != exportDir)
                    pending << info.filePath();
                continue;
            }
            if (parseResultFileName(info.fileName()).testIndex >= 0)
                out << info.filePath();
        }
    };
    walk(dir);
    while (!pending.isEmpty())
        walk(pending.takeFirst());
    return out;
}

QStringList patientsOf(const QStringList &paths)
{
    QSet<QString> names;
    for (const QString &p : paths) {
        const QString name = PatientOfFileName(p);
        if (!name.isEmpty())
            names.insert(name);
    }
    // Sorted as a reader expects (accents beside their letter), equal keys by code; the
    // keys are made once, a directory may hold thousands of patients.
    const QCollator collator{QLocale()};
    std::vector<std::pair<QCollatorSortKey, QString>> keyed;
    keyed.reserve(std::size_t(names.size()));
    for (const QString &n : names)
        keyed.emplace_back(collator.sortKey(n), n);
    std::sort(keyed.begin(), keyed.end(), [](const auto &x, const auto &y) {
        const int c = x.first.compare(y.first);
        return c != 0 ? c < 0 : x.second < y.second;
    });
    QStringList out;
    out.reserve(qsizetype(keyed.size()));
    for (const auto &k : keyed)
        out << k.second;
    return out;
}

QList<Administration> loadFollowUp(const QStringList &paths, const QString &patient)
{
    QList<Administration> out;
    for (const QString &p : paths)
        if (PatientOfFileName(p) == patient)
            out << readAdministration(p);
    std::stable_sort(out.begin(), out.end(), [](const Administration &x, const Administration &y) {
        if (x.testIndex != y.testIndex)
            return x.testIndex < y.testIndex;
        if (x.when != y.when)
            return x.when < y.when;
        return x.filePath < y.filePath;
    });
    return out;
}

QList<int> administrationsOfTest(const QList<Administration> &all, int testIndex)
{
    QList<int> out;
    for (int i = 0; i < all.size(); ++i)
        if (all.at(i).testIndex == testIndex)
            out << i;
    return out;
}

QPair<int, int> defaultComparison(const QList<Administration> &all, int testIndex)
{
    QList<int> comparable;
    for (int i : administrationsOfTest(all, testIndex))
        if (all.at(i).comparable())
            comparable << i;
    if (comparable.size() < 2)
        return {-1, -1};
    return {comparable.at(comparable.size() - 2), comparable.last()};
}

QString pValueText(double p)
{
    const QLocale fr(QLocale::French, QLocale::France);
    if (p < 0.001)
        return QStringLiteral("p < 0,001");
    if (p < 0.01)
        return QStringLiteral("p = ") + fr.toString(p, 'f', 3);
    if (p >= 0.995)
        return QStringLiteral("p = 1");
    return QStringLiteral("p = ") + fr.toString(p, 'f', 2);
}

namespace {

QString ms(double v)
{
    const QLocale fr(QLocale::French, QLocale::France);
    const qint64 r = qint64(std::round(v));
    return fr.toString(r == 0 ? qint64(0) : r); // never "-0"
}

QString significance(double p)
{
    return p < 0.05 ? QStringLiteral("différence significative") : QStringLiteral("différence non significative");
}

QString proportionChange(const QString &what, int before, int ofBefore, int after, int ofAfter, double p)
{
    return QStringLiteral("%1 : %2 sur %3, puis %4 sur %5 ; %6, %7 (test exact de Fisher).")
        .arg(what)
        .arg(before)
        .arg(ofBefore)
        .arg(after)
        .arg(ofAfter)
        .arg(after == before && ofAfter == ofBefore ? QStringLiteral("pas de changement") : significance(p), pValueText(p));
}

} // namespace

Change compareAdministrations(const Administration &before, const Administration &after)
{
    Change c;
    if (before.testIndex != after.testIndex) {
        c.refusal = QStringLiteral("Les deux passations ne sont pas de la même épreuve.");
        return c;
    }
    for (const Administration *a : {&before, &after}) {
        if (!a->comparable()) {
            c.refusal = QStringLiteral("La passation %1 (%2) n'est pas comparée : fichier %3.")
                            .arg(a->fileName, a->dateText,
                                 a->state == FileState::Complete ? QStringLiteral("sans temps de réaction retenu")
                                                                 : fileStateText(a->state));
            return c;
        }
    }
    c.valid = true;
    c.median = medianDifference(before.times, after.times);
    c.rtTest = mannWhitneyU(before.times, after.times);
    QString rt;
    if (!c.median.valid) {
        rt = QStringLiteral("Temps de réaction : trop peu de temps retenus pour une comparaison (%1 et %2).")
                 .arg(before.times.size())
                 .arg(after.times.size());
    } else {
        const double d = c.median.difference;
        // The interval is said in the direction of the sentence: "plus rapide de 46 ms
        // (IC 95 % : 3 à 89 ms)" is faster by 3 to 89 ms.
        const bool faster = std::round(d) < 0;
        const QString way = std::round(d) > 0 ? QStringLiteral("plus lent de %1 ms").arg(ms(d))
            : faster                        ? QStringLiteral("plus rapide de %1 ms").arg(ms(-d))
                                            : QStringLiteral("médiane inchangée");
        const double low = faster ? -c.median.upper : c.median.lower;
        const double high = faster ? -c.median.lower : c.median.upper;
        rt = QStringLiteral("Temps de réaction médian : %1 (IC 95 % : %2 à %3 ms), %4, %5")
                 .arg(way, ms(low), ms(high), significance(c.rtTest.p), pValueText(c.rtTest.p))
             + QStringLiteral(" (Mann-Whitney, %1).")
                   .arg(c.rtTest.exact ? QStringLiteral("loi exacte") : QStringLiteral("approximation normale"));
    }
    c.sentences << rt;
    c.omissionP = fisherExactTwoSided(before.omissions, before.goItems - before.omissions, after.omissions,
                                      after.goItems - after.omissions);
    c.sentences << proportionChange(QStringLiteral("Omissions"), before.omissions, before.goItems, after.omissions,
                                    after.goItems, c.omissionP);
    if (before.falseAlarms >= 0 && after.falseAlarms >= 0) {
        c.falseAlarmP = fisherExactTwoSided(before.falseAlarms, qMax(0, before.noGoItems - before.falseAlarms),
                                            after.falseAlarms, qMax(0, after.noGoItems - after.falseAlarms));
        c.sentences << proportionChange(QStringLiteral("Fausses alarmes"), before.falseAlarms, before.noGoItems,
                                        after.falseAlarms, after.noGoItems, c.falseAlarmP);
    }
    return c;
}

namespace {

QString cell(const QString &text, int width) { return text.leftJustified(width, u' ', true); }

// A sentence on lines of at most `width` characters (the printed report's width), cut
// at blanks, the lines after the first indented further.
QStringList wrapped(const QString &text, const QString &indent, int width = 86)
{
    QStringList out;
    QString line = indent;
    for (const QString &word : text.split(u' ', Qt::SkipEmptyParts)) {
        if (line.size() > indent.size() && line.size() + 1 + word.size() > width) {
            out << line;
            line = indent + QStringLiteral("  ");
        }
        if (line.size() > indent.size() && !line.endsWith(QStringLiteral("  ")))
            line += u' ';
        line += word;
    }
    out << line;
    return out;
}
QString rcell(const QString &text, int width) { return text.rightJustified(width, u' '); }

QString administrationLine(const Administration &a)
{
    const QString date = a.dateFromFile ? a.when.toString(QStringLiteral("dd/MM/yyyy HH:mm")) + u'*'
                                        : a.when.toString(QStringLiteral("dd/MM/yyyy HH:mm"));
    QString line = cell(date, 18) + cell(a.fileName, 22);
    if (a.state != FileState::Complete) {
        line += QStringLiteral("-- ") + fileStateText(a.state) + QStringLiteral(", non comparé --");
        return line;
    }
    line += rcell(fmtR(a.rt.median, 7, 1), 8) + rcell(fmtR(a.rt.mean, 7, 1), 8) + rcell(fmtR(a.rt.sd, 7, 1), 8)
        + rcell(fmtInt(a.omissions), 5) + rcell(a.falseAlarms >= 0 ? fmtInt(a.falseAlarms) : QStringLiteral("-"), 5)
        + rcell(fmtInt(a.untimely), 5);
    return line;
}

} // namespace

QStringList followUpReportLines(const QString &patient, const QList<Administration> &all,
                                const QList<QPair<int, int>> &pairs, const QString &version, const QDateTime &now)
{
    QStringList out;
    out << bannerLine(version) << QString();
    out << QStringLiteral("Suivi du patient ") + patient;
    out << QStringLiteral("Établi le ") + reportDateText(now) + QStringLiteral(" à ") + reportTimeText(now)
               + QStringLiteral(" ; ") + fmtInt(all.size()) + QStringLiteral(" passation(s)");
    out << QString();
    for (int t = 0; t < TestCount; ++t) {
        const QList<int> rows = administrationsOfTest(all, t);
        if (rows.isEmpty())
            continue;
        out << QStringLiteral("%1 (%2)").arg(testTitle(t), testEntryAt(t)->extension);
        out << cell(QStringLiteral("Date"), 18) + cell(QStringLiteral("Fichier"), 22) + rcell(QStringLiteral("Médiane"), 8)
                   + rcell(QStringLiteral("Moyenne"), 8) + rcell(QStringLiteral("E-T"), 8) + rcell(QStringLiteral("Om."), 5)
                   + rcell(QStringLiteral("FA"), 5) + rcell(QStringLiteral("App."), 5);
        for (int i : rows) {
            const Administration &a = all.at(i);
            out << administrationLine(a);
            for (const ItemGroup &g : a.groups) {
                if (a.state != FileState::Complete)
                    break;
                out << (g.countOnly ? QStringLiteral("    %1 : %2").arg(g.label, fmtInt(g.count))
                                    : QStringLiteral("    %1 = %2").arg(cell(g.label, 22), figuresText(g.stats)));
            }
            if (!a.problem.isEmpty())
                out << wrapped(QStringLiteral("Attention : ") + a.problem, QStringLiteral("    "));
        }
        for (const auto &[x, y] : pairs) {
            if (x < 0 || y < 0 || x >= all.size() || y >= all.size() || all.at(x).testIndex != t)
                continue;
            out << QStringLiteral("Changement du %1 au %2 :")
                       .arg(all.at(x).when.toString(QStringLiteral("dd/MM/yyyy HH:mm")),
                            all.at(y).when.toString(QStringLiteral("dd/MM/yyyy HH:mm")));
            const Change c = compareAdministrations(all.at(x), all.at(y));
            for (const QString &s : c.valid ? c.sentences : QStringList{c.refusal})
                out << wrapped(s, QStringLiteral("  "));
        }
        out << QString();
    }
    out << QStringLiteral("Temps en ms des réponses de 100 ms à la limite de l'épreuve (omissions à part).");
    out << QStringLiteral("Om. : omissions ; FA : fausses alarmes ;");
    out << QStringLiteral("App. : appuis intempestifs (au masque pour Attention soutenue). * : date du fichier.");
    out << QStringLiteral("IC 95 % de la différence des médianes : méthode de Bonett et Price ; test de Mann-Whitney.");
    out << QString(51, u'*');
    return out;
}

FollowUpSeries followUpSeries(const QList<Administration> &all, int testIndex)
{
    FollowUpSeries s;
    s.testIndex = testIndex;
    s.title = testTitle(testIndex);
    for (int i : administrationsOfTest(all, testIndex)) {
        const Administration &a = all.at(i);
        if (!a.comparable())
            continue;
        s.labels << a.when.toString(QStringLiteral("dd/MM/yy"));
        s.median << a.rt.median;
        s.sd << a.rt.sd;
        s.omissions << a.omissions;
        s.falseAlarms << qMax(0, a.falseAlarms);
        s.untimely << a.untimely;
        s.hasFalseAlarms = s.hasFalseAlarms || a.falseAlarms >= 0;
    }
    return s;
}

// ---- zoka-report --summary ------------------------------------------------------

namespace {
QString tsvText(QString s)
{
    s.replace(u'\t', u' ');
    s.replace(u'\r', u' ');
    s.replace(u'\n', u' ');
    return s.isEmpty() ? QStringLiteral("n/a") : s;
}
QString num(double v, int decimals) { return QString::number(v, 'f', decimals); }
} // namespace

QByteArray summaryHeader()
{
    return QByteArrayLiteral("patient\ttest_code\ttest_title\tfile\tdatetime\titem_count\tspeed\tstate\tpractice_runs"
                             "\trt_median\trt_mean\trt_sd\trt_kept\tomissions\tgo_items\tfalse_alarms\tnogo_items"
                             "\tuntimely\tgroups\twarning\n");
}

QByteArray summaryRow(const Administration &a)
{
    const TestEntry *entry = testEntryAt(a.testIndex);
    const bool measured = a.state == FileState::Complete || a.state == FileState::BeingWritten;
    const QString na = QStringLiteral("n/a");
    QStringList groups;
    for (const ItemGroup &g : a.groups)
        groups << (g.countOnly ? QStringLiteral("%1=%2").arg(g.label).arg(g.count)
                               : QStringLiteral("%1=%2/%3/%4").arg(g.label, num(g.stats.median, 1), num(g.stats.mean, 2),
                                                                   num(g.stats.sd, 2)));
    const QStringList row = {
        tsvText(a.patient),
        entry ? entry->extension : na,
        entry ? entry->title : na,
        tsvText(a.fileName),
        a.dateFromFile ? na : a.when.toString(Qt::ISODate),
        QString::number(a.itemCount),
        a.speedIndex >= 0 ? QString::number(a.speedIndex) : na,
        fileStateCode(a.state),
        measured ? QString::number(a.practiceRuns) : na,
        measured ? num(a.rt.median, 1) : na,
        measured ? num(a.rt.mean, 2) : na,
        measured ? num(a.rt.sd, 2) : na,
        measured ? QString::number(a.keptCount) : na,
        measured ? QString::number(a.omissions) : na,
        measured ? QString::number(a.goItems) : na,
        measured && a.falseAlarms >= 0 ? QString::number(a.falseAlarms) : na,
        measured && a.falseAlarms >= 0 ? QString::number(a.noGoItems) : na,
        measured ? QString::number(a.untimely) : na,
        groups.isEmpty() ? na : tsvText(groups.join(QStringLiteral(" | "))),
        tsvText(a.problem),
    };
    return row.join(u'\t').toUtf8() + '\n';
}

QByteArray summarySidecar()
{
    return QByteArray(R"json({
  "patient": {"Description": "Patient, tel que le nom du fichier le donne"},
  "test_code": {"Description": "Extension de l'épreuve (VC, LAT, LFC, SB, DB, AUD, MIX, AS, PAS, PCA)"},
  "test_title": {"Description": "Titre de l'épreuve"},
  "file": {"Description": "Nom du fichier de résultats"},
  "datetime": {"Description": "Date et heure de la passation (première ligne du fichier), ISO 8601, heure locale"},
  "item_count": {"Description": "Nombre d'items du nom du fichier (999 : série illimitée)"},
  "speed": {"Description": "Attention soutenue : vitesse du nom du fichier (0 lente, 1 moyenne, 2 rapide)"},
  "state": {"Description": "État du fichier", "Levels": {"complete": "passation complète", "incomplete": "arrêtée avant le dernier item, non mesurée", "endless": "série illimitée, non mesurée", "being_written": "un enregistrement écrit encore le fichier"}},
  "practice_runs": {"Description": "Nombre de séries d'essais avant la passation"},
  "rt_median": {"Description": "Médiane des temps de réaction retenus", "Units": "ms"},
  "rt_mean": {"Description": "Moyenne des temps de réaction retenus", "Units": "ms"},
  "rt_sd": {"Description": "Écart-type (échantillon) des temps de réaction retenus", "Units": "ms"},
  "rt_kept": {"Description": "Nombre de temps retenus : 100 ms et plus, sous la limite de l'épreuve (les omissions sont à part) ; Attention soutenue : appuis aux lettres de 100 ms et plus"},
  "omissions": {"Description": "Items cibles sans réponse dans le temps imparti (Attention soutenue : lettres sans appui)"},
  "go_items": {"Description": "Nombre d'items cibles"},
  "false_alarms": {"Description": "Appuis aux items non cibles (SB, DB : ligne de clôture ; AS : appuis au chiffre 3)"},
  "nogo_items": {"Description": "Nombre d'items non cibles"},
  "untimely": {"Description": "Appuis intempestifs (AS : réactions au masque)"},
  "groups": {"Description": "Groupements de l'épreuve : libellé=médiane/moyenne/écart-type en ms, ou libellé=nombre, séparés par « | »"},
  "warning": {"Description": "Avertissements de la lecture (nom enregistré différent du nom du fichier, lignes en trop, ...)"}
}
)json");
}

} // namespace zoka
