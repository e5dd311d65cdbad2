// SPDX-License-Identifier: GPL-3.0-or-later
// The main window's handlers, without the window.
#include "platform/fileattr.h"
#include "platform/messages.h"
#include "platform/runlock.h"
#include "shell/configfile.h"
#include "shell/filelists.h"
#include "shell/internalerror.h"
#include "shell/mainlogic.h"
#include "shell/maintexts.h"
#include "shell/session.h"
#include "battery/testtable.h"
#include "mainfixture.h"
#include "scratchdisk.h"

#include <QtTest>

#include <fcntl.h>
#include <optional>
#include <unistd.h>

using namespace zoka;
using namespace zoka::maintext;
using namespace zoka::testing;

class TestMainLogic : public QObject {
    Q_OBJECT
private slots:
    void startupSelectsTest0AndListsPatients()
    {
        Fixture fx;
        fx.file("Dupont_16.VC");
        fx.file("dupont_32.VC");
        fx.file("Martin_64.LAT");
        ScopedScriptedMessages msgs;
        fx.logic.FormShow();
        QCOMPARE(fx.calls, QStringList({"intro", "config"}));
        QVERIFY(msgs.service.shown().isEmpty());
        QCOMPARE(fx.logic.caption, QString("Zoka v4.0"));
        QCOMPARE(fx.session.versionShort, QString("4.0"));
        QCOMPARE(fx.session.screen.width, 1024);
        QCOMPARE(fx.session.choices.testIndex, 0);
        QCOMPARE(fx.logic.testGroup.index, 0);
        QVERIFY(fx.logic.threeCountsGroup.visible && !fx.logic.twoCountsGroup.visible && !fx.logic.speedGroup.visible);
        QCOMPARE(fx.logic.countText, QString("16"));
        QCOMPARE(fx.session.choices.itemCount, 16);
        QVERIFY(fx.logic.administrationEnabled && fx.logic.analysisEnabled && fx.logic.deleteEnabled);
        QCOMPARE(fx.session.resultsDir, fx.results);
        QCOMPARE(fx.logic.patientList, QStringList({"Dupont", "Martin"}));
        // Until a name is typed every file is listed; the name field still reads
        // "Inconnu" but no patient is taken from it.
        QCOMPARE(fx.logic.patientFilesList.entries.size(), 3);
        QCOMPARE(fx.logic.patientNameText, QString("Inconnu"));
        QVERIFY(fx.session.choices.patientName.isEmpty());
        QCOMPARE(fx.logic.focus, MainFocus::PatientName);
    }

    void startupFailuresLeaveOnlyOptionsAndQuit()
    {
        {
            Fixture fx;
            fx.configOk = false;
            ScopedScriptedMessages msgs;
            fx.logic.FormShow();
            QVERIFY(fx.logic.startupFailed);
            QVERIFY(!fx.logic.administrationEnabled && !fx.logic.analysisEnabled && !fx.logic.deleteEnabled);
            QVERIFY(!fx.logic.testGroup.enabled);
            QCOMPARE(msgs.service.shown().size(), 1);
            QVERIFY(msgs.service.shown()[0].text.contains("Options"));
            fx.logic.Label1DblClick(); // no test is set up: nothing to ask
            QCOMPARE(msgs.service.shown().size(), 1);
            // "Quitter" does not write a configuration that was never read.
            fx.calls.clear();
            fx.logic.QuitterClick();
            QCOMPARE(fx.calls, QStringList({"quit"}));
        }
        {
            // A short Zoka.ini, read by the real start-up: a message, never a crash.
            Fixture fx;
            fx.session.services.loadConfiguration = nullptr;
            fx.session.services.showOptions = [] {};
            touch(fx.dir.filePath("Zoka.ini"), QByteArray(40, '\0'));
            ScopedScriptedMessages msgs;
            fx.logic.FormShow();
            QVERIFY(fx.logic.startupFailed);
            QVERIFY(!fx.logic.administrationEnabled);
            QVERIFY(msgs.service.shown().size() >= 2);
            QCOMPARE(QFileInfo(fx.dir.filePath("Zoka.ini")).size(), 40); // left as it was
        }
        {
            // Results directory missing: named in a message, the options are opened;
            // still missing afterwards: start-up stops.
            Fixture fx;
            fx.session.config.ResultsDir = fx.dir.filePath("gone");
            ScopedScriptedMessages msgs;
            fx.logic.FormShow();
            QCOMPARE(msgs.service.shown()[0].text,
                     "Le répertoire <" + fx.session.config.ResultsDir + "> des résultats des épreuves n'existe plus.\r"
                     "Activez la fenêtre [Options] pour un autre choix et\rRedémarrez l'application ZOKA");
            QCOMPARE(fx.calls, QStringList({"intro", "config", "options"}));
            QVERIFY(fx.logic.startupFailed);
        }
        {
            // ... but the options may make a directory that exists.
            Fixture fx;
            fx.session.config.ResultsDir = fx.dir.filePath("gone");
            fx.session.services.showOptions = [&] { fx.session.config.ResultsDir = fx.results; };
            ScopedScriptedMessages msgs;
            fx.logic.FormShow();
            QVERIFY(!fx.logic.startupFailed);
            QCOMPARE(fx.session.resultsDir, fx.results);
            QVERIFY(fx.logic.administrationEnabled);
        }
    }

