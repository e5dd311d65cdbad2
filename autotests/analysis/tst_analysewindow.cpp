// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/runlock.h"
#include "analysis/reportwriter.h"
#include "pdf_helpers.h"
#include "analysis/widgets/tformanalyse.h"
#include "analysis/widgets/printing.h"
#include "analysis/widgets/tformsuivi.h"
#include "platform/cp1252.h"
#include "platform/messages.h"
#include "platform/timingjournal.h"
#include "shell/filelists.h"
#include "shell/internalerror.h"
#include "shell/session.h"

#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QComboBox>
#include <QPrinter>
#include <QTreeWidget>
#include <QtTest>

#include <fcntl.h>
#include <unistd.h>

using namespace zoka;

namespace {

const QString Stream228 = QStringLiteral("kdWesmkGVe3mEXwR3bpeRAmRcUeTwkcm33Yek3MURAeFdgbRkqRnm3UmA33fRkYf3ADbgmHAewS33Rwtke3AfVkRcUAmekVUYC3UewURkyYpQ3Aae3KDwESMKgvE3MexWr3BPEraMrCuEtWKCM33yEK3muraEfDGBrKQrNM3uMa33FrKyF3adBGMhaEWs33rWTKE3aFvKrCuaMEKvuyc3uEWurKYyPq3aAE3");
const QString Stars = QStringLiteral("*").repeated(51);

QByteArray readBytes(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

QStringList visualFile()
{
    QStringList l{QStringLiteral("Dupont: 01/12/2026 à 10:00:00"), QStringLiteral("2")};
    const int values[16] = {350, 420, 1500, 85, 610, 2900, 3000, 400, 380, 450, 1200, 520, 700, 640, 300, 2600};
    for (int v : values)
        l << QString::number(v);
    l << QStringLiteral("-3");
    return l;
}

QStringList sustainedFile()
{
    QStringList l{QStringLiteral("Dupont: 01/12/2026 à 10:00:00"), QStringLiteral("0")};
    for (int p = 1; p <= 228; ++p)
        l << Stream228.at(p - 1) + QStringLiteral(" ") + QString::number(p % 7 ? 450 + p : 0);
    return l;
}

QStringList pointingFile()
{
    QStringList l{QStringLiteral("Dupont: 01/12/2026 à 10:00:00"), QStringLiteral("0")};
    for (int p = 1; p <= 64; ++p)
        l << QString::number(1000 + 37 * p);
    l << QStringLiteral("0");
    return l;
}

int countOf(const QString &text, const QString &what) { return int(text.count(what)); }

} // namespace

class TestAnalyseWindow : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;

    Session m_session; // the report file goes into m_dir

    QString put(const QString &name, const QStringList &lines, const QString &sub = QString())
    {
        QDir d(m_dir.path());
        if (!sub.isEmpty()) {
            d.mkpath(sub);
            d.cd(sub);
        }
        const QString path = d.filePath(name);
        QFile::remove(path);
        QFile f(path);
        if (!f.open(QIODevice::WriteOnly))
            return QString();
        f.write(cp1252::encodeLines(lines));
        f.close();
        return path;
    }

    static void open(TFormAnalyse &w, const QString &path, int test)
    {
        w.FormShow(path, test, 1, QStringLiteral("Dupont"), QStringLiteral("4.0b"));
        w.show();
    }

    static void typeNote(TFormAnalyse &w, const QString &text)
    {
        w.notesEdit->setFocus();
        w.notesEdit->moveCursor(QTextCursor::End);
        QTest::keyClick(w.notesEdit, Qt::Key_Return);
        // Typed key by key, accented letters included.
        for (QChar c : text)
            QTest::sendKeyEvent(QTest::Click, w.notesEdit, Qt::Key_unknown, QString(c), Qt::NoModifier);
    }

private slots:
    void initTestCase()
    {
        QLocale::setDefault(QLocale(QLocale::French, QLocale::France));
        QVERIFY(m_dir.isValid());
        m_session.config.ProgramDir = m_dir.path();
        setDecimalSeparatorOverride(QLatin1Char('.'));
    }

