// zoka-report [--limit TEXT]... FILE...
//
// For each result file: the reading and analysis the analysis window runs when it
// opens, then each --limit in order as "Limite" then "Appliquer" with that text; the
// report (the bytes of the report file) goes to standard output. What the window
// would show in a message box goes to standard error, one line per message. The
// files are never changed.
//
// Exit status: 0 when every file gave a report, 1 when one could not be read (or its
// analysis stopped on an internal error) or the reports could not all be written
// (a full disk), 2 for a wrong command line.

#include "analysis/analysis.h"
#include "platform/fileerrors.h"
#include "platform/messages.h"
#include "platform/regional.h"
#include "shell/naming.h"
#include "battery/testspec.h"

#include <QCoreApplication>
#include <QStringList>

#include <cerrno>
#include <cstdio>

using namespace zoka;

namespace {

// Message boxes become lines on standard error, prefixed with the file they concern.
class StderrMessages final : public MessageService {
public:
    QString file;
    MsgAnswer show(MsgKind, const QString &text, MsgButtons buttons) override
    {
        // A line break becomes a blank, any other control character (a file name may
        // hold any byte) a "?": one message is one line, and nothing reaches the
        // terminal that it would take as a command.
        QString line = file + QStringLiteral(": ") + text;
        line.replace(QStringLiteral("\r\n"), QStringLiteral(" "));
        line.replace(u'\r', u' ');
        line.replace(u'\n', u' ');
        for (QChar &c : line)
            if (c.unicode() < 0x20 || (c.unicode() >= 0x7F && c.unicode() < 0xA0))
                c = u'?';
        const QByteArray out = (line + u'\n').toLocal8Bit();
        std::fwrite(out.constData(), 1, size_t(out.size()), stderr);
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
    std::fputs("usage: zoka-report [--limit TEXTE]... FICHIER...\n", stderr);
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    useRegionalSettings();
    QStringList args = app.arguments();
    args.removeFirst();

    QStringList limits;
    QStringList files;
    bool optionsDone = false;
    for (int i = 0; i < args.size(); ++i) {
        const QString &a = args.at(i);
        if (!optionsDone && a == QStringLiteral("--")) {
            optionsDone = true;
        } else if (!optionsDone && a == QStringLiteral("--limit")) {
            if (i + 1 >= args.size()) {
                usage();
                return 2;
            }
            limits << args.at(++i);
        } else if (!optionsDone && a.startsWith(QStringLiteral("--limit="))) {
            limits << a.mid(8);
        } else if (!optionsDone && (a == QStringLiteral("-h") || a == QStringLiteral("--help"))) {
            usage();
            return 0;
        } else if (!optionsDone && a.startsWith(u'-') && a.size() > 1) {
            usage();
            return 2;
        } else {
            files << a;
        }
    }
    if (files.isEmpty()) {
        usage();
        return 2;
    }

    StderrMessages messagesToStderr;
    setMessageService(&messagesToStderr);

    int status = 0;
    QByteArray output;
    int writeError = 0;
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
        if (output.size() > (1 << 20)) {
            if (writeError == 0)
                writeError = writeOut(output);
            output.clear();
        }
    }
    if (writeError == 0)
        writeError = writeOut(output);
    setMessageService(nullptr);
    if (writeError != 0) {
        // A report lost on the way is a failure, not a success.
        const QByteArray text = (QStringLiteral("zoka-report: les rapports ne peuvent être écrits sur la sortie standard : ")
                                 + fileErrorPhrase(writeError) + QStringLiteral(".\n")).toLocal8Bit();
        std::fwrite(text.constData(), 1, size_t(text.size()), stderr);
        return 1;
    }
    return status;
}
