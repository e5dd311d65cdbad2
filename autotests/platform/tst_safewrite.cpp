// Files rewritten whole (a result file with its notes, Zoka.ini, AnaTemp.txt) when the
// disk refuses the new bytes: the old file stays whole, nothing is left beside it, and
// the examiner is told which file and why, in French.
#include "analysis/analysiswindowlogic.h"
#include "analysis/reportwriter.h"
#include "platform/messages.h"
#include "shell/configfile.h"
#include "shell/sharedstate.h"
#include "battery/testspec.h"

#include "mount_helpers.h"

#include <QtTest>

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <optional>
#include <sys/resource.h>
#include <unistd.h>

using namespace zoka;

namespace {

enum Writer { Notes, Configuration, Report };
enum Failure { FullDisk, FileSizeLimit };

QByteArray bytesOf(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void put(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    QCOMPARE(f.write(bytes), bytes.size());
}

QByteArray resultFile()
{
    QByteArray b = "Dupont: 01/12/2026 \xE0 10:00:00\r\n0\r\n";
    for (int i = 0; i < 16; ++i)
        b += QByteArray::number(400 + 10 * i) + "\r\n";
    return b + "0\r\n[Notes]\r\nancienne note\r\n";
}

// Takes every block left on the file system of `dir`.
void fillDisk(const QString &dir)
{
    const int fd = ::open(QFile::encodeName(dir + QStringLiteral("/remplissage")).constData(),
                          O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    QVERIFY(fd >= 0);
    const QByteArray block(4096, 'x');
    while (::write(fd, block.constData(), size_t(block.size())) > 0) {
    }
    const int err = errno;
    ::close(fd);
    QCOMPARE(err, ENOSPC);
}

} // namespace

class TestSafeWrite : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { std::signal(SIGXFSZ, SIG_IGN); }

    void oldFileStaysWholeAndTheCauseIsShown_data()
    {
        QTest::addColumn<int>("writer");
        QTest::addColumn<int>("failure");
        QTest::addColumn<QString>("cause");
        const QString big = QStringLiteral("Erreur E/S %1").arg(EFBIG);
        QTest::newRow("notes, full disk") << int(Notes) << int(FullDisk) << "Disque plein";
        QTest::newRow("configuration, full disk") << int(Configuration) << int(FullDisk) << "Disque plein";
        QTest::newRow("report, full disk") << int(Report) << int(FullDisk) << "Disque plein";
        QTest::newRow("notes, file size limit") << int(Notes) << int(FileSizeLimit) << big;
        QTest::newRow("configuration, file size limit") << int(Configuration) << int(FileSizeLimit) << big;
        QTest::newRow("report, file size limit") << int(Report) << int(FileSizeLimit) << big;
    }
    void oldFileStaysWholeAndTheCauseIsShown()
    {
        QFETCH(int, writer);
        QFETCH(int, failure);
        QFETCH(QString, cause);
        QTemporaryDir dir;
        std::optional<ScopedTmpfs> disk;
        if (failure == FullDisk) {
            disk.emplace(dir.path(), "size=256k");
            if (!disk->mounted)
                QSKIP("a full disk needs a tmpfs of its own, which only the superuser can mount");
        }
        Config = defaultConfigRecord(dir.path());
        const QString result = dir.filePath(QStringLiteral("Dupont_16.VC"));
        put(result, resultFile());
        put(dir.filePath(ConfigFileName), QByteArray(392, '\1'));
        put(reportFilePath(), "ancien rapport\r\n");
        const QString target = writer == Notes ? result
            : writer == Configuration          ? dir.filePath(ConfigFileName)
                                               : reportFilePath();
        const QByteArray before = bytesOf(target);

        ScopedScriptedMessages msgs;
        AnalysisWindowLogic logic;
        logic.markAnalysed = [](const QString &) { return true; };
        if (writer == Notes)
            logic.show(result, 0, 1, QStringLiteral("Dupont"), ProgramVersion);
        QVERIFY(msgs.service.shown().isEmpty());

        if (failure == FullDisk)
            fillDisk(dir.path());
        rlimit unlimited{};
        ::getrlimit(RLIMIT_FSIZE, &unlimited);
        if (failure == FileSizeLimit) {
            const rlimit small{64, unlimited.rlim_max}; // every new content is longer
            ::setrlimit(RLIMIT_FSIZE, &small);
        }
        if (writer == Notes)
            logic.closeSequence({QStringLiteral("[Notes]"), QStringLiteral("ancienne note"), QStringLiteral("nouvelle")});
        else if (writer == Configuration)
            SaveConfiguration();
        else
            logic.show(result, 0, 1, QStringLiteral("Dupont"), ProgramVersion);
        ::setrlimit(RLIMIT_FSIZE, &unlimited);

        QCOMPARE(bytesOf(target), before);
        QStringList left = QDir(dir.path()).entryList(QDir::Files | QDir::Hidden | QDir::System);
        left.removeOne(QStringLiteral("remplissage"));
        QCOMPARE(left, (QStringList{QStringLiteral("AnaTemp.txt"), QStringLiteral("Dupont_16.VC"), ConfigFileName}));
        QCOMPARE(msgs.service.shown().size(), 1);
        const QString text = msgs.service.shown().first().text;
        QVERIFY2(text.contains(QDir::toNativeSeparators(target)) && text.contains(cause), qPrintable(text));
    }
};

QTEST_MAIN(TestSafeWrite)
#include "tst_safewrite.moc"
