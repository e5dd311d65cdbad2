// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include "platform/fileerrors.h"
#include "platform/runlock.h"

#include <QDateTime>
#include <QLocale>
#include <QString>

namespace zoka {

// Writes one result file (or the practice scratch file) line by line: Windows-1252
// text, CR LF after every line. Each line is handed to the system as soon as it is
// written, so that an item's line is on disk when the item ends and nothing is lost
// if the program stops in the middle of a run. A line the disk takes only in part
// (a full disk) is cut away again: the file holds whole lines only.
//
// Errors are kept as the system's error number; errorText() gives the run-time
// words the user sees ("Disque plein", "Accès au fichier refusé", ...).
class ResultWriter {
public:
    ResultWriter() = default;
    ~ResultWriter();
    ResultWriter(const ResultWriter &) = delete;
    ResultWriter &operator=(const ResultWriter &) = delete;

    // Creates `path`, replacing any file of that name, and holds the run's lock on it
    // until close() (platform/runlock). False on failure: a name that is a symbolic link
    // (never written through), a file another run holds (left as it is: lockedByOther()).
    bool create(const QString &path);
    // Appends `line` + CR LF. False on failure (or when no file is open); the file is
    // then as it was before the call. False too when the file is no longer the one in
    // the directory (removed or replaced: replaced()), the line then being written.
    bool writeLine(const QString &line);
    // Closes the file (data flushed to the disk first). False when closing failed.
    // Closing a writer that has no open file does nothing and succeeds.
    bool close();
    // Drops the file without reporting anything (after an error already reported).
    void abandon();

    bool isOpen() const { return m_fd >= 0; }
    QString path() const { return m_path; }
    // Whether create() succeeded for the current or last file.
    bool wasCreated() const { return m_created; }
    int lines() const { return m_lines; }

    bool lockedByOther() const { return m_fault == Fault::Locked; }
    bool replaced() const { return m_fault == Fault::Replaced; }

    int lastError() const { return m_errno; }
    QString errorText() const;
    // The message the user sees: "Le fichier <path> ne peut être écrit : " + errorText() + ".".
    QString errorMessage() const;

private:
    enum class Fault { None, Locked, Replaced };
    int m_fd = -1;
    Fault m_fault = Fault::None;
    FileIdentity m_identity; // of the file created (regular files only)
    int m_errno = 0;
    int m_lines = 0;
    qint64 m_size = 0; // bytes of the whole lines written
    bool m_created = false;
    QString m_path;
};

// Date and time texts of the header: the short date and the long time of `locale`
// (without a time-zone name, so that the line ends with the time). A locale without
// regional conventions (C/POSIX) is taken as French (France).
QString headerDateText(const QDate &date, const QLocale &locale = QLocale());
QString headerTimeText(const QTime &time, const QLocale &locale = QLocale());

// First line of a result file: patient, ": ", date, " à ", time [, " #"].
QString headerLine(const QString &patient, const QDateTime &shownAt, bool endless,
                   const QLocale &locale = QLocale());

} // namespace zoka
