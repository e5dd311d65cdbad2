// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/boundedread.h"

#include <QFile>

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/vfs.h>
#include <unistd.h>

namespace zoka {

namespace {

constexpr long ProcFsMagic = 0x9fa0;
constexpr long SysFsMagic = 0x62656572;

// The files of /proc and /sys say they are regular and empty, yet some of them block
// or change the system when read (/proc/kmsg).
bool isKernelFile(int fd)
{
    struct statfs fs {};
    if (::fstatfs(fd, &fs) != 0)
        return false;
    return long(fs.f_type) == ProcFsMagic || long(fs.f_type) == SysFsMagic;
}

struct Fd {
    int fd = -1;
    ~Fd()
    {
        if (fd >= 0)
            ::close(fd);
    }
};

} // namespace

LineReadResult readLinesBounded(const QString &path, const LineReadLimits &limits, QList<QByteArray> *lines)
{
    lines->clear();
    const QByteArray name = QFile::encodeName(path);
    LineReadResult r;
    const auto refuse = [&](LineReadStatus status, int err = 0) {
        lines->clear();
        r.status = status;
        r.errnoValue = err;
        return r;
    };

    // The type is checked before opening (opening a FIFO for reading waits for a
    // writer, opening some devices acts on them), and again on what was opened.
    struct stat st {};
    if (::stat(name.constData(), &st) != 0) {
        // A name whose bytes were not valid in the system's encoding came here with
        // replacement characters: it names no file, and saying it is missing would
        // mislead (the file is there, under a name the program cannot spell).
        if (errno == ENOENT && path.contains(QChar::ReplacementCharacter))
            return refuse(LineReadStatus::OpenFailed, EILSEQ);
        return refuse(LineReadStatus::OpenFailed, errno);
    }
    if (!S_ISREG(st.st_mode))
        return refuse(LineReadStatus::NotRegularFile);
    Fd file;
    do {
        file.fd = ::open(name.constData(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    } while (file.fd < 0 && errno == EINTR);
    if (file.fd < 0)
        return refuse(LineReadStatus::OpenFailed, errno);
    if (::fstat(file.fd, &st) != 0)
        return refuse(LineReadStatus::ReadFailed, errno);
    if (!S_ISREG(st.st_mode) || isKernelFile(file.fd))
        return refuse(LineReadStatus::NotRegularFile);
    if (st.st_size > limits.maxBytes)
        return refuse(LineReadStatus::TooBig);

    QByteArray current;
    bool afterCr = false; // the last byte was a CR: an LF right after it ends nothing
    qint64 total = 0;
    char buffer[65536];
    for (;;) {
        const ssize_t n = ::read(file.fd, buffer, sizeof buffer);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return refuse(LineReadStatus::ReadFailed, errno);
        }
        if (n == 0)
            break;
        total += n;
        if (total > limits.maxBytes) // a file that grows while it is read
            return refuse(LineReadStatus::TooBig);
        for (ssize_t i = 0; i < n; ++i) {
            const char c = buffer[i];
            if (c == '\n' && afterCr) {
                afterCr = false;
                continue;
            }
            afterCr = c == '\r';
            if (c == '\r' || c == '\n') {
                if (lines->size() >= limits.maxLines)
                    return refuse(LineReadStatus::TooManyLines);
                lines->append(current);
                current.clear();
            } else {
                if (current.size() >= limits.maxLineBytes) {
                    r.line = int(lines->size()) + 1;
                    return refuse(LineReadStatus::LineTooLong);
                }
                current.append(c);
            }
        }
    }
    if (!current.isEmpty()) {
        if (lines->size() >= limits.maxLines)
            return refuse(LineReadStatus::TooManyLines);
        lines->append(current);
    }
    return r;
}

} // namespace zoka
