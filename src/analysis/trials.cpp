// SPDX-License-Identifier: GPL-3.0-or-later
#include "analysis/trials.h"

#include "platform/runlock.h"

#include "analysis/analysisstate.h"
#include "analysis/followup.h"
#include "analysis/report.h"
#include "analysis/resultreader.h"
#include "analysis/sustainedtally.h"
#include "battery/series.h"
#include "battery/testtable.h"
#include "shell/naming.h"

#include <QFileInfo>

namespace zoka {

namespace {

const QString NA = QStringLiteral("n/a");

QString tsv(QString s)
{
    s.replace(u'\t', u' ');
    s.replace(u'\r', u' ');
    s.replace(u'\n', u' ');
    return s.isEmpty() ? NA : s;
}

// What every row of one file shares: patient ... state.
struct FileColumns {
    QString leading; // patient, test_code, test_title, file, datetime, item_count, speed, state
};

struct ItemRow {
    QString item = NA, row = NA, column = NA, side = NA, symbol = NA, modality = NA, character = NA,
            foreperiod = NA, value = NA, rt = NA, outcome = NA;
};

void appendRow(QByteArray *out, const FileColumns &f, const ItemRow &r)
{
    const QStringList cells = {r.item, r.row, r.column, r.side, r.symbol, r.modality, r.character,
                               r.foreperiod, r.value, r.rt, r.outcome};
    *out += (f.leading + u'\t' + cells.join(u'\t') + u'\n').toUtf8();
}

// The symbol of a go/no-go item, named after the series code its test's go rule reads.
QString symbolOf(int testIndex, int position)
{
    const TestEntry *entry = testEntryAt(testIndex);
    const QChar code = seriesChar(testSeries(testIndex), position);
    switch (entry ? entry->goRule : GoRule::EveryItem) {
    case GoRule::EveryItem:
        break;
    case GoRule::CrossNotRing:
        return code == u'+' ? QStringLiteral("cross") : QStringLiteral("ring");
    case GoRule::RedCrossBlueRing:
        switch (code.unicode()) {
        case u'1': return QStringLiteral("red_cross");
        case u'2': return QStringLiteral("blue_ring");
        case u'3': return QStringLiteral("red_ring");
        case u'4': return QStringLiteral("blue_cross");
        }
        break;
    }
    return NA;
}

QString modalityOf(int testIndex, int position)
{
    const TestEntry *entry = testEntryAt(testIndex);
    switch (entry ? entry->modality : Modality::Visual) {
    case Modality::Visual:
        break;
    case Modality::Auditory:
        return QStringLiteral("auditory");
    case Modality::Mixed:
        return seriesChar(testSeries(testIndex), position) == u'A' ? QStringLiteral("auditory")
                                                                    : QStringLiteral("visual");
    }
    return QStringLiteral("visual");
}

// Grid cell (row, column, 1-based) of the item at `position` of an N-item series.
bool cellOf(int position, int n, int *row, int *column)
{
    const bool six = n == 36;
    const int side = six ? 6 : 8;
    const int cells = side * side;
    for (int c = 1; c <= cells; ++c) {
        const int item = six ? TestGrid36[std::size_t(c - 1)] : TestGrid64[std::size_t(c - 1)];
        if (item == position) {
            *row = (c - 1) / side + 1;
            *column = (c - 1) % side + 1;
            return true;
        }
    }
    return false;
}

ItemRow itemRow(int testIndex, int n, int item, int position, int value)
{
    ItemRow r;
    r.item = QString::number(item);
    r.value = QString::number(value);
    const TestEntry *entry = testEntryAt(testIndex);
    if (entry->grid) {
        int row = 0, column = 0;
        if (cellOf(position, n, &row, &column)) {
            r.row = QString::number(row);
            r.column = QString::number(column);
            r.side = column <= (n == 36 ? 3 : 4) ? QStringLiteral("left") : QStringLiteral("right");
        }
    }
    r.symbol = symbolOf(testIndex, position);
    r.modality = modalityOf(testIndex, position);
    if (!modalitySplit(testIndex) && statisticsCoverCount(testIndex, n)) {
        int internalError = 0;
        const int fp = foreperiodOf(testIndex, n, position, &internalError);
        if (internalError == 0 && fp > 0)
            r.foreperiod = QString::number(fp);
    }
    const bool pressed = value < entry->timeLimitSeconds * 1000;
    if (pressed)
        r.rt = r.value;
    if (isGoItem(testIndex, position))
        r.outcome = pressed ? QStringLiteral("hit") : QStringLiteral("omission");
    else
        r.outcome = pressed ? QStringLiteral("false_alarm") : QStringLiteral("correct_rejection");
    return r;
}

ItemRow sustainedRow(int item, const SustainedLine &line)
{
    ItemRow r;
    r.item = QString::number(item);
    r.value = QString::number(line.value);
    r.modality = QStringLiteral("visual");
    r.character = line.character == u'\t' ? NA : QString(line.character);
    const bool digit = line.character == u'3';
    if (line.value == -1) {
        r.outcome = QStringLiteral("mask_press");
    } else if (line.value == 0) {
        r.outcome = digit ? QStringLiteral("correct_rejection") : QStringLiteral("omission");
    } else {
        r.rt = QString::number(line.value < 0 ? -qint64(line.value) : qint64(line.value));
        r.outcome = digit ? QStringLiteral("false_alarm") : QStringLiteral("hit");
    }
    return r;
}

} // namespace

QByteArray trialsHeader()
{
    return QByteArrayLiteral("patient\ttest_code\ttest_title\tfile\tdatetime\titem_count\tspeed\tstate\titem\tcell_row"
                             "\tcell_column\tside\tsymbol\tmodality\tcharacter\tforeperiod\tvalue\tresponse_time"
                             "\toutcome\n");
}

bool appendTrials(const QString &path, const QString &fileName, QByteArray *rows, QString *error, QString *warning)
{
    const ResultNameParts parts = parseResultFileName(fileName);
    const TestEntry *entry = testEntryAt(parts.testIndex);
    if (!entry) {
        *error = QStringLiteral("Le nom du fichier ne correspond pas à une épreuve : ") + path;
        return false;
    }
    const int t = parts.testIndex;
    int n = 0;
    if (!itemCountOfFileName(fileName, speedInName(t), &n) || n <= 0) {
        *error = QStringLiteral("Le nom du fichier est incorrect (nbre d'items) : ") + path;
        return false;
    }
    QStringList lines;
    if (!loadResultLines(path, &lines, error))
        return false;
    auto malformed = [&](int lineIndex, const QString &problem) {
        *error = QStringLiteral("Format numérique incorrect, ligne %1 : %2 : %3").arg(lineIndex + 1).arg(problem, path);
        return false;
    };

    const QString patient = PatientOfFileName(fileName);
    const QString header = lines.value(0);
    const int colon = int(header.indexOf(QStringLiteral(": ")));
    const QString headerName = colon >= 0 ? header.left(colon) : QString();
    if (headerName != patient)
        *warning = QStringLiteral("le nom enregistré dans le fichier (« %1 ») n'est pas celui du nom du fichier")
                       .arg(headerName);
    const bool endless = !header.isEmpty() && header.indexOf(u'#') == header.size() - 1;
    QString dateText = colon >= 0 ? header.mid(colon + 2) : header;
    if (endless)
        dateText.chop(2);
    const QDateTime when = parseAdministrationDate(dateText);
    const int notesAt = indexOfNotes(lines, 1);
    const int dataEnd = notesAt >= 0 ? notesAt : int(lines.size());

    QByteArray out;
    FileState state = FileState::Complete;
    int idx = 1;
    int practice = 0;
    QString problem;
    if (idx < dataEnd && !parseNumberLine(lines.at(idx), &practice, &problem))
        return malformed(idx, problem);
    ++idx;
    // The leading columns are known once the state is: rows are gathered first.
    QList<ItemRow> items;
    QList<ItemRow> closing;
    if (readsStream(t)) {
        int item = 0;
        while (idx < dataEnd && item < SustainedItemCount) {
            const SustainedLine line = parseSustainedLine(lines.at(idx));
            if (!line.ok)
                return malformed(idx, line.problem);
            items << sustainedRow(++item, line);
            ++idx;
        }
        if (item < SustainedItemCount)
            state = FileState::Incomplete;
    } else {
        const int block = endless ? EndlessItemCount : n;
        int item = 0;
        bool closed = false;
        while (idx < dataEnd) {
            int value = 0;
            int used = 0;
            if (!parseNumberLine(lines.at(idx), &value, &problem, &used))
                return malformed(idx, problem);
            if (value <= 0 || (!endless && item == n)) {
                // The closing line: the untimely presses, and for the fixation test the
                // presses at the fixation point.
                ItemRow r;
                r.value = QString::number(value < 0 ? -qint64(value) : qint64(value));
                r.outcome = QStringLiteral("untimely");
                closing << r;
                if (closingLayoutOf(t) == ClosingLayout::UntimelyAndFixation) {
                    int second = 0;
                    if (!parseNumberLine(lines.at(idx).mid(used), &second, &problem))
                        return malformed(idx, problem);
                    ItemRow f;
                    f.value = QString::number(second);
                    f.outcome = QStringLiteral("fixation_press");
                    closing << f;
                }
                closed = true;
                break;
            }
            ++item;
            items << itemRow(t, endless ? EndlessItemCount : n, item, (item - 1) % block + 1, value);
            ++idx;
        }
        if (!endless && (item < n || !closed))
            state = FileState::Incomplete;
        if (endless)
            state = FileState::Endless;
    }
    if (isLockedByRun(path))
        state = FileState::BeingWritten;

    FileColumns f;
    f.leading = QStringList{tsv(patient), entry->extension, entry->title, tsv(fileName),
                            when.isValid() ? when.toString(Qt::ISODate) : NA, QString::number(n),
                            speedInName(t) && parts.speedValid ? QString::number(parts.speed) : NA, fileStateCode(state)}
                    .join(u'\t');
    for (const ItemRow &r : std::as_const(items))
        appendRow(&out, f, r);
    for (const ItemRow &r : std::as_const(closing))
        appendRow(&out, f, r);
    *rows += out;
    return true;
}

QByteArray trialsSidecar()
{
    return QByteArray(R"json({
  "patient": {"Description": "Patient, tel que le nom du fichier de résultats le donne"},
  "test_code": {"Description": "Extension de l'épreuve", "Levels": {"VC": "TR visuel centré", "LAT": "TR latéralisé", "LFC": "TR latéralisé + Fixation", "SB": "TR simple binaire", "DB": "TR double binaire", "AUD": "TR auditif", "MIX": "TR mixte", "AS": "Attention soutenue", "PAS": "Puce Astérisque", "PCA": "Puce Carré"}},
  "test_title": {"Description": "Titre de l'épreuve"},
  "file": {"Description": "Nom du fichier de résultats"},
  "datetime": {"Description": "Date et heure de la passation, lues sur la première ligne du fichier, ISO 8601, heure locale (n/a : illisibles)"},
  "item_count": {"Description": "Nombre d'items donné par le nom du fichier (999 : série illimitée)"},
  "speed": {"Description": "Attention soutenue : vitesse de présentation du nom du fichier", "Levels": {"0": "lente", "1": "moyenne", "2": "rapide"}},
  "state": {"Description": "État du fichier", "Levels": {"complete": "passation complète", "incomplete": "arrêtée avant le dernier item", "endless": "série illimitée", "being_written": "un enregistrement écrit encore le fichier"}},
  "item": {"Description": "Rang de l'item dans le fichier, à partir de 1 (n/a sur les lignes de clôture)"},
  "cell_row": {"Description": "Épreuves à grille : ligne de la case de la cible, à partir de 1 en haut"},
  "cell_column": {"Description": "Épreuves à grille : colonne de la case de la cible, à partir de 1 à gauche"},
  "side": {"Description": "Épreuves à grille : hémichamp de la cible", "Levels": {"left": "gauche", "right": "droit"}},
  "symbol": {"Description": "Symbole présenté (TR simple binaire, TR double binaire)", "Levels": {"cross": "croix (cible)", "ring": "rond (non cible)", "red_cross": "croix rouge (cible)", "blue_ring": "rond bleu (cible)", "red_ring": "rond rouge (non cible)", "blue_cross": "croix bleue (non cible)"}},
  "modality": {"Description": "Modalité du stimulus", "Levels": {"visual": "visuelle", "auditory": "auditive"}},
  "character": {"Description": "Attention soutenue : caractère présenté (le chiffre 3 est la non-cible)"},
  "foreperiod": {"Description": "Délai avant le stimulus", "Units": "s"},
  "value": {"Description": "Valeur enregistrée : temps de l'item, ou valeur de la limite sans réponse ; Attention soutenue : 0 sans appui, -1 appui pendant le masque seul, -t appui pendant le masque puis à t ms ; lignes de clôture : nombre d'appuis", "Units": "ms"},
  "response_time": {"Description": "Temps de réaction, de l'apparition du stimulus à l'appui (n/a sans appui)", "Units": "ms"},
  "outcome": {"Description": "Issue de l'item", "Levels": {"hit": "appui à une cible", "omission": "pas d'appui à une cible dans le temps imparti", "false_alarm": "appui à une non-cible", "correct_rejection": "pas d'appui à une non-cible", "mask_press": "Attention soutenue : appui pendant le masque seul", "untimely": "ligne de clôture : nombre d'appuis intempestifs (dans value)", "fixation_press": "ligne de clôture de TR latéralisé + Fixation : appuis pendant le point de fixation (dans value)"}}
}
)json");
}

} // namespace zoka
