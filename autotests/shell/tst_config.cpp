// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/messages.h"
#include "shell/configfile.h"
#include "shell/session.h"
#include "battery/testtable.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

using namespace zoka;

namespace {

QByteArray readAll(const QString &path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return f.readAll();
}

void writeAll(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    QCOMPARE(f.write(bytes), bytes.size());
}

QString testData(const char *name) { return QStringLiteral(ZOKA_TESTDATA_DIR "/") + QLatin1String(name); }

} // namespace

class TestConfig : public QObject {
    Q_OBJECT
    Session m_session;

private slots:
    void init() { m_session = Session(); }

    void defaultsGiveTheGoldenRecordByteForByte()
    {
        const ConfigRecord c = defaultConfigRecord(QStringLiteral("/opt/zoka"));
        QByteArray bytes;
        QVERIFY(configToBytes(c, &bytes));
        QCOMPARE(bytes.size(), 392);
        QCOMPARE(bytes.toHex(), readAll(testData("config_default.bin")).toHex());
    }

    void aRecordReadFromAnotherProgramKeepsEveryByteWhenWrittenBack()
    {
        // This file carries non-zero reserved bytes, a French accented directory, a
        // bold+italic red font: all must be read as such and survive a round trip.
        const QByteArray golden = readAll(testData("config_v32.bin"));
        ConfigRecord c;
        QString err;
        QVERIFY2(configFromBytes(golden, &c, &err), qPrintable(err));
        QCOMPARE(c.Version, QStringLiteral("3.2"));
        QCOMPARE(c.ProgramDir, QStringLiteral("/home/clinique/Zoka"));
        QCOMPARE(c.ResultsDir, QString::fromUtf8("/home/clinique/Résultats anciens"));
        QCOMPARE(c.PrintMarginCm, 2.25);
        QCOMPARE(c.StopKeyText, QStringLiteral("Q"));
        QCOMPARE(c.StopKeyCode, 81);
        QCOMPARE(c.PrintFontName, QStringLiteral("Liberation Mono"));
        QCOMPARE(c.PrintFontSize, 11);
        QCOMPARE(int(c.PrintFontStyle), FontBold | FontItalic);
        QCOMPARE(c.PrintFontColor, 0xFF);
        QByteArray again;
        QVERIFY(configToBytes(c, &again));
        QCOMPARE(again.toHex(), golden.toHex());
    }

    void aShortenedStringLeavesTheRestOfItsFieldAsItStood()
    {
        ConfigRecord c;
        QVERIFY(configFromBytes(readAll(testData("config_v32.bin")), &c));
        c.ProgramDir = QStringLiteral("/z");
        QByteArray bytes;
        QVERIFY(configToBytes(c, &bytes));
        QCOMPARE(quint8(bytes.at(92)), quint8(2));
        QCOMPARE(bytes.mid(93, 2), QByteArray("/z"));
        // Characters beyond the length byte are ignored when read back.
        QCOMPARE(bytes.mid(95, 4), QByteArray("ome/"));
        ConfigRecord back;
        QVERIFY(configFromBytes(bytes, &back));
        QCOMPARE(back.ProgramDir, QStringLiteral("/z"));
    }

    void stringsThatDoNotFitAreRefusedNeverCut()
    {
        ConfigRecord c = defaultConfigRecord(QStringLiteral("/opt/zoka"));
        QByteArray bytes("untouched");
        QString err;
        c.ResultsDir = QStringLiteral("/") + QString(75, u'a'); // 76 characters
        QVERIFY(!configToBytes(c, &bytes, &err));
        QCOMPARE(bytes, QByteArray("untouched"));
        QVERIFY2(err.contains(QString::fromUtf8("répertoire des données")) && err.contains(u"76"),
                 qPrintable(err));

        c.ResultsDir = QString(75, u'b'); // exactly 75 fits
        QVERIFY(configToBytes(c, &bytes));
        QCOMPARE(quint8(bytes.at(168)), quint8(75));

        c.ResultsDir = QString::fromUtf8("/données/患者"); // not representable in Windows-1252
        QVERIFY(!configToBytes(c, &bytes, &err));
        QVERIFY(!fitsRecordString(c.ResultsDir, 75));
        QVERIFY(fitsRecordString(QString::fromUtf8("/données/œuvre €"), 75));
    }

