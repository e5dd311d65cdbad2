// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/timingjournal.h"

#include "platform/cp1252.h"
#include "platform/fileerrors.h"

#include <QDir>
#include <QFile>

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace zoka {

const QString TimingJournalName = QStringLiteral("Chronometrie.txt");
const QString JournalFieldSeparator = QStringLiteral(" | ");

namespace {

// A journal read back is looked through up to this size (years of administrations
// are far less); a longer line than this is nobody's.
constexpr qint64 MaxJournalBytes = 64LL * 1024 * 1024;
constexpr qsizetype MaxEntryBytes = 4096;

// Opens the journal for appending: never through a symbolic link, never blocking on
// a FIFO, and only a regular file. Returns the descriptor or -errno.
int openForAppend(const QString &path)
{
    const int fd = ::open(QFile::encodeName(path).constData(),
                          O_WRONLY | O_APPEND | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC, 0644);
    if (fd < 0)
        return -(errno == ENXIO ? EACCES : errno);
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        return -EACCES;
    }
    return fd;
}

QString withoutControls(QString text)
{
    for (QChar &c : text) {
        if (c.unicode() < 32 || c.unicode() == 127)
            c = QLatin1Char(' ');
    }
    return text;
}

} // namespace

QString journalKey(const QString &fileName, const QString &dateText)
{
    return fileName + JournalFieldSeparator + dateText + JournalFieldSeparator;
}

int appendJournalLine(const QString &path, const QString &line)
{
    const QByteArray bytes = cp1252::encode(withoutControls(line)) + QByteArrayLiteral("\r\n");
    const int fd = openForAppend(path);
    if (fd < 0)
        return -fd;
    struct stat before {};
    const bool sized = ::fstat(fd, &before) == 0;
    // One write() takes the whole line unless the disk (or a file-size limit) stops
    // it; what then went in is cut away: the journal keeps whole lines only.
    int err = 0;
    qsizetype done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.constData() + done, size_t(bytes.size() - done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            err = n < 0 ? errno : ENOSPC;
            break;
        }
        done += n;
    }
    if (err != 0 && done > 0 && sized)
        (void)::ftruncate(fd, before.st_size);
    if (::close(fd) != 0 && err == 0)
        err = errno;
    return err;
}

int probeJournal(const QString &path)
{
    const int fd = openForAppend(path);
    if (fd < 0)
        return -fd;
    ::close(fd);
    return 0;
}

QString journalErrorText(const QString &path, int errnoValue)
{
    return QStringLiteral("Le journal de chronométrie %1 ne peut être écrit : %2. Les passations se "
                          "déroulent normalement, mais leur chronométrie n'y sera pas notée.")
        .arg(QDir::toNativeSeparators(path), fileErrorPhrase(errnoValue));
}

QString findJournalEntry(const QString &path, const QString &fileName, const QString &dateText)
{
    const QByteArray key = cp1252::encode(journalKey(fileName, dateText));
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return {};
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        return {};
    }
    QByteArray found;
    QByteArray pending;
    qint64 total = 0;
    char buffer[65536];
    const auto consider = [&](const QByteArray &line) {
        QByteArray l = line;
        if (l.endsWith('\r'))
            l.chop(1);
        if (l.size() <= MaxEntryBytes && l.startsWith(key))
            found = l.mid(key.size());
    };
    while (total < MaxJournalBytes) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        total += n;
        pending.append(buffer, n);
        qsizetype start = 0;
        for (qsizetype nl = pending.indexOf('\n'); nl >= 0; nl = pending.indexOf('\n', start)) {
            consider(pending.mid(start, nl - start));
            start = nl + 1;
        }
        pending.remove(0, start);
        // A line that never ends is nobody's: drop what cannot belong to an entry.
        if (pending.size() > MaxEntryBytes)
            pending.clear();
    }
    ::close(fd);
    consider(pending);
    return cp1252::decode(found);
}

QStringList journalEntryLines(const QString &entry, int width)
{
    QStringList lines{QStringLiteral("Chronométrie de la passation (journal %1) :").arg(TimingJournalName)};
    if (entry.isEmpty()) {
        lines << QStringLiteral("  aucune ligne du journal pour ce fichier.");
        return lines;
    }
    const QString indent = QStringLiteral("  ");
    width = qMax(width, 20);
    QString current;
    const auto flush = [&] {
        if (!current.isEmpty())
            lines << indent + current;
        current.clear();
    };
    for (QString field : entry.split(JournalFieldSeparator)) {
        while (indent.size() + field.size() > width) {
            flush();
            const int room = width - int(indent.size());
            lines << indent + field.left(room);
            field = field.mid(room);
        }
        if (field.isEmpty())
            continue;
        const QString joined = current.isEmpty() ? field : current + QStringLiteral("; ") + field;
        if (indent.size() + joined.size() <= width) {
            current = joined;
        } else {
            flush();
            current = field;
        }
    }
    flush();
    return lines;
}

} // namespace zoka
