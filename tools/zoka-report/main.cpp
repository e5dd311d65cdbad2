// SPDX-License-Identifier: GPL-3.0-or-later
// zoka-report [--raw] [--limit TEXT]... FILE...
// zoka-report [--raw] --export data|info FILE...
// zoka-report --trials|--summary [--output PREFIX] FILE...
//
// For each result file: the reading and analysis the analysis window runs when it
// opens, then each --limit in order as "Limite" then "Appliquer" with that text; the
// report goes to standard output. What the window would show in a message box goes
// to standard error, one line per message. The result files are never changed.
//
// With --export, the window's CSV export goes to standard output instead ("data":
// the data lines only; "info": with the information lines); nothing is written
// beside the files.
//
// With --trials, one tab-separated table of every item of every file (UTF-8); with
// --summary, one row per file with its measures. They go to standard output, or with
// --output PREFIX to PREFIX_beh.tsv and its description PREFIX_beh.json (--summary:
// PREFIX_summary.tsv and PREFIX_summary.json), never through a symbolic link.
//
// On a UTF-8 locale the report (the export) and the messages are written in UTF-8
// with LF line ends, for a terminal; with --raw, or on any other locale, they are the
// report file's exact bytes (Windows-1252, CR LF), the messages in the same encoding.
//
// Exit status: 0 when every file gave a report (an export, its rows), 1 when one could
// not be read (or its analysis stopped on an internal error) or the output could not
// all be written (a full disk), 2 for a wrong command line (nothing is read then).

#include "analysis/analysis.h"
#include "analysis/export.h"
#include "analysis/followup.h"
#include "analysis/report.h"
#include "analysis/trials.h"
#include "platform/cp1252.h"
#include "platform/fileerrors.h"
#include "platform/messages.h"
#include "platform/regional.h"
#include "platform/safewrite.h"
#include "shell/naming.h"
#include "battery/testtable.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>
#include <QStringList>

#include <clocale>
#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <langinfo.h>
#include <unistd.h>

using namespace zoka;

namespace {

// How text reaches the terminal: UTF-8 with LF, or the report file's own bytes.
bool g_utf8 = false;

QByteArray forTerminal(const QString &text)
{
    if (g_utf8)
        return text.toUtf8();
    QString crlf = text;
    crlf.replace(u'\n', QStringLiteral("\r\n"));
    return cp1252::encode(crlf);
}

// Report or export bytes (Windows-1252, CR LF) as the terminal takes them.
QByteArray reportForTerminal(const QByteArray &bytes)
{
    if (!g_utf8)
        return bytes;
    QString text = cp1252::decode(bytes);
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    return text.toUtf8();
}

void writeErr(const QString &text)
{
    const QByteArray out = forTerminal(text);
    std::fwrite(out.constData(), 1, size_t(out.size()), stderr);
}

QString escapedChar(uint c)
{
    switch (c) {
    case '\t': return QStringLiteral("\\t");
    case '\n': return QStringLiteral("\\n");
    case '\r': return QStringLiteral("\\r");
    default: return QStringLiteral("\\x") + QString::number(c, 16).toUpper().rightJustified(2, u'0');
    }
}

bool isControl(char32_t c)
{
    return c < 0x20 || (c >= 0x7F && c <= 0x9F);
}

// A name as a message shows it: control characters as \n, \t, \xHH, and the bytes
// that are not UTF-8 as \xHH, so that a name never breaks or colours a line.
QString shownName(const QByteArray &raw)
{
    QString out;
    qsizetype i = 0;
    while (i < raw.size()) {
        const uchar lead = uchar(raw.at(i));
        const int len = lead < 0x80 ? 1 : (lead >> 5) == 0x6 ? 2 : (lead >> 4) == 0xE ? 3 : (lead >> 3) == 0x1E ? 4 : 0;
        if (len > 0 && i + len <= raw.size()) {
            QStringDecoder utf8(QStringConverter::Utf8, QStringConverter::Flag::Stateless);
            const QString ch = utf8(raw.mid(i, len));
            if (!utf8.hasError() && !ch.isEmpty()) {
                const char32_t c = ch.at(0).isHighSurrogate() && ch.size() > 1 ? QChar::surrogateToUcs4(ch.at(0), ch.at(1)) : ch.at(0).unicode();
                out += isControl(c) ? escapedChar(uint(c)) : ch;
                i += len;
                continue;
            }
        }
        out += escapedChar(lead);
        ++i;
    }
    return out;
}

QString shownName(const QString &name)
{
    return shownName(name.toUtf8());
}

// Message boxes become lines on standard error, prefixed with the file they concern.
class StderrMessages final : public MessageService {
public:
    QString shown;    // the file as messages name it
    QString fileName; // its name as the analysis reads it
    MsgAnswer show(MsgKind, const QString &text, MsgButtons buttons) override
    {
        QString line = text;
        if (const QString shownFileName = shownName(fileName); shownFileName != fileName)
            line.replace(fileName, shownFileName);
        line.replace(QStringLiteral("\r\n"), QStringLiteral(" "));
        line.replace(u'\r', u' ');
        line.replace(u'\n', u' ');
        writeErr(shown + QStringLiteral(": ") + line + u'\n');
        return buttons == MsgButtons::Ok ? MsgAnswer::Ok : MsgAnswer::Yes;
    }
};

// Writes `bytes` to standard output and hands them to the system; 0, or the error.
int writeOut(const QByteArray &bytes)
{
    errno = 0;
    if (std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stdout) != size_t(bytes.size())
        || std::fflush(stdout) != 0)
        return errno ? errno : EIO;
    return 0;
}

