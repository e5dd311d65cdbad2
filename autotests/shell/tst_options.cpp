// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/messages.h"
#include "shell/configfile.h"
#include "shell/internalerror.h"
#include "shell/optionslogic.h"
#include "shell/session.h"
#include "shell/stopkey.h"
#include "scratchdisk.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include <unistd.h>

using namespace zoka;

namespace {

QString canonical(const QString &p) { return QDir(p).canonicalPath(); }

} // namespace

class TestOptions : public QObject {
    Q_OBJECT
private:
    QTemporaryDir *m_tmp = nullptr;
    QString m_prog;
    Session m_session;

private slots:
    void init()
    {
        m_session = Session();
        m_tmp = new QTemporaryDir;
        m_prog = canonical(m_tmp->path());
        m_session.startDir = m_prog;
        m_session.config = defaultConfigRecord(m_prog);
        m_session.config.Version = QStringLiteral("3.0");
    }
    void cleanup()
    {
        delete m_tmp;
        setInternalErrorExit(nullptr);
    }

    void openingTakesTheSnapshotAndShowsTheMarginWithAComma()
    {
        OptionsLogic o(m_session);
        m_session.config.PrintMarginCm = 2.25;
        const auto f = o.formShow();
        QCOMPARE(m_session.config.Version, QStringLiteral("4.0b"));
        QCOMPARE(o.snapshot().Version, QStringLiteral("4.0b"));
        QCOMPARE(f.dir, m_prog + "/Epreuves");
        QCOMPARE(f.key, QStringLiteral("ESC"));
        QCOMPARE(f.margin, QStringLiteral("2,25"));
        QCOMPARE(OptionsLogic::marginText(1.5), QStringLiteral("1,5"));
        QCOMPARE(OptionsLogic::marginText(2), QStringLiteral("2"));
        QCOMPARE(o.optionsError(), -1);
    }

    void firstStartAccepterCreatesTheFolderWithExportAndSaves()
    {
        ScopedScriptedMessages msgs;
        OptionsLogic o(m_session);
        o.formShow();
        QCOMPARE(o.accepterClick(true), OptionsLogic::Outcome::Close);
        QCOMPARE(msgs.service.shown().size(), 1);
        QCOMPARE(msgs.service.shown().first().text,
                 QString::fromUtf8("  Le répertoire ") + m_prog + "/Epreuves"
                     + QString::fromUtf8(" n'existe pas; Voulez-vous le créer?   "));
        QCOMPARE(msgs.service.shown().first().buttons, MsgButtons::YesNo);
        QVERIFY(QFileInfo(m_prog + "/Epreuves/Export").isDir());
        QCOMPARE(m_session.resultsDir, m_prog + "/Epreuves");
        QCOMPARE(QFileInfo(m_prog + "/Zoka.ini").size(), 392);
        ConfigRecord back;
        QVERIFY(readConfigFile(m_prog + "/Zoka.ini", &back));
        QCOMPARE(back.Version, QStringLiteral("4.0b"));
    }

    // The results directory is taken and the options saved even when its Export
    // folder cannot be made; the examiner is told why, naming the folder.
    void anExportFolderThatCannotBeMadeIsTold_data()
    {
        QTest::addColumn<bool>("readOnly"); // else a file named Export is in the way
        QTest::addColumn<QString>("cause");
        QTest::newRow("read-only results directory") << true << "Système de fichiers en lecture seule";
        QTest::newRow("a file named Export") << false << "Un fichier de ce nom existe déjà";
    }
    void anExportFolderThatCannotBeMadeIsTold()
    {
        QFETCH(bool, readOnly);
        QFETCH(QString, cause);
        const QString results = m_prog + "/Epreuves";
        QVERIFY(QDir().mkdir(results));
        ScratchDisk disk(results);
        if (readOnly && !(disk.mounted() && disk.makeReadOnly()))
            QSKIP("a read-only directory needs a tmpfs of its own, which only the superuser can mount");
        if (!readOnly) {
            QFile f(results + "/Export");
            QVERIFY(f.open(QIODevice::WriteOnly));
        }
        ScopedScriptedMessages msgs;
        OptionsLogic o(m_session);
        o.formShow();
        QCOMPARE(o.accepterClick(true), OptionsLogic::Outcome::Close);
        QCOMPARE(msgs.service.texts(), QStringList{"Le répertoire " + results + "/Export ne peut être créé : " + cause + "."});
        QCOMPARE(m_session.resultsDir, results);
        QCOMPARE(QFileInfo(m_prog + "/Zoka.ini").size(), 392);
    }

