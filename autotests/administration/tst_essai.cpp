// SPDX-License-Identifier: GPL-3.0-or-later
// The instructions and practice-trial manager, driven without its window: a fake
// test-window launcher records the run state each run starts with, a fake player
// stands for the end sound.
#include "administration/essailogic.h"
#include "administration/runstate.h"
#include "battery/series.h"
#include "platform/cp1252.h"
#include "platform/messages.h"
#include "platform/runlock.h"
#include "shell/filelists.h"
#include "platform/soundplayer.h"
#include "platform/timingjournal.h"
#include "shell/session.h"
#include "battery/testtable.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include <fcntl.h>
#include <unistd.h>

using namespace zoka;

namespace {

// The run state a test window would find when it is shown.
struct Launch {
    int test;
    int state;
    bool practice;
    int practiceRuns;
    int items;
    QString output;
    bool unlimited;
    std::array<int, 65> seq;
    std::array<int, 65> top;
    std::array<int, 65> left;
};

} // namespace

class TestEssai : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    QList<Launch> m_launches;
    bool m_refuseRuns = false;
    QString m_fileError;
    FakeSoundPlayer m_sound;
    ScopedScriptedMessages *m_msgs = nullptr;
    EssaiLogic *m_logic = nullptr;
    Session m_session;

    RunOutcome launch(const RunSetup &setup)
    {
        m_launches.append({setup.testIndex, m_session.run.essaiState, setup.practice, m_session.run.practiceRuns, setup.itemCount,
                           setup.outputFile, setup.endless, setup.foreperiods, setup.stimulusTop,
                           setup.stimulusLeft});
        RunOutcome outcome;
        outcome.ran = !m_refuseRuns;
        outcome.fileError = m_fileError;
        outcome.shownAt = QDateTime(QDate(2026, 12, 7), QTime(9, 5, m_launches.size()));
        outcome.timing.pressTiming = QStringLiteral("event");
        return outcome;
    }

    // One administration of `test` with `count` items, as the main window starts it.
    void begin(int test, int count)
    {
        m_session.choices.testIndex = test;
        m_session.choices.itemCount = count;
        m_session.choices.fileItemCount = test == 6 ? 65 : count;
        m_session.choices.resultFileName = QStringLiteral("Dupont_%1.%2").arg(m_session.choices.fileItemCount).arg(testEntryAt(test)->extension);
        EssaiLogic::beginAdministration(m_session.run);
        m_logic->FormShow();
    }

    QStringList cons() const { return m_logic->view().consLines; }