void usage()
{
    writeErr(QStringLiteral("usage : zoka-report [--raw] [--limit TEXTE]... FICHIER...\n"
                            "        zoka-report [--raw] --export data|info FICHIER...\n"
                            "        zoka-report --trials|--summary [--output PRÉFIXE] FICHIER...\n"
                            "« zoka-report --help » pour l'aide.\n"));
}

const char16_t HelpText[] =
    u"usage : zoka-report [--raw] [--limit TEXTE]... FICHIER...\n"
    u"        zoka-report [--raw] --export data|info FICHIER...\n"
    u"        zoka-report --trials|--summary [--output PRÉFIXE] FICHIER...\n"
    u"\n"
    u"Écrit le rapport d'analyse de chaque fichier de résultats ZOKA, tel que la fenêtre\n"
    u"« Analyse » le montre, sans modifier les fichiers.\n"
    u"\n"
    u"Options :\n"
    u"  --limit TEXTE        ajoute un bloc d'analyse calculé avec cette limite supérieure\n"
    u"                       des temps de réponse : un nombre de secondes de 0,1 à 10, avec\n"
    u"                       un point ou une virgule décimale (2,5 ou 0.6) ; un texte vide\n"
    u"                       donne 3 secondes (10 pour PAS et PCA). Peut être répétée : un\n"
    u"                       bloc par limite, dans l'ordre.\n"
    u"  --export data|info   écrit l'exportation des données (point-virgule) au lieu du\n"
    u"                       rapport : les lignes de données seules, ou avec les lignes\n"
    u"                       d'information.\n"
    u"  --trials             écrit un tableau (TSV, UTF-8) d'une ligne par item de chaque\n"
    u"                       fichier : patient, épreuve, fichier, date (ISO 8601), nombre\n"
    u"                       d'items, vitesse, item, stimulus présenté, délai, valeur,\n"
    u"                       temps de réaction, issue ; plus une ligne par ligne de clôture\n"
    u"                       (appuis intempestifs).\n"
    u"  --summary            écrit un tableau (TSV, UTF-8) d'une ligne par fichier : les\n"
    u"                       mesures du suivi du patient (médiane, moyenne, écart-type des\n"
    u"                       temps de réponse, omissions, fausses alarmes, appuis\n"
    u"                       intempestifs, groupements).\n"
    u"  --output PRÉFIXE     avec --trials ou --summary : écrit le tableau dans\n"
    u"                       PRÉFIXE_beh.tsv (PRÉFIXE_summary.tsv) et la description de\n"
    u"                       ses colonnes et unités dans PRÉFIXE_beh.json\n"
    u"                       (PRÉFIXE_summary.json) au lieu de la sortie standard ; un\n"
    u"                       lien symbolique n'est jamais suivi.\n"
    u"  --raw                écrit les octets exacts du fichier de rapport (Windows-1252,\n"
    u"                       fins de ligne CR LF), pour les archives et les scripts ; sans\n"
    u"                       elle, sur un terminal UTF-8, le texte est écrit en UTF-8 avec\n"
    u"                       des fins de ligne LF.\n"
    u"  -h, --help           affiche cette aide.\n"
    u"  --version            affiche la version.\n"
    u"\n"
    u"Codes de retour :\n"
    u"  0  chaque fichier a donné un rapport (une exportation) ;\n"
    u"  1  au moins un fichier n'a pas pu être lu ou analysé (les autres sont traités),\n"
    u"     ou la sortie n'a pas pu être écrite en entier ;\n"
    u"  2  ligne de commande incorrecte (option inconnue, valeur manquante, limite\n"
    u"     refusée, aucun fichier) : aucun fichier n'est lu.\n";

