// SPDX-License-Identifier: GPL-3.0-or-later
#include "fuzzcommon.h"

#include "platform/cp1252.h"
#include "platform/messages.h"

#include <QDir>
#include <QFile>
#include <QLocale>
#include <QTemporaryDir>

#include <cstdio>
#include <cstdlib>
#include <memory>

namespace fuzz {

namespace {

// Answers every box as a click on its first button would, keeps nothing but a count
// (a fuzz run shows millions of boxes).
class SilentMessages final : public zoka::MessageService {
public:
    int count = 0;
    zoka::MsgAnswer show(zoka::MsgKind, const QString &, zoka::MsgButtons buttons) override
    {
        ++count;
        return buttons == zoka::MsgButtons::Ok ? zoka::MsgAnswer::Ok : zoka::MsgAnswer::Yes;
    }
};

SilentMessages silent;
std::unique_ptr<QTemporaryDir> scratch;
QString scratchPath;

} // namespace

void setUp()
{
    if (scratch)
        return;
    QLocale::setDefault(QLocale(QLocale::French, QLocale::France));
    zoka::setMessageService(&silent);
    const QString base = QDir(QStringLiteral("/dev/shm")).exists() ? QStringLiteral("/dev/shm")
                                                                    : QDir::tempPath();
    scratch = std::make_unique<QTemporaryDir>(base + QStringLiteral("/zoka-fuzz-XXXXXX"));
    if (!scratch->isValid()) {
        std::fprintf(stderr, "zoka fuzz: no scratch directory under %s\n", qPrintable(base));
        std::abort();
    }
    scratchPath = scratch->path();
}

const QString &scratchDir() { return scratchPath; }

int takeMessageCount()
{
    const int n = silent.count;
    silent.count = 0;
    return n;
}

void check(bool ok, const char *what, const QString &detail)
{
    if (ok)
        return;
    std::fprintf(stderr, "\n*** zoka fuzz finding: %s\n", what);
    if (!detail.isEmpty())
        std::fprintf(stderr, "%s\n", detail.toUtf8().constData());
    std::fflush(stderr);
    std::abort();
}

FileInput splitInput(const uint8_t *data, size_t size, bool withLimits)
{
    FileInput in;
    const QByteArray all(reinterpret_cast<const char *>(data), qsizetype(size));
    qsizetype pos = 0;
    auto nextLine = [&]() {
        qsizetype end = all.indexOf('\n', pos);
        if (end < 0)
            end = all.size();
        const QByteArray line = all.mid(pos, end - pos);
        pos = qMin(end + 1, all.size());
        return line;
    };
    QByteArray name = nextLine().left(64);
    name.replace('/', '_').replace('\0', '_').replace('\r', '_');
    in.name = QString::fromLatin1(name);
    if (in.name.isEmpty() || in.name == QStringLiteral(".") || in.name == QStringLiteral(".."))
        in.name.prepend(u'x');
    if (withLimits) {
        const QString limits = QString::fromLatin1(nextLine().left(80));
        if (!limits.isEmpty())
            in.limits = limits.split(u'|').mid(0, 4);
    }
    in.content = all.mid(pos);
    return in;
}

QString writeScratch(const QString &name, const QByteArray &bytes)
{
    const QString path = QDir(scratchPath).filePath(name);
    QFile::remove(path);
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size()) {
        // Not the program's fault (a name the file system refuses): skip the input.
        return QString();
    }
    return path;
}

QByteArray readWhole(const QString &path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return QByteArray();
    return f.readAll();
}

void removeScratch(const QString &path)
{
    if (!path.isEmpty())
        QFile::remove(path);
}

QStringList linesOf(const QByteArray &bytes)
{
    return zoka::cp1252::splitLines(zoka::cp1252::decode(bytes));
}

void fixTime(zoka::AnalysisState &st)
{
    st.AnalysisTime = QDateTime(QDate(2026, 12, 7), QTime(10, 0, 0));
}

} // namespace fuzz

namespace fuzz {
bool holdsNonNumber(const QString &text)
{
    const QString t = text.toLower();
    for (const QString word : {QStringLiteral("nan"), QStringLiteral("inf")}) {
        for (qsizetype i = t.indexOf(word); i >= 0; i = t.indexOf(word, i + 1)) {
            const bool before = i > 0 && t.at(i - 1).isLetter();
            // ("Quadrant Inf. Gauche" is a word of the report, not a figure.)
            const bool after = i + 3 < t.size() && (t.at(i + 3).isLetter() || t.at(i + 3) == u'.');
            if (!before && !after)
                return true;
        }
    }
    return false;
}
}
