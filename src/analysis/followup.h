// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include "analysis/stats.h"

#include <QDateTime>
#include <QList>
#include <QString>
#include <QStringList>
#include <vector>

namespace zoka {

// A patient's follow-up: every administration of one patient, read with the reader and
// the statistics of the analysis, compared two by two. Plain logic: the follow-up
// window, its printout and zoka-report --summary draw from it.

// What a result file is, for a follow-up. Only a complete file is compared.
enum class FileState {
    Complete,
    Incomplete,   // stopped before its last item (stop key, a run cut short)
    Endless,      // endless series: listed, never measured
    BeingWritten, // a run still holds its lock on the file
    Unreadable,   // refused by the reader (the cause is in `problem`)
};

// French word of a state, as the follow-up lists it ("complet", "incomplet", ...).
QString fileStateText(FileState s);
// Its code in the tables for research ("complete", "incomplete", "endless",
// "being_written", "unreadable"), as the item table writes it.
QString fileStateCode(FileState s);

// Statistics of one group of items (a modality, a half, a region) of an administration.
struct ItemGroup {
    QString label;
    Stats stats;
    int count = 0; // kept times, or the count the label names (hits, presses)
    bool countOnly = false;
};

struct Administration {
    QString filePath;
    QString fileName;
    QString patient;       // from the file name
    QString headerPatient; // from the first line
    bool nameMismatch = false;
    int testIndex = -1;
    int itemCount = 0;     // from the file name
    int speedIndex = -1;   // Attention soutenue: 0-2 from the file name, else -1
    QString dateText;      // date and time of the first line, as written
    QDateTime when;        // read from dateText; else the file's modification time
    bool dateFromFile = false; // `when` is the modification time (first line unreadable)
    FileState state = FileState::Unreadable;
    QString problem;       // why the file is not measured, or warnings of the reader
    int practiceRuns = 0;
    Stats rt;              // kept reaction times: 100 ms and more, below the test's time limit
    int keptCount = 0;
    int omissions = 0, goItems = 0;
    int falseAlarms = -1, noGoItems = 0; // -1: the test has no no-go item
    int untimely = 0;
    QList<ItemGroup> groups;
    std::vector<double> times; // the kept reaction times, in item order

    bool comparable() const { return state == FileState::Complete && !times.empty(); }
};

// The date and time of a header ("07/12/2026 à 10:15:02"), in the regional format the
// runs write or the usual short formats; invalid when none reads it.
QDateTime parseAdministrationDate(const QString &text);

// Reads one result file with the reader of its test and the default time limit, no
// message shown. The warnings the reader would show go to `problem`. `fileName` is
// the name the patient, count and test are read from (empty: the last part of `path`).
Administration readAdministration(const QString &path, const QString &fileName = QString());

// Result files of the results directory `dir` and of its subdirectories (where earlier
// sessions may be archived; symbolic links to directories are not followed, the
// "Export" folder is left out), as paths. Only names with a test extension.
QStringList resultFilesUnder(const QString &dir);

// The distinct patients of those files: names compared exactly, so that names that
// differ by case or accents are two patients, as their files are. Sorted.
QStringList patientsOf(const QStringList &paths);

// Every administration of `patient` among `paths`, read, in the order of the tests
// and, within a test, of their date (then file name).
QList<Administration> loadFollowUp(const QStringList &paths, const QString &patient);

// Indices into `all` of the administrations of test `testIndex`, in date order.
QList<int> administrationsOfTest(const QList<Administration> &all, int testIndex);

// The last two comparable administrations of a test (indices into `all`), or {-1, -1}.
QPair<int, int> defaultComparison(const QList<Administration> &all, int testIndex);

// Change between two administrations of one test, `before` then `after`.
struct Change {
    bool valid = false;     // both comparable and of the same test
    QString refusal;        // why not, in French
    MedianDifference median;
    MannWhitney rtTest;
    double omissionP = 1;
    double falseAlarmP = 1;
    QStringList sentences;  // the change said in French, one sentence a line
};
Change compareAdministrations(const Administration &before, const Administration &after);

// "p = 0,004", "p < 0,001", "p = 0,31" (two significant figures from 0,01 on).
QString pValueText(double p);

// The follow-up as the lines of a printout, in the layout of the report: a heading,
// one block per test with a line per administration, and the change between the
// pairs compared (`pairs`: indices into `all`).
QStringList followUpReportLines(const QString &patient, const QList<Administration> &all,
                                const QList<QPair<int, int>> &pairs, const QString &version,
                                const QDateTime &now);

// What the plots across sessions show for one test: one point per comparable
// administration, in date order.
struct FollowUpSeries {
    int testIndex = -1;
    QString title;
    QStringList labels; // date of each administration ("07/12/26")
    QList<double> median, sd;
    QList<int> omissions, falseAlarms, untimely;
    bool hasFalseAlarms = false;
};
FollowUpSeries followUpSeries(const QList<Administration> &all, int testIndex);

// zoka-report --summary: a header row and one tab-separated row per administration
// (UTF-8, LF), and the description of its columns (JSON).
QByteArray summaryHeader();
QByteArray summaryRow(const Administration &a);
QByteArray summarySidecar();

} // namespace zoka
