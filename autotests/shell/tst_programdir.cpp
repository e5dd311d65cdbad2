// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/messages.h"
#include "shell/programdir.h"
#include "scratchdisk.h"

#include <QtTest>

using namespace zoka;

namespace {
void write(const QString &path, const QByteArray &content)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    QCOMPARE(f.write(content), content.size());
}

QByteArray read(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}
} // namespace

class TestProgramDir : public QObject {
    Q_OBJECT
    QTemporaryDir m_tmp;

private slots:
    void init()
    {
        QDir(m_tmp.path()).removeRecursively();
        QDir().mkpath(m_tmp.path());
    }

    void installedOnlyBesideShareZoka_data()
    {
        QTest::addColumn<QString>("make");     // directory made under the root
        QTest::addColumn<QString>("exeDir");
        QTest::addColumn<QString>("expected"); // "" = not installed
        QTest::newRow("prefix") << "usr/share/zoka" << "usr/bin" << "usr/share/zoka";
        QTest::newRow("other prefix") << "opt/z/share/zoka" << "opt/z/bin" << "opt/z/share/zoka";
        QTest::newRow("no share/zoka") << "usr/share/other" << "usr/bin" << "";
        QTest::newRow("not in bin") << "usr/share/zoka" << "usr/libexec" << "";
        QTest::newRow("build tree") << "build/data" << "build/bin" << "";
    }
    void installedOnlyBesideShareZoka()
    {
        QFETCH(QString, make);
        QFETCH(QString, exeDir);
        QFETCH(QString, expected);
        const QDir root(m_tmp.path());
        QVERIFY(root.mkpath(make));
        QVERIFY(root.mkpath(exeDir));
        QCOMPARE(installedDataDir(root.filePath(exeDir)), expected.isEmpty() ? QString() : root.filePath(expected));
    }

    void missingFilesCopiedOwnFilesKept()
    {
        const QDir root(m_tmp.path());
        const QString shared = root.filePath("share"), mine = root.filePath("home/data/zoka");
        write(shared + "/Cons_VC.txt", "installed text\r\n");
        write(shared + "/SonFin.wav", QByteArray(70000, '\x7f'));
        write(shared + "/Aide.txt", "installed help");
        write(shared + "/sub/ignored.txt", "not a data file");
        QFile::setPermissions(shared + "/Aide.txt", QFile::ReadOwner | QFile::ReadOther);
        write(mine + "/Cons_VC.txt", "the user's own text");
        write(mine + "/Zoka.ini", "settings");
        QVERIFY(QFile::link(root.filePath("gone"), mine + "/SonFin.wav"));

        for (int pass = 0; pass < 2; ++pass) {
            QString error;
            QVERIFY2(copyMissingDataFiles(shared, mine, &error), qPrintable(error));
            QCOMPARE(read(mine + "/Cons_VC.txt"), QByteArray("the user's own text"));
            QCOMPARE(read(mine + "/Zoka.ini"), QByteArray("settings"));
            QVERIFY(QFileInfo(mine + "/SonFin.wav").isSymLink());
            QCOMPARE(read(mine + "/Aide.txt"), QByteArray("installed help"));
            QVERIFY(QFileInfo(mine + "/Aide.txt").permissions() & QFile::WriteOwner);
            QVERIFY(!QFileInfo::exists(mine + "/sub"));
            QCOMPARE(QDir(mine).entryList(QDir::Files | QDir::Hidden | QDir::System).size(), 4);
        }
    }

    void failuresAreExplained_data()
    {
        QTest::addColumn<QString>("from");
        QTest::addColumn<QString>("to");
        QTest::addColumn<QString>("words");
        QTest::newRow("target is a file") << "share" << "afile" << "un fichier de ce nom existe déjà.";
        QTest::newRow("target below a file") << "share" << "afile/zoka" << "ne peut être créé";
        QTest::newRow("no installed files") << "nowhere" << "mine" << "« %1/nowhere » est introuvable.";
        // "ro": a read-only file system.
        QTest::newRow("target in a read-only directory") << "share" << "ro/zoka" << "ne peut être créé : Système de fichiers en lecture seule.";
        QTest::newRow("target read-only") << "share" << "ro" << "n'est pas accessible en écriture.";
    }
    void failuresAreExplained()
    {
        QFETCH(QString, from);
        QFETCH(QString, to);
        QFETCH(QString, words);
        const QDir root(m_tmp.path());
        write(root.filePath("share/Aide.txt"), "help");
        write(root.filePath("afile"), "x");
        QVERIFY(root.mkpath("ro"));
        ScratchDisk disk(root.filePath("ro"));
        if (to.startsWith("ro") && !(disk.mounted() && disk.makeReadOnly()))
            QSKIP("a read-only directory needs a tmpfs of its own, which only the superuser can mount");
        QString error;
        QVERIFY(!copyMissingDataFiles(root.filePath(from), root.filePath(to), &error));
        QVERIFY2(error.contains(words.arg(m_tmp.path())), qPrintable(error));
        QCOMPARE(read(root.filePath("afile")), QByteArray("x"));
    }

    void startUpTakesTheUsersDirectoryWhenInstalled()
    {
        const QDir root(m_tmp.path());
        write(root.filePath("usr/share/zoka/Cons_VC.txt"), "text");
        QVERIFY(root.mkpath("usr/bin"));
        QVERIFY(root.mkpath("build/bin"));
        qputenv("XDG_DATA_HOME", root.filePath("xdg").toLocal8Bit());
        ScopedScriptedMessages msgs;

        // From the build tree: the directory started in, nothing is made.
        const QString launch = root.filePath("launch");
        QCOMPARE(findProgramDirectory(root.filePath("build/bin"), launch), launch);
        QVERIFY(!QFileInfo::exists(root.filePath("xdg")));

        QCOMPARE(findProgramDirectory(root.filePath("usr/bin"), launch), root.filePath("xdg/zoka"));
        QCOMPARE(read(root.filePath("xdg/zoka/Cons_VC.txt")), QByteArray("text"));
        QVERIFY(msgs.service.texts().isEmpty());

        // No usable data directory: one error, the program stops.
        write(root.filePath("blocked"), "x");
        qputenv("XDG_DATA_HOME", root.filePath("blocked").toLocal8Bit());
        QVERIFY(findProgramDirectory(root.filePath("usr/bin"), launch).isEmpty());
        QCOMPARE(msgs.service.shown().size(), 1);
        QCOMPARE(msgs.service.shown().first().kind, MsgKind::Error);
        QVERIFY(msgs.service.shown().first().text.endsWith(QString::fromUtf8("\rZOKA va s'arrêter.")));
        qunsetenv("XDG_DATA_HOME");

        // Neither XDG_DATA_HOME nor HOME: refused, nothing made at the root.
        const QByteArray home = qgetenv("HOME");
        qunsetenv("HOME");
        msgs.service.clear();
        QVERIFY(findProgramDirectory(root.filePath("usr/bin"), launch).isEmpty());
        qputenv("HOME", home);
        QCOMPARE(msgs.service.texts().size(), 1);
        QVERIFY(msgs.service.texts().first().contains(QStringLiteral("ni XDG_DATA_HOME ni HOME")));
        QVERIFY(!QFileInfo::exists(QStringLiteral("/.local/share/zoka")));
    }
};

QTEST_GUILESS_MAIN(TestProgramDir)
#include "tst_programdir.moc"