// Output is written in large pieces, the rest at the end. The first error of a
// write is kept in `error` (0 while none), and nothing more is written after it.
void flushWhenLarge(QByteArray &output, int &error)
{
    if (output.size() > (1 << 20)) {
        if (error == 0)
            error = writeOut(output);
        output.clear();
    }
}

void complain(const QString &text)
{
    writeErr(QStringLiteral("zoka-report : ") + text + u'\n');
}

// A file named on the command line. Its bytes are kept as given: a name that is not
// UTF-8 does not survive a round trip through QString, so such a file is opened once
// by its bytes (O_PATH: neither read nor acted upon) and read through /proc/self/fd.
struct NamedFile {
    QByteArray raw;
    QString path; // what the reading opens
    QString name; // decoded, for the file name rules
};

NamedFile namedFile(const QByteArray &raw)
{
    NamedFile f{raw, QFile::decodeName(raw), QFile::decodeName(raw)};
    if (QFile::encodeName(f.path) != raw) {
        const int fd = ::open(raw.constData(), O_PATH | O_CLOEXEC);
        if (fd >= 0)
            f.path = QStringLiteral("/proc/self/fd/%1").arg(fd);
    }
    return f;
}

// Whether the terminal takes UTF-8: the locale's character set, or, when the locale
// named is not installed, the character set its name gives (en_GB.UTF-8).
bool utf8Locale()
{
    if (std::setlocale(LC_CTYPE, "") != nullptr)
        return QByteArray(nl_langinfo(CODESET)) == "UTF-8";
    for (const char *var : {"LC_ALL", "LC_CTYPE", "LANG"}) {
        const QByteArray name = qgetenv(var);
        if (!name.isEmpty()) {
            const QByteArray codeset = name.mid(name.indexOf('.') + 1).split('@').first().toLower();
            return name.contains('.') && (codeset == "utf-8" || codeset == "utf8");
        }
    }
    return false;
}

// Stands for argument `index` while the command line is parsed; a lone surrogate
// never comes out of decoding, so it cannot be mistaken for a real argument.
QString placeholder(int index)
{
    return QString(QChar(0xD800)) + QString::number(index);
}

// What is wrong with a command line QCommandLineParser refused for another reason
// than an unknown option, in French: an option without its value, a value given to
// an option that takes none.
QString commandLineProblem(const QStringList &args, const QList<QCommandLineOption> &withValue)
{
    QStringList valued;
    for (const QCommandLineOption &o : withValue)
        valued << QStringLiteral("--") + o.names().first();
    for (int i = 0; i < args.size(); ++i) {
        const QString &a = args.at(i);
        if (a == QStringLiteral("--"))
            break;
        if (valued.contains(a) && i + 1 == args.size())
            return QStringLiteral("l'option %1 attend une valeur").arg(a);
        const int eq = int(a.indexOf(u'='));
        if (a.startsWith(QStringLiteral("--")) && eq > 0 && !valued.contains(a.left(eq)))
            return QStringLiteral("l'option %1 ne prend pas de valeur").arg(shownName(a.left(eq)));
    }
    return QStringLiteral("ligne de commande incorrecte");
}

