// SPDX-License-Identifier: GPL-3.0-or-later
// Files rewritten whole (a result file with its notes, Zoka.ini from "Quitter" or
// the options, AnaTemp.txt) when the disk refuses the new bytes, or their directory
// is read-only or gone: the old file stays whole, nothing is left beside it, and the
// examiner is told which file and why, in French.
#include "analysis/analysiswindowlogic.h"
#include "analysis/reportwriter.h"
#include "platform/messages.h"
#include "shell/configfile.h"
#include "shell/mainlogic.h"
#include "shell/optionslogic.h"
#include "shell/session.h"
#include "battery/testtable.h"
#include "platform/runlock.h"
#include "scratchdisk.h"

#include <QtTest>

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <sys/stat.h>
#include <memory>
#include <sys/resource.h>

using namespace zoka;

namespace {

enum Writer { Notes, Configuration, Report, Options, Quit };
// Link: the file's name is a symbolic link to a file elsewhere. Rewritten, Altered,
// Held: after the reading, another program rewrote the file, changed its data keeping
// its size and time, or holds it for a run.
enum Fault { FullDisk, SizeLimit, ReadOnly, Missing, Link, Rewritten, Altered, Held };

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
        QTest::addColumn<int>("fault");
        QTest::addColumn<QString>("cause");
        const QString tooBig = QStringLiteral("Erreur E/S %1").arg(EFBIG);
        const QString refused = QStringLiteral("Système de fichiers en lecture seule");
        const QString missing = QStringLiteral("Fichier introuvable");
        QTest::newRow("notes, full disk") << int(Notes) << int(FullDisk) << "Disque plein";
        QTest::newRow("configuration, full disk") << int(Configuration) << int(FullDisk) << "Disque plein";
        QTest::newRow("report, full disk") << int(Report) << int(FullDisk) << "Disque plein";
        QTest::newRow("options, full disk") << int(Options) << int(FullDisk) << "Disque plein";
        QTest::newRow("quit, full disk") << int(Quit) << int(FullDisk) << "Disque plein";
        QTest::newRow("notes, size limit") << int(Notes) << int(SizeLimit) << tooBig;
        QTest::newRow("configuration, size limit") << int(Configuration) << int(SizeLimit) << tooBig;
        QTest::newRow("report, size limit") << int(Report) << int(SizeLimit) << tooBig;
        QTest::newRow("notes, read-only results directory") << int(Notes) << int(ReadOnly) << refused;
        QTest::newRow("report, read-only program directory") << int(Report) << int(ReadOnly) << refused;
        QTest::newRow("options, read-only program directory") << int(Options) << int(ReadOnly) << refused;
        QTest::newRow("quit, read-only program directory") << int(Quit) << int(ReadOnly) << refused;
        QTest::newRow("notes, results directory gone") << int(Notes) << int(Missing) << missing;
        QTest::newRow("report, program directory gone") << int(Report) << int(Missing) << missing;
        QTest::newRow("quit, program directory gone") << int(Quit) << int(Missing) << missing;
        const QString link = QStringLiteral("Lien symbolique refusé");
        QTest::newRow("notes, a link") << int(Notes) << int(Link) << link;
        QTest::newRow("configuration, a link") << int(Configuration) << int(Link) << link;
        QTest::newRow("report, a link") << int(Report) << int(Link) << link;
        QTest::newRow("quit, a link") << int(Quit) << int(Link) << link;
        const QString changed = QStringLiteral("a changé depuis son ouverture");
        QTest::newRow("notes, rewritten by another window") << int(Notes) << int(Rewritten) << changed;
        QTest::newRow("notes, data changed in place") << int(Notes) << int(Altered) << changed;
        QTest::newRow("notes, a run of another program") << int(Notes) << int(Held) << QStringLiteral("Épreuve en cours sur un autre poste");
    }
    void oldFileStaysWholeAndTheCauseIsShown()
    {
        QFETCH(int, writer);
        QFETCH(int, fault);
        QFETCH(QString, cause);
        QTemporaryDir tmp;
        // The directory of the files (program and results directory at once) is the
        // faulty one; the options' results directory lies elsewhere.
        const QDir dir(tmp.filePath(QStringLiteral("zoka")));
        QVERIFY(QDir().mkpath(dir.path()) && QDir().mkpath(tmp.filePath(QStringLiteral("Epreuves"))));
        std::unique_ptr<ScratchDisk> disk;
        if (fault == FullDisk || fault == ReadOnly) {
            disk = std::make_unique<ScratchDisk>(dir.path());
            if (!disk->mounted())
                QSKIP("a full disk or a read-only directory needs a tmpfs of its own, which only the superuser can mount");
        }

        Session session;
        session.config = defaultConfigRecord(dir.path());
        session.config.ResultsDir = tmp.filePath(QStringLiteral("Epreuves"));
        const QString result = dir.filePath(QStringLiteral("Dupont_16.VC"));
        put(result, "Dupont: 01/12/2026 \xE0 10:00:00\r\n0\r\n" + QByteArray("400\r\n").repeated(16)
                        + "0\r\n[Notes]\r\nancienne note\r\n");
        put(dir.filePath(ConfigFileName), QByteArray(392, '\1'));
        put(reportFilePath(dir.path()), "ancien rapport\r\n");
        const QString config = dir.filePath(ConfigFileName);
        const QString target = QStringList{result, config, reportFilePath(dir.path()), config, config}.at(writer);
        QByteArray before = bytesOf(target);

        ScopedScriptedMessages msgs;
        AnalysisWindowLogic logic;
        logic.markAnalysed = [](const QString &) { return true; };
        if (writer == Notes)
            logic.show(result, 0, 1, QStringLiteral("Dupont"), ProgramVersion, dir.path());
        OptionsLogic options(session);
        options.formShow();
        bool quitted = false;
        MainLogic main(session);
        main.setWindowCallbacks({}, [&] { quitted = true; });
        main.configurationLoaded = true;

        int heldFd = -1;
        rlimit saved{};
        ::getrlimit(RLIMIT_FSIZE, &saved);
        if (fault == FullDisk) {
            QCOMPARE(disk->fill(), ENOSPC);
        } else if (fault == ReadOnly) {
            QVERIFY(disk->makeReadOnly());
        } else if (fault == Missing) {
            QVERIFY(QDir(dir.path()).removeRecursively());
        } else if (fault == Link) {
            const QString outside = tmp.filePath(QStringLiteral("ailleurs"));
            QVERIFY(QFile::rename(target, outside) && QFile::link(outside, target));
        } else if (fault == Rewritten || fault == Altered) {
            struct stat was {};
            QVERIFY(::stat(QFile::encodeName(target).constData(), &was) == 0);
            before.replace("400\r\n", "500\r\n");
            if (fault == Rewritten) {
                QVERIFY(QFile::remove(target));
                put(target, before);
            } else {
                QFile f(target); // in place, same size, the time put back
                QVERIFY(f.open(QIODevice::ReadWrite) && f.write(before) == before.size());
                f.close();
                const timespec times[2] = {was.st_atim, was.st_mtim};
                QVERIFY(::utimensat(AT_FDCWD, QFile::encodeName(target).constData(), times, 0) == 0);
            }
        } else if (fault == Held) {
            heldFd = ::open(QFile::encodeName(target).constData(), O_RDWR);
            QVERIFY(heldFd >= 0 && lockForWriting(heldFd));
        } else {
            const rlimit small{64, saved.rlim_max}; // shorter than every new content
            ::setrlimit(RLIMIT_FSIZE, &small);
        }
        msgs.service.clear();
        switch (writer) {
        case Notes:
            logic.closeSequence({QStringLiteral("[Notes]"), QStringLiteral("nouvelle note")});
            break;
        case Configuration:
            SaveConfiguration(session);
            break;
        case Report:
            logic.show(QStringLiteral(ZOKA_TESTDATA_DIR "/analysis/Dupont_32.VC"), 0, 1,
                       QStringLiteral("Dupont"), ProgramVersion, dir.path());
            break;
        case Options:
            QCOMPARE(options.accepterClick(true), OptionsLogic::Outcome::Close);
            break;
        case Quit:
            main.QuitterClick();
            QVERIFY(!quitted); // the program stays, the examiner may make room
            break;
        }
        ::setrlimit(RLIMIT_FSIZE, &saved);
        if (heldFd >= 0)
            ::close(heldFd);

        QCOMPARE(bytesOf(target), fault == Missing ? QByteArray() : before); // old file whole, or absent as it was
        QStringList left = QDir(dir.path()).entryList(QDir::Files | QDir::Hidden);
        left.removeOne(QStringLiteral("plein"));
        const QStringList all = {QStringLiteral("AnaTemp.txt"), QStringLiteral("Dupont_16.VC"), ConfigFileName};
        QCOMPARE(left, fault == Missing ? QStringList() : all);
        QVERIFY(fault != Missing || !QFileInfo::exists(dir.path())); // not made again
        QCOMPARE(msgs.service.shown().size(), 1);
        const QString text = msgs.service.shown().first().text;
        QVERIFY2(text.contains(QDir::toNativeSeparators(target)) && text.contains(cause), qPrintable(text));
        // Notes that could not go into a file that changed are handed back to copy.
        QCOMPARE(text.contains(QStringLiteral("nouvelle note")), writer == Notes && fault >= Link);
        QVERIFY(!QFileInfo(target).isSymLink() || bytesOf(tmp.filePath(QStringLiteral("ailleurs"))) == before);
    }
};

QTEST_MAIN(TestSafeWrite)
#include "tst_safewrite.moc"