    void damagedOrShortRecordsAreReportedNotRead()
    {
        ConfigRecord c;
        QString err;
        const QByteArray good = readAll(testData("config_default.bin"));
        QVERIFY(!configFromBytes(good.left(391), &c, &err));
        QVERIFY2(err.contains(u"391") && err.contains(u"392"), qPrintable(err));
        QByteArray bad = good;
        bad[168] = char(200); // length byte beyond the 75-character field
        QVERIFY(!configFromBytes(bad, &c, &err));
        QVERIFY(err.contains(QString::fromUtf8("endommagé")));
        // A longer file is read from its first record.
        QVERIFY(configFromBytes(good + QByteArray(10, 'x'), &c));
        QCOMPARE(c.ResultsDir, QStringLiteral("/opt/zoka/Epreuves"));
    }

    void saveWritesExactly392BytesInTheProgramDirectory()
    {
        QTemporaryDir tmp;
        ScopedScriptedMessages msgs;
        m_session.config = defaultConfigRecord(tmp.path());
        QVERIFY(SaveConfiguration(m_session));
        const QByteArray bytes = readAll(tmp.filePath("Zoka.ini"));
        QCOMPARE(bytes.size(), 392);
        // Overwriting a longer file leaves exactly one record.
        writeAll(tmp.filePath("Zoka.ini"), QByteArray(1000, 'x'));
        QVERIFY(SaveConfiguration(m_session));
        QCOMPARE(readAll(tmp.filePath("Zoka.ini")), bytes);
        QVERIFY(msgs.service.shown().isEmpty());
        QCOMPARE(QDir(tmp.path()).entryList(QDir::Files), QStringList{"Zoka.ini"});
    }

    void aFailedSaveIsReportedAndKeepsTheOldFile()
    {
        QTemporaryDir tmp;
        ScopedScriptedMessages msgs;
        m_session.config = defaultConfigRecord(tmp.path());
        QVERIFY(SaveConfiguration(m_session));
        const QByteArray before = readAll(tmp.filePath("Zoka.ini"));

        m_session.config.ResultsDir = QString(80, u'r');
        QString err;
        QVERIFY(!SaveConfiguration(m_session, &err));
        QCOMPARE(msgs.service.shown().size(), 1);
        QCOMPARE(msgs.service.shown().first().kind, MsgKind::Error);
        QCOMPARE(readAll(tmp.filePath("Zoka.ini")), before);

        m_session.config = defaultConfigRecord(tmp.filePath("absent/below"));
        QVERIFY(!SaveConfiguration(m_session, &err));
        QVERIFY2(err.contains(QStringLiteral("Fichier introuvable")), qPrintable(err));
    }

    void readingAMissingOrShortFileReportsItAndKeepsConfig()
    {
        QTemporaryDir tmp;
        m_session.startDir = tmp.path();
        ScopedScriptedMessages msgs;
        m_session.config.ResultsDir = QStringLiteral("kept");
        QString err;
        QVERIFY(!ReadConfiguration(m_session, &err));
        QVERIFY2(err.contains(QStringLiteral("Fichier introuvable")), qPrintable(err));
        writeAll(tmp.filePath("Zoka.ini"), QByteArray(100, '\0'));
        QVERIFY(!ReadConfiguration(m_session, &err));
        QVERIFY2(err.contains(u"100"), qPrintable(err));
        QCOMPARE(m_session.config.ResultsDir, QStringLiteral("kept"));
        QCOMPARE(msgs.service.shown().size(), 2);

        writeAll(tmp.filePath("Zoka.ini"), readAll(testData("config_default.bin")));
        QVERIFY(ReadConfiguration(m_session));
        QCOMPARE(m_session.config.ProgramDir, QStringLiteral("/opt/zoka"));
    }