    void nameFieldCascades()
    {
        Fixture fx;
        ScopedScriptedMessages msgs;
        fx.start(msgs);
        const QString badChars = "     Le nom du patient ne peut contenir les caractères _ ou .      ";
        const QString tooLong = "     Le nom du patient est trop long (20 caractères maximum)      ";

        fx.logic.setPatientNameText("ab_cd");
        QCOMPARE(msgs.service.texts(), QStringList({badChars}));
        QCOMPARE(msgs.service.shown()[0].kind, MsgKind::Error);
        QCOMPARE(fx.logic.patientNameText, QString("ab"));
        QCOMPARE(fx.session.choices.patientName, QString("ab"));
        QCOMPARE(fx.logic.patientFilesList.mask, QString("ab_*"));

        msgs.service.clear();
        fx.logic.setPatientNameText("a.b_c");
        QCOMPARE(msgs.service.texts(), QStringList({badChars}));
        QCOMPARE(fx.logic.patientNameText, QString());
        QCOMPARE(fx.logic.patientFilesList.mask, QString("_*"));

        msgs.service.clear();
        fx.logic.setPatientNameText("a_b.cdefgh");
        QCOMPARE(msgs.service.texts(), QStringList({badChars, badChars}));
        QCOMPARE(fx.logic.patientNameText, QString());
        QVERIFY(fx.session.choices.patientName.isEmpty());

        msgs.service.clear();
        fx.logic.setPatientNameText("abcdefghijklmnopqrstu");
        QCOMPARE(msgs.service.texts(), QStringList({tooLong}));
        QCOMPARE(fx.session.choices.patientName, QString("abcdefghijklmnopqrst"));

        msgs.service.clear();
        fx.logic.setPatientNameText("abcdefghijklmnopqrs_uvw");
        QCOMPARE(msgs.service.texts(), QStringList({badChars}));
        QCOMPARE(fx.session.choices.patientName, QString("abcdefghijklmnopqrs"));

        // Characters that cannot be part of a file name are refused the same way.
        for (const QString &bad : {QString("Du/pont"), QString("Du\\pont"), QString("Du:pont"), QString("Du*p"),
                                   QString("Du?p"), QString("Du\"p"), QString("Du<p"), QString("Du>p"),
                                   QString("Du|p"), QString("Du\tp")}) {
            msgs.service.clear();
            fx.logic.setPatientNameText(bad);
            QCOMPARE(msgs.service.shown().size(), 1);
            QVERIFY(msgs.service.shown()[0].text.contains("ne peut contenir"));
            QCOMPARE(fx.logic.patientNameText, QString("Du"));
            fx.logic.setPatientNameText("x");
        }
        msgs.service.clear();
        fx.logic.setPatientNameText(QStringLiteral("Léa d'Aubigné-Dupont"));
        QVERIFY(msgs.service.shown().isEmpty());
    }