    void accepterAnsweredNoStaysAndUncheckedSavesNothing()
    {
        ScopedScriptedMessages msgs;
        OptionsLogic o(m_session);
        o.formShow();
        msgs.service.queue(MsgAnswer::No);
        QCOMPARE(o.accepterClick(true), OptionsLogic::Outcome::Stay);
        QVERIFY(!QFileInfo::exists(m_prog + "/Epreuves"));
        QCOMPARE(o.accepterClick(false), OptionsLogic::Outcome::Close);
        QVERIFY(QFileInfo(m_prog + "/Epreuves").isDir());
        QVERIFY(!QFileInfo::exists(m_prog + "/Zoka.ini"));
    }

    void leavingTheFieldOnANewDirectoryCreatesAndEntersIt()
    {
        ScopedScriptedMessages msgs;
        OptionsLogic o(m_session);
        o.formShow();
        const QString other = m_prog + "/Autres/Dossiers";
        o.dirEprChange(other);
        QCOMPARE(o.dirEprExit(), other);
        QVERIFY(QFileInfo(other + "/Export").isDir());
        QCOMPARE(m_session.resultsDir, other);

        // Refusing to create puts the snapshot's directory back into field and configuration.
        msgs.service.queue(MsgAnswer::No);
        o.dirEprChange(m_prog + "/Jamais");
        QCOMPARE(o.dirEprExit(), m_prog + "/Epreuves");
        QCOMPARE(m_session.config.ResultsDir, m_prog + "/Epreuves");
        QVERIFY(!QFileInfo::exists(m_prog + "/Jamais"));

        // Leaving the field unchanged asks nothing.
        msgs.service.clear();
        o.dirEprExit();
        QVERIFY(msgs.service.shown().isEmpty());
    }

    void aRelativeDirectoryIsTakenBelowTheCurrentOne()
    {
        ScopedScriptedMessages msgs;
        OptionsLogic o(m_session);
        o.formShow();
        o.dirEprChange(QStringLiteral("rel"));
        QCOMPARE(o.dirEprExit(), m_prog + "/rel");
        QCOMPARE(m_session.resultsDir, m_prog + "/rel");
    }

    void aDirectoryTooLongForTheRecordIsRefusedNeverCut()
    {
        ScopedScriptedMessages msgs;
        OptionsLogic o(m_session);
        o.formShow();
        const QString longDir = m_prog + "/" + QString(80, u'x');
        o.dirEprChange(longDir);
        QCOMPARE(m_session.config.ResultsDir, longDir); // kept whole while typing
        o.dirEprExit();
        QCOMPARE(msgs.service.shown().size(), 1);
        QVERIFY2(msgs.service.shown().first().text.contains(QString::fromUtf8("ne peut être enregistré")),
                 qPrintable(msgs.service.shown().first().text));
        QVERIFY(!QFileInfo::exists(longDir));
        QCOMPARE(o.accepterClick(true), OptionsLogic::Outcome::Stay);
        QVERIFY(!QFileInfo::exists(longDir));
        QVERIFY(!QFileInfo::exists(m_prog + "/Zoka.ini"));

        // The directory dialog's choice is refused the same way.
        msgs.service.clear();
        QCOMPARE(o.directoryDialogResult(longDir), m_prog + "/Epreuves");
        QCOMPARE(msgs.service.shown().size(), 1);

        o.dirEprChange(QString());
        msgs.service.clear();
        QCOMPARE(o.accepterClick(false), OptionsLogic::Outcome::Stay);
        QCOMPARE(msgs.service.shown().size(), 1);
    }

    void theDirectoryDialogChoiceOrCancelIsApplied()
    {
        ScopedScriptedMessages msgs;
        OptionsLogic o(m_session);
        o.formShow();
        const QString chosen = m_prog + "/Choisi";
        QVERIFY(QDir().mkdir(chosen));
        QCOMPARE(o.dialogStartDir(chosen), chosen);
        QCOMPARE(o.dialogStartDir(m_prog + "/nulle/part"), m_prog);
        QCOMPARE(o.directoryDialogResult(chosen), chosen);
        QCOMPARE(m_session.resultsDir, chosen);
        QVERIFY(QFileInfo(chosen + "/Export").isDir());
        // Cancelled: the snapshot's directory, which does not exist yet, comes back.
        QCOMPARE(o.directoryDialogResult(QString()), m_prog + "/Epreuves");
        QCOMPARE(m_session.config.ResultsDir, m_prog + "/Epreuves");
        QVERIFY(msgs.service.shown().isEmpty());
    }