    void firstStartSetsTheDefaultsAndOpensTheOptions()
    {
        QTemporaryDir tmp;
        m_session.startDir = tmp.path();
        ScopedScriptedMessages msgs;
        int shown = 0;
        ConfigRecord seen;
        m_session.services.showOptions = [&] {
            ++shown;
            seen = m_session.config;
        };
        QVERIFY(LoadConfigurationAtStartup(m_session));
        QCOMPARE(shown, 1);
        const QString here = m_session.startDir;
        QCOMPARE(seen.ProgramDir, here);
        QCOMPARE(seen.ResultsDir, here + "/Epreuves");
        QCOMPARE(seen.Version, QStringLiteral("4.0b"));
        QCOMPARE(seen.StopKeyText, QStringLiteral("ESC"));
        QCOMPARE(seen.PrintFontName, QStringLiteral("Courier New"));
        QVERIFY(msgs.service.shown().isEmpty());
    }

    void firstStartInADirectoryTooLongToStoreSaysSo()
    {
        QTemporaryDir tmp;
        const QString deep = tmp.filePath(QString(80, u'd'));
        QVERIFY(QDir().mkpath(deep));
        m_session.startDir = deep;
        ScopedScriptedMessages msgs;
        int shown = 0;
        m_session.services.showOptions = [&] { ++shown; };
        QVERIFY(!SetDefaultConfiguration(m_session));
        QCOMPARE(shown, 1);
        QCOMPARE(msgs.service.shown().size(), 1);
        const QString text = msgs.service.shown().first().text;
        QVERIFY2(text.contains(deep) && text.contains(QString::fromUtf8("ne pourront pas être enregistrés")),
                 qPrintable(text));
        // The whole path is kept in memory for this run, never a cut one.
        QCOMPARE(m_session.config.ProgramDir, m_session.startDir);
        QVERIFY(!SaveConfiguration(m_session));
        QVERIFY(!QFile::exists(deep + "/Zoka.ini"));
    }

    void aFileOfThisVersionIsReadWithoutTheOptions()
    {
        QTemporaryDir tmp;
        m_session.startDir = tmp.path();
        ScopedScriptedMessages msgs;
        int shown = 0;
        m_session.services.showOptions = [&] { ++shown; };
        writeAll(tmp.filePath("Zoka.ini"), readAll(testData("config_default.bin")));
        QVERIFY(LoadConfigurationAtStartup(m_session));
        QCOMPARE(shown, 0);
        QCOMPARE(m_session.config.ResultsDir, QStringLiteral("/opt/zoka/Epreuves"));
        QVERIFY(QFile::exists(tmp.filePath("Zoka.ini")));
    }

    void anotherVersionIsMigratedExceptItsResultsDirectory()
    {
        QTemporaryDir tmp;
        const QString prog = QDir(tmp.path()).canonicalPath() + "/prog";
        QVERIFY(QDir().mkpath(prog));
        m_session.startDir = tmp.path();
        ScopedScriptedMessages msgs;

        ConfigRecord old;
        QVERIFY(configFromBytes(readAll(testData("config_v32.bin")), &old));
        old.ProgramDir = prog;
        QByteArray bytes;
        QVERIFY(configToBytes(old, &bytes));
        writeAll(tmp.filePath("Zoka.ini"), bytes);

        // The options window stands in for the examiner: it accepts and saves.
        m_session.services.showOptions = [&] {
            QVERIFY(!QFile::exists(tmp.filePath("Zoka.ini"))); // deleted before the options
            QCOMPARE(m_session.config.ResultsDir, prog + "/Epreuves");
            QCOMPARE(m_session.resultsDir, prog + "/Epreuves");
            m_session.config.Version = ProgramVersion;
            QVERIFY(SaveConfiguration(m_session));
        };
        QVERIFY(LoadConfigurationAtStartup(m_session));
        QCOMPARE(m_session.startDir, prog);
        QCOMPARE(m_session.config.StopKeyCode, 81);
        QCOMPARE(m_session.config.StopKeyText, QStringLiteral("Q"));
        QCOMPARE(m_session.config.PrintMarginCm, 2.25);
        QCOMPARE(m_session.config.PrintFontName, QStringLiteral("Liberation Mono"));
        QCOMPARE(m_session.config.PrintFontSize, 11);
        QCOMPARE(int(m_session.config.PrintFontStyle), 3);
        QCOMPARE(m_session.config.PrintFontColor, 0xFF);
        QCOMPARE(m_session.config.ResultsDir, prog + "/Epreuves");

        const QByteArray written = readAll(prog + "/Zoka.ini");
        QCOMPARE(written.size(), 392);
        QCOMPARE(written.mid(0, 5), QByteArray("\x04" "4.0b"));
        // Reserved bytes of the old file are not carried over.
        QCOMPARE(written.at(20), '\0');
        QCOMPARE(written.at(390), '\0');
        QVERIFY(msgs.service.shown().isEmpty());
    }

