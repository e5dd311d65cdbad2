// SPDX-License-Identifier: GPL-3.0-or-later
#include "protocol/resultwriter.h"

#include "platform/cp1252.h"
#include "platform/runlock.h"
#include "platform/safewrite.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

namespace zoka {

ResultWriter::~ResultWriter() { abandon(); }

bool ResultWriter::create(const QString &path)
{
    abandon();
    m_path = path;
    m_lines = 0;
    m_size = 0;
    m_errno = 0;
    m_fault = Fault::None;
    m_identity = {};
    m_created = false;
    if (path.isEmpty()) {
        m_errno = EINVAL;
        return false;
    }
    const QByteArray name = QFile::encodeName(path);
    int fd;
    // Never through a symbolic link, and not emptied before the run holds its lock: a
    // file another program is writing stays as it is.
    do {
        fd = ::open(name.constData(), O_WRONLY | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0666);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0) {
        m_errno = errno;
        return false;
    }
    const FileIdentity opened = identityOfFd(fd);
    if (opened.valid) {
        int err = 0;
        if (!lockForWriting(fd, &err)) {
            ::close(fd);
            m_errno = err;
            m_fault = Fault::Locked;
            return false;
        }
        // Another program may have put a new file in its place meanwhile.
        if (!identityOfPath(path).sameFile(opened)) {
            ::close(fd);
            m_errno = ESTALE;
            m_fault = Fault::Replaced;
            return false;
        }
        if (::ftruncate(fd, 0) != 0) {
            m_errno = errno;
            ::close(fd);
            return false;
        }
        m_identity = opened;
    }
    m_fd = fd;
    m_created = true;
    return true;
}

bool ResultWriter::writeLine(const QString &line)
{
    if (m_fd < 0) {
        if (m_errno == 0)
            m_errno = EBADF;
        return false;
    }
    const QByteArray bytes = cp1252::encode(line) + "\r\n";
    const char *p = bytes.constData();
    qsizetype left = bytes.size();
    while (left > 0) {
        const ssize_t n = ::write(m_fd, p, size_t(left));
        if (n < 0) {
            if (errno == EINTR)
                continue;
            m_errno = errno;
            // The part of the line already written is taken away (a device such as
            // /dev/full cannot be cut and has nothing to cut).
            if (::ftruncate(m_fd, m_size) == 0)
                ::lseek(m_fd, m_size, SEEK_SET);
            return false;
        }
        p += n;
        left -= n;
    }
    m_size += bytes.size();
    ++m_lines;
    // The file must still be the one in the directory: removed, or replaced by a
    // rewrite of another program, the run stops rather than write into nowhere.
    if (m_identity.valid && !identityOfPath(m_path).sameFile(m_identity)) {
        m_errno = ESTALE;
        m_fault = Fault::Replaced;
        return false;
    }
    return true;
}

bool ResultWriter::close()
{
    if (m_fd < 0)
        return true;
    bool ok = true;
    if (::fsync(m_fd) != 0 && errno != EINVAL && errno != EROFS) {
        m_errno = errno;
        ok = false;
    }
    if (::close(m_fd) != 0 && errno != EINTR && ok) {
        m_errno = errno;
        ok = false;
    }
    m_fd = -1;
    return ok;
}

void ResultWriter::abandon()
{
    if (m_fd >= 0)
        ::close(m_fd);
    m_fd = -1;
}

QString ResultWriter::errorText() const
{
    switch (m_fault) {
    case Fault::Locked:
        return RunInProgressText;
    case Fault::Replaced:
        return QStringLiteral("Le fichier a été remplacé ou supprimé pendant l'épreuve");
    case Fault::None:
        break;
    }
    return fileErrorText(m_errno);
}

QString ResultWriter::errorMessage() const
{
    // A result file is named relative to the results directory: the message gives
    // the whole path.
    const QString shown = m_path.isEmpty() ? m_path : QDir::toNativeSeparators(QFileInfo(m_path).absoluteFilePath());
    if (m_fault == Fault::Replaced)
        return QStringLiteral("Le fichier %1 a été remplacé ou supprimé pendant l'épreuve : l'épreuve est arrêtée.")
            .arg(shown);
    if (m_fault == Fault::Locked)
        return QStringLiteral("Le fichier %1 ne peut être écrit : %2.").arg(shown, RunInProgressText);
    return fileWriteErrorText(shown, m_errno);
}

namespace {
QLocale regional(const QLocale &locale)
{
    if (locale.language() == QLocale::C)
        return QLocale(QLocale::French, QLocale::France);
    return locale;
}
} // namespace

QString headerDateText(const QDate &date, const QLocale &locale)
{
    return regional(locale).toString(date, QLocale::ShortFormat);
}

QString headerTimeText(const QTime &time, const QLocale &locale)
{
    const QLocale l = regional(locale);
    // The long time format may end with a time-zone name ("t"); the header must end
    // with the time itself.
    const QString full = l.timeFormat(QLocale::LongFormat);
    QString format;
    bool quoted = false;
    for (const QChar c : full) {
        if (c == QLatin1Char('\''))
            quoted = !quoted;
        if (!quoted && c == QLatin1Char('t'))
            continue;
        format += c;
    }
    format = format.trimmed();
    return l.toString(time, format);
}

QString headerLine(const QString &patient, const QDateTime &shownAt, bool endless,
                   const QLocale &locale)
{
    QString line = patient + QStringLiteral(": ") + headerDateText(shownAt.date(), locale)
                   + QStringLiteral(" à ") + headerTimeText(shownAt.time(), locale);
    if (endless)
        line += QStringLiteral(" #");
    return line;
}

} // namespace zoka