private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        const QDir data(QStringLiteral(ZOKA_SOURCE_DIR "/data"));
        for (const QString &f : data.entryList({QStringLiteral("Cons_*.txt")}))
            QVERIFY(QFile::copy(data.filePath(f), QDir(m_dir.path()).filePath(f)));
    }

    void init()
    {
        m_session = Session();
        m_session.config.ProgramDir = m_dir.path();
        m_session.resultsDir = m_dir.path();
        m_session.services.runTestWindow = [this](const RunSetup &s) { return launch(s); };
        m_launches.clear();
        m_sound = FakeSoundPlayer();
        m_msgs = new ScopedScriptedMessages;
        m_refuseRuns = false;
        m_fileError.clear();
        m_logic = new EssaiLogic(m_session, &m_sound);
    }

    void cleanup()
    {
        delete m_logic;
        delete m_msgs;
    }

    void instructionsThenSkipPracticeThenRealRun()
    {
        begin(0, 16);
        QCOMPARE(m_session.run.essaiState, 1);
        QCOMPARE(m_logic->view().title, QStringLiteral("TR Visuel Centré"));
        QVERIFY(cons().join(' ').contains(QStringLiteral("carré noir")));
        QCOMPARE(m_logic->view().continuerCaption, QStringLiteral("&Continuer"));
        QVERIFY(!m_logic->view().nonVisible);

        m_logic->ContinuerClick();
        QCOMPARE(m_session.run.essaiState, 2);
        QCOMPARE(cons(), QStringList({"", "", "Prêt pour les essais?"}));
        QVERIFY(m_logic->view().nonVisible);
        QCOMPARE(m_logic->view().nonCaption, QStringLiteral("Passer"));

        m_logic->NonClick(); // "Passer"
        QCOMPARE(m_session.run.essaiState, 5);
        QCOMPARE(cons(), QStringList({"", "", "Prêt pour l'épreuve?"}));
        QVERIFY(!m_logic->view().nonVisible);
        QVERIFY(m_launches.isEmpty());

        m_logic->ContinuerClick();
        QCOMPARE(m_launches.size(), 1);
        const Launch &run = m_launches[0];
        QCOMPARE(run.state, 6);
        QVERIFY(!run.practice);
        QCOMPARE(run.practiceRuns, 0);
        QCOMPARE(run.items, 16);
        QCOMPARE(run.output, QDir(m_dir.path()).filePath("Dupont_16.VC"));

        // Only "&Quitter" is left; the thanks sit on line 4; the end sound plays.
        QCOMPARE(m_session.run.essaiState, 6);
        QVERIFY(!m_logic->view().continuerVisible);
        QVERIFY(!m_logic->view().nonVisible);
        QCOMPARE(m_logic->view().focus, EssaiView::Focus::Quitter);
        QCOMPARE(cons(), QStringList({"", "", "", "Merci de votre collaboration"}));
        QCOMPARE(m_sound.calls,
                 QStringList({"open " + QDir(m_dir.path()).filePath("SonFin.wav"), "play"}));
        QVERIFY(m_msgs->service.shown().isEmpty());

        m_logic->QuitterClick();
        QVERIFY(m_logic->view().closeRequested);
    }

    // A run that did not take place (a file the window needs is missing) or that
    // ended on a file error: the administration stops, nobody is thanked, no end
    // sound, and the endless choice does not outlive it.
    void noThanksAfterAFailedRun_data()
    {
        QTest::addColumn<bool>("practice");
        QTest::addColumn<bool>("refused");
        QTest::newRow("practice, file error") << true << false;
        QTest::newRow("practice, refused") << true << true;
        QTest::newRow("test, file error") << false << false;
        QTest::newRow("test, refused") << false << true;
    }
    void noThanksAfterAFailedRun()
    {
        QFETCH(bool, practice);
        QFETCH(bool, refused);
        begin(0, 16);
        m_session.choices.unlimitedChosen = true;
        m_logic->ContinuerClick(); // ready for practice
        if (!practice)
            m_logic->NonClick();   // straight to the test
        m_refuseRuns = refused;
        m_fileError = refused ? QString() : QStringLiteral("Disque plein");
        m_logic->ContinuerClick();
        QCOMPARE(m_launches.size(), 1);
        QVERIFY(m_logic->view().closeRequested);
        QVERIFY(!cons().join(' ').contains(QStringLiteral("Merci")));
        QCOMPARE(m_sound.playCount(), 0);
        QVERIFY(!m_session.choices.unlimitedChosen);
    }

    // Another program on the same results directory wrote a file of this name after
    // "Passation": the real run asks again ("Non" the default), and never replaces a
    // file whose run goes on. The file agreed to at "Passation" is not asked about.
    void aFileWrittenSincePassationIsAskedAboutAgain_data()
    {
        QTest::addColumn<QString>("since");
        QTest::addColumn<int>("answer");
        QTest::addColumn<bool>("runs");
        QTest::newRow("written since, Non") << "written" << int(MsgAnswer::No) << false;
        QTest::newRow("written since, Oui") << "written" << int(MsgAnswer::Yes) << true;
        QTest::newRow("being written") << "held" << int(MsgAnswer::Yes) << false;
        QTest::newRow("the file agreed to") << "agreed" << int(MsgAnswer::No) << true;
    }
    void aFileWrittenSincePassationIsAskedAboutAgain()
    {
        QFETCH(QString, since);
        QFETCH(int, answer);
        QFETCH(bool, runs);
        const QString path = QDir(m_dir.path()).filePath("Dupont_16.VC");
        const auto restore = qScopeGuard([&] { QFile::remove(path); });
        const auto write = [&] {
            QFile f(path);
            QVERIFY(f.open(QIODevice::WriteOnly) && f.write("autre\r\n") == 7);
        };
        if (since == "agreed")
            write();
        m_session.choices.agreedResultFile = identityOfPath(path);
        begin(0, 16);
        m_logic->ContinuerClick();
        m_logic->NonClick();
        if (since != "agreed")
            write();
        const int fd = since == "held" ? ::open(QFile::encodeName(path).constData(), O_RDWR) : -1;
        QVERIFY(since != "held" || (fd >= 0 && lockForWriting(fd)));
        m_msgs->service.queue(MsgAnswer(answer));
        m_logic->ContinuerClick();
        if (fd >= 0)
            ::close(fd);
        QCOMPARE(m_launches.size(), runs ? 1 : 0);
        QCOMPARE(m_logic->view().closeRequested, !runs);
        const QList<ShownMessage> shown = m_msgs->service.shown();
        if (since == "agreed") {
            QVERIFY(shown.isEmpty());
        } else if (since == "held") {
            QCOMPARE(m_msgs->service.texts(),
                     QStringList{"Le fichier Dupont_16.VC ne peut être remplacé : " + RunInProgressText + "."});
        } else {
            QCOMPARE(shown.size(), 1);
            QCOMPARE(shown.first().text, existingNameQuestion("Dupont_16.VC"));
            QCOMPARE(shown.first().buttons, MsgButtons::YesNoDefaultNo);
        }
    }

    // One journal line for each administration whose real run took place, however it
    // ended; none for practice runs or a run that never started. A journal that cannot
    // be written is said once, when the first administration begins, and changes
    // nothing else.
    void journalLinePerAdministration_data()
    {
        QTest::addColumn<QString>("how");
        QTest::addColumn<int>("lines");
        QTest::addColumn<int>("warnings");
        QTest::newRow("practice then a whole test") << "whole" << 1 << 0;
        QTest::newRow("test ended on a file error") << "file error" << 1 << 0;
        QTest::newRow("test that never started") << "refused" << 0 << 0;
        QTest::newRow("practice ended on a file error") << "practice error" << 0 << 0;
        QTest::newRow("journal unwritable, two administrations") << "unwritable" << 0 << 1;
    }
    void journalLinePerAdministration()
    {
        QFETCH(QString, how);
        const QString journal = QDir(m_dir.path()).filePath(TimingJournalName);
        QFile::remove(journal);
        if (how == QLatin1String("unwritable"))
            QVERIFY(QDir().mkpath(journal));
        const auto removeDir = qScopeGuard([&] { QDir(journal).removeRecursively(); QFile::remove(journal); });
        m_session.services.timingJournal = true;
        for (int administration = 0; administration < (how == QLatin1String("unwritable") ? 2 : 1); ++administration) {
            begin(0, 16);
            m_logic->ContinuerClick(); // ready for practice
            m_fileError = how == QLatin1String("practice error") ? QStringLiteral("Disque plein") : QString();
            m_logic->ContinuerClick(); // practice
            if (how == QLatin1String("practice error"))
                break;
            m_logic->NonClick();
            m_refuseRuns = how == QLatin1String("refused");
            m_fileError = how == QLatin1String("file error") ? QStringLiteral("Disque plein") : QString();
            m_logic->ContinuerClick(); // test
            QCOMPARE(cons().contains(QStringLiteral("Merci de votre collaboration")),
                     how == QLatin1String("whole") || how == QLatin1String("unwritable"));
        }
        QFile f(journal);
        const QList<QByteArray> lines = f.open(QIODevice::ReadOnly) ? f.readAll().split('\n') : QList<QByteArray>{""};
        QTEST(int(lines.size()) - 1, "lines");
        if (lines.size() > 1)
            QVERIFY(lines[0].startsWith("Dupont_16.VC | 07/12/2026 \xE0 09:05:0"));
        QTEST(int(m_msgs->service.shown().size()), "warnings");
        if (!m_msgs->service.shown().isEmpty())
            QVERIFY(m_msgs->service.texts().first().contains(QStringLiteral("journal de chronométrie")));
    }

    void practiceRunsAreCountedAndRepeatable()
    {
        begin(3, 32);
        m_logic->ContinuerClick(); // -> ready for practice
        m_logic->ContinuerClick(); // practice 1
        QCOMPARE(m_session.run.essaiState, 4);
        QCOMPARE(cons(), QStringList({"", "", "Refaire les essais?"}));
        QCOMPARE(m_logic->view().continuerCaption, QStringLiteral("&Oui"));
        QCOMPARE(m_logic->view().nonCaption, QStringLiteral("Non"));
        QVERIFY(m_logic->view().nonVisible);
        QCOMPARE(m_logic->view().focus, EssaiView::Focus::Non);
        QCOMPARE(m_session.run.practiceRuns, 1);
        QVERIFY(!m_session.run.practiceMode);

        m_logic->ContinuerClick(); // "&Oui": back to the practice question
        QCOMPARE(m_session.run.essaiState, 2);
        QCOMPARE(m_logic->view().continuerCaption, QStringLiteral("&Continuer"));
        QVERIFY(!m_logic->view().nonVisible);
        QCOMPARE(cons(), QStringList({"", "", "Prêt pour les essais?"}));
        m_logic->ContinuerClick(); // practice 2
        m_logic->NonClick();       // "Non": ready for the test
        QCOMPARE(m_session.run.essaiState, 5);
        m_logic->ContinuerClick(); // real run

        QCOMPARE(m_launches.size(), 3);
        for (int i = 0; i < 2; ++i) {
            const Launch &p = m_launches[i];
            QCOMPARE(p.state, 3);
            QVERIFY(p.practice);
            QCOMPARE(p.practiceRuns, i);
            QCOMPARE(p.items, 6);
            QCOMPARE(p.output, QDir(m_dir.path()).filePath("Essais"));
            QCOMPARE(QList<int>(p.seq.begin() + 1, p.seq.begin() + 11),
                     QList<int>(PracticeSequence.begin(), PracticeSequence.end()));
        }
        QVERIFY(!m_launches[2].practice);
        QCOMPARE(m_launches[2].practiceRuns, 2); // written into the result file
        QCOMPARE(m_launches[2].output, QDir(m_dir.path()).filePath("Dupont_32.SB"));

        // A new administration starts counting again.
        begin(3, 32);
        QCOMPARE(m_session.run.practiceRuns, 0);
        QCOMPARE(m_session.run.essaiState, 1);
    }

    void practiceItemCountsByTest()
    {
        for (int t = 0; t < TestCount; ++t) {
            m_launches.clear();
            begin(t, t == 7 ? 228 : 64);
            m_logic->ContinuerClick();
            m_logic->ContinuerClick();
            QCOMPARE(m_launches.size(), 1);
            QCOMPARE(m_launches[0].test, t);
            QCOMPARE(m_launches[0].items, testEntryAt(t)->practiceItems);
        }
        QCOMPARE(testEntry(TestId::AttentionSoutenue).practiceItems, 25);
        QCOMPARE(testEntry(TestId::PuceAsterisque).practiceItems, 10);
        QCOMPARE(testEntry(TestId::DoubleBinaire).practiceItems, 8);
    }

    void realRunSeriesByTest_data()
    {
        QTest::addColumn<int>("test");
        QTest::addColumn<int>("count");
        QTest::addColumn<QList<int>>("expected"); // run.itemSequence[0..count+1]
        const auto master = [](int n) {
            return QList<int>(MasterSequence.begin(), MasterSequence.begin() + n + 1);
        };
        // After a practice run entries 1..10 hold the practice series; entry 0 was 0.
        const QList<int> practice(PracticeSequence.begin(), PracticeSequence.end());

        QTest::newRow("test 0, 16 items") << 0 << 16 << master(16) + QList<int>{MasterSequence[17]};
        QTest::newRow("test 6, 64 items") << 6 << 64 << master(64);
        QTest::newRow("test 1, 36 items")
            << 1 << 36
            << QList<int>{0} + QList<int>(Sequence36.begin(), Sequence36.end())
                   + QList<int>{MasterSequence[37]};
        QTest::newRow("test 2, 64 items") << 2 << 64 << QList<int>{0} + master(64).mid(1);
        QTest::newRow("test 7 leaves the series alone")
            << 7 << 228 << QList<int>{0} + practice + QList<int>(MasterSequence.begin() + 11,
                                                                 MasterSequence.begin() + 13);
    }

    void realRunSeriesByTest()
    {
        QFETCH(int, test);
        QFETCH(int, count);
        QFETCH(QList<int>, expected);
        begin(test, count);
        m_logic->ContinuerClick();
        m_logic->ContinuerClick(); // practice
        m_logic->NonClick();
        m_logic->ContinuerClick(); // real run
        QCOMPARE(m_launches.size(), 2);
        const Launch &run = m_launches[1];
        QCOMPARE(run.items, count);
        const int n = int(expected.size());
        QCOMPARE(QList<int>(run.seq.begin(), run.seq.begin() + n), expected);
    }

    void gridIsFilledBeforeEachRunOfTheGridTests()
    {
        // Practice of test 1: 8 x 8 practice layout; real run of 36: 6 x 6 layout.
        begin(1, 36);
        m_logic->ContinuerClick();
        m_logic->ContinuerClick();
        m_logic->NonClick();
        m_logic->ContinuerClick();
        QCOMPARE(m_launches.size(), 2);
        QCOMPARE(m_launches[0].left[2], 642);
        QCOMPARE(m_launches[0].top[2], 30);
        QCOMPARE(m_launches[1].left[10], 42);
        QCOMPARE(m_launches[1].top[10], 30);
        QCOMPARE(m_launches[1].left[1], 462);

        // Test 9 (64 items): test layout. Test 0: no grid at all.
        m_launches.clear();
        m_session.run = RunState();
        begin(9, 64);
        m_logic->ContinuerClick();
        m_logic->NonClick();
        m_logic->ContinuerClick();
        QCOMPARE(m_launches[0].left[2], 42);
        QCOMPARE(m_launches[0].top[1], 330);

        m_launches.clear();
        m_session.run = RunState();
        begin(0, 16);
        m_logic->ContinuerClick();
        m_logic->ContinuerClick();
        QCOMPARE(m_launches[0].top[1], 0);
        QCOMPARE(m_launches[0].left[2], 0);
    }

    void endlessSeriesAreClearedAfterTheRealRun()
    {
        m_session.choices.unlimitedChosen = true;
        begin(0, 64);
        m_session.choices.resultFileName = QStringLiteral("Dupont_999.VC");
        m_logic->ContinuerClick();
        m_logic->ContinuerClick(); // practice: never endless
        m_logic->NonClick();
        m_logic->ContinuerClick();
        QVERIFY(!m_launches[0].unlimited);
        QVERIFY(m_launches[1].unlimited);
        QCOMPARE(m_launches[1].items, 64);
        QVERIFY(!m_session.choices.unlimitedChosen);
        QVERIFY(!m_session.run.unlimited);
    }

    void endSoundFailureIsReportedAndStillClearsTheEndlessChoice()
    {
        m_session.choices.unlimitedChosen = true;
        m_sound.failOpen = true;
        begin(1, 64);
        m_logic->ContinuerClick();
        m_logic->NonClick();
        m_logic->ContinuerClick();
        QCOMPARE(m_msgs->service.shown().size(), 1);
        QCOMPARE(m_msgs->service.shown()[0].kind, MsgKind::Error);
        QVERIFY(m_msgs->service.shown()[0].text.contains(QStringLiteral("SonFin.wav")));
        QCOMPARE(m_session.run.essaiState, 6);
        QCOMPARE(cons(), QStringList({"", "", "", "Merci de votre collaboration"}));
        QVERIFY(m_launches[0].unlimited);
        QVERIFY(!m_session.choices.unlimitedChosen);
        QVERIFY(!m_session.run.unlimited);
    }

    void missingInstructionsAreReportedAndTheAdministrationGoesOn()
    {
        begin(0, 16); // memo filled from Cons_VC.txt
        m_logic->ContinuerClick();
        QVERIFY(QFile::rename(QDir(m_dir.path()).filePath("Cons_LAT.txt"),
                              QDir(m_dir.path()).filePath("Cons_LAT.bak")));
        begin(1, 36);
        QVERIFY(QFile::rename(QDir(m_dir.path()).filePath("Cons_LAT.bak"),
                              QDir(m_dir.path()).filePath("Cons_LAT.txt")));
        QCOMPARE(m_msgs->service.shown().size(), 1);
        const QString text = m_msgs->service.shown()[0].text;
        QVERIFY2(text.contains(QStringLiteral("Cons_LAT.txt")), qPrintable(text));
        QVERIFY(text.contains(QStringLiteral("introuvable")));
        QCOMPARE(m_session.run.essaiState, 1);
        QCOMPARE(m_logic->view().title, QStringLiteral("TR Latéralisé"));
        QVERIFY(cons().isEmpty()); // nothing left over from the previous administration
        m_logic->ContinuerClick();
        m_logic->ContinuerClick();
        QCOMPARE(m_launches.size(), 1);
    }

    void responseRulePictureOnlyForTheDoubleTest()
    {
        begin(4, 32);
        QVERIFY(m_logic->view().imageVisible);
        QCOMPARE(m_logic->view().imageTop, 320);
        QCOMPARE(m_logic->view().consHeight, 140);
        m_logic->ContinuerClick();
        QVERIFY(!m_logic->view().imageVisible);
        QCOMPARE(m_logic->view().consHeight, 140);

        begin(3, 32);
        QVERIFY(!m_logic->view().imageVisible);
        QCOMPARE(m_logic->view().imageTop, 213);
        QCOMPARE(m_logic->view().consHeight, 265);
    }

    void clicksOutOfTurnDoNothing()
    {
        begin(0, 16);
        m_logic->ContinuerClick();
        m_logic->NonClick();
        m_logic->ContinuerClick(); // real run; state 6
        m_logic->ContinuerClick(); // button hidden: state 0, nothing else
        QCOMPARE(m_session.run.essaiState, 0);
        m_logic->ContinuerClick();
        QCOMPARE(m_session.run.essaiState, 0);
        QCOMPARE(m_launches.size(), 1);
        QCOMPARE(m_sound.playCount(), 1);
    }

    void messageLinePadding()
    {
        QCOMPARE(messageLines(0, "x"), QStringList({"x"}));
        QCOMPARE(messageLines(-4, "x"), QStringList({"x"}));
        QCOMPARE(messageLines(1, "x"), QStringList({"x"}));
        QCOMPARE(messageLines(4, "x"), QStringList({"", "", "", "x"}));
    }

    void instructionFilesAreWindows1252AndFitTheMemo()
    {
        // Each test has its file; CR LF only; every byte a defined Windows-1252
        // character; short enough for the memo (a much shorter one above the picture).
        for (int t = 0; t < TestCount; ++t) {
            const QString path = QStringLiteral(ZOKA_SOURCE_DIR "/data/") + instructionFileName(t);
            QFile f(path);
            QVERIFY2(f.open(QIODevice::ReadOnly), qPrintable(path));
            const QByteArray b = f.readAll();
            QVERIFY(b.endsWith("\r\n"));
            QCOMPARE(b.count('\n'), b.count("\r\n"));
            QCOMPARE(b.count('\r'), b.count("\r\n"));
            for (char c : {char(0x81), char(0x8D), char(0x8F), char(0x90), char(0x9D)})
                QVERIFY(!b.contains(c));
            QVERIFY2(b.contains(char(0xE9)) || b.contains(char(0xE0)), qPrintable(path)); // é or à
            const QStringList lines = cp1252::splitLines(cp1252::decode(b));
            QVERIFY(lines.size() <= (t == 4 ? 4 : 11));
            for (const QString &l : lines)
                QVERIFY2(l.size() <= 46, qPrintable(l));
        }
    }
};

QTEST_MAIN(TestEssai)
#include "tst_essai.moc"