    void aMigrationNotSavedKeepsItsSettingsForThisRun()
    {
        QTemporaryDir tmp;
        const QString prog = QDir(tmp.path()).canonicalPath();
        m_session.startDir = prog;
        ScopedScriptedMessages msgs;
        ConfigRecord old;
        QVERIFY(configFromBytes(readAll(testData("config_v32.bin")), &old));
        old.ProgramDir = prog;
        QByteArray bytes;
        QVERIFY(configToBytes(old, &bytes));
        writeAll(prog + "/Zoka.ini", bytes);
        m_session.services.showOptions = [] {}; // cancelled
        QVERIFY(LoadConfigurationAtStartup(m_session));
        QVERIFY(!QFile::exists(prog + "/Zoka.ini"));
        QCOMPARE(m_session.config.StopKeyCode, 81);
        QCOMPARE(m_session.config.ResultsDir, prog + "/Epreuves");
        QVERIFY(msgs.service.shown().isEmpty());
    }

    void aMigratedProgramDirectoryThatNoLongerExistsGivesWayToTheCurrentOne()
    {
        QTemporaryDir tmp;
        m_session.startDir = tmp.path();
        ScopedScriptedMessages msgs;
        m_session.services.showOptions = [] {};
        QFile::copy(testData("config_v32.bin"), tmp.filePath("Zoka.ini")); // /home/clinique/Zoka
        bool migrated = false;
        QVERIFY(MigrateConfiguration(m_session, &migrated));
        QVERIFY(migrated);
        QCOMPARE(m_session.config.ProgramDir, m_session.startDir);
        QCOMPARE(m_session.config.ResultsDir, m_session.startDir + "/Epreuves");
        QCOMPARE(msgs.service.shown().size(), 1);
        QVERIFY(msgs.service.shown().first().text.contains(QStringLiteral("/home/clinique/Zoka")));
    }

    void aShortFileOfAnotherVersionIsReportedAndLeftAlone()
    {
        QTemporaryDir tmp;
        m_session.startDir = tmp.path();
        ScopedScriptedMessages msgs;
        int shown = 0;
        m_session.services.showOptions = [&] { ++shown; };
        const QByteArray part = readAll(testData("config_v32.bin")).left(200);
        writeAll(tmp.filePath("Zoka.ini"), part);
        QVERIFY(!LoadConfigurationAtStartup(m_session));
        QCOMPARE(shown, 0);
        QCOMPARE(readAll(tmp.filePath("Zoka.ini")), part);
        QCOMPARE(msgs.service.shown().size(), 1);
        QVERIFY(msgs.service.shown().first().text.contains(u"200"));

        writeAll(tmp.filePath("Zoka.ini"), QByteArray(10, '\x03'));
        msgs.service.clear();
        QVERIFY(!LoadConfigurationAtStartup(m_session));
        QCOMPARE(msgs.service.shown().size(), 1);
    }
};

QTEST_MAIN(TestConfig)
#include "tst_config.moc"