// A table (--trials or --summary): standard output, or PREFIX_*.tsv and its
// description PREFIX_*.json through the safe write.
int writeTables(const QList<NamedFile> &files, bool trials, const QString &prefix)
{
    StderrMessages messagesToStderr;
    QByteArray table = trials ? trialsHeader() : summaryHeader();
    int status = 0;
    for (const NamedFile &file : files) {
        const QString name = FileNameOfPath(file.name);
        messagesToStderr.shown = shownName(file.raw);
        messagesToStderr.fileName = name;
        auto refuse = [&](const QString &why) {
            messagesToStderr.show(MsgKind::Error, why, MsgButtons::Ok);
            status = 1;
        };
        if (trials) {
            QString error, warning;
            if (!appendTrials(file.path, name, &table, &error, &warning)) {
                refuse(error.replace(file.path, messagesToStderr.shown));
                continue;
            }
            if (!warning.isEmpty())
                messagesToStderr.show(MsgKind::Warning, warning, MsgButtons::Ok);
            continue;
        }
        const Administration a = readAdministration(file.path, name);
        if (a.testIndex < 0 || a.state == FileState::Unreadable) {
            refuse(a.problem.isEmpty() ? QStringLiteral("fichier illisible") : a.problem);
            continue;
        }
        if (!a.problem.isEmpty())
            messagesToStderr.show(MsgKind::Warning, a.problem, MsgButtons::Ok);
        table += summaryRow(a);
    }
    if (prefix.isEmpty()) {
        if (const int e = writeOut(table)) {
            complain(QStringLiteral("le tableau ne peut être écrit sur la sortie standard : ") + fileErrorPhrase(e) + u'.');
            return 1;
        }
        return status;
    }
    const QString suffix = trials ? QStringLiteral("_beh") : QStringLiteral("_summary");
    const QList<QPair<QString, QByteArray>> outputs = {
        {prefix + suffix + QStringLiteral(".tsv"), table},
        {prefix + suffix + QStringLiteral(".json"), trials ? trialsSidecar() : summarySidecar()},
    };
    for (const auto &[path, bytes] : outputs) {
        if (QFileInfo(path).isSymLink()) {
            complain(QStringLiteral("%1 est un lien symbolique : rien n'est écrit à travers un lien").arg(shownName(path)));
            return 1;
        }
    }
    for (const auto &[path, bytes] : outputs) {
        QString error;
        if (!writeFileSafely(path, bytes, &error)) {
            complain(error);
            return 1;
        }
    }
    return status;
}

} // namespace