    void limitChangeInTwoSteps()
    {
        ScopedScriptedMessages msgs;
        TFormAnalyse w(m_session);
        open(w, put(QStringLiteral("Dupont_16.VC"), visualFile()), 0);
        QCOMPARE(w.windowTitle(), QStringLiteral("Analyse de Dupont_16.VC  -  TR Visuel Centré"));
        QCOMPARE(w.statusPanels[1]->text(), QStringLiteral("Limite= 3000"));
        QCOMPARE(w.limitButton->text(), QStringLiteral("Limite"));
        QVERIFY(w.limitButton->isVisible() && w.resetButton->isVisible());
        QVERIFY(!w.limitEdit->isVisible());
        QCOMPARE(countOf(w.reportView->toPlainText(), Stars), 1);
        // The report file holds what Data shows above the file's journal line (none).
        QCOMPARE(cp1252::splitLines(cp1252::decode(readBytes(reportFilePath(m_dir.path())))).join(QLatin1Char('\n'))
                     + QStringLiteral("\n\n") + journalEntryLines(QString(), 78).join(QLatin1Char('\n')),
                 w.reportView->toPlainText());

        // Step 1: the editor opens with the proposed 1 s, the notes box moves aside.
        QTest::mouseClick(w.limitButton, Qt::LeftButton);
        QCOMPARE(w.limitButton->text(), QStringLiteral("Appliquer"));
        QVERIFY(w.limitEdit->isVisible() && w.newLimitLabel->isVisible() && w.limitUnitLabel->isVisible());
        QCOMPARE(w.limitEdit->text(), QStringLiteral("1"));
        QCOMPARE(w.notesEdit->geometry(), QRect(144, 432, 601, 57));
        QCOMPARE(countOf(w.reportView->toPlainText(), Stars), 1);

        // Step 2 without typing: 1 s applied, a block appended, back to idle.
        QTest::mouseClick(w.limitButton, Qt::LeftButton);
        QCOMPARE(w.limitButton->text(), QStringLiteral("Limite"));
        QVERIFY(!w.limitEdit->isVisible() && !w.newLimitLabel->isVisible() && !w.limitUnitLabel->isVisible());
        QCOMPARE(w.notesEdit->geometry(), QRect(40, 432, 705, 57));
        QCOMPARE(w.statusPanels[1]->text(), QStringLiteral("Limite= 1000"));
        QCOMPARE(countOf(w.reportView->toPlainText(), Stars), 2);
        QVERIFY(w.reportView->toPlainText().contains(QStringLiteral("Rejet(s) (>1 sec. ou <100 msec.): ")));
        QVERIFY(msgs.service.texts().isEmpty());

        // Typed with a comma and applied with the Enter key.
        QTest::mouseClick(w.limitButton, Qt::LeftButton);
        w.limitEdit->selectAll();
        QTest::keyClicks(w.limitEdit, QStringLiteral("2,5"));
        QTest::keyClick(w.limitEdit, Qt::Key_Return);
        QCOMPARE(w.limitButton->text(), QStringLiteral("Limite"));
        QCOMPARE(w.statusPanels[1]->text(), QStringLiteral("Limite= 2500"));
        QCOMPARE(countOf(w.reportView->toPlainText(), Stars), 3);
        QVERIFY(w.reportView->toPlainText().contains(QStringLiteral("Rejet(s) (>2.5 sec. ou <100 msec.): ")));

        // Refused: the message, the limit unchanged, a block all the same.
        QTest::mouseClick(w.limitButton, Qt::LeftButton);
        w.limitEdit->selectAll();
        QTest::keyClicks(w.limitEdit, QStringLiteral("12"));
        QTest::keyClick(w.limitEdit, Qt::Key_Enter);
        QCOMPARE(msgs.service.texts(), QStringList{QStringLiteral("   Mauvais format de limite !    ")});
        QCOMPARE(w.statusPanels[1]->text(), QStringLiteral("Limite= 2500"));
        QCOMPARE(w.limitButton->text(), QStringLiteral("Limite"));
        QCOMPARE(countOf(w.reportView->toPlainText(), Stars), 4);
        QVERIFY(w.isVisible()); // Enter pressed no button of the window

        // Effacer: the head only, the limit kept, the notes typed so far kept (and
        // saved at the close).
        typeNote(w, QStringLiteral("à garder"));
        QTest::mouseClick(w.resetButton, Qt::LeftButton);
        QCOMPARE(countOf(w.reportView->toPlainText(), Stars), 0);
        QCOMPARE(w.notesEdit->toPlainText(), QStringLiteral("[Notes]\nà garder"));
        QCOMPARE(w.statusPanels[1]->text(), QStringLiteral("Limite= 2500"));
        QTest::mouseClick(w.limitButton, Qt::LeftButton);
        QTest::mouseClick(w.limitButton, Qt::LeftButton);
        QVERIFY(!w.reportView->toPlainText().contains(QStringLiteral("Scores bruts:")));
        w.logic().markAnalysed = [](const QString &) { return true; };
        w.QuitterClick();
        QVERIFY(readBytes(m_dir.filePath(QStringLiteral("Dupont_16.VC"))).endsWith("[Notes]\r\n\xE0 garder\r\n"));
    }

