// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/fileattr.h"
#include "platform/messages.h"
#include "platform/runlock.h"
#include "shell/configfile.h"
#include "shell/filelists.h"
#include "shell/internalerror.h"
#include "shell/mainlogic.h"
#include "shell/maintexts.h"
#include "shell/sharedstate.h"
#include "battery/testtable.h"
#include "scratchdisk.h"
#include "shell/widgets/tmain.h"

#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QtTest>

#include <fcntl.h>
#include <optional>
#include <unistd.h>

using namespace zoka;
using namespace zoka::maintext;

namespace {
const QString B20(20, ' ');

QByteArray readAll(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("(absent)");
}

void touch(const QString &path, const QByteArray &content = "x")
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(content);
}

// The main window shown, active (it takes the keys) and through its first showing.
bool showActive(TMain &w)
{
    w.show();
    QApplication::setActiveWindow(&w);
    if (!QTest::qWaitForWindowActive(&w))
        return false;
    w.runFormShow();
    return true;
}

// A main window's logic over a temporary results directory, with every outside
// window replaced by a recorder.
struct Fixture {
    QTemporaryDir dir;
    QString results;
    QString startDir = QDir::currentPath();
    QStringList calls;
    QString analysedPatient; // what the analysis window reads from the file's header
    QList<QSize> modes;
    MainLogic logic;
    bool configOk = true;
    bool saveOk = true;

    Fixture()
    {
        resetSharedState();
        results = dir.filePath("Epreuves");
        QDir().mkpath(results);
        Config = defaultConfigRecord(dir.path());
        Config.ResultsDir = results;
        MainLogic::Hooks &h = logic.hooks();
        h.showIntro = [this] { calls << "intro"; };
        h.loadConfiguration = [this] {
            calls << "config";
            return configOk;
        };
        h.showOptions = [this] { calls << "options"; };
        h.startAdministration = [this] { calls << "administration:" + ResultFileName; };
        h.showAnalysis = [this] {
            calls << "analysis:" + SelectedFile;
            return analysedPatient;
        };
        h.saveConfiguration = [this] {
            calls << "save";
            return saveOk;
        };
        h.switchScreenMode = [this](int w, int hh) {
            modes << QSize(w, hh);
            return true;
        };
        h.screenSize = [] { return QSize(1024, 768); };
        h.quit = [this] { calls << "quit"; };
    }
    ~Fixture() { QDir::setCurrent(startDir); }

    void file(const QString &name, bool notAnalysed = false)
    {
        touch(QDir(results).filePath(name));
        if (notAnalysed)
            setReadOnlyMark(QDir(results).filePath(name));
    }
    // Start-up with files already present.
    void start(ScopedScriptedMessages &msgs)
    {
        logic.FormShow();
        msgs.service.clear();
        calls.clear();
        modes.clear();
    }
    int row(const QString &entry) const { return int(logic.patientFilesList.entries.indexOf(entry)); }
};
} // namespace