int main(int argc, char **argv)
{
    const QList<QByteArray> rawArgs = [&] {
        QList<QByteArray> a;
        for (int i = 0; i < argc; ++i)
            a.append(QByteArray(argv[i]));
        return a;
    }();
    QCoreApplication app(argc, argv);
    useRegionalSettings();

    QStringList args;
    for (int i = 0; i < rawArgs.size(); ++i) {
        const QString decoded = QFile::decodeName(rawArgs.at(i));
        args.append(QFile::encodeName(decoded) == rawArgs.at(i) ? decoded : placeholder(i));
    }

    QCommandLineParser parser;
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsCompactedShortOptions);
    const QCommandLineOption limitOption(QStringLiteral("limit"), QString(), QStringLiteral("TEXTE"));
    const QCommandLineOption exportOption(QStringLiteral("export"), QString(), QStringLiteral("data|info"));
    const QCommandLineOption rawOption(QStringLiteral("raw"));
    const QCommandLineOption helpOption(QStringList{QStringLiteral("h"), QStringLiteral("help")});
    const QCommandLineOption versionOption(QStringLiteral("version"));
    const QCommandLineOption trialsOption(QStringLiteral("trials"));
    const QCommandLineOption summaryOption(QStringLiteral("summary"));
    const QCommandLineOption outputOption(QStringLiteral("output"), QString(), QStringLiteral("PRÉFIXE"));
    for (const QCommandLineOption &o : {limitOption, exportOption, rawOption, helpOption, versionOption, trialsOption,
                                        summaryOption, outputOption})
        parser.addOption(o);
    const bool parsed = parser.parse(args);
    g_utf8 = !(parsed && parser.isSet(rawOption)) && utf8Locale();
    if (!parsed) {
        const QStringList unknown = parser.unknownOptionNames();
        complain(unknown.isEmpty() ? commandLineProblem(args.mid(1), {limitOption, exportOption, outputOption})
                                   : QStringLiteral("option inconnue : ") + shownName(unknown.first()));
        usage();
        return 2;
    }
    if (parser.isSet(helpOption)) {
        writeOut(forTerminal(QString::fromUtf16(HelpText)));
        return 0;
    }
    if (parser.isSet(versionOption)) {
        writeOut(forTerminal(QStringLiteral("zoka-report ") + ProgramVersion + u'\n'));
        return 0;
    }
    const QStringList limits = parser.values(limitOption);
    for (const QString &limit : limits) {
        if (!limitTextAccepted(limit)) {
            complain(QStringLiteral("limite refusée « %1 » : un nombre de secondes de 0,1 à 10 est attendu "
                                    "(point ou virgule décimale)")
                         .arg(limit.startsWith(QChar(0xD800)) ? shownName(rawArgs.at(limit.mid(1).toInt()))
                                                              : shownName(limit)));
            usage();
            return 2;
        }
    }
    QList<NamedFile> files;
    for (const QString &arg : parser.positionalArguments())
        files.append(namedFile(arg.startsWith(QChar(0xD800)) ? rawArgs.at(arg.mid(1).toInt()) : QFile::encodeName(arg)));
    if (files.isEmpty()) {
        complain(QStringLiteral("aucun fichier"));
        usage();
        return 2;
    }
    const bool trials = parser.isSet(trialsOption);
    const bool summary = parser.isSet(summaryOption);
    if (trials || summary || parser.isSet(outputOption)) {
        QString problem;
        if (trials && summary)
            problem = QStringLiteral("--trials et --summary ne vont pas ensemble");
        else if (!trials && !summary)
            problem = QStringLiteral("--output ne sert qu'avec --trials ou --summary");
        else if (parser.isSet(exportOption) || !limits.isEmpty())
            problem = QStringLiteral("--trials et --summary ne prennent ni --export ni --limit");
        else if (parser.values(outputOption).size() > 1 || (parser.isSet(outputOption) && parser.value(outputOption).isEmpty()))
            problem = QStringLiteral("--output attend un seul préfixe, non vide");
        if (!problem.isEmpty()) {
            complain(problem);
            usage();
            return 2;
        }
        return writeTables(files, trials, parser.isSet(outputOption) ? parser.value(outputOption) : QString());
    }
    bool exporting = false;
    bool withInfo = false;
    if (parser.isSet(exportOption)) {
        const QStringList modes = parser.values(exportOption);
        const QString mode = modes.last();
        if (modes.size() > 1 || (mode != QStringLiteral("data") && mode != QStringLiteral("info"))) {
            complain(QStringLiteral("--export attend une seule fois « data » ou « info »"));
            usage();
            return 2;
        }
        if (!limits.isEmpty()) {
            complain(QStringLiteral("--limit ne change pas l'exportation des données"));
            usage();
            return 2;
        }
        exporting = true;
        withInfo = mode == QStringLiteral("info");
    }

    StderrMessages messagesToStderr;
    setMessageService(&messagesToStderr);

    int status = 0;
    QByteArray output;
    int writeError = 0;
    AnalysisState st;
    for (const NamedFile &file : files) {
        const QString name = FileNameOfPath(file.name);
        messagesToStderr.shown = shownName(file.raw);
        messagesToStderr.fileName = name;
        const ResultNameParts parts = parseResultFileName(name);
        if (parts.testIndex < 0) {
            messagesToStderr.show(MsgKind::Warning,
                                  QStringLiteral("Le nom du fichier ne correspond pas à une épreuve"),
                                  MsgButtons::Ok);
            status = 1;
            continue;
        }
        const int speed = speedInName(parts.testIndex) ? (parts.speedValid ? parts.speed : 3) : 1;
        prepareAnalysis(st, file.path, parts.testIndex, speed, PatientOfFileName(name), ProgramVersion);
        st.FileName = name;
        bool ok = openAnalysis(st);
        if (exporting) {
            // The window's export: the file as it stands, with the patient and the
            // date the reading found.
            QByteArray bytes;
            QString error;
            if (!st.LinesLoaded || !exportBytesOf(st, withInfo, &bytes, &error)) {
                if (!error.isEmpty())
                    messagesToStderr.show(MsgKind::Error, error, MsgButtons::Ok);
                status = 1;
                continue;
            }
            output += reportForTerminal(bytes);
            flushWhenLarge(output, writeError);
            continue;
        }
        if (ok && st.LimiteEnabled && !readsStream(parts.testIndex)) {
            for (const QString &limit : limits) {
                applyLimitAndAnalyse(st, limit);
                if (st.InternalErrorCode != 0)
                    break;
            }
        }
        if (st.InternalErrorCode != 0) {
            messagesToStderr.show(MsgKind::Error,
                                  QStringLiteral("Erreur interne n° %1").arg(st.InternalErrorCode),
                                  MsgButtons::Ok);
            ok = false;
        }
        if (!ok) {
            status = 1;
            continue;
        }
        output += reportForTerminal(st.Report.bytes());
        flushWhenLarge(output, writeError);
    }
    if (writeError == 0)
        writeError = writeOut(output);
    setMessageService(nullptr);
    if (writeError != 0) {
        // A report lost on the way is a failure, not a success.
        complain(QStringLiteral("les rapports ne peuvent être écrits sur la sortie standard : ")
                 + fileErrorPhrase(writeError) + u'.');
        return 1;
    }
    return status;
}
