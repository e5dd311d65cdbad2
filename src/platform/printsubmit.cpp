// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/printsubmit.h"

#include <QProcess>
#include <QProcessEnvironment>
#include <QRegularExpression>

namespace zoka {

namespace {

// One run of a print client, within `timeoutMs`.
struct ClientRun {
    bool started = false;
    bool finished = false; // false: killed at the end of the time allowed
    int exitCode = -1;
    QString out, err;
    QString startError;
};

ClientRun runClient(const QString &program, const QStringList &args, int timeoutMs)
{
    ClientRun r;
    QProcess p;
    // The C locale: answers that can be read, whatever the examiner's language.
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("LC_ALL"), QStringLiteral("C"));
    env.insert(QStringLiteral("LANG"), QStringLiteral("C"));
    env.remove(QStringLiteral("LANGUAGE"));
    p.setProcessEnvironment(env);
    p.setStandardInputFile(QProcess::nullDevice());
    p.start(program, args);
    if (!p.waitForStarted(qMax(timeoutMs, 1000))) {
        r.startError = p.errorString();
        return r;
    }
    r.started = true;
    if (!p.waitForFinished(timeoutMs)) {
        p.kill();
        p.waitForFinished(2000);
        return r;
    }
    r.finished = true;
    r.exitCode = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    r.out = QString::fromUtf8(p.readAllStandardOutput());
    r.err = QString::fromUtf8(p.readAllStandardError());
    return r;
}

// "queue/instance" -> "queue": the scheduler knows queues.
QString queueOf(const QString &printer) { return printer.section(u'/', 0, 0); }

} // namespace

PrinterQuery queryPrinters(int timeoutMs)
{
    PrinterQuery list;
    const ClientRun r = runClient(QStringLiteral("lpstat"), {QStringLiteral("-e")}, timeoutMs);
    if (!r.started)
        return list;
    if (!r.finished) {
        list.outcome = PrinterQuery::Outcome::NoAnswer;
        return list;
    }
    list.outcome = PrinterQuery::Outcome::Answered;
    return list;
}

bool submitPrintJob(const QString &printer, const QString &pdfPath, const QString &title,
                    const QStringList &options, QString *jobId, QString *error)
{
    QStringList args{QStringLiteral("-d"), printer, QStringLiteral("-t"), title,
                     QStringLiteral("-n"), QStringLiteral("1")};
    for (const QString &option : options)
        args << QStringLiteral("-o") << option;
    args << pdfPath;

    // The client returns once the scheduler has queued the job (or refused it).
    const ClientRun r = runClient(QStringLiteral("lp"), args, 120000);
    if (!r.started) {
        if (error)
            *error = QStringLiteral("le programme d'impression « lp » n'a pas pu être lancé (%1)").arg(r.startError);
        return false;
    }
    if (!r.finished) {
        if (error)
            *error = QStringLiteral("le système d'impression ne répond pas");
        return false;
    }
    if (r.exitCode != 0) {
        if (error)
            *error = printRefusalReason(r.err);
        return false;
    }
    if (jobId) {
        static const QRegularExpression requestId(QStringLiteral("request id is (\\S+)"));
        *jobId = requestId.match(r.out).captured(1);
    }
    return true;
}

QString printRefusalReason(const QString &clientText)
{
    // "lp: ", "/usr/bin/lp: " and "Error - " are the client's, not the reason.
    QString text = clientText.simplified();
    static const QRegularExpression prefix(QStringLiteral("^\\S*lp ?:\\s*(Error\\s*-\\s*)?"),
                                           QRegularExpression::CaseInsensitiveOption);
    text.remove(prefix);
    const QString lower = text.toLower();
    struct Reason {
        const char *words;
        QString french;
    };
    static const Reason reasons[] = {
        {"is not accepting jobs", QStringLiteral("la file d'impression n'accepte pas de travaux pour le moment")},
        {"printer or class does not exist", QStringLiteral("cette imprimante n'existe pas sur le système d'impression")},
        {"scheduler not responding", QStringLiteral("le système d'impression ne répond pas")},
        {"scheduler is not running", QStringLiteral("le système d'impression n'est pas en marche")},
        {"unable to connect", QStringLiteral("le système d'impression est injoignable")},
        {"unable to access", QStringLiteral("le document à imprimer n'a pas pu être lu")},
        {"quota limit reached", QStringLiteral("le quota d'impression est atteint")},
        {"too many active jobs", QStringLiteral("la file d'impression est pleine")},
        {"unsupported document-format", QStringLiteral("cette imprimante n'accepte pas les documents PDF")},
        {"document formats", QStringLiteral("cette imprimante n'accepte pas les documents PDF")},
        {"not allowed to print", QStringLiteral("l'impression sur cette imprimante n'est pas autorisée")},
        {"forbidden", QStringLiteral("l'impression sur cette imprimante n'est pas autorisée")},
        {"unauthorized", QStringLiteral("l'impression sur cette imprimante demande une identification")},
    };
    for (const Reason &r : reasons)
        if (lower.contains(QLatin1String(r.words)))
            return r.french;
    if (text.isEmpty())
        return QStringLiteral("le système d'impression a refusé le travail sans en donner la raison");
    return QStringLiteral("le système d'impression a refusé le travail (réponse : « %1 »)").arg(text);
}

JobProgress jobProgressFrom(const QString &printerStatus, const QString &jobListing, const QString &jobId)
{
    // "printer Bureau disabled since ..." for a stopped queue.
    static const QRegularExpression disabled(QStringLiteral("^printer \\S+ disabled"),
                                             QRegularExpression::MultilineOption);
    if (!printerStatus.startsWith(QStringLiteral("printer ")))
        return JobProgress::Unknown;
    bool held = false, stopped = disabled.match(printerStatus).hasMatch();
    // The job's block: its line, then the indented lines below it.
    bool inJob = false;
    for (const QString &line : jobListing.split(u'\n')) {
        if (!line.isEmpty() && !line.front().isSpace()) {
            inJob = !jobId.isEmpty() && line.section(u' ', 0, 0, QString::SectionSkipEmpty) == jobId;
            continue;
        }
        if (!inJob || !line.trimmed().startsWith(QStringLiteral("Alerts:")))
            continue;
        const QStringList alerts = line.trimmed().mid(7).split(u' ', Qt::SkipEmptyParts);
        for (const QString &a : alerts) {
            if (a.startsWith(QStringLiteral("job-hold-until")) || a == QStringLiteral("job-held-on-create"))
                held = true;
            if (a == QStringLiteral("printer-stopped"))
                stopped = true;
        }
    }
    if (held)
        return JobProgress::Held;
    if (stopped)
        return JobProgress::QueueStopped;
    return JobProgress::Accepted;
}

JobProgress askJobProgress(const QString &printer, const QString &jobId, int timeoutMs)
{
    const QString queue = queueOf(printer);
    const ClientRun status = runClient(QStringLiteral("lpstat"), {QStringLiteral("-p"), queue}, timeoutMs);
    if (!status.finished || status.exitCode != 0)
        return JobProgress::Unknown;
    const ClientRun jobs = runClient(QStringLiteral("lpstat"), {QStringLiteral("-l"), QStringLiteral("-o"), queue},
                                     timeoutMs);
    if (!jobs.finished || jobs.exitCode != 0)
        return JobProgress::Unknown;
    return jobProgressFrom(status.out, jobs.out, jobId);
}

} // namespace zoka