    void annulerRestoresEveryFieldAndRemovesTheNewEmptyDirectory()
    {
        ScopedScriptedMessages msgs;
        QVERIFY(QDir().mkdir(m_prog + "/Epreuves"));
        m_session.resultsDir = m_prog + "/Epreuves";
        OptionsLogic o(m_session);
        o.formShow();
        const ConfigRecord before = m_session.config;

        const QString fresh = m_prog + "/Nouveau/Dossier";
        o.dirEprChange(fresh);
        o.dirEprExit();
        QVERIFY(QFileInfo(fresh + "/Export").isDir());
        o.margeGChange(QStringLiteral("3.5"));
        o.keyStopChange(QStringLiteral("q"));
        QVERIFY(o.setPrintFont(QStringLiteral("Liberation Sans"), 12, FontBold, 0xFF));
        QCOMPARE(m_session.config.PrintMarginCm, 3.5);

        QCOMPARE(o.annulerClick(), m_prog + "/Epreuves");
        QVERIFY(!QFileInfo::exists(m_prog + "/Nouveau"));
        QByteArray a, b;
        QVERIFY(configToBytes(m_session.config, &a));
        QVERIFY(configToBytes(before, &b));
        QCOMPARE(a, b);
        QCOMPARE(m_session.resultsDir, m_prog + "/Epreuves");
    }

    void annulerLeavesADirectoryThatHoldsFiles()
    {
        ScopedScriptedMessages msgs;
        OptionsLogic o(m_session);
        o.formShow();
        const QString fresh = m_prog + "/Rempli";
        o.dirEprChange(fresh);
        o.dirEprExit();
        QFile f(fresh + "/Dupont_16.VC");
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.close();
        o.annulerClick();
        QVERIFY(QFile::exists(fresh + "/Dupont_16.VC"));
        QVERIFY(QFileInfo(fresh + "/Export").isDir() == false); // empty Export removed
    }

    void annulerNeverRemovesADirectoryThatExistedBefore()
    {
        ScopedScriptedMessages msgs;
        const QString existing = m_prog + "/Ancien";
        QVERIFY(QDir().mkpath(existing + "/Export"));
        OptionsLogic o(m_session);
        o.formShow();
        o.dirEprChange(existing);
        o.dirEprExit();
        o.annulerClick();
        QVERIFY(QFileInfo(existing + "/Export").isDir());
    }