    void pointingTestsProposeFiveSeconds()
    {
        ScopedScriptedMessages msgs;
        TFormAnalyse w(m_session);
        open(w, put(QStringLiteral("Dupont_64.PAS"), pointingFile()), 8);
        QCOMPARE(w.statusPanels[1]->text(), QStringLiteral("Limite= 30000"));
        QTest::mouseClick(w.limitButton, Qt::LeftButton);
        QCOMPARE(w.limitEdit->text(), QStringLiteral("5"));
        QTest::mouseClick(w.limitButton, Qt::LeftButton);
        QCOMPARE(w.statusPanels[1]->text(), QStringLiteral("Limite= 5000"));
        w.QuitterClick();
    }

    // The administration's journal line, under the report in the window; the report
    // file keeps its bytes.
    void journalLineUnderTheReport()
    {
        ScopedScriptedMessages msgs;
        const QString journal = QDir(m_dir.path()).filePath(TimingJournalName);
        QFile::remove(journal);
        const auto gone = qScopeGuard([&] { QFile::remove(journal); });
        const QString entry = QStringLiteral("affichage : Xvfb 21.1.7, session x11 | temps réel : SCHED_FIFO 3");
        QCOMPARE(appendJournalLine(journal, journalKey(QStringLiteral("Dupont_16.VC"),
                                                       QStringLiteral("01/12/2026 à 10:00:00")) + entry), 0);
        TFormAnalyse w(m_session);
        open(w, put(QStringLiteral("Dupont_16.VC"), visualFile()), 0);
        QVERIFY(w.reportView->toPlainText().endsWith(journalEntryLines(entry, 78).join(QLatin1Char('\n'))));
        QCOMPARE(readBytes(reportFilePath(m_dir.path())), w.logic().state().Report.bytes());
        QVERIFY(!w.logic().state().Report.text().contains(QStringLiteral("SCHED_FIFO")));
        w.QuitterClick();
    }

    void sustainedAttentionHidesLimitAndEffacer()
    {
        ScopedScriptedMessages msgs;
        TFormAnalyse w(m_session);
        open(w, put(QStringLiteral("Dupont_228-1.AS"), sustainedFile()), 7);
        QVERIFY(msgs.service.texts().isEmpty());
        QCOMPARE(w.windowTitle(), QStringLiteral("Analyse de Dupont_228-1.AS  -  Attention soutenue"));
        QVERIFY(!w.limitButton->isVisible());
        QVERIFY(!w.resetButton->isVisible());
        QVERIFY(w.printButton->isVisible() && w.exportButton->isVisible() && w.optionsButton->isVisible()
                && w.quitButton->isVisible());
        const QString data = w.reportView->toPlainText();
        QVERIFY(data.startsWith(QStringLiteral("0      BATTERIE ATTENTION TESSARO (ZOKA) v4.0b\n")));
        QVERIFY(data.contains(QStringLiteral("Dupont    Attention soutenue   228 items (durée: 1000 msec)")));
        QCOMPARE(readBytes(reportFilePath(m_dir.path())), w.logic().state().Report.bytes());
        w.QuitterClick();

        // The same window, reused for another test, shows them again.
        open(w, put(QStringLiteral("Dupont_16.VC"), visualFile()), 0);
        QVERIFY(w.limitButton->isVisible() && w.resetButton->isVisible());
        w.QuitterClick();
    }

