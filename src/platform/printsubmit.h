// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QString>
#include <QStringList>

namespace zoka {

// The print system (CUPS) as its command-line clients see it: every conversation goes
// through `lp` or `lpstat` with an argument list (never a shell command line), in the
// C locale so that their answers can be read, and is bounded in time. None of these
// calls belongs on a window's thread: a scheduler that does not answer would hold it.

// Whether the scheduler answers when asked for its queues.
struct PrinterQuery {
    enum class Outcome {
        Answered, // the scheduler answered (possibly: no queue, or it is not running)
        NoAnswer, // nothing within the time allowed: the scheduler hangs
        NoClient, // `lpstat` could not be run: nothing is known
    };
    Outcome outcome = Outcome::NoClient;
};
PrinterQuery queryPrinters(int timeoutMs);

// Hands a finished PDF document to a print queue, and says whether the queue took it.
// `printer` is a queue name, possibly "queue/instance"; `options` are name=value job
// options. On success `jobId` gets the scheduler's name of the job ("Bureau-12"); on
// failure `error` gets the reason in French.
bool submitPrintJob(const QString &printer, const QString &pdfPath, const QString &title,
                    const QStringList &options, QString *jobId, QString *error);

// The reason in French for what `lp` answered when it refused a job (its C-locale
// text, its "lp:" prefix included or not).
QString printRefusalReason(const QString &clientText);

// Where a job stands once the queue has taken it.
enum class JobProgress {
    Accepted,     // queued on a running queue (or already printed)
    Held,         // kept back by the scheduler until someone releases it
    QueueStopped, // the queue is stopped: the job waits for it
    Unknown,      // the scheduler did not say
};
JobProgress askJobProgress(const QString &printer, const QString &jobId, int timeoutMs);

// The same read from the answers of `lpstat -p queue` and `lpstat -l -o queue`.
JobProgress jobProgressFrom(const QString &printerStatus, const QString &jobListing, const QString &jobId);

} // namespace zoka