    void countChoiceOfEveryTest()
    {
        Fixture fx;
        ScopedScriptedMessages msgs;
        fx.start(msgs);
        fx.logic.setPatientNameText("Dupont");
        struct Case {
            int test;
            const char *label;
            bool g2, g3, speed;
            const char *file;
        };
        const Case cases[] = {
            {1, "36", true, false, false, "Dupont_36.LAT"},  {2, "36", true, false, false, "Dupont_36.LFC"},
            {3, "32", true, false, false, "Dupont_32.SB"},   {4, "32", true, false, false, "Dupont_32.DB"},
            {5, "16", false, true, false, "Dupont_16.AUD"},  {6, "64", false, false, false, "Dupont_65.MIX"},
            {7, "1000", false, false, true, "Dupont_228-1.AS"}, {8, "64", false, false, false, "Dupont_64.PAS"},
            {9, "64", false, false, false, "Dupont_64.PCA"}, {0, "16", false, true, false, "Dupont_16.VC"},
        };
        for (const Case &c : cases) {
            fx.logic.setTestGroupIndex(c.test);
            QCOMPARE(fx.session.choices.testIndex, c.test);
            QCOMPARE(fx.logic.countText, QString(c.label));
            QCOMPARE(fx.logic.twoCountsGroup.visible, c.g2);
            QCOMPARE(fx.logic.threeCountsGroup.visible, c.g3);
            QCOMPARE(fx.logic.speedGroup.visible, c.speed);
            QCOMPARE(fx.logic.countGroupCaption, QString(c.speed ? "msec:" : "# items"));
            if (c.g2)
                QCOMPARE(fx.logic.twoCountsGroup.index, 0);
            fx.calls.clear();
            fx.logic.PassationClick();
            QCOMPARE(fx.calls, QStringList({QString("administration:") + c.file}));
        }
        QCOMPARE(fx.logic.twoCountsGroup.items, QStringList({"     ->  32 items", "     ->  64 items"}));

        fx.logic.setTestGroupIndex(1);
        fx.logic.setTwoCountsIndex(1);
        QCOMPARE(fx.logic.countText, QString("64"));
        QCOMPARE(fx.session.choices.itemCount, 64);

        fx.logic.setTestGroupIndex(7);
        fx.logic.setSpeedGroupIndex(2);
        QCOMPARE(fx.logic.countText, QString("750"));
        fx.calls.clear();
        fx.logic.PassationClick();
        QCOMPARE(fx.calls, QStringList({"administration:Dupont_228-2.AS"}));
        fx.logic.setSpeedGroupIndex(0);
        QCOMPARE(fx.logic.countText, QString("1250"));
        QVERIFY(msgs.service.shown().isEmpty());
    }

    void endlessSeries()
    {
        Fixture fx;
        ScopedScriptedMessages msgs;
        fx.start(msgs);
        fx.logic.setPatientNameText("Dupont");

        // Not offered: only the file selection goes.
        for (int t : {2, 5, 7, 8, 9}) {
            fx.logic.setTestGroupIndex(t);
            const QString label = fx.logic.countText;
            msgs.service.clear();
            fx.logic.Label1DblClick();
            QVERIFY(msgs.service.shown().isEmpty());
            QVERIFY(!fx.session.choices.unlimitedChosen);
            QCOMPARE(fx.logic.countText, label);
        }

        fx.logic.setTestGroupIndex(6);
        msgs.service.clear();
        fx.logic.Label1DblClick();
        QCOMPARE(msgs.service.texts(),
                 QStringList({"     Les séries de stimuli doivent-elles se répéter sans fin?      "}));
        QCOMPARE(fx.logic.countText, QString("- - -"));
        fx.calls.clear();
        fx.logic.PassationClick();
        QCOMPARE(fx.calls, QStringList({"administration:Dupont_999.MIX"}));

        fx.logic.setTestGroupIndex(0);
        QVERIFY(!fx.session.choices.unlimitedChosen);
        fx.logic.Label1DblClick();
        QVERIFY(fx.session.choices.unlimitedChosen);
        QCOMPARE(fx.logic.threeCountsGroup.index, 2);
        QVERIFY(!fx.logic.threeCountsGroup.enabled);
        QCOMPARE(fx.session.choices.itemCount, 64);
        fx.calls.clear();
        fx.logic.PassationClick();
        QCOMPARE(fx.calls, QStringList({"administration:Dupont_999.VC"}));

        msgs.service.queue(MsgAnswer::No);
        fx.logic.Label1DblClick();
        QVERIFY(!fx.session.choices.unlimitedChosen);
        QVERIFY(fx.logic.threeCountsGroup.enabled);
        QCOMPARE(fx.logic.threeCountsGroup.index, 0);
        QCOMPARE(fx.logic.countText, QString("16"));
        fx.calls.clear();
        fx.logic.PassationClick();
        QCOMPARE(fx.calls, QStringList({"administration:Dupont_16.VC"}));
    }