    void renamedFileDoesNotEndTheProgram()
    {
        // Dupont_16.VC renamed Dupont_1x.VC: count 1 (error 1), the second value taken
        // for the closing line (error 5), the rest extra (error 4). No foreperiods for
        // one item: the head only, Limite and Effacer disabled, and the window closes
        // normally, keeping every line of the file.
        ScopedScriptedMessages msgs;
        int internalError = 0;
        setInternalErrorExit([&](int n) { internalError = n; });
        TFormAnalyse w(m_session);
        const QString path = put(QStringLiteral("Dupont_1x.VC"), visualFile());
        open(w, path, 0);
        QCOMPARE(internalError, 0);
        QCOMPARE(msgs.service.texts().size(), 3);
        QVERIFY(msgs.service.texts().first().contains(QStringLiteral("Err1")));
        QVERIFY(!w.limitButton->isEnabled());
        QVERIFY(!w.resetButton->isEnabled());
        QVERIFY(w.reportView->toPlainText().contains(QStringLiteral("Dupont    TR Visuel Centré   1 items")));
        QVERIFY(!w.reportView->toPlainText().contains(QStringLiteral("Scores bruts:")));
        w.QuitterClick();
        QVERIFY(!w.isVisible());
        QCOMPARE(cp1252::decode(readBytes(path)),
                 cp1252::decode(cp1252::encodeLines(visualFile() + QStringList{QStringLiteral("[Notes]")})));
        setInternalErrorExit(nullptr);
        QCOMPARE(internalError, 0);
    }

    void closeSequenceRunsOnce()
    {
        ScopedScriptedMessages msgs;
        TFormAnalyse w(m_session);
        const QString path = put(QStringLiteral("Dupont_16.VC"), visualFile());
        int marks = 0;
        w.logic().markAnalysed = [&](const QString &p) { ++marks; return MarkAnalysed(p); };

        open(w, path, 0);
        typeNote(w, QStringLiteral("une fois"));
        w.QuitterClick();
        QVERIFY(!w.isVisible());
        QCOMPARE(w.result(), int(QDialog::Accepted));
        QCOMPARE(marks, 1);
        QVERIFY(w.notesEdit->toPlainText().isEmpty());
        // Another close request of the same showing does nothing more.
        QFile::remove(path);
        w.close();
        w.reject();
        QCOMPARE(marks, 1);
        QVERIFY(!QFile::exists(path));

        // The close box of a new showing runs it once too.
        put(QStringLiteral("Dupont_16.VC"), visualFile());
        open(w, path, 0);
        typeNote(w, QStringLiteral("par la case"));
        QVERIFY(w.close());
        QCOMPARE(marks, 2);
        QCOMPARE(countOf(cp1252::decode(readBytes(path)), QStringLiteral("par la case")), 1);
        // Escape comes the same way.
        open(w, path, 0);
        QTest::keyClick(&w, Qt::Key_Escape);
        QVERIFY(!w.isVisible());
        QCOMPARE(marks, 3);
        QVERIFY(msgs.service.texts().isEmpty());
    }

    void notesRoundTrip()
    {
        ScopedScriptedMessages msgs;
        for (int test : {0, 7}) {
            const QString name = test == 0 ? QStringLiteral("Dupont_16.VC") : QStringLiteral("Dupont_228-1.AS");
            const QStringList original = test == 0 ? visualFile() : sustainedFile();
            const QString path = put(name, original);
            QVERIFY(MarkNotAnalysed(path));
            TFormAnalyse w(m_session);
            open(w, path, test);
            QCOMPARE(w.notesEdit->toPlainText(), QStringLiteral("[Notes]"));
            QCOMPARE(w.notesEdit->toolTip(), QStringLiteral("Entrez les notes à ajouter au protocole"));
            typeNote(w, QStringLiteral("Patient fatigué"));
            QVERIFY(w.notesEdit->toolTip().isEmpty());
            typeNote(w, QStringLiteral("2e ligne"));
            w.QuitterClick();

            QVERIFY(!isNotAnalysed(path));
            const QStringList expected = original
                + QStringList{QStringLiteral("[Notes]"), QStringLiteral("Patient fatigué"), QStringLiteral("2e ligne")};
            QCOMPARE(readBytes(path), cp1252::encodeLines(expected));

            // Opened again: the notes come back; closed again: one "[Notes]" only.
            open(w, path, test);
            QCOMPARE(w.notesEdit->toPlainText(), QStringLiteral("[Notes]\nPatient fatigué\n2e ligne"));
            w.close();
            QCOMPARE(readBytes(path), cp1252::encodeLines(expected));
            open(w, path, test);
            w.QuitterClick();
            QCOMPARE(readBytes(path), cp1252::encodeLines(expected));
        }
        QVERIFY(msgs.service.texts().isEmpty());
    }

