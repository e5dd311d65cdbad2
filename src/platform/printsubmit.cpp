#include "platform/printsubmit.h"

#include <QProcess>

namespace zoka {

bool submitPrintJob(const QString &printer, const QString &pdfPath, const QString &title,
                    const QStringList &options, QString *error)
{
    QStringList args{QStringLiteral("-d"), printer, QStringLiteral("-t"), title,
                     QStringLiteral("-n"), QStringLiteral("1")};
    for (const QString &option : options)
        args << QStringLiteral("-o") << option;
    args << pdfPath;

    QProcess lp;
    lp.setProgram(QStringLiteral("lp"));
    lp.setArguments(args);
    lp.setStandardInputFile(QProcess::nullDevice());
    lp.start();
    if (!lp.waitForStarted(10000)) {
        if (error)
            *error = QStringLiteral("le programme d'impression « lp » n'a pas pu être lancé (%1)")
                         .arg(lp.errorString());
        return false;
    }
    // The client returns once the scheduler has queued the job (or refused it).
    if (!lp.waitForFinished(120000)) {
        lp.kill();
        lp.waitForFinished(2000);
        if (error)
            *error = QStringLiteral("le système d'impression ne répond pas");
        return false;
    }
    if (lp.exitStatus() != QProcess::NormalExit || lp.exitCode() != 0) {
        if (error) {
            QString answer = QString::fromLocal8Bit(lp.readAllStandardError()).simplified();
            if (answer.startsWith(QStringLiteral("lp:")))
                answer = answer.mid(3).trimmed();
            *error = answer.isEmpty() ? QStringLiteral("le travail d'impression a été refusé") : answer;
        }
        return false;
    }
    return true;
}

} // namespace zoka
