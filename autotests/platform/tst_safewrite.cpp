// Files rewritten whole (a result file with its notes, Zoka.ini, AnaTemp.txt) when the
// disk refuses the new bytes: the old file stays whole, nothing is left beside it, and
// the examiner is told which file and why, in French.
#include "analysis/analysiswindowlogic.h"
#include "analysis/reportwriter.h"
#include "platform/messages.h"
#include "shell/configfile.h"
#include "shell/sharedstate.h"
#include "battery/testspec.h"

#include <QtTest>

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <unistd.h>

using namespace zoka;

namespace {

enum Writer { Notes, Configuration, Report };

QByteArray bytesOf(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void put(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size());
}

} // namespace

class TestSafeWrite : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { std::signal(SIGXFSZ, SIG_IGN); }

    void oldFileStaysWholeAndTheCauseIsShown_data()
    {
        QTest::addColumn<int>("writer");
        QTest::addColumn<bool>("fullDisk"); // else a file-size limit (no superuser needed)
        QTest::addColumn<QString>("cause");
        const QString tooBig = QStringLiteral("Erreur E/S %1").arg(EFBIG);
        QTest::newRow("notes, full disk") << int(Notes) << true << "Disque plein";
        QTest::newRow("configuration, full disk") << int(Configuration) << true << "Disque plein";
        QTest::newRow("report, full disk") << int(Report) << true << "Disque plein";
        QTest::newRow("notes, size limit") << int(Notes) << false << tooBig;
        QTest::newRow("configuration, size limit") << int(Configuration) << false << tooBig;
        QTest::newRow("report, size limit") << int(Report) << false << tooBig;
    }
    void oldFileStaysWholeAndTheCauseIsShown()
    {
        QFETCH(int, writer);
        QFETCH(bool, fullDisk);
        QFETCH(QString, cause);
        QTemporaryDir dir;
        const QByteArray mountPoint = QFile::encodeName(dir.path());
        if (fullDisk && ::mount("zoka-test", mountPoint.constData(), "tmpfs", 0, "size=256k") != 0)
            QSKIP("a full disk needs a tmpfs of its own, which only the superuser can mount");
        const auto unmount = qScopeGuard([&] {
            if (fullDisk)
                ::umount2(mountPoint.constData(), MNT_DETACH);
        });

        Config = defaultConfigRecord(dir.path());
        const QString result = dir.filePath(QStringLiteral("Dupont_16.VC"));
        put(result, "Dupont: 01/12/2026 \xE0 10:00:00\r\n0\r\n" + QByteArray("400\r\n").repeated(16)
                        + "0\r\n[Notes]\r\nancienne note\r\n");
        put(dir.filePath(ConfigFileName), QByteArray(392, '\1'));
        put(reportFilePath(), "ancien rapport\r\n");
        const QString target = QStringList{result, dir.filePath(ConfigFileName), reportFilePath()}.at(writer);
        const QByteArray before = bytesOf(target);

        ScopedScriptedMessages msgs;
        AnalysisWindowLogic logic;
        logic.markAnalysed = [](const QString &) { return true; };
        if (writer == Notes)
            logic.show(result, 0, 1, QStringLiteral("Dupont"), ProgramVersion);

        rlimit saved{};
        ::getrlimit(RLIMIT_FSIZE, &saved);
        if (fullDisk) {
            const int fd = ::open(QFile::encodeName(dir.filePath(QStringLiteral("plein"))).constData(),
                                  O_WRONLY | O_CREAT | O_CLOEXEC, 0600);
            const QByteArray block(4096, 'x');
            while (::write(fd, block.constData(), size_t(block.size())) > 0) {
            }
            QCOMPARE(errno, ENOSPC);
            ::close(fd);
        } else {
            const rlimit small{64, saved.rlim_max}; // shorter than every new content
            ::setrlimit(RLIMIT_FSIZE, &small);
        }
        msgs.service.clear();
        if (writer == Notes)
            logic.closeSequence({QStringLiteral("[Notes]"), QStringLiteral("nouvelle note")});
        else if (writer == Configuration)
            SaveConfiguration();
        else
            logic.show(result, 0, 1, QStringLiteral("Dupont"), ProgramVersion);
        ::setrlimit(RLIMIT_FSIZE, &saved);

        QCOMPARE(bytesOf(target), before);
        QStringList left = QDir(dir.path()).entryList(QDir::Files | QDir::Hidden);
        left.removeOne(QStringLiteral("plein"));
        QCOMPARE(left, (QStringList{QStringLiteral("AnaTemp.txt"), QStringLiteral("Dupont_16.VC"), ConfigFileName}));
        QCOMPARE(msgs.service.shown().size(), 1);
        const QString text = msgs.service.shown().first().text;
        QVERIFY2(text.contains(QDir::toNativeSeparators(target)) && text.contains(cause), qPrintable(text));
    }
};

QTEST_MAIN(TestSafeWrite)
#include "tst_safewrite.moc"