    void fileThatCannotBeRewrittenAsksBeforeClosing()
    {
        ScopedScriptedMessages msgs;
        TFormAnalyse w(m_session);
        const QString path = put(QStringLiteral("Dupont_16.VC"), visualFile(), QStringLiteral("gone"));
        open(w, path, 0);
        typeNote(w, QStringLiteral("perdue?"));
        QVERIFY(QDir(m_dir.filePath(QStringLiteral("gone"))).removeRecursively());

        msgs.service.queue(MsgAnswer::No);
        w.QuitterClick();
        QVERIFY(w.isVisible());
        QVERIFY(!w.logic().closed());
        QCOMPARE(msgs.service.shown().size(), 1);
        QCOMPARE(msgs.service.shown().first().kind, MsgKind::Error);
        QCOMPARE(msgs.service.shown().first().buttons, MsgButtons::YesNoDefaultNo);
        QVERIFY(w.notesEdit->toPlainText().contains(QStringLiteral("perdue?")));

        msgs.service.queue(MsgAnswer::Yes);
        w.close();
        QVERIFY(!w.isVisible());
        QVERIFY(w.logic().closed());
    }

    // Read while a run of another program writes it: read-only, said in the status bar;
    // closing writes nothing and clears no mark, and notes typed are handed back.
    void fileBeingWrittenElsewhereIsOnlyRead()
    {
        ScopedScriptedMessages msgs;
        TFormAnalyse w(m_session);
        const QString path = put(QStringLiteral("Dupont_16.VC"), visualFile());
        QVERIFY(MarkNotAnalysed(path));
        const QByteArray before = readBytes(path);
        const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY);
        QVERIFY(fd >= 0 && lockForReading(fd)); // a reader's lock is no run
        ::close(fd);
        const int run = ::open(QFile::encodeName(path).constData(), O_RDWR);
        QVERIFY(run >= 0 && lockForWriting(run));
        const auto release = qScopeGuard([run] { ::close(run); });
        open(w, path, 0);
        QCOMPARE(w.statusPanels[2]->text(), RunInProgressText);
        w.QuitterClick(); // nothing typed: closes silently
        QVERIFY(msgs.service.shown().isEmpty());
        open(w, path, 0);
        typeNote(w, QStringLiteral("à garder"));
        msgs.service.queue(MsgAnswer::Yes);
        w.QuitterClick();
        QVERIFY(!w.isVisible());
        QCOMPARE(msgs.service.shown().size(), 1);
        QVERIFY(msgs.service.texts().first().contains(RunInProgressText));
        QVERIFY(msgs.service.texts().first().contains(QStringLiteral("à garder")));
        QCOMPARE(readBytes(path), before);
        QVERIFY(isNotAnalysed(path));
    }

    void unreadableFileIsLeftAlone()
    {
        ScopedScriptedMessages msgs;
        TFormAnalyse w(m_session);
        const QString path = m_dir.filePath(QStringLiteral("Absent_16.VC"));
        int marks = 0;
        w.logic().markAnalysed = [&](const QString &) { ++marks; return true; };
        open(w, path, 0);
        QCOMPARE(msgs.service.shown().size(), 1);
        QVERIFY(w.reportView->toPlainText().isEmpty());
        QVERIFY(readBytes(reportFilePath(m_dir.path())).isEmpty()); // no report of another file left
        w.QuitterClick();
        QCOMPARE(marks, 0);
        QVERIFY(!QFile::exists(path));
    }

    void followUpOfAPatient()
    {
        // Dupont's TR visuel centré in three sessions (two archived in folders), one run
        // stopped early, one still being written (a run holds its lock), a file whose
        // first line names someone else; "dupont" and "Dupönt" are other patients.
        auto items = [](QString header, int base, int step) {
            QStringList l{header, QStringLiteral("0")};
            for (int i = 0; i < 16; ++i)
                l << QString::number(i == 5 ? 3000 : base + step * (i % 8));
            return l << QStringLiteral("-1");
        };
        put(QStringLiteral("Dupont_16.VC"), items(QStringLiteral("Dupont: 02/12/2026 à 10:00:00"), 400, 10), QStringLiteral("suivi"));
        put(QStringLiteral("Dupont_16.VC"), items(QStringLiteral("Dupont: 03/09/2026 à 10:00:00"), 520, 12), QStringLiteral("suivi/2026-09"));
        put(QStringLiteral("Dupont_16.VC"), items(QStringLiteral("Dupont: 15/10/2026 à 10:00:00"), 450, 10), QStringLiteral("suivi/2026-10"));
        put(QStringLiteral("Dupont_32.VC"), items(QStringLiteral("Dupont: 01/12/2026 à 09:00:00"), 450, 10).mid(0, 10), QStringLiteral("suivi"));
        const QString writing = put(QStringLiteral("Dupont_64.VC"), items(QStringLiteral("Dupont: 03/12/2026 à 09:00:00"), 450, 10), QStringLiteral("suivi"));
        put(QStringLiteral("Dupont_16.AUD"), items(QStringLiteral("Durand: 02/12/2026 à 11:00:00"), 300, 5), QStringLiteral("suivi"));
        put(QStringLiteral("dupont_16.VC"), items(QStringLiteral("dupont: 02/12/2026 à 10:00:00"), 300, 5), QStringLiteral("suivi"));
        put(QStringLiteral("Dupönt_16.VC"), items(QStringLiteral("Dupönt: 02/12/2026 à 10:00:00"), 300, 5), QStringLiteral("suivi"));
        const int fd = ::open(QFile::encodeName(writing).constData(), O_RDWR);
        struct flock lock = {};
        lock.l_type = F_WRLCK;
        lock.l_whence = SEEK_SET;
        // An open-file-description lock: held as another program's run holds its own,
        // whatever this process opens and closes on the file.
        QVERIFY(fd >= 0 && ::fcntl(fd, F_OFD_SETLK, &lock) == 0);

        ScriptedMessageService messages;
        setMessageService(&messages);
        TFormSuivi w(m_session);
        w.openDocument = [](const QString &) { return true; };
        w.FormShow(m_dir.filePath(QStringLiteral("suivi")), QStringLiteral("Dupont"));
        QVERIFY(messages.texts().isEmpty());
        QCOMPARE(w.patientChoice->count(), 3);
        QCOMPARE(w.patientChoice->currentText(), QStringLiteral("Dupont"));
        QCOMPARE(w.administrations().size(), 6);
        QString states;
        for (const Administration &a : w.administrations())
            states += QStringLiteral("%1 %2 %3;").arg(a.fileName, a.when.toString(QStringLiteral("MM-dd")), fileStateText(a.state));
        QCOMPARE(states, QStringLiteral("Dupont_16.VC 09-03 complet;Dupont_16.VC 10-15 complet;Dupont_32.VC 12-01 incomplet;"
                                        "Dupont_16.VC 12-02 complet;Dupont_64.VC 12-03 en cours d'écriture;"
                                        "Dupont_16.AUD 12-02 complet;"));
        QTreeWidgetItem *vc = w.administrationTree->topLevelItem(0);
        QCOMPARE(vc->child(2)->text(9), QStringLiteral("incomplet, non comparé (!)"));
        QVERIFY(vc->child(2)->toolTip(0).contains(QStringLiteral("Le fichier est incomplet")));
        QCOMPARE(vc->child(4)->text(9), QStringLiteral("en cours d'écriture, non comparé (!)"));
        QVERIFY(w.administrationTree->topLevelItem(1)->child(0)->toolTip(0).contains(QStringLiteral("« Durand »")));
        // The last two complete sessions, by default; omissions left out of the times.
        // By hand: medians 480 and 430 of 15 times each; order statistics 4 and 12 span
        // 50 ms, P(Bin(15, 1/2) <= 3) = 576/32768, z = 2.106: SE 16.8, CI 50 -/+ 33.
        QCOMPARE(w.comparedPair(), qMakePair(1, 3));
        QCOMPARE(w.changeLabel->text(),
                 QStringLiteral("Temps de réaction médian : plus rapide de 50 ms (IC 95 % : 17 à 83 ms), différence significative, "
                                "p < 0,001 (Mann-Whitney, approximation normale).\n"
                                "Omissions : 1 sur 16, puis 1 sur 16 ; pas de changement, p = 1 (test exact de Fisher)."));
        w.firstChoice->setCurrentIndex(0);
        QVERIFY(w.changeLabel->text().startsWith(QStringLiteral("Temps de réaction médian : plus rapide de 126 ms")));

        // The printout: the report's layout, the pair on screen, then the plots.
        const QStringList lines = w.document().report;
        QVERIFY(lines.contains(QStringLiteral("Suivi du patient Dupont")));
        QVERIFY(lines.contains(QStringLiteral("Changement du 03/09/2026 10:00 au 02/12/2026 10:00 :")));
        QDir(m_dir.filePath(QStringLiteral("suivi"))).mkpath(QStringLiteral("Export"));
        w.ExporterPdfClick();
        QVERIFY(messages.texts().isEmpty());
        QCOMPARE(pdfPageCount(w.exportPdfPath()), 3); // the text, two charts of each of two tests
        QVERIFY(pdfPageLines(w.exportPdfPath(), 1).contains(QStringLiteral("Suivi du patient Dupont")));

        // "Imprimer" to a queue: one PDF handed over per copy, the same pages.
        QStringList jobs;
        w.printDialog = [](QPrinter &printer, PrintTarget *target) {
            printer.setCopyCount(2);
            *target = printTargetOf(printer);
            target->printerName = QStringLiteral("cabinet");
            target->outputFile.clear();
            return true;
        };
        w.submitJob = [&](const QString &queue, const QString &pdf, const QString &title, const QStringList &, QString *, QString *) {
            jobs << QStringLiteral("%1 %2 %3").arg(queue, title).arg(pdfPageCount(pdf));
            return true;
        };
        w.ImprimerClick();
        QCOMPARE(jobs, (QStringList{"cabinet ZOKA - Suivi de Dupont 3", "cabinet ZOKA - Suivi de Dupont 3"}));

        // The items of every administration, with their description, in Export; the
        // file still being written is in the table, marked.
        w.ExporterItemsClick();
        const QByteArray table = readBytes(m_dir.filePath(QStringLiteral("suivi/Export/Suivi_Dupont_beh.tsv")));
        QCOMPARE(table.count('\n'), 1 + 17 * 5 + 8); // header; five files of 16 items and a closing line; 8 items
        QVERIFY(table.contains("\tbeing_written\t") && table.contains("\tincomplete\t"));
        ::close(fd);
        QVERIFY(QFileInfo::exists(m_dir.filePath(QStringLiteral("suivi/Export/Suivi_Dupont_beh.json"))));
        QVERIFY(messages.texts().isEmpty());

        // Another patient chosen in the list; a directory without any result file.
        w.patientChoice->setCurrentIndex(w.patientChoice->findText(QStringLiteral("Dupönt")));
        QCOMPARE(w.administrations().size(), 1);
        QCOMPARE(w.changeLabel->text(), QStringLiteral("Il faut deux passations complètes de cette épreuve pour une comparaison."));
        w.FormShow(m_dir.filePath(QStringLiteral("vide")), QStringLiteral("Dupont"));
        QVERIFY(w.administrations().isEmpty() && !w.printButton->isEnabled());
        setMessageService(nullptr);
    }
};

QTEST_MAIN(TestAnalyseWindow)
#include "tst_analysewindow.moc"