class TestMainWindow : public QObject {
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
        QCOMPARE(VersionShort, QString("4.0"));
        QCOMPARE(InitialScreenWidth, 1024);
        QCOMPARE(TestIndex, 0);
        QCOMPARE(fx.logic.testGroup.index, 0);
        QVERIFY(fx.logic.threeCountsGroup.visible && !fx.logic.twoCountsGroup.visible && !fx.logic.speedGroup.visible);
        QCOMPARE(fx.logic.countText, QString("16"));
        QCOMPARE(ItemCount, 16);
        QVERIFY(fx.logic.administrationEnabled && fx.logic.analysisEnabled && fx.logic.deleteEnabled);
        QCOMPARE(QDir::currentPath(), QDir(fx.results).canonicalPath());
        QCOMPARE(ResultsDirPath, fx.results);
        QCOMPARE(fx.logic.patientList, QStringList({"Dupont", "Martin"}));
        // Until a name is typed every file is listed; the name field still reads
        // "Inconnu" but no patient is taken from it.
        QCOMPARE(fx.logic.patientFilesList.entries.size(), 3);
        QCOMPARE(fx.logic.patientNameText, QString("Inconnu"));
        QVERIFY(PatientName.isEmpty());
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
            fx.logic.hooks().loadConfiguration = nullptr;
            setConfigOptionsWindowHook([] {});
            QVERIFY(QDir::setCurrent(fx.dir.path()));
            touch(fx.dir.filePath("Zoka.ini"), QByteArray(40, '\0'));
            ScopedScriptedMessages msgs;
            fx.logic.FormShow();
            QVERIFY(fx.logic.startupFailed);
            QVERIFY(!fx.logic.administrationEnabled);
            QVERIFY(msgs.service.shown().size() >= 2);
            QCOMPARE(QFileInfo(fx.dir.filePath("Zoka.ini")).size(), 40); // left as it was
            setConfigOptionsWindowHook(nullptr);
        }
        {
            // Results directory missing: named in a message, the options are opened;
            // still missing afterwards: start-up stops.
            Fixture fx;
            Config.ResultsDir = fx.dir.filePath("gone");
            ScopedScriptedMessages msgs;
            fx.logic.FormShow();
            QCOMPARE(msgs.service.shown()[0].text,
                     "Le répertoire <" + Config.ResultsDir + "> des résultats des épreuves n'existe plus.\r"
                     "Activez la fenêtre [Options] pour un autre choix et\rRedémarrez l'application ZOKA");
            QCOMPARE(fx.calls, QStringList({"intro", "config", "options"}));
            QVERIFY(fx.logic.startupFailed);
        }
        {
            // ... but the options may make a directory that exists.
            Fixture fx;
            Config.ResultsDir = fx.dir.filePath("gone");
            fx.logic.hooks().showOptions = [&] { Config.ResultsDir = fx.results; };
            ScopedScriptedMessages msgs;
            fx.logic.FormShow();
            QVERIFY(!fx.logic.startupFailed);
            QCOMPARE(ResultsDirPath, fx.results);
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
        QCOMPARE(PatientName, QString("ab"));
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
        QVERIFY(PatientName.isEmpty());

        msgs.service.clear();
        fx.logic.setPatientNameText("abcdefghijklmnopqrstu");
        QCOMPARE(msgs.service.texts(), QStringList({tooLong}));
        QCOMPARE(PatientName, QString("abcdefghijklmnopqrst"));

        msgs.service.clear();
        fx.logic.setPatientNameText("abcdefghijklmnopqrs_uvw");
        QCOMPARE(msgs.service.texts(), QStringList({badChars}));
        QCOMPARE(PatientName, QString("abcdefghijklmnopqrs"));

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
            QCOMPARE(TestIndex, c.test);
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
        QCOMPARE(ItemCount, 64);

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
            QVERIFY(!UnlimitedChosen);
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
        QVERIFY(!UnlimitedChosen);
        fx.logic.Label1DblClick();
        QVERIFY(UnlimitedChosen);
        QCOMPARE(fx.logic.threeCountsGroup.index, 2);
        QVERIFY(!fx.logic.threeCountsGroup.enabled);
        QCOMPARE(ItemCount, 64);
        fx.calls.clear();
        fx.logic.PassationClick();
        QCOMPARE(fx.calls, QStringList({"administration:Dupont_999.VC"}));

        msgs.service.queue(MsgAnswer::No);
        fx.logic.Label1DblClick();
        QVERIFY(!UnlimitedChosen);
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
            const int fd = ::open("Dupont_32.VC", O_RDWR);
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
        QCOMPARE(SelectedFile, QString("Dupont_32.VC"));
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
        QVERIFY(isReadOnlyMarked("Dupont_16.VC"));
        msgs.service.clear();
        fx.logic.PassationClick();
        QCOMPARE(msgs.service.shown().size(), 2);
        QVERIFY(!isReadOnlyMarked("Dupont_16.VC"));
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
        PatientName = name;
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
        QCOMPARE(SelectedFile, QString("Dupont_64.VC"));
        QCOMPARE(fx.logic.threeCountsGroup.index, 2);
        QCOMPARE(ItemCount, 64);
        QCOMPARE(fx.logic.patientFilesList.selectedEntry(), QString("Dupont_64.VC"));
        QVERIFY(!FileClickInProgress);
        fx.logic.AnalysesClick();
        QCOMPARE(fx.calls, QStringList({"analysis:Dupont_64.VC"}));
        QVERIFY(SelectedFile.isEmpty());
        QCOMPARE(fx.logic.threeCountsGroup.index, 0);

        fx.calls.clear();
        fx.logic.userDoubleClickFile(fx.row("Dupont_999.VC"));
        QCOMPARE(fx.calls, QStringList({"analysis:Dupont_999.VC"}));

        // Test 7 with a speed; without one the message and the 1000 ms fallback.
        fx.logic.userClickFile(fx.row("Dupont_228-2.AS"));
        QCOMPARE(TestIndex, 7);
        QCOMPARE(fx.logic.speedGroup.index, 2);
        QCOMPARE(fx.logic.countText, QString("750"));
        QCOMPARE(SelectedFile, QString("Dupont_228-2.AS"));
        QVERIFY(msgs.service.shown().isEmpty());
        fx.logic.userClickFile(fx.row("Dupont_228.AS"));
        QCOMPARE(msgs.service.texts(),
                 QStringList({"Le nom du fichier '.AS' n'est pas correct:\r(l'indication de vitesse de présentation "
                              "manque ou diffère de 0,1 ou 2)\rPressez le bouton \"Analyse\" pour continuer (la "
                              "vitesse est de 1 présentation/sec.)"}));
        QCOMPARE(SpeedIndex, 3);
        QVERIFY(!fx.logic.speedGroup.enabled);
        QVERIFY(fx.logic.countText.isEmpty());
        fx.calls.clear();
        fx.logic.AnalysesClick();
        QCOMPARE(fx.calls, QStringList({"analysis:Dupont_228.AS"}));
        QCOMPARE(SpeedIndex, 1); // back to "moyenne" afterwards

        msgs.service.clear();
        fx.logic.userClickFile(fx.row("Dupont_3x.VC"));
        QCOMPARE(msgs.service.texts(), QStringList({"Le nom du fichier est incorrect (nbre d'items)"}));
        QCOMPARE(TestIndex, 0);
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
        QCOMPARE(TestIndex, -1);
        QCOMPARE(fx.logic.testGroup.index, 3);
        fx.logic.AnalysesClick();
        QVERIFY(fx.calls.isEmpty());
        QCOMPARE(TestIndex, 3);
        fx.logic.userClickFile(fx.row("Dupont_32.TXT"));
        fx.logic.PassationClick();
        QCOMPARE(fx.calls, QStringList({"administration:Dupont_32.SB"}));

        // Fixed-count test: the count of the file is taken.
        fx.logic.userClickFile(fx.row("Dupont_65.MIX"));
        QCOMPARE(TestIndex, 6);
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
        QCOMPARE(PatientName, patient);
        QCOMPARE(fx.logic.patientNameText, QString("Inconnu"));
    }

    void anAdministrationAfterChoosingAFileRunsTheTestsOwnSeries()
    {
        Fixture fx;
        fx.file("Dupont_65.MIX");
        fx.file("Dupont_999.PAS");
        fx.file("Dupont_228.AS");
        fx.logic.hooks().startAdministration = [&fx] {
            fx.calls << QString("%1 items %2 speed %3").arg(ResultFileName).arg(ItemCount).arg(SpeedIndex);
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
        QCOMPARE(ItemCount, 999);
        fx.logic.PassationClick();
        QCOMPARE(fx.calls, QStringList({"Dupont_64.PAS items 64 speed 1"}));

        // A test-7 file without a valid speed: the next administration is named with
        // the speed it runs at, "moyenne" (1000 ms, as the fallback).
        fx.calls.clear();
        msgs.service.clear();
        fx.logic.userClickFile(fx.row("Dupont_228.AS"));
        QCOMPARE(SpeedIndex, 3);
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
        QCOMPARE(PatientName, QString("Dupont"));
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
        QVERIFY(QFile::exists("Dupont_16.VC"));
        QVERIFY(!QFile::exists("dupont_32.VC"));
        QCOMPARE(fx.logic.patientFilesList.entries, QStringList({"Dupont_16.VC"}));
        QCOMPARE(fx.logic.patientList, QStringList({"Dupont", "Martin"}));

        // A chosen file that has gone meanwhile.
        fx.logic.userClickFile(0);
        QFile::remove("Dupont_16.VC");
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
        const int fd = fault == "held" ? ::open("Dupont_16.VC", O_RDWR) : -1;
        QVERIFY(fault != "held" || (fd >= 0 && lockForWriting(fd)));
        msgs.service.clear();
        fx.logic.GestionClick();
        if (fd >= 0)
            ::close(fd);
        QCOMPARE(readAll(fault == "link" ? outside : "Dupont_16.VC"), QByteArray("400\r\n"));
        if (cause.isEmpty()) {
            QVERIFY(!QFileInfo("Dupont_16.VC").isSymLink());
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
        QCOMPARE(PatientName, QString("Inconnu"));
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
        MainLogic logic;
        TestIndex = 11; // a test with no count choice
        logic.SetupItemCountChoice();
        setInternalErrorExit(nullptr);
        QCOMPARE(codes, QList<int>({201}));
        QCOMPARE(msgs.service.shown().size(), 1);
        QCOMPARE(msgs.service.shown()[0].kind, MsgKind::Error);
        QVERIFY(msgs.service.shown()[0].text.startsWith("                   Erreur interne n° 201\rSi l'erreur persite"));
        resetSharedState();
    }

    void windowShowsTheStateAndForwardsActions()
    {
        Fixture fx;
        fx.file("Dupont_16.VC");
        ScopedScriptedMessages msgs;
        TMain w;
        w.logic().hooks() = fx.logic.hooks();
        w.logic().hooks().beforeModal = [&] { w.syncFromLogic(); };
        w.runFormShow();

        QCOMPARE(w.administrationButton->geometry(), QRect(104, 128, 89, 33));
        QCOMPARE(w.testGroup->geometry(), QRect(520, 32, 177, 385));
        QCOMPARE(w.patientFilesList->geometry(), QRect(184, 21, 145, 201));
        QCOMPARE(w.quitButton->parentWidget(), w.quitGroup);
        QVERIFY(w.administrationButton->font().underline());
        QVERIFY(w.allFilesList->isHidden());
        QCOMPARE(w.countLabel->text(), QString("16"));
        QCOMPARE(w.testGroup->itemIndex(), 0);
        QCOMPARE(w.patientList->count(), 1);
        QCOMPARE(w.windowTitle(), QString("Zoka v4.0"));

        // A click on another test raises its handler; the count group follows.
        w.testGroup->button(3)->click();
        QCOMPARE(TestIndex, 3);
        QCOMPARE(w.countLabel->text(), QString("32"));
        QVERIFY(!w.twoCountsGroup->isHidden());
        QVERIFY(w.threeCountsGroup->isHidden());
        w.twoCountsGroup->button(1)->click();
        QCOMPARE(ItemCount, 64);
        QCOMPARE(w.countLabel->text(), QString("64"));

        // Typing into the name field cuts it with the message.
        w.patientNameEdit->setText("ab_");
        QCOMPARE(w.patientNameEdit->text(), QString("ab"));
        QCOMPARE(msgs.service.shown().size(), 1);
        QCOMPARE(PatientName, QString("ab"));

        // The double-click on the count asks for endless series (test 3 offers them).
        QTest::mouseDClick(w.countLabel, Qt::LeftButton);
        QCOMPARE(w.countLabel->text(), QString("- - -"));
        QVERIFY(!w.twoCountsGroup->isEnabled());

        // Choosing the patient in the list fills the name field.
        QTest::mouseClick(w.patientList->viewport(), Qt::LeftButton, {},
                          w.patientList->visualItemRect(w.patientList->item(0)).center());
        QCOMPARE(w.patientNameEdit->text(), QString("Dupont"));
        QCOMPARE(w.patientFilesList->count(), 1);
        QTest::mouseClick(w.patientFilesList->viewport(), Qt::LeftButton, {},
                          w.patientFilesList->visualItemRect(w.patientFilesList->item(0)).center());
        QCOMPARE(SelectedFile, QString("Dupont_16.VC"));
        QCOMPARE(w.testGroup->itemIndex(), 0);
        QCOMPARE(w.patientFilesList->currentRow(), 0);

        // "Suivi" opens the follow-up of the patient in the name field.
        QString followed = QStringLiteral("(none)");
        w.logic().hooks().showFollowUp = [&](const QString &patient) { followed = patient; };
        w.followUpButton->click();
        QCOMPARE(followed, QString("Dupont"));
    }

    void keyboardInTheFileListChoosesLikeTheMouse()
    {
        Fixture fx;
        fx.file("Dupont_16.VC");
        fx.file("Dupont_32.TXT");
        fx.file("Dupont_64.LAT");
        ScopedScriptedMessages msgs;
        TMain w;
        w.logic().hooks() = fx.logic.hooks();
        QVERIFY(showActive(w));
        msgs.service.clear();

        // Entering the list chooses nothing by itself.
        w.patientFilesList->setFocus();
        QCoreApplication::processEvents();
        QVERIFY(msgs.service.shown().isEmpty());
        QVERIFY(SelectedFile.isEmpty());

        // Moving with the keys chooses each file in turn, messages included.
        QTest::keyClick(w.patientFilesList, Qt::Key_Down);
        QCOMPARE(SelectedFile, QString("Dupont_32.TXT"));
        QCOMPARE(msgs.service.texts(), QStringList({"Le nom du fichier ne correspond pas à une épreuve"}));
        QTest::keyClick(w.patientFilesList, Qt::Key_Down);
        QCOMPARE(SelectedFile, QString("Dupont_64.LAT"));
        QCOMPARE(w.testGroup->itemIndex(), 1);
        QCOMPARE(w.twoCountsGroup->itemIndex(), 1);
        QCOMPARE(w.countLabel->text(), QString("64"));
        QCOMPARE(w.patientFilesList->currentRow(), 2);
    }

    void controlsCentredOnTheScreen_data()
    {
        QTest::addColumn<QSize>("window");
        QTest::addColumn<QPoint>("pageAt");
        QTest::newRow("800 x 600 display, less a title bar") << QSize(800, 570) << QPoint(0, 0);
        QTest::newRow("1280 x 1024 display") << QSize(1280, 1024) << QPoint(240, 212);
    }
    void controlsCentredOnTheScreen()
    {
        QFETCH(QSize, window);
        QFETCH(QPoint, pageAt);
        Fixture fx;
        ScopedScriptedMessages msgs;
        TMain w;
        w.logic().hooks() = fx.logic.hooks();
        w.resize(window);
        w.show();
        QCOMPARE(w.administrationButton->mapTo(&w, QPoint(0, 0)), pageAt + QPoint(104, 128));
        QCOMPARE(w.testGroup->mapTo(&w, QPoint(0, 0)), pageAt + QPoint(520, 32));
    }

    void altLettersPressTheButtons()
    {
        // Alt+O opens the options and Alt+Q quits, even from the name field, which
        // takes no letter.
        Fixture fx;
        ScopedScriptedMessages msgs;
        TMain w;
        w.logic().hooks() = fx.logic.hooks();
        QVERIFY(showActive(w));
        fx.calls.clear();
        w.patientNameEdit->setFocus();
        const QString before = w.patientNameEdit->text();
        QTest::keyClick(w.patientNameEdit, Qt::Key_O, Qt::AltModifier);
        QTRY_COMPARE(fx.calls, QStringList({"options"})); // the button's click is animated
        QTest::keyClick(w.patientNameEdit, Qt::Key_Q, Qt::AltModifier);
        QTRY_COMPARE(fx.calls, QStringList({"options", "save", "quit"}));
        QCOMPARE(w.patientNameEdit->text(), before);
    }

    // Return presses the button that has the focus; Tab goes from "Options" to
    // "Quitter"; Alt+letter sent to the name field before the window is active still
    // presses the button and types nothing.
    void keyboardPressesTheFocusedButton()
    {
        Fixture fx;
        ScopedScriptedMessages msgs;
        TMain w;
        w.logic().hooks() = fx.logic.hooks();
        QVERIFY(showActive(w));
        fx.calls.clear();
        w.optionsButton->setFocus();
        QTest::keyClick(w.optionsButton, Qt::Key_Return);
        QCOMPARE(fx.calls, QStringList({"options"}));
        QCOMPARE(w.optionsButton->nextInFocusChain(), static_cast<QWidget *>(w.quitButton));
        const QString before = w.patientNameEdit->text();
        QKeyEvent alt(QEvent::KeyPress, Qt::Key_O, Qt::AltModifier, QStringLiteral("o"));
        QCoreApplication::sendEvent(w.patientNameEdit, &alt);
        QTRY_COMPARE(fx.calls, QStringList({"options", "options"}));
        QCOMPARE(w.patientNameEdit->text(), before);
    }

    void startupFailureDisablesTheWindow()
    {
        Fixture fx;
        fx.configOk = false;
        ScopedScriptedMessages msgs;
        TMain w;
        w.logic().hooks() = fx.logic.hooks();
        w.runFormShow();
        QVERIFY(!w.administrationButton->isEnabled());
        QVERIFY(!w.analysisButton->isEnabled());
        QVERIFY(!w.deleteButton->isEnabled());
        QVERIFY(!w.testGroup->isEnabled());
        QVERIFY(w.optionsButton->isEnabled());
        QVERIFY(w.quitButton->isEnabled());
    }
};

QTEST_MAIN(TestMainWindow)
#include "tst_mainwindow.moc"