    void administrationChecks()
    {
        Fixture fx;
        fx.file("Dupont_16.VC", true);
        fx.file("Dupont_32.VC");
        ScopedScriptedMessages msgs;
        fx.start(msgs);

        // No name: refused, but the screen is switched first all the same.
        fx.logic.PassationClick();
        QCOMPARE(msgs.service.texts(), QStringList({"Le nom du patient n'est pas encodé!"}));
        QCOMPARE(fx.modes, QList<QSize>({QSize(800, 600)}));
        QCOMPARE(fx.logic.focus, MainFocus::PatientName);
        QVERIFY(fx.calls.isEmpty());

        fx.logic.setPatientNameText("Dupont");
        // An analysed file: one question; No keeps it.
        fx.logic.setThreeCountsIndex(1);
        msgs.service.clear();
        msgs.service.queue(MsgAnswer::No);
        fx.logic.PassationClick();
        const QString exists = QStringLiteral(
            "Ce nom existe déjà ! Cliquez sur:\n   Oui pour continuer avec Dupont_32.VC et créer de nouveaux "
            "résultats\n   Non pour changer le nom ou conserver les résultats antérieurs\nWarning:   This name "
            "already exists\n   Press YES to overwrite, NO to change the name");
        QCOMPARE(msgs.service.texts(), QStringList({exists}));
        QCOMPARE(msgs.service.shown().first().buttons, MsgButtons::YesNoDefaultNo);
        QVERIFY(fx.calls.isEmpty());
        {
            // A run of another program writing that file: refused, nothing asked.
            const int fd = ::open(QFile::encodeName(fx.at("Dupont_32.VC")).constData(), O_RDWR);
            QVERIFY(fd >= 0 && lockForWriting(fd));
            msgs.service.clear();
            fx.logic.PassationClick();
            ::close(fd);
            QCOMPARE(msgs.service.texts(), QStringList({"Le fichier Dupont_32.VC ne peut être remplacé : " + RunInProgressText + "."}));
            QVERIFY(fx.calls.isEmpty());
        }
        msgs.service.clear();
        fx.logic.PassationClick();
        QCOMPARE(msgs.service.shown().size(), 1);
        QCOMPARE(fx.calls, QStringList({"administration:Dupont_32.VC"}));
        QCOMPARE(fx.session.choices.selectedFile, QString("Dupont_32.VC"));
        QCOMPARE(fx.logic.patientFilesList.selectedEntry(), QString("Dupont_32.VC"));
        QCOMPARE(fx.logic.focus, MainFocus::Administration);

        // Not analysed yet: two questions; No to the second keeps file and mark.
        fx.logic.setThreeCountsIndex(0);
        msgs.service.clear();
        fx.calls.clear();
        msgs.service.queue(MsgAnswer::Yes);
        msgs.service.queue(MsgAnswer::No);
        fx.logic.PassationClick();
        QCOMPARE(msgs.service.shown().size(), 2);
        QCOMPARE(msgs.service.shown()[1].text, B20 + "Le fichier Dupont_16.VC n'a pas été analysé! Continuer?" + B20);
        QVERIFY(fx.calls.isEmpty());
        QVERIFY(isReadOnlyMarked(fx.at("Dupont_16.VC")));
        msgs.service.clear();
        fx.logic.PassationClick();
        QCOMPARE(msgs.service.shown().size(), 2);
        QVERIFY(!isReadOnlyMarked(fx.at("Dupont_16.VC")));
        QCOMPARE(fx.calls, QStringList({"administration:Dupont_16.VC"}));
    }

