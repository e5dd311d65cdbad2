#pragma once
#include <QString>
#include <QStringList>

namespace zoka {

// Hands a finished PDF document to a print queue of the system (CUPS), through its
// print client with an argument list (never a shell command line), and says whether
// the queue took it. `printer` is a queue name, possibly "queue/instance";
// `options` are name=value job options. On failure `error` gets what the print
// system answered (or why the client could not be run), in a form to show.
bool submitPrintJob(const QString &printer, const QString &pdfPath, const QString &title,
                    const QStringList &options, QString *error);

} // namespace zoka
