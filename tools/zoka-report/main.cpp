// zoka-report [--limit TEXT]... FILE...
// zoka-report --export data|info FILE...
//
// For each result file: the reading and analysis the analysis window runs when it
// opens, then each --limit in order as "Limite" then "Appliquer" with that text; the
// report (the bytes of the report file) goes to standard output. What the window
// would show in a message box goes to standard error, one line per message. The
// files are never changed.
//
// With --export, the bytes of the window's CSV export go to standard output instead
// ("data": the data lines only; "info": with the information lines); nothing is
// written beside the files.
//
// Exit status: 0 when every file gave a report (an export), 1 when one could not be
// read (or its analysis stopped on an internal error), 2 for a wrong command line.

#include "analysis/analysis.h"
#include "analysis/export.h"
#include "platform/messages.h"
#include "platform/regional.h"
#include "shell/naming.h"
#include "battery/testspec.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QStringList>

#include <cstdio>

using namespace zoka;

namespace {

// Message boxes become lines on standard error, prefixed with the file they concern.
class StderrMessages final : public MessageService {
public:
    QString file;
    MsgAnswer show(MsgKind, const QString &text, MsgButtons buttons) override
    {
        QString line = text;
        line.replace(QStringLiteral("\r\n"), QStringLiteral(" "));
        line.replace(u'\r', u' ');
        line.replace(u'\n', u' ');
        const QByteArray out = (file + QStringLiteral(": ") + line + u'\n').toLocal8Bit();
        std::fwrite(out.constData(), 1, size_t(out.size()), stderr);
        return buttons == MsgButtons::Ok ? MsgAnswer::Ok : MsgAnswer::Yes;
    }
};

void usage()
{
    std::fputs("usage: zoka-report [--limit TEXTE]... FICHIER...\n"
               "       zoka-report --export data|info FICHIER...\n",
               stderr);
}

// Output is written in large pieces, the rest at the end.
void flushWhenLarge(QByteArray &output)
{
    if (output.size() > (1 << 20)) {
        std::fwrite(output.constData(), 1, size_t(output.size()), stdout);
        output.clear();
    }
}

void complain(const QString &text)
{
    const QByteArray out = (QStringLiteral("zoka-report: ") + text + u'\n').toLocal8Bit();
    std::fwrite(out.constData(), 1, size_t(out.size()), stderr);
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    useRegionalSettings();

    QCommandLineParser parser;
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsCompactedShortOptions);
    const QCommandLineOption limitOption(QStringLiteral("limit"), QString(), QStringLiteral("TEXTE"));
    const QCommandLineOption exportOption(QStringLiteral("export"), QString(), QStringLiteral("data|info"));
    const QCommandLineOption helpOption(QStringList{QStringLiteral("h"), QStringLiteral("help")});
    parser.addOption(limitOption);
    parser.addOption(exportOption);
    parser.addOption(helpOption);
    if (!parser.parse(app.arguments())) {
        const QStringList unknown = parser.unknownOptionNames();
        complain(unknown.isEmpty() ? QStringLiteral("ligne de commande incorrecte (%1)").arg(parser.errorText())
                                   : QStringLiteral("option inconnue : ") + unknown.first());
        usage();
        return 2;
    }
    if (parser.isSet(helpOption)) {
        usage();
        return 0;
    }
    const QStringList limits = parser.values(limitOption);
    const QStringList files = parser.positionalArguments();
    if (files.isEmpty()) {
        usage();
        return 2;
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
    AnalysisState st;
    for (const QString &path : files) {
        messagesToStderr.file = path;
        const QString name = FileNameOfPath(path);
        const ResultNameParts parts = parseResultFileName(name);
        if (parts.testIndex < 0) {
            messagesToStderr.show(MsgKind::Warning,
                                  QStringLiteral("Le nom du fichier ne correspond pas à une épreuve"),
                                  MsgButtons::Ok);
            status = 1;
            continue;
        }
        const int speed = parts.testIndex == SpeedTestIndex ? (parts.speedValid ? parts.speed : 3) : 1;
        prepareAnalysis(st, path, parts.testIndex, speed, PatientOfFileName(name), ProgramVersion);
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
            output += bytes;
            flushWhenLarge(output);
            continue;
        }
        if (ok && st.LimiteEnabled && parts.testIndex != SpeedTestIndex) {
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
        output += st.Report.bytes();
        flushWhenLarge(output);
    }
    std::fwrite(output.constData(), 1, size_t(output.size()), stdout);
    std::fflush(stdout);
    setMessageService(nullptr);
    return status;
}
