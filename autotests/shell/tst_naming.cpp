// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/fileattr.h"
#include "platform/messages.h"
#include "shell/filelists.h"
#include "shell/maintexts.h"
#include "shell/naming.h"
#include "battery/testtable.h"

#include <QtTest>

using namespace zoka;

namespace {
void touch(const QString &path, const QByteArray &content = "x")
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(content);
}
} // namespace

class TestNaming : public QObject {
    Q_OBJECT
private slots:
    void namesOfEveryTest()
    {
        const QStringList expected = {"Dupont_16.VC",  "Dupont_36.LAT", "Dupont_64.LFC",   "Dupont_32.SB",
                                      "Dupont_64.DB",  "Dupont_32.AUD", "Dupont_65.MIX",   "Dupont_228-0.AS",
                                      "Dupont_64.PAS", "Dupont_64.PCA"};
        const int counts[] = {16, 36, 64, 32, 64, 32, 64, 228, 64, 64};
        for (int t = 0; t < TestCount; ++t)
            QCOMPARE(buildResultFileName("Dupont", t, fileItemCountFor(t, counts[t]), false, 0), expected[t]);

        // Endless series write 999; the speed digit is written for test 7 only.
        QCOMPARE(buildResultFileName("Dupont", 3, 64, true, 2), QString("Dupont_999.SB"));
        QCOMPARE(buildResultFileName("Dupont", 6, 65, true, 1), QString("Dupont_999.MIX"));
        QCOMPARE(buildResultFileName("Dupont", 7, 228, false, 2), QString("Dupont_228-2.AS"));
        QCOMPARE(buildResultFileName("Dupont", 0, 32, false, 2), QString("Dupont_32.VC"));
    }

    void namesAreReadBackField_by_field()
    {
        for (int t = 0; t < TestCount; ++t) {
            const QString name = buildResultFileName(QStringLiteral("Éloïse Martin"), t, 64, false, 2);
            const ResultNameParts p = parseResultFileName(name);
            QCOMPARE(p.testIndex, t);
            QVERIFY(p.countValid);
            QCOMPARE(p.count, 64);
            QCOMPARE(p.speedValid, t == 7);
            QCOMPARE(PatientOfFileName(name), QStringLiteral("Éloïse Martin"));
        }
        const ResultNameParts endless = parseResultFileName("Dupont_999.vc");
        QCOMPARE(endless.testIndex, 0);  // extension compared in upper case
        QCOMPARE(endless.count, 999);

        const ResultNameParts as = parseResultFileName("Dupont_228-2.AS");
        QCOMPARE(as.count, 228);
        QVERIFY(as.speedValid);
        QCOMPARE(as.speed, 2);
    }