    void onlyANameThatCanNameAResultFileStartsAnAdministration_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("refusal");
        QTest::newRow("parent directory") << "../evil" << NameBadChars;
        QTest::newRow("absolute path") << "/tmp/evil" << NameForbiddenChars;
        QTest::newRow("backslash") << "a\\b" << NameForbiddenChars;
        QTest::newRow("lost character") << "?mega" << NameForbiddenChars;
        QTest::newRow("too long") << QString(21, 'D') << NameTooLong;
        QTest::newRow("not in Windows-1252") << QStringLiteral("Ωmega")
                                             << QStringLiteral("Le nom du patient « Ωmega » contient le caractère « Ω », "
                                                               "que les fichiers de résultats ne peuvent enregistrer.");
    }
    void onlyANameThatCanNameAResultFileStartsAnAdministration()
    {
        // A name that did not come through the name field (an analysed file's header,
        // a chosen file's name) meets the same rules at "Passation".
        QFETCH(QString, name);
        QFETCH(QString, refusal);
        Fixture fx;
        ScopedScriptedMessages msgs;
        fx.start(msgs);
        fx.session.choices.patientName = name;
        fx.logic.PassationClick();
        QCOMPARE(msgs.service.texts(), QStringList{refusal});
        QCOMPARE(msgs.service.shown().first().kind, MsgKind::Error);
        QVERIFY(fx.calls.isEmpty());
        QCOMPARE(fx.logic.focus, MainFocus::PatientName);
    }

    void resultsDirectoryWhereNoFileCanBeCreatedIsToldAtPassation_data()
    {
        QTest::addColumn<bool>("readOnly"); // else removed
        QTest::addColumn<QString>("cause");
        QTest::newRow("gone") << false << "Fichier introuvable";
        QTest::newRow("read-only") << true << "Système de fichiers en lecture seule";
    }
    void resultsDirectoryWhereNoFileCanBeCreatedIsToldAtPassation()
    {
        QFETCH(bool, readOnly);
        QFETCH(QString, cause);
        Fixture fx;
        std::optional<ScratchDisk> disk;
        if (readOnly && !disk.emplace(fx.results).mounted())
            QSKIP("a read-only directory needs a tmpfs of its own, which only the superuser can mount");
        ScopedScriptedMessages msgs;
        fx.start(msgs);
        fx.logic.setPatientNameText("Dupont");
        QVERIFY(readOnly ? disk->makeReadOnly() : QDir(fx.results).removeRecursively());
        msgs.service.clear();
        fx.logic.PassationClick();
        QVERIFY(fx.calls.isEmpty());
        QCOMPARE(msgs.service.texts(),
                 QStringList{"Aucun fichier de résultats ne peut être créé dans le répertoire des résultats <" + fx.results
                             + "> : " + cause + ".\rChoisissez un autre répertoire dans la fenêtre [Options]."});
    }

    void analysisChoosesTheFile()
    {
        Fixture fx;
        fx.file("Dupont_64.VC");
        fx.file("Dupont_999.VC");
        fx.file("Dupont_228-2.AS");
        fx.file("Dupont_228.AS");
        fx.file("Dupont_3x.VC");
        fx.file("Dupont_32.TXT");
        fx.file("Dupont_65.MIX");
        ScopedScriptedMessages msgs;
        fx.start(msgs);
        fx.logic.setPatientNameText("Dupont");
        QCOMPARE(fx.logic.patientFilesList.entries.size(), 7);

        // No file chosen: the name, test and count designate it.
        fx.logic.AnalysesClick();
        QCOMPARE(msgs.service.texts(), QStringList({"Le fichier Dupont_16.VC est introuvable!"}));
        QVERIFY(fx.calls.isEmpty());

        // A file of another count switches the group and keeps the file.
        msgs.service.clear();
        fx.logic.userClickFile(fx.row("Dupont_64.VC"));
        QCOMPARE(fx.session.choices.selectedFile, QString("Dupont_64.VC"));
        QCOMPARE(fx.logic.threeCountsGroup.index, 2);
        QCOMPARE(fx.session.choices.itemCount, 64);
        QCOMPARE(fx.logic.patientFilesList.selectedEntry(), QString("Dupont_64.VC"));
        fx.logic.AnalysesClick();
        QCOMPARE(fx.calls, QStringList({"analysis:Dupont_64.VC"}));
        QVERIFY(fx.session.choices.selectedFile.isEmpty());
        QCOMPARE(fx.logic.threeCountsGroup.index, 0);

        fx.calls.clear();
        fx.logic.userDoubleClickFile(fx.row("Dupont_999.VC"));
        QCOMPARE(fx.calls, QStringList({"analysis:Dupont_999.VC"}));

        // Test 7 with a speed; without one the message and the 1000 ms fallback.
        fx.logic.userClickFile(fx.row("Dupont_228-2.AS"));
        QCOMPARE(fx.session.choices.testIndex, 7);
        QCOMPARE(fx.logic.speedGroup.index, 2);
        QCOMPARE(fx.logic.countText, QString("750"));
        QCOMPARE(fx.session.choices.selectedFile, QString("Dupont_228-2.AS"));
        QVERIFY(msgs.service.shown().isEmpty());
        fx.logic.userClickFile(fx.row("Dupont_228.AS"));
        QCOMPARE(msgs.service.texts(),
                 QStringList({"Le nom du fichier '.AS' n'est pas correct:\r(l'indication de vitesse de présentation "
                              "manque ou diffère de 0,1 ou 2)\rPressez le bouton \"Analyse\" pour continuer (la "
                              "vitesse est de 1 présentation/sec.)"}));
        QCOMPARE(fx.session.choices.speedIndex, 3);
        QVERIFY(!fx.logic.speedGroup.enabled);
        QVERIFY(fx.logic.countText.isEmpty());
        fx.calls.clear();
        fx.logic.AnalysesClick();
        QCOMPARE(fx.calls, QStringList({"analysis:Dupont_228.AS"}));
        QCOMPARE(fx.session.choices.speedIndex, 1); // back to "moyenne" afterwards

        msgs.service.clear();
        fx.logic.userClickFile(fx.row("Dupont_3x.VC"));
        QCOMPARE(msgs.service.texts(), QStringList({"Le nom du fichier est incorrect (nbre d'items)"}));
        QCOMPARE(fx.session.choices.testIndex, 0);
        fx.calls.clear();
        msgs.service.clear();
        fx.logic.AnalysesClick();  // no count: refused
        QCOMPARE(msgs.service.texts(), QStringList({"Le nombre d'items n'a pas été fixé"}));
        QVERIFY(fx.calls.isEmpty());

        // A file of no test: nothing is set up, and neither analysis nor
        // administration works on a test that does not exist.
        fx.logic.setTestGroupIndex(3);
        msgs.service.clear();
        fx.logic.userClickFile(fx.row("Dupont_32.TXT"));
        QCOMPARE(msgs.service.texts(), QStringList({"Le nom du fichier ne correspond pas à une épreuve"}));
        QCOMPARE(fx.session.choices.testIndex, -1);
        QCOMPARE(fx.logic.testGroup.index, 3);
        fx.logic.AnalysesClick();
        QVERIFY(fx.calls.isEmpty());
        QCOMPARE(fx.session.choices.testIndex, 3);
        fx.logic.userClickFile(fx.row("Dupont_32.TXT"));
        fx.logic.PassationClick();
        QCOMPARE(fx.calls, QStringList({"administration:Dupont_32.SB"}));

        // Fixed-count test: the count of the file is taken.
        fx.logic.userClickFile(fx.row("Dupont_65.MIX"));
        QCOMPARE(fx.session.choices.testIndex, 6);
        QCOMPARE(fx.logic.countText, QString("65"));
    }

    // The name in the file's header becomes the patient of the next administration
    // only when it could name a result file.
    void analysisTakesThePatientFromTheFile_data()
    {
        QTest::addColumn<QString>("header");
        QTest::addColumn<QString>("patient");
        QTest::newRow("none read") << "" << "Martin";
        QTest::newRow("plain") << "Durand" << "Durand";
        QTest::newRow("parent directory") << "../evil" << "Martin";
        QTest::newRow("absolute path") << "/tmp/evil" << "Martin";
        QTest::newRow("lost character") << QStringLiteral("Ωmega") << "Martin";
        QTest::newRow("too long") << QString(21, u'D') << "Martin";
    }
    void analysisTakesThePatientFromTheFile()
    {
        QFETCH(QString, header);
        QFETCH(QString, patient);
        Fixture fx;
        fx.file("Martin_36.LAT");
        fx.analysedPatient = header;
        ScopedScriptedMessages msgs;
        fx.start(msgs);
        fx.logic.userDoubleClickFile(fx.row("Martin_36.LAT"));
        QCOMPARE(fx.calls, QStringList({"analysis:Martin_36.LAT"}));
        QCOMPARE(fx.session.choices.patientName, patient);
        QCOMPARE(fx.logic.patientNameText, QString("Inconnu"));
    }

    void anAdministrationAfterChoosingAFileRunsTheTestsOwnSeries()
    {
        Fixture fx;
        fx.file("Dupont_65.MIX");
        fx.file("Dupont_999.PAS");
        fx.file("Dupont_228.AS");
        fx.session.services.startAdministration = [&fx] {
            fx.calls << QString("%1 items %2 speed %3").arg(fx.session.choices.resultFileName).arg(fx.session.choices.itemCount).arg(fx.session.choices.speedIndex);
        };
        ScopedScriptedMessages msgs;
        fx.start(msgs);
        fx.logic.setPatientNameText("Dupont");

        // The count of a fixed-count file is shown for its analysis...
        fx.logic.userClickFile(fx.row("Dupont_65.MIX"));
        QCOMPARE(fx.logic.countText, QString("65"));
        // ... but a new administration runs the 64 items of the test.
        msgs.service.clear();
        msgs.service.queue(MsgAnswer::Yes);  // overwrite Dupont_65.MIX
        fx.logic.PassationClick();
        QCOMPARE(fx.calls, QStringList({"Dupont_65.MIX items 64 speed 1"}));
        QCOMPARE(msgs.service.shown().size(), 1);
        QCOMPARE(fx.logic.countText, QString("64"));

        fx.calls.clear();
        fx.logic.userClickFile(fx.row("Dupont_999.PAS"));
        QCOMPARE(fx.session.choices.itemCount, 999);
        fx.logic.PassationClick();
        QCOMPARE(fx.calls, QStringList({"Dupont_64.PAS items 64 speed 1"}));

        // A test-7 file without a valid speed: the next administration is named with
        // the speed it runs at, "moyenne" (1000 ms, as the fallback).
        fx.calls.clear();
        msgs.service.clear();
        fx.logic.userClickFile(fx.row("Dupont_228.AS"));
        QCOMPARE(fx.session.choices.speedIndex, 3);
        fx.logic.PassationClick();
        QCOMPARE(fx.calls, QStringList({"Dupont_228-1.AS items 228 speed 1"}));
        QVERIFY(fx.logic.speedGroup.enabled);
        QCOMPARE(fx.logic.speedGroup.index, 1);
        QCOMPARE(fx.logic.countText, QString("1000"));
    }

    void patientChoiceAndDeletion()
    {
        Fixture fx;
        fx.file("Dupont_16.VC");
        fx.file("dupont_32.VC", true);
        fx.file("Martin_64.LAT");
        ScopedScriptedMessages msgs;
        fx.start(msgs);

        fx.logic.GestionClick();
        QCOMPARE(msgs.service.texts(), QStringList({"Sélectionnez un patient pour avoir accès à tous ses fichiers"}));

        // Choosing a patient lists that patient's files in every spelling.
        fx.logic.userClickPatient(0);
        QCOMPARE(fx.logic.patientNameText, QString("Dupont"));
        QCOMPARE(fx.session.choices.patientName, QString("Dupont"));
        QCOMPARE(fx.logic.patientFilesList.entries, QStringList({"Dupont_16.VC", "dupont_32.VC"}));

        // Patient chosen, no file: one question per file (two for the one not analysed).
        msgs.service.clear();
        msgs.service.queue(MsgAnswer::No);   // keep Dupont_16.VC
        msgs.service.queue(MsgAnswer::Yes);  // delete dupont_32.VC ...
        msgs.service.queue(MsgAnswer::Yes);  // ... though not analysed
        fx.logic.GestionClick();
        QCOMPARE(msgs.service.texts(),
                 QStringList({B20 + "Supprimer le fichier d'épreuve Dupont_16.VC ?" + B20,
                              B20 + "Supprimer le fichier d'épreuve dupont_32.VC ?" + B20,
                              B20 + "Le fichier dupont_32.VC n'a pas été analysé! Continuer?" + B20}));
        QVERIFY(QFile::exists(fx.at("Dupont_16.VC")));
        QVERIFY(!QFile::exists("dupont_32.VC"));
        QCOMPARE(fx.logic.patientFilesList.entries, QStringList({"Dupont_16.VC"}));
        QCOMPARE(fx.logic.patientList, QStringList({"Dupont", "Martin"}));

        // A chosen file that has gone meanwhile.
        fx.logic.userClickFile(0);
        QFile::remove(fx.at("Dupont_16.VC"));
        msgs.service.clear();
        fx.logic.GestionClick();
        QCOMPARE(msgs.service.texts(), QStringList({B20 + "Le fichier Dupont_16.VC n'est pas trouvé" + B20}));
        QCOMPARE(fx.logic.patientList, QStringList({"Martin"}));
    }

    // "Suppression" removes the directory entry only: a folder that refuses leaves the
    // file whole and says so, a link goes as a link, a file being written stays.
    void deletionThatCannotBeDoneLeavesTheFile_data()
    {
        QTest::addColumn<QString>("fault");
        QTest::addColumn<QString>("cause"); // empty: deleted
        QTest::newRow("read-only folder") << "ro" << "Système de fichiers en lecture seule";
        QTest::newRow("a symbolic link") << "link" << "";
        QTest::newRow("held by a run") << "held" << RunInProgressText;
    }
    void deletionThatCannotBeDoneLeavesTheFile()
    {
        QFETCH(QString, fault);
        QFETCH(QString, cause);
        Fixture fx;
        std::optional<ScratchDisk> disk;
        if (fault == "ro" && !disk.emplace(fx.results).mounted())
            QSKIP("a read-only directory needs a tmpfs of its own, which only the superuser can mount");
        const QString outside = fx.dir.filePath("ailleurs");
        touch(fault == "link" ? outside : QDir(fx.results).filePath("Dupont_16.VC"), "400\r\n");
        if (fault == "link")
            QVERIFY(QFile::link(outside, QDir(fx.results).filePath("Dupont_16.VC")));
        ScopedScriptedMessages msgs;
        fx.start(msgs);
        fx.logic.userClickPatient(0);
        fx.logic.userClickFile(0);
        if (fault == "ro")
            QVERIFY(disk->makeReadOnly());
        const int fd = fault == "held" ? ::open(QFile::encodeName(fx.at("Dupont_16.VC")).constData(), O_RDWR) : -1;
        QVERIFY(fault != "held" || (fd >= 0 && lockForWriting(fd)));
        msgs.service.clear();
        fx.logic.GestionClick();
        if (fd >= 0)
            ::close(fd);
        QCOMPARE(readAll(fault == "link" ? outside : fx.at("Dupont_16.VC")), QByteArray("400\r\n"));
        if (cause.isEmpty()) {
            QVERIFY(!QFileInfo(fx.at("Dupont_16.VC")).isSymLink());
            QCOMPARE(msgs.service.shown().first().buttons, MsgButtons::YesNoDefaultNo);
            return;
        }
        QCOMPARE(msgs.service.texts().last(), "Le fichier Dupont_16.VC ne peut être supprimé : " + cause + ". Il est resté tel quel.");
        QCOMPARE(fx.logic.patientFilesList.entries, QStringList({"Dupont_16.VC"}));
    }

    void choosingThePatientShownInTheFieldStillTakesIt()
    {
        Fixture fx;
        fx.file("Inconnu_16.VC");
        fx.file("Martin_64.LAT");
        ScopedScriptedMessages msgs;
        fx.start(msgs);
        fx.logic.userClickPatient(0);
        QCOMPARE(fx.session.choices.patientName, QString("Inconnu"));
        QCOMPARE(fx.logic.patientFilesList.entries, QStringList({"Inconnu_16.VC"}));
    }

    void endOfTheProgram()
    {
        Fixture fx;
        ScopedScriptedMessages msgs;
        fx.start(msgs);
        msgs.service.queue(MsgAnswer::No);
        QVERIFY(!fx.logic.FormClose());
        QCOMPARE(msgs.service.texts(), QStringList({"Fermer l'application ZOKA ?"}));
        QVERIFY(fx.modes.isEmpty());
        QVERIFY(fx.logic.FormClose());
        QCOMPARE(fx.modes, QList<QSize>({QSize(1024, 768)}));
        QVERIFY(fx.calls.isEmpty()); // not saved on this path

        fx.modes.clear();
        fx.saveOk = false;
        fx.logic.QuitterClick();
        QCOMPARE(fx.calls, QStringList({"save"})); // failed: the program stays
        fx.saveOk = true;
        fx.calls.clear();
        fx.logic.QuitterClick();
        QCOMPARE(fx.calls, QStringList({"save", "quit"}));
        QCOMPARE(fx.modes, QList<QSize>({QSize(1024, 768)}));
    }

    void internalErrorShowsAndEndsWithItsCode()
    {
        ScopedScriptedMessages msgs;
        QList<int> codes;
        setInternalErrorExit([&](int n) { codes << n; });
        Session session;
        MainLogic logic(session);
        session.choices.testIndex = 11; // a test with no count choice
        logic.SetupItemCountChoice();
        setInternalErrorExit(nullptr);
        QCOMPARE(codes, QList<int>({201}));
        QCOMPARE(msgs.service.shown().size(), 1);
        QCOMPARE(msgs.service.shown()[0].kind, MsgKind::Error);
        QVERIFY(msgs.service.shown()[0].text.startsWith("                   Erreur interne n° 201\rSi l'erreur persite"));
    }
};

QTEST_GUILESS_MAIN(TestMainLogic)
#include "tst_mainlogic.moc"
