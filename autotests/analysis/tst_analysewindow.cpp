#include "analysis/reportwriter.h"
#include "analysis/widgets/tformanalyse.h"
#include "platform/cp1252.h"
#include "platform/messages.h"
#include "platform/timingjournal.h"
#include "shell/filelists.h"
#include "shell/internalerror.h"
#include "shell/sharedstate.h"

#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QtTest>

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
        w.Notes->setFocus();
        w.Notes->moveCursor(QTextCursor::End);
        QTest::keyClick(w.Notes, Qt::Key_Return);
        // Typed key by key, accented letters included.
        for (QChar c : text)
            QTest::sendKeyEvent(QTest::Click, w.Notes, Qt::Key_unknown, QString(c), Qt::NoModifier);
    }

private slots:
    void initTestCase()
    {
        QLocale::setDefault(QLocale(QLocale::French, QLocale::France));
        QVERIFY(m_dir.isValid());
        Config.ProgramDir = m_dir.path();
        setDecimalSeparatorOverride(QLatin1Char('.'));
    }

    void limitChangeInTwoSteps()
    {
        ScopedScriptedMessages msgs;
        TFormAnalyse w;
        open(w, put(QStringLiteral("Dupont_16.VC"), visualFile()), 0);
        QCOMPARE(w.windowTitle(), QStringLiteral("Analyse de Dupont_16.VC  -  TR Visuel Centré"));
        QCOMPARE(w.StatusPanels[1]->text(), QStringLiteral("Limite= 3000"));
        QCOMPARE(w.Limite->text(), QStringLiteral("Limite"));
        QVERIFY(w.Limite->isVisible() && w.Effacer->isVisible());
        QVERIFY(!w.LimitVal->isVisible());
        QCOMPARE(countOf(w.Data->toPlainText(), Stars), 1);
        // The report file holds what Data shows above the file's journal line (none).
        QCOMPARE(cp1252::splitLines(cp1252::decode(readBytes(reportFilePath()))).join(QLatin1Char('\n'))
                     + QStringLiteral("\n\n") + journalEntryLines(QString(), 78).join(QLatin1Char('\n')),
                 w.Data->toPlainText());

        // Step 1: the editor opens with the proposed 1 s, the notes box moves aside.
        QTest::mouseClick(w.Limite, Qt::LeftButton);
        QCOMPARE(w.Limite->text(), QStringLiteral("Appliquer"));
        QVERIFY(w.LimitVal->isVisible() && w.NouvLimite->isVisible() && w.Label3->isVisible());
        QCOMPARE(w.LimitVal->text(), QStringLiteral("1"));
        QCOMPARE(w.Notes->geometry(), QRect(144, 432, 601, 57));
        QCOMPARE(countOf(w.Data->toPlainText(), Stars), 1);

        // Step 2 without typing: 1 s applied, a block appended, back to idle.
        QTest::mouseClick(w.Limite, Qt::LeftButton);
        QCOMPARE(w.Limite->text(), QStringLiteral("Limite"));
        QVERIFY(!w.LimitVal->isVisible() && !w.NouvLimite->isVisible() && !w.Label3->isVisible());
        QCOMPARE(w.Notes->geometry(), QRect(40, 432, 705, 57));
        QCOMPARE(w.StatusPanels[1]->text(), QStringLiteral("Limite= 1000"));
        QCOMPARE(countOf(w.Data->toPlainText(), Stars), 2);
        QVERIFY(w.Data->toPlainText().contains(QStringLiteral("Rejet(s) (>1 sec. ou <100 msec.): ")));
        QVERIFY(msgs.service.texts().isEmpty());

        // Typed with a comma and applied with the Enter key.
        QTest::mouseClick(w.Limite, Qt::LeftButton);
        w.LimitVal->selectAll();
        QTest::keyClicks(w.LimitVal, QStringLiteral("2,5"));
        QTest::keyClick(w.LimitVal, Qt::Key_Return);
        QCOMPARE(w.Limite->text(), QStringLiteral("Limite"));
        QCOMPARE(w.StatusPanels[1]->text(), QStringLiteral("Limite= 2500"));
        QCOMPARE(countOf(w.Data->toPlainText(), Stars), 3);
        QVERIFY(w.Data->toPlainText().contains(QStringLiteral("Rejet(s) (>2.5 sec. ou <100 msec.): ")));

        // Refused: the message, the limit unchanged, a block all the same.
        QTest::mouseClick(w.Limite, Qt::LeftButton);
        w.LimitVal->selectAll();
        QTest::keyClicks(w.LimitVal, QStringLiteral("12"));
        QTest::keyClick(w.LimitVal, Qt::Key_Enter);
        QCOMPARE(msgs.service.texts(), QStringList{QStringLiteral("   Mauvais format de limite !    ")});
        QCOMPARE(w.StatusPanels[1]->text(), QStringLiteral("Limite= 2500"));
        QCOMPARE(w.Limite->text(), QStringLiteral("Limite"));
        QCOMPARE(countOf(w.Data->toPlainText(), Stars), 4);
        QVERIFY(w.isVisible()); // Enter pressed no button of the window

        // Effacer: the head only, the limit kept, the notes typed so far kept (and
        // saved at the close).
        typeNote(w, QStringLiteral("à garder"));
        QTest::mouseClick(w.Effacer, Qt::LeftButton);
        QCOMPARE(countOf(w.Data->toPlainText(), Stars), 0);
        QCOMPARE(w.Notes->toPlainText(), QStringLiteral("[Notes]\nà garder"));
        QCOMPARE(w.StatusPanels[1]->text(), QStringLiteral("Limite= 2500"));
        QTest::mouseClick(w.Limite, Qt::LeftButton);
        QTest::mouseClick(w.Limite, Qt::LeftButton);
        QVERIFY(!w.Data->toPlainText().contains(QStringLiteral("Scores bruts:")));
        w.logic().markAnalysed = [](const QString &) { return true; };
        w.QuitterClick();
        QVERIFY(readBytes(m_dir.filePath(QStringLiteral("Dupont_16.VC"))).endsWith("[Notes]\r\n\xE0 garder\r\n"));
    }

    void pointingTestsProposeFiveSeconds()
    {
        ScopedScriptedMessages msgs;
        TFormAnalyse w;
        open(w, put(QStringLiteral("Dupont_64.PAS"), pointingFile()), 8);
        QCOMPARE(w.StatusPanels[1]->text(), QStringLiteral("Limite= 30000"));
        QTest::mouseClick(w.Limite, Qt::LeftButton);
        QCOMPARE(w.LimitVal->text(), QStringLiteral("5"));
        QTest::mouseClick(w.Limite, Qt::LeftButton);
        QCOMPARE(w.StatusPanels[1]->text(), QStringLiteral("Limite= 5000"));
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
        TFormAnalyse w;
        open(w, put(QStringLiteral("Dupont_16.VC"), visualFile()), 0);
        QVERIFY(w.Data->toPlainText().endsWith(journalEntryLines(entry, 78).join(QLatin1Char('\n'))));
        QCOMPARE(readBytes(reportFilePath()), w.logic().state().Report.bytes());
        QVERIFY(!w.logic().state().Report.text().contains(QStringLiteral("SCHED_FIFO")));
        w.QuitterClick();
    }

    void sustainedAttentionHidesLimitAndEffacer()
    {
        ScopedScriptedMessages msgs;
        TFormAnalyse w;
        open(w, put(QStringLiteral("Dupont_228-1.AS"), sustainedFile()), 7);
        QVERIFY(msgs.service.texts().isEmpty());
        QCOMPARE(w.windowTitle(), QStringLiteral("Analyse de Dupont_228-1.AS  -  Attention soutenue"));
        QVERIFY(!w.Limite->isVisible());
        QVERIFY(!w.Effacer->isVisible());
        QVERIFY(w.Imprimer->isVisible() && w.Exporter->isVisible() && w.Options->isVisible()
                && w.Quitter->isVisible());
        const QString data = w.Data->toPlainText();
        QVERIFY(data.startsWith(QStringLiteral("0      BATTERIE ATTENTION TESSARO (ZOKA) v4.0b\n")));
        QVERIFY(data.contains(QStringLiteral("Dupont    Attention soutenue   228 items (durée: 1000 msec)")));
        QCOMPARE(readBytes(reportFilePath()), w.logic().state().Report.bytes());
        w.QuitterClick();

        // The same window, reused for another test, shows them again.
        open(w, put(QStringLiteral("Dupont_16.VC"), visualFile()), 0);
        QVERIFY(w.Limite->isVisible() && w.Effacer->isVisible());
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
        TFormAnalyse w;
        const QString path = put(QStringLiteral("Dupont_1x.VC"), visualFile());
        open(w, path, 0);
        QCOMPARE(internalError, 0);
        QCOMPARE(msgs.service.texts().size(), 3);
        QVERIFY(msgs.service.texts().first().contains(QStringLiteral("Err1")));
        QVERIFY(!w.Limite->isEnabled());
        QVERIFY(!w.Effacer->isEnabled());
        QVERIFY(w.Data->toPlainText().contains(QStringLiteral("Dupont    TR Visuel Centré   1 items")));
        QVERIFY(!w.Data->toPlainText().contains(QStringLiteral("Scores bruts:")));
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
        TFormAnalyse w;
        const QString path = put(QStringLiteral("Dupont_16.VC"), visualFile());
        int marks = 0;
        w.logic().markAnalysed = [&](const QString &p) { ++marks; return MarkAnalysed(p); };

        open(w, path, 0);
        typeNote(w, QStringLiteral("une fois"));
        w.QuitterClick();
        QVERIFY(!w.isVisible());
        QCOMPARE(w.result(), int(QDialog::Accepted));
        QCOMPARE(marks, 1);
        QVERIFY(w.Notes->toPlainText().isEmpty());
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
            TFormAnalyse w;
            open(w, path, test);
            QCOMPARE(w.Notes->toPlainText(), QStringLiteral("[Notes]"));
            QCOMPARE(w.Notes->toolTip(), QStringLiteral("Entrez les notes à ajouter au protocole"));
            typeNote(w, QStringLiteral("Patient fatigué"));
            QVERIFY(w.Notes->toolTip().isEmpty());
            typeNote(w, QStringLiteral("2e ligne"));
            w.QuitterClick();

            QVERIFY(!isNotAnalysed(path));
            const QStringList expected = original
                + QStringList{QStringLiteral("[Notes]"), QStringLiteral("Patient fatigué"), QStringLiteral("2e ligne")};
            QCOMPARE(readBytes(path), cp1252::encodeLines(expected));

            // Opened again: the notes come back; closed again: one "[Notes]" only.
            open(w, path, test);
            QCOMPARE(w.Notes->toPlainText(), QStringLiteral("[Notes]\nPatient fatigué\n2e ligne"));
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
        TFormAnalyse w;
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
        QCOMPARE(msgs.service.shown().first().buttons, MsgButtons::YesNo);
        QVERIFY(w.Notes->toPlainText().contains(QStringLiteral("perdue?")));

        msgs.service.queue(MsgAnswer::Yes);
        w.close();
        QVERIFY(!w.isVisible());
        QVERIFY(w.logic().closed());
    }

    void unreadableFileIsLeftAlone()
    {
        ScopedScriptedMessages msgs;
        TFormAnalyse w;
        const QString path = m_dir.filePath(QStringLiteral("Absent_16.VC"));
        int marks = 0;
        w.logic().markAnalysed = [&](const QString &) { ++marks; return true; };
        open(w, path, 0);
        QCOMPARE(msgs.service.shown().size(), 1);
        QVERIFY(w.Data->toPlainText().isEmpty());
        QVERIFY(readBytes(reportFilePath()).isEmpty()); // no report of another file left
        w.QuitterClick();
        QCOMPARE(marks, 0);
        QVERIFY(!QFile::exists(path));
    }
};

QTEST_MAIN(TestAnalyseWindow)
#include "tst_analysewindow.moc"