    void badCountsAndSpeeds_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("test");
        QTest::addColumn<bool>("countValid");
        QTest::addColumn<bool>("speedValid");
        QTest::newRow("letters in count") << "Dupont_3x.VC" << 0 << false << false;
        QTest::newRow("empty count") << "Dupont_.VC" << 0 << false << false;
        QTest::newRow("no underscore") << "Dupont.VC" << 0 << false << false;
        QTest::newRow("unknown extension") << "Dupont_32.TXT" << -1 << true << false;
        QTest::newRow("no dot") << "Dupont_32" << -1 << true << false;
        QTest::newRow("AS without speed") << "Dupont_228.AS" << 7 << true << false;
        QTest::newRow("AS speed 3") << "Dupont_228-3.AS" << 7 << true << false;
        QTest::newRow("AS speed text") << "Dupont_228-x.AS" << 7 << true << false;
        QTest::newRow("AS negative speed") << "Dupont_228--1.AS" << 7 << true << false;
        QTest::newRow("AS empty speed") << "Dupont_228-.AS" << 7 << true << false;
        QTest::newRow("AS speed 0") << "Dupont_228-0.AS" << 7 << true << true;
        // A hyphen in the patient's name is not the speed's.
        QTest::newRow("hyphenated patient") << "Jean-Pierre_228-2.AS" << 7 << true << true;
        QTest::newRow("hyphenated patient, no speed") << "Jean-Pierre_228.AS" << 7 << true << false;
        QTest::newRow("hyphenated patient, VC") << "Jean-Pierre_32.VC" << 0 << true << false;
    }
    void badCountsAndSpeeds()
    {
        QFETCH(QString, name);
        QFETCH(int, test);
        QFETCH(bool, countValid);
        QFETCH(bool, speedValid);
        const ResultNameParts p = parseResultFileName(name);
        QCOMPARE(p.testIndex, test);
        QCOMPARE(p.countValid, countValid);
        QCOMPARE(p.speedValid, speedValid);
        if (!countValid)
            QCOMPARE(p.count, 0);
    }

    void pathsAndPatients()
    {
        QCOMPARE(FileNameOfPath("/data/Epreuves/Dupont_16.VC"), QString("Dupont_16.VC"));
        QCOMPARE(FileNameOfPath("C:\\Zoka\\Epreuves\\Dupont_16.VC"), QString("Dupont_16.VC"));
        QCOMPARE(FileNameOfPath("Dupont_16.VC"), QString("Dupont_16.VC"));
        QCOMPARE(PatientOfFileName("/a_b/Dupont_16.VC"), QString("Dupont"));
        QCOMPARE(PatientOfFileName("Notes.txt"), QString());
        QCOMPARE(PatientOfFileName("_16.VC"), QString());
    }

    void nameCutPositions()
    {
        QCOMPARE(underscoreDotCut("Dupont"), -1);
        QCOMPARE(underscoreDotCut("ab_cd"), 2);
        QCOMPARE(underscoreDotCut("ab.cd"), 2);
        QCOMPARE(underscoreDotCut("a.b_c"), 0);     // 4 + 2 > 5: everything goes
        QCOMPARE(underscoreDotCut("a_b.cdefgh"), 5); // 2 + 4 = 6: first cut keeps 5
        QCOMPARE(underscoreDotCut("a_b.c"), 0);
        QCOMPARE(underscoreDotCut("_"), 0);

        QCOMPARE(forbiddenFileNameCharIndex("Dupont Jean-Marie"), -1);
        QCOMPARE(forbiddenFileNameCharIndex(QStringLiteral("Léa d'Aubigné")), -1);
        const QString bad = QStringLiteral("/\\:*?\"<>|");
        for (QChar c : bad)
            QCOMPARE(forbiddenFileNameCharIndex(QStringLiteral("ab") + c + QStringLiteral("cd")), 2);
        QCOMPARE(forbiddenFileNameCharIndex(QStringLiteral("ab\tc")), 2);
        QCOMPARE(forbiddenFileNameCharIndex(QStringLiteral("a\x7f")), 1);
    }

    void resultFileNamesStayInTheResultsDirectory_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("accepted");
        QTest::newRow("plain") << "Dupont_16.VC" << true;
        QTest::newRow("hyphen and speed") << "Jean-Pierre_228-1.AS" << true;
        QTest::newRow("accented") << QStringLiteral("Hélène_16.VC") << true;
        QTest::newRow("parent directory") << "../evil_16.VC" << false;
        QTest::newRow("inner parent directory") << "a/../../evil_16.VC" << false;
        QTest::newRow("absolute") << "/tmp/evil_16.VC" << false;
        QTest::newRow("backslash") << "..\\evil_16.VC" << false;
        QTest::newRow("not in Windows-1252") << QStringLiteral("Ωmega_16.VC") << false;
    }
    void resultFileNamesStayInTheResultsDirectory()
    {
        QFETCH(QString, name);
        QFETCH(bool, accepted);
        QCOMPARE(resultFileNameProblem(name).isEmpty(), accepted);
    }

    void fileListsAreSortedIgnoringCaseAndHoldPlainFilesOnly()
    {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        for (const char *n : {"dupont_32.VC", "Martin_64.LAT", "Dupont_16.VC", "DupontA_16.VC", "Notes"})
            touch(dir.filePath(n));
        QVERIFY(QDir(dir.path()).mkdir("Export"));
        touch(dir.filePath(".hidden_1.VC"));

        // A name that is not valid UTF-8 (Latin-1 "é") is counted, not listed.
        const QByteArray latin1 = QFile::encodeName(dir.path()) + "/Andr\xe9_16.VC";
        QFile f;
        QVERIFY(f.open(::fopen(latin1.constData(), "w"), QIODevice::WriteOnly, QFileDevice::AutoCloseHandle));
        f.close();
        int unlistable = -1;
        const QStringList files = readFileList(dir.path(), &unlistable);
        QCOMPARE(files, QStringList({"Dupont_16.VC", "dupont_32.VC", "DupontA_16.VC", "Martin_64.LAT", "Notes"}));
        QCOMPARE(unlistable, 1);
        QVERIFY(unlistableFilesText(unlistable).startsWith(QStringLiteral("1 fichier du répertoire des résultats n'est pas listé")));
        QVERIFY(readFileList(dir.filePath("missing")).isEmpty());
        QVERIFY(readFileList(QString()).isEmpty());

        // The patient mask ignores case and takes the name literally.
        QCOMPARE(filterByMask(files, "Dupont_*"), QStringList({"Dupont_16.VC", "dupont_32.VC"}));
        QCOMPARE(filterByMask(files, "DUPONTA_*"), QStringList({"DupontA_16.VC"}));
        QCOMPARE(filterByMask(files, AllFilesMask), files);
        QVERIFY(filterByMask(files, "_*").isEmpty());
        QVERIFY(!matchesMask("Dupont_16.VC", "D?pont_*"));
    }

    void patientListMergesNeighboursIgnoringCase()
    {
        QCOMPARE(patientsOfFileList({"Dupont_16.VC", "dupont_32.VC", "Martin_64.LAT"}),
                 QStringList({"Dupont", "Martin"}));
        // A file without "_" gives an empty name; the list box keeps its own order.
        QCOMPARE(patientsOfFileList({"Dupont_16.VC", "Notes", "Zoe_16.VC"}), QStringList({"", "Dupont", "Zoe"}));
        // Names that differ only in case but are not neighbours both stay.
        QCOMPARE(patientsOfFileList({"ab_1.VC", "Ab-x_1.VC", "AB_2.VC"}), QStringList({"ab", "AB", "Ab-x"}));
        QVERIFY(patientsOfFileList({}).isEmpty());
    }

    void markKeepsTheOtherPermissionBits()
    {
        QTemporaryDir dir;
        const QString f = dir.filePath("Dupont_16.VC");
        touch(f);
        const auto base = QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadUser
                          | QFileDevice::WriteUser | QFileDevice::ReadGroup | QFileDevice::ExeOther;
        QVERIFY(QFile::setPermissions(f, base));
        QVERIFY(!isNotAnalysed(f));
        QVERIFY(MarkNotAnalysed(f));
        QVERIFY(isNotAnalysed(f));
        const auto marked = QFile::permissions(f);
        QVERIFY(!(marked & (QFileDevice::WriteOwner | QFileDevice::WriteGroup | QFileDevice::WriteOther)));
        QVERIFY(marked & QFileDevice::ReadGroup);
        QVERIFY(marked & QFileDevice::ExeOther);
        QVERIFY(MarkAnalysed(f));
        QVERIFY(!isNotAnalysed(f));
        QVERIFY(QFile::permissions(f) & QFileDevice::WriteOwner);
        QVERIFY(QFile::permissions(f) & QFileDevice::ExeOther);
        QVERIFY(!MarkNotAnalysed(dir.filePath("missing")));
        QVERIFY(!isNotAnalysed(dir.filePath("missing")));
    }

    void deletionAsksOnceOrTwiceAndTruncatesFirst()
    {
        QTemporaryDir dir;
        const QDir d(dir.path());
        touch(d.filePath("Dupont_16.VC"), "content");
        touch(d.filePath("Dupont_32.VC"), "content");
        MarkNotAnalysed(d.filePath("Dupont_32.VC"));

        const QString b20(20, ' ');
        ScopedScriptedMessages msgs;
        // No to the first question: nothing changes.
        msgs.service.queue(MsgAnswer::No);
        QCOMPARE(DeleteResultFile(dir.path(), "Dupont_16.VC"), DeleteOutcome::Kept);
        QVERIFY(QFile::exists(d.filePath("Dupont_16.VC")));
        QCOMPARE(msgs.service.shown().size(), 1);
        QCOMPARE(msgs.service.shown()[0].text, b20 + "Supprimer le fichier d'épreuve Dupont_16.VC ?" + b20);
        QCOMPARE(msgs.service.shown()[0].kind, MsgKind::Confirmation);

        // An analysed file goes after one Yes.
        msgs.service.clear();
        QCOMPARE(DeleteResultFile(dir.path(), "Dupont_16.VC"), DeleteOutcome::Deleted);
        QVERIFY(!QFile::exists(d.filePath("Dupont_16.VC")));
        QCOMPARE(msgs.service.shown().size(), 1);

        // A file not yet analysed asks a second time; No keeps the file and its mark.
        msgs.service.clear();
        msgs.service.queue(MsgAnswer::Yes);
        msgs.service.queue(MsgAnswer::No);
        QCOMPARE(DeleteResultFile(dir.path(), "Dupont_32.VC"), DeleteOutcome::Kept);
        QCOMPARE(msgs.service.shown().size(), 2);
        QCOMPARE(msgs.service.shown()[1].text, b20 + "Le fichier Dupont_32.VC n'a pas été analysé! Continuer?" + b20);
        QCOMPARE(msgs.service.shown()[1].kind, MsgKind::Warning);
        QVERIFY(isNotAnalysed(d.filePath("Dupont_32.VC")));
        QCOMPARE(QFileInfo(d.filePath("Dupont_32.VC")).size(), 7);

        msgs.service.clear();
        QCOMPARE(DeleteResultFile(dir.path(), "Dupont_32.VC"), DeleteOutcome::Deleted);
        QCOMPARE(msgs.service.shown().size(), 2);
        QVERIFY(!QFile::exists(d.filePath("Dupont_32.VC")));

        // A file that cannot be opened for writing is reported, not silently kept.
        QVERIFY(QDir().mkdir(d.filePath("Dupont_64.VC")));
        QString error;
        QCOMPARE(DeleteResultFile(dir.path(), "Dupont_64.VC", &error), DeleteOutcome::Failed);
        QVERIFY(error.contains("Dupont_64.VC"));
    }
};

QTEST_MAIN(TestNaming)
#include "tst_naming.moc"