    void theMarginReadsThePointAsADecimalComma_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<double>("stored");
        QTest::addColumn<int>("messages");
        QTest::newRow("point") << "2.5" << 2.5 << 0;
        QTest::newRow("comma") << "2,75" << 2.75 << 0;
        QTest::newRow("whole") << "3" << 3.0 << 0;
        QTest::newRow("five first characters") << "1.23456" << 1.234 << 0;
        QTest::newRow("letters") << "abc" << 1.5 << 1;
        QTest::newRow("two points") << "1.2.3" << 1.5 << 1;
        QTest::newRow("negative") << "-1" << 1.5 << 1;
        QTest::newRow("too wide") << "25" << 1.5 << 1;
        QTest::newRow("cleared while retyping") << "" << 1.5 << 0;
    }
    void theMarginReadsThePointAsADecimalComma()
    {
        QFETCH(QString, typed);
        QFETCH(double, stored);
        QFETCH(int, messages);
        ScopedScriptedMessages msgs;
        OptionsLogic o(m_session);
        o.formShow();
        o.margeGChange(typed);
        QCOMPARE(m_session.config.PrintMarginCm, stored);
        QCOMPARE(msgs.service.shown().size(), messages);
    }

    void stopKeyTextsGiveTheirCodes_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<int>("code");
        QTest::addColumn<int>("error");
        QTest::newRow("a") << "a" << 97 << -1;
        QTest::newRow("A") << "A" << 65 << -1;
        QTest::newRow("esc") << "esc" << 27 << -1;
        QTest::newRow("ESC") << "ESC" << 27 << -1;
        QTest::newRow("ret") << "ret" << 13 << -1;
        QTest::newRow("space is the space bar") << "space" << 32 << -1;
        QTest::newRow("e acute") << QString::fromUtf8("é") << 0xE9 << -1;
        QTest::newRow("F1") << "F1" << 27 << 1;
        QTest::newRow("not storable") << QString::fromUtf8("ł") << 27 << 1;
        QTest::newRow("empty: no way to stop") << "" << 27 << 2;
    }
    void stopKeyTextsGiveTheirCodes()
    {
        QFETCH(QString, typed);
        QFETCH(int, code);
        QFETCH(int, error);
        ScopedScriptedMessages msgs;
        OptionsLogic o(m_session);
        o.formShow();
        o.keyStopChange(typed);
        QCOMPARE(m_session.config.StopKeyCode, code);
        QCOMPARE(o.optionsError(), error);
        QCOMPARE(m_session.config.StopKeyText, typed);
        o.keyStopExit();
        QCOMPARE(msgs.service.shown().size(), error >= 0 ? 1 : 0);
    }

    void aBadStopKeyIsShownOnLeavingAndKeepsAccepterOpen()
    {
        ScopedScriptedMessages msgs;
        OptionsLogic o(m_session);
        o.formShow();
        o.keyStopChange(QStringLiteral("F1"));
        o.keyStopExit();
        QCOMPARE(o.accepterClick(true), OptionsLogic::Outcome::Stay);
        const QString expected = QString(10, u' ')
            + QString::fromUtf8("Err 1: Cette touche ne peut être prise en compte pour créer un arrêt d'épreuve")
            + QString(8, u' ');
        QCOMPARE(msgs.service.texts(), QStringList({expected, expected}));
        QCOMPARE(OptionsLogic::errorMessage(9), OptionsLogic::errorMessage(0));
        QVERIFY(!QFileInfo::exists(m_prog + "/Zoka.ini"));
        // Typing a good key clears the error.
        o.keyStopChange(QStringLiteral("x"));
        QCOMPARE(o.accepterClick(false), OptionsLogic::Outcome::Close);
        QCOMPARE(m_session.config.StopKeyText.size(), 1);
        o.keyStopChange(QStringLiteral("ABCDEFGHIJKL"));
        QCOMPARE(m_session.config.StopKeyText, QStringLiteral("ABCDEFGHIJ"));
    }

    void aFontNameTooLongForTheRecordIsRefused()
    {
        ScopedScriptedMessages msgs;
        OptionsLogic o(m_session);
        o.formShow();
        QVERIFY(!o.setPrintFont(QString(31, u'F'), 10, 0, 0));
        QCOMPARE(m_session.config.PrintFontName, QStringLiteral("Courier New"));
        QCOMPARE(msgs.service.shown().size(), 1);
        QVERIFY(o.setPrintFont(QStringLiteral("Liberation Serif"), 10, FontItalic | FontUnderline, 0x00FF00));
        QCOMPARE(int(m_session.config.PrintFontStyle), 6);
    }

    void aResultsDirectoryThatCannotBeEnteredEndsWith208()
    {
        if (::geteuid() == 0)
            QSKIP("root enters any directory");
        ScopedScriptedMessages msgs;
        int code = 0;
        setInternalErrorExit([&](int n) { code = n; });
        const QString locked = m_prog + "/Ferme";
        QVERIFY(QDir().mkdir(locked));
        QFile::setPermissions(locked, QFileDevice::ReadOwner);
        OptionsLogic o(m_session);
        o.formShow();
        o.dirEprChange(locked);
        QCOMPARE(o.accepterClick(false), OptionsLogic::Outcome::Stay);
        QCOMPARE(code, 208);
        QFile::setPermissions(locked, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    }

    void keyPressesGiveTheCharacterCodesOfTheStopKey()
    {
        QCOMPARE(keyPressCharCode(Qt::Key_Escape, QStringLiteral("\x1b")), 27);
        QCOMPARE(keyPressCharCode(Qt::Key_Return, QStringLiteral("\r")), 13);
        QCOMPARE(keyPressCharCode(Qt::Key_Enter, QString()), 13);
        QCOMPARE(keyPressCharCode(Qt::Key_Space, QStringLiteral(" ")), 32);
        QCOMPARE(keyPressCharCode(Qt::Key_A, QStringLiteral("a")), 97);
        QCOMPARE(keyPressCharCode(Qt::Key_A, QStringLiteral("A")), 65);
        QCOMPARE(keyPressCharCode(Qt::Key_Eacute, QString::fromUtf8("é")), 0xE9);
        QCOMPARE(keyPressCharCode(Qt::Key_F1, QString()), -1);
        QCOMPARE(keyPressCharCode(Qt::Key_Shift, QString()), -1);
    }
};

QTEST_MAIN(TestOptions)
#include "tst_options.moc"
