// SPDX-License-Identifier: GPL-3.0-or-later
// Reading result files back: checks, error codes, raw listings, notes.
#include "analysis/analysis.h"
#include "analysis/followup.h"
#include "analysis/resultreader.h"
#include "platform/cp1252.h"
#include "platform/messages.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QLocale>
#include <QRegularExpression>
#include <QTest>

#include <cmath>

using namespace zoka;

namespace {

const QString Date = QStringLiteral("07/12/2026 à 09:41:12");

QStringList valueLines(const QList<int> &values)
{
    QStringList out;
    for (int v : values)
        out << QString::number(v);
    return out;
}

QList<int> times(int count, int start = 300)
{
    QList<int> v;
    for (int i = 0; i < count; ++i)
        v << start + 7 * i;
    return v;
}

} // namespace

class TstReader : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    ScopedScriptedMessages *m_msgs = nullptr;

    QString write(const QString &name, const QStringList &lines)
    {
        const QString path = m_dir.filePath(name);
        QFile f(path);
        f.open(QIODevice::WriteOnly | QIODevice::Truncate);
        f.write(cp1252::encodeLines(lines));
        return path;
    }
    QString writeBytes(const QString &name, const QByteArray &bytes)
    {
        const QString path = m_dir.filePath(name);
        QFile f(path);
        f.open(QIODevice::WriteOnly | QIODevice::Truncate);
        f.write(bytes);
        return path;
    }
    static QByteArray bytesOf(const QString &path)
    {
        QFile f(path);
        f.open(QIODevice::ReadOnly);
        return f.readAll();
    }
    // Opens `path` as the analysis window does and returns the report lines.
    QStringList open(AnalysisState &st, const QString &path, int test)
    {
        const QString name = path.mid(path.lastIndexOf(u'/') + 1);
        prepareAnalysis(st, path, test, 1, name.left(name.indexOf(u'_')), QStringLiteral("4.0b"));
        openAnalysis(st);
        return cp1252::splitLines(st.Report.text());
    }
    QStringList shown() const { return m_msgs->service.texts(); }

private slots:
    void initTestCase() { QLocale::setDefault(QLocale(QLocale::French, QLocale::France)); }
    void init() { m_msgs = new ScopedScriptedMessages; }
    void cleanup()
    {
        delete m_msgs;
        m_msgs = nullptr;
    }

    void completeFile()
    {
        const QStringList file = QStringList{QStringLiteral("Dupont: ") + Date, QStringLiteral("2")}
            + valueLines(times(16)) + QStringList{QStringLiteral("-4")};
        const QString path = write(QStringLiteral("Dupont_16.VC"), file);
        AnalysisState st;
        const QStringList report = open(st, path, 0);
        QVERIFY(shown().isEmpty());
        QCOMPARE(st.AnalysisError, AnalysisNoError);
        QCOMPARE(st.ItemCount, 16);
        QCOMPARE(st.PracticeRuns, 2);
        QCOMPARE(st.UntimelyCount, 4);
        QCOMPARE(st.SecondCount, -1);
        QCOMPARE(st.RawValues[15], 300 + 7 * 15);
        QCOMPARE(st.RawValues[16], 0);
        QCOMPARE(st.PatientName, QStringLiteral("Dupont"));
        QCOMPARE(st.AdministrationDate, Date);
        QCOMPARE(st.DataLines, file);
        QCOMPARE(st.Notes, QStringList{QStringLiteral("[Notes]")});
        QCOMPARE(report.at(2), QStringLiteral("Dupont    TR Visuel Centré   16 items"));
        QCOMPARE(report.at(3), QStringLiteral("Passation de l'épreuve le ") + Date);
        QCOMPARE(report.at(5), QStringLiteral("Nombre d'essais: 2 ;  Nombre d'appuis intempestifs: 4"));
        QCOMPARE(report.at(7), QStringLiteral("Scores bruts:"));
        QVERIFY(st.LimiteEnabled);
        QVERIFY(st.ExportWithoutInfo);
    }

    void secondNumberOfClosingLine()
    {
        AnalysisState st;
        QStringList file = QStringList{QStringLiteral("Durand: ") + Date, QStringLiteral("0")}
            + valueLines(times(36)) + QStringList{QStringLiteral("-2 1")};
        QStringList report = open(st, write(QStringLiteral("Durand_36.LFC"), file), 2);
        QCOMPARE(st.UntimelyCount, 2);
        QCOMPARE(st.SecondCount, 1);
        QVERIFY(report.contains(QStringLiteral("Nombre d'appuis pendant l'affichage du point de fixation: 1")));

        // A closing line that lacks its second number is refused, not guessed.
        file.last() = QStringLiteral("-2");
        report = open(st, write(QStringLiteral("Durand_36.LFC"), file), 2);
        QCOMPARE(st.AnalysisError, AnalysisReadFailure);
        QVERIFY(report.isEmpty());
        QCOMPARE(shown().size(), 1);
        QVERIFY(shown().first().contains(QStringLiteral("ligne 39")));
    }

    void notesAreLoaded()
    {
        const QStringList data = QStringList{QStringLiteral("Dupont: ") + Date, QStringLiteral("0")}
            + valueLines(times(16)) + QStringList{QStringLiteral("0")};
        const QString path = write(QStringLiteral("Dupont_16.VC"),
                                   data + QStringList{QStringLiteral("[Notes]"), QStringLiteral("fatigué"),
                                                      QString(), QStringLiteral("coopérant")});
        AnalysisState st;
        open(st, path, 0);
        QCOMPARE(st.Notes, (QStringList{QStringLiteral("[Notes]"), QStringLiteral("fatigué"),
                                        QStringLiteral("coopérant")}));
        QCOMPARE(st.DataLines, data);
        QVERIFY(shown().isEmpty());
    }

    void notesRoundTrip()
    {
        const QStringList data = QStringList{QStringLiteral("Dupont: ") + Date, QStringLiteral("1")}
            + valueLines(times(16)) + QStringList{QStringLiteral("-1")};
        const QString path = write(QStringLiteral("Dupont_16.VC"), data);
        AnalysisState st;
        open(st, path, 0);
        st.Notes << QStringLiteral("Très lent, ré-évaluer");
        QVERIFY(SaveNotes(st));
        const QByteArray once = bytesOf(path);
        QCOMPARE(once, cp1252::encodeLines(data + QStringList{QStringLiteral("[Notes]"),
                                                              QStringLiteral("Très lent, ré-évaluer")}));
        // Opened and closed twice more: still one "[Notes]", nothing doubled.
        for (int round = 0; round < 2; ++round) {
            AnalysisState again;
            open(again, path, 0);
            QCOMPARE(again.AnalysisError, AnalysisNoError);
            QVERIFY(SaveNotes(again));
            QCOMPARE(bytesOf(path), once);
        }
        QCOMPARE(once.count("[Notes]"), 1);

        // The first reading is out of date now (the file was rewritten since): refused.
        st.Notes = QStringList{QStringLiteral("sans en-tête")};
        QVERIFY(!SaveNotes(st));
        QCOMPARE(bytesOf(path), once);
        // Notes without their first line get it back on saving.
        open(st, path, 0);
        st.Notes = QStringList{QStringLiteral("sans en-tête")};
        QVERIFY(SaveNotes(st));
        QVERIFY(bytesOf(path).endsWith("[Notes]\r\nsans en-t\xEAte\r\n"));
    }

    void markerInsideLines()
    {
        // Only the exact "[Notes]" line ends the data: a header or an extra line that
        // merely holds it survives the rewrite, and so do the notes.
        const QStringList data = QStringList{QStringLiteral("Dr[Notes]: ") + Date, QStringLiteral("0")}
            + valueLines(times(16)) + QStringList{QStringLiteral("0"), QStringLiteral("12 [Notes] ajoutée")};
        const QStringList file = data + QStringList{QStringLiteral("[Notes]"), QStringLiteral("vue")};
        const QString path = write(QStringLiteral("Dr[Notes]_16.VC"), file);
        AnalysisState st;
        open(st, path, 0);
        QCOMPARE(st.AnalysisError, AnalysisNoError); // error 4 shown, the analysis runs
        QCOMPARE(st.DataLines, data);
        QVERIFY(SaveNotes(st));
        QCOMPARE(bytesOf(path), cp1252::encodeLines(file));
        AnalysisState again;
        open(again, path, 0);
        QCOMPARE(again.PatientName, QStringLiteral("Dr[Notes]"));
        QCOMPARE(again.Notes, (QStringList{QStringLiteral("[Notes]"), QStringLiteral("vue")}));
    }

    void headerNameIsReportedNotTaken_data()
    {
        QTest::addColumn<QString>("header");
        QTest::newRow("plain") << "Durand";
        QTest::newRow("parent directory") << "../evil";
        QTest::newRow("lost character") << QStringLiteral("Ωmega"); // written "?mega"
    }
    void headerNameIsReportedNotTaken()
    {
        // The analysis reads the name into its state and its report; the session is
        // the main window's to change (it checks the name first).
        QFETCH(QString, header);
        const QString path = write(QStringLiteral("Durand_16.VC"), QStringList{header + QStringLiteral(": ") + Date, QStringLiteral("0")}
                                                                       + valueLines(times(16)) + QStringList{QStringLiteral("0")});
        AnalysisState st;
        const QStringList report = open(st, path, 0);
        const QString asWritten = cp1252::decode(cp1252::encode(header));
        QVERIFY(report.at(2).startsWith(asWritten + QStringLiteral("    "))); // the report names it all the same
        QCOMPARE(st.PatientName, asWritten);
    }

    void saveNotesFailureKeepsFile()
    {
        // A name so long that the replacement file cannot be created beside it.
        const QString name = QString(245, u'P') + QStringLiteral("_16.VC");
        const QStringList data = QStringList{QString(245, u'P') + QStringLiteral(": ") + Date, QStringLiteral("0")}
            + valueLines(times(16)) + QStringList{QStringLiteral("0")};
        const QString path = write(name, data);
        const QByteArray before = bytesOf(path);
        QVERIFY(!before.isEmpty());
        AnalysisState st;
        open(st, path, 0);
        st.Notes << QStringLiteral("note perdue ?");
        QString error;
        QVERIFY(!SaveNotes(st, &error));
        QVERIFY(!error.isEmpty());
        QCOMPARE(bytesOf(path), before);
        QCOMPARE(QDir(m_dir.path()).entryList(QDir::Files).filter(QString(200, u'P')).size(), 1);
    }

    void errorCodeOne_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("values");
        QTest::addColumn<int>("n");
        QTest::newRow("letter in count") << "Dupont_1x.VC" << 16 << 1;
        QTest::newRow("no count") << "Dupont_.VC" << 16 << 0;
        QTest::newRow("beyond the table") << "Dupont_99.VC" << 99 << 99;
        QTest::newRow("huge count") << "Dupont_4000000000.VC" << 70 << 2147483647;
    }
    void errorCodeOne()
    {
        QFETCH(QString, name);
        QFETCH(int, values);
        QFETCH(int, n);
        const QStringList file = QStringList{QStringLiteral("Dupont: ") + Date, QStringLiteral("0")}
            + valueLines(times(values)) + QStringList{QStringLiteral("0")};
        AnalysisState st;
        const QStringList report = open(st, write(name, file), 0);
        QCOMPARE(shown().first(),
                 QStringLiteral("      Err1: Le nom de fichier a un mauvais format          "));
        QCOMPARE(st.ItemCount, n);
        if (n <= MaxItemValues) {
            // The reading goes on with the leading digits: the "closing line" is then
            // a reaction time (error 5), the lines after it are extra (error 4). The
            // count has no foreperiod series, so the file name's error stands: head
            // only, no statistics, no new limit, and the program goes on.
            QCOMPARE(shown().size(), 3);
            QVERIFY(shown().at(1).contains(QStringLiteral("Err5")));
            QVERIFY(shown().at(2).contains(QStringLiteral("Err4")));
            QCOMPARE(st.AnalysisError, 1);
            QCOMPARE(st.InternalErrorCode, 0);
            QVERIFY(!st.LimiteEnabled);
            QVERIFY(!report.contains(QStringLiteral("Scores bruts:")));
            QCOMPARE(st.DataLines, file); // nothing lost when the window closes
        } else {
            QCOMPARE(st.AnalysisError, 1);
            QCOMPARE(shown().size(), 1);
            QCOMPARE(st.DataLines, file); // nothing lost when the window closes
            QVERIFY(!report.contains(QStringLiteral("Scores bruts:")));
            QCOMPARE(report.size(), 7); // the head only
        }
    }

    void incompleteFile_data()
    {
        QTest::addColumn<QStringList>("tail");
        QTest::addColumn<int>("shownCount");
        QTest::newRow("value 0 at item 5")
            << (valueLines(times(4)) + QStringList{QStringLiteral("0"), QStringLiteral("400")}) << 4;
        QTest::newRow("closing line at item 11")
            << (valueLines(times(10)) + QStringList{QStringLiteral("-3")}) << 10;
        QTest::newRow("end of file after item 9") << valueLines(times(9)) << 8;
        QTest::newRow("header only") << QStringList() << 0;
    }
    void incompleteFile()
    {
        QFETCH(QStringList, tail);
        QFETCH(int, shownCount);
        QStringList file{QStringLiteral("Dupont: ") + Date};
        if (!tail.isEmpty() || shownCount > 0)
            file << QStringLiteral("3");
        file += tail;
        AnalysisState st;
        const QStringList report = open(st, write(QStringLiteral("Dupont_16.VC"), file), 0);
        QCOMPARE(shown(), QStringList{QStringLiteral("        Le fichier est incomplet. Le contenu partiel est visualisé et non traité.        ")});
        QCOMPARE(st.AnalysisError, 2);
        QCOMPARE(report.at(2), QStringLiteral("Dupont    TR Visuel Centré   16 items"));
        QCOMPARE(report.at(5), QStringLiteral("Données incomplètes (%1 sur 16)").arg(shownCount));
        QVERIFY(!st.LimiteEnabled);
        QVERIFY(!st.ExportWithoutInfo);
        QCOMPARE(st.DataLines, file);
        if (!tail.isEmpty())
            QCOMPARE(report.at(6), QStringLiteral("   1 :  300"));
        if (tail.contains(QStringLiteral("-3")))
            QCOMPARE(report.last(), QStringLiteral("Nbre d'appui(s) intempestif(s): 3"));
    }

    void incompleteFileAnalysedTwice_data()
    {
        QTest::addColumn<QStringList>("tail");
        QTest::newRow("no closing line") << valueLines(times(5));
        QTest::newRow("closing line at item 11") << (valueLines(times(10)) + QStringList{QStringLiteral("-3")});
        QTest::newRow("every item, no closing line") << valueLines(times(16));
        QTest::newRow("header only") << QStringList();
    }
    void incompleteFileAnalysedTwice()
    {
        // Closing the window puts the notes right after the partial item lines; the
        // next opening still lists the incomplete file and keeps its notes.
        QFETCH(QStringList, tail);
        QStringList data{QStringLiteral("Dupont: ") + Date};
        if (!tail.isEmpty())
            data << QStringLiteral("1");
        data += tail;
        const QString path = write(QStringLiteral("Dupont_16.VC"), data);
        AnalysisState st;
        const QStringList first = open(st, path, 0);
        QCOMPARE(st.AnalysisError, 2);
        st.Notes << QStringLiteral("arrêt: fatigue");
        QVERIFY(SaveNotes(st));
        const QByteArray saved = bytesOf(path);
        QCOMPARE(saved, cp1252::encodeLines(data + QStringList{QStringLiteral("[Notes]"),
                                                               QStringLiteral("arrêt: fatigue")}));
        m_msgs->service.clear();
        AnalysisState again;
        const QStringList second = open(again, path, 0);
        QCOMPARE(shown(), QStringList{IncompleteFileText});
        QCOMPARE(again.AnalysisError, 2);
        QCOMPARE(second, first);
        QCOMPARE(again.Notes, (QStringList{QStringLiteral("[Notes]"), QStringLiteral("arrêt: fatigue")}));
        QCOMPARE(again.DataLines, data);
        QVERIFY(SaveNotes(again));
        QCOMPARE(bytesOf(path), saved);
    }

    void noItemCountLeavesNoClosingLine()
    {
        // "Dupont_x.VC": a count of 0; a file with nothing after its header, or after
        // the practice line, reads without a fault (head only, no statistics).
        for (const QStringList &file : {QStringList{QStringLiteral("Dupont: ") + Date},
                                        QStringList{QStringLiteral("Dupont: ") + Date, QStringLiteral("0")},
                                        QStringList{}}) {
            AnalysisState st;
            const QStringList report = open(st, write(QStringLiteral("Dupont_x.VC"), file), 0);
            QCOMPARE(st.AnalysisError, 1);
            QCOMPARE(report.size(), 7);
            QCOMPARE(report.at(2), QStringLiteral("Dupont    TR Visuel Centré   0 items"));
            QVERIFY(!st.LimiteEnabled);
        }
    }

    void extraLinesKeepOldNotes()
    {
        const QStringList data = QStringList{QStringLiteral("Dupont: ") + Date, QStringLiteral("0")}
            + valueLines(times(16)) + QStringList{QStringLiteral("-1"), QStringLiteral("ligne en trop")};
        const QString path = write(QStringLiteral("Dupont_16.VC"),
                                   data + QStringList{QStringLiteral("[Notes]"), QStringLiteral("note ancienne")});
        AnalysisState st;
        const QStringList report = open(st, path, 0);
        QCOMPARE(shown(), QStringList{QStringLiteral("      Err4: Trop de données dans le fichier: il sera tronqué          ")});
        QCOMPARE(st.AnalysisError, AnalysisNoError); // the analysis still runs
        QVERIFY(report.contains(QStringLiteral("Scores bruts:")));
        QCOMPARE(st.Notes, (QStringList{QStringLiteral("[Notes]"), QStringLiteral("note ancienne")}));
        st.Notes << QStringLiteral("note nouvelle");
        QVERIFY(SaveNotes(st));
        QCOMPARE(bytesOf(path), cp1252::encodeLines(data + QStringList{QStringLiteral("[Notes]"),
                                                                       QStringLiteral("note ancienne"),
                                                                       QStringLiteral("note nouvelle")}));
    }

    void positiveUntimelyCount()
    {
        const QStringList file = QStringList{QStringLiteral("Dupont: ") + Date, QStringLiteral("0")}
            + valueLines(times(16)) + QStringList{QStringLiteral("3")};
        AnalysisState st;
        const QStringList report = open(st, write(QStringLiteral("Dupont_16.VC"), file), 0);
        QCOMPARE(shown(), QStringList{QStringLiteral("      Err5: Trop d'appuis intempestifs ou non comptés          ")});
        QCOMPARE(st.AnalysisError, 5);
        QCOMPARE(report.at(5), QStringLiteral("Nombre d'essais: 0 ;  Nombre d'appuis intempestifs: 3"));
        QCOMPARE(report.size(), 7); // head only, no statistics
    }

    void patientNameMismatch()
    {
        const QStringList file = QStringList{QStringLiteral("Martin: ") + Date, QStringLiteral("0")}
            + valueLines(times(16)) + QStringList{QStringLiteral("0")};
        AnalysisState st;
        const QStringList report = open(st, write(QStringLiteral("Dupont_16.VC"), file), 0);
        QCOMPARE(shown(), QStringList{QStringLiteral(" Le nom du fichier ne correspond pas au nom de patient enregistré! ")});
        QCOMPARE(st.PatientName, QStringLiteral("Martin"));
        QCOMPARE(st.AnalysisError, AnalysisNoError);
        QVERIFY(report.at(2).startsWith(QStringLiteral("Martin    ")));
    }

    void endlessSeries()
    {
        QStringList file = QStringList{QStringLiteral("Roux: ") + Date + QStringLiteral(" #"), QStringLiteral("4"),
                                       QStringLiteral("1234")}
            + valueLines(times(70)) + QStringList{QStringLiteral("-2"), QStringLiteral("[Notes]"), QStringLiteral("vu")};
        AnalysisState st;
        const QStringList report = open(st, write(QStringLiteral("Roux_999.VC"), file), 0);
        QCOMPARE(shown(), QStringList{QStringLiteral(" Le fichier contient des données en nbre quelconque.\r Pour les visualiser ou les traiter, il est nécessaire de les exporter. ")});
        QCOMPARE(st.AnalysisError, AnalysisUnlimited);
        QCOMPARE(st.AdministrationDate, Date);
        QCOMPARE(report.at(2), QStringLiteral("Roux    TR Visuel Centré   Nombre non limité d'items"));
        QCOMPARE(report.at(4), QStringLiteral("Nombre d'essais : 4"));
        QCOMPARE(report.at(5), QStringLiteral("Affichage des 15 premières données:"));
        QCOMPARE(report.at(6), QStringLiteral("   1 :  1234"));
        QCOMPARE(report.size(), 6 + 15);
        QCOMPARE(st.Notes, (QStringList{QStringLiteral("[Notes]"), QStringLiteral("vu")}));
        file.removeLast();
        file.removeLast();
        QCOMPARE(st.DataLines, file);
        QVERIFY(!st.ExportWithoutInfo);
        QVERIFY(!st.LimiteEnabled);
    }

    void malformedLines_data()
    {
        QTest::addColumn<QByteArray>("badLine");
        QTest::newRow("letters") << QByteArray("abc");
        QTest::newRow("huge number") << QByteArray("99999999999999999999");
        QTest::newRow("lowest 32-bit") << QByteArray("-2147483648");
        QTest::newRow("stray byte") << QByteArray("41\x01" "2");
        QTest::newRow("control byte alone") << QByteArray("\x1a");
        QTest::newRow("empty line") << QByteArray("");
        QTest::newRow("decimal") << QByteArray("412.5");
    }
    void malformedLines()
    {
        QFETCH(QByteArray, badLine);
        QByteArray bytes = cp1252::encode(QStringLiteral("Dupont: ") + Date) + "\r\n0\r\n";
        for (int i = 0; i < 16; ++i)
            bytes += (i == 6 ? badLine : QByteArray::number(300 + i)) + "\r\n";
        bytes += "0\r\n[Notes]\r\nà garder\r\n";
        const QString path = writeBytes(QStringLiteral("Dupont_16.VC"), bytes);
        AnalysisState st;
        const QStringList report = open(st, path, 0);
        QCOMPARE(st.AnalysisError, AnalysisReadFailure);
        QVERIFY(report.isEmpty());
        QVERIFY(!st.LimiteEnabled); // no statistics of a refused file, not even after "Limite"
        QCOMPARE(shown().size(), 1);
        QVERIFY2(shown().first().contains(QStringLiteral("ligne 9")), qPrintable(shown().first()));
        QVERIFY(shown().first().contains(QStringLiteral("Dupont_16.VC")));
        for (const QChar c : shown().first())
            QVERIFY(c.unicode() >= 0x20); // no control character quoted as is
        // Closing the window afterwards rewrites the file unchanged.
        QVERIFY(SaveNotes(st));
        QCOMPARE(bytesOf(path), bytes);
    }

    // A first line "[Notes]" (a file analysed while empty, written to later): closing
    // the window keeps every line, twice over.
    void firstLineNotes_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("test");
        QTest::addColumn<QStringList>("body");
        const QStringList closing{QStringLiteral("0"), QStringLiteral("vu")};
        QTest::newRow("complete") << "Roux_16.VC" << 0 << QStringList{"1"} + valueLines(times(16)) + closing;
        QTest::newRow("incomplete") << "Roux_16.VC" << 0 << QStringList{"1"} + valueLines(times(5));
        QTest::newRow("count 0") << "Roux_0.VC" << 0 << QStringList{"1", "0", "vu"};
        QTest::newRow("sustained") << "Roux_228-1.AS" << 7
                                   << QStringList{"1"} + QStringList(228, QStringLiteral("k 0")) + closing;
    }
    void firstLineNotes()
    {
        QFETCH(QString, name);
        QFETCH(int, test);
        QFETCH(QStringList, body);
        const QByteArray bytes = cp1252::encodeLines(QStringList{NotesMarker} + body);
        const QString path = writeBytes(name, bytes);
        for (int pass = 1; pass <= 2; ++pass) {
            AnalysisState st;
            open(st, path, test);
            QVERIFY(SaveNotes(st));
            QCOMPARE(bytesOf(path), bytes);
        }
    }

    void missingFile()
    {
        AnalysisState st;
        const QString path = m_dir.filePath(QStringLiteral("Absent_16.VC"));
        const QStringList report = open(st, path, 0);
        QVERIFY(report.isEmpty());
        QCOMPARE(st.AnalysisError, AnalysisReadFailure);
        QVERIFY(shown().first().startsWith(QStringLiteral("Fichier introuvable")));
        QVERIFY(SaveNotes(st)); // nothing to write: no empty file appears
        QVERIFY(!QFile::exists(path));

        // A directory bearing a result-file name is refused, not read.
        const QString dir = m_dir.filePath(QStringLiteral("Dossier_16.VC"));
        QVERIFY(QDir().mkpath(dir));
        m_msgs->service.clear();
        QVERIFY(open(st, dir, 0).isEmpty());
        QCOMPARE(st.AnalysisError, AnalysisReadFailure);
        QVERIFY(shown().first().startsWith(QStringLiteral("Nom de fichier incorrect")));
        QVERIFY(SaveNotes(st));
        QVERIFY(QFileInfo(dir).isDir());
    }

    void effacerKeepsPassAndLimit()
    {
        const QStringList file = QStringList{QStringLiteral("Dupont: ") + Date, QStringLiteral("0")}
            + valueLines(times(16)) + QStringList{QStringLiteral("0"), QStringLiteral("[Notes]"), QStringLiteral("n")};
        AnalysisState st;
        open(st, write(QStringLiteral("Dupont_16.VC"), file), 0);
        QCOMPARE(st.AnalysisPass, 2);
        st.Notes << QStringLiteral("tapé");
        QVERIFY(rereadAnalysis(st));
        QCOMPARE(st.Notes, (QStringList{QStringLiteral("[Notes]"), QStringLiteral("n")}));
        QCOMPARE(st.DataLines.size(), file.size() - 2); // not doubled
        QStringList report = cp1252::splitLines(st.Report.text());
        QCOMPARE(report.size(), 7); // head only
        applyLimitAndAnalyse(st, QStringLiteral("1"));
        report = cp1252::splitLines(st.Report.text());
        QCOMPARE(report.at(7), QString()); // no "Scores bruts:" after the first pass
        QVERIFY(report.contains(QStringLiteral("Rejet(s) (>1 sec. ou <100 msec.): 0")));
    }

    // A follow-up reads each file through the analysis. Its times leave a time-out out
    // (an omission only) and keep 100 ms and more; figures worked out apart from the
    // program, from the files' lines and the go/no-go series.
    void followUpMeasures_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("state");
        QTest::addColumn<QList<double>>("figures"); // median, mean, SD, kept times
        QTest::addColumn<QList<int>>("counts");     // omissions, go items, false alarms, untimely
        QTest::addColumn<QStringList>("groups");
        QTest::newRow("VC, a time-out and a reject") << "Dupont_32.VC" << "complet" << QList<double>{457.5, 488.67, 196.12, 30}
                                                     << QList<int>{1, 32, -1, 2} << QStringList{};
        QTest::newRow("SB, no-go items apart") << "Petit_64.SB" << "complet" << QList<double>{480, 472.59, 120.92, 37}
                                               << QList<int>{2, 40, 2, 1} << QStringList{};
        QTest::newRow("DB") << "Petit_32.DB" << "complet" << QList<double>{525, 575.84, 197.27, 19} << QList<int>{1, 20, 3, 0}
                            << QStringList{};
        QTest::newRow("MIX, by modality") << "Leroy_65.MIX" << "complet" << QList<double>{775, 818.41, 343.17, 63}
                                          << QList<int>{1, 65, -1, 4} << QStringList{"Visuel=731.0/32", "Auditif=816.0/31"};
        QTest::newRow("PAS, 30 s window, regions") << "Bernard_64.PAS" << "complet" << QList<double>{13259, 13532.02, 6096.55, 61}
                                                   << QList<int>{2, 64, -1, 1} << QStringList{"Hémichamp Gauche", "Hémichamp Droit",
                                                                                              "Moitié Supérieure", "Moitié Inférieure",
                                                                                              "Quadrant Sup. Gauche", "Quadrant Inf. Gauche",
                                                                                              "Quadrant Sup. Droit", "Quadrant Inf. Droit"};
        QTest::newRow("stopped early") << "Roux_16.VC" << "incomplet" << QList<double>{} << QList<int>{} << QStringList{};
        QTest::newRow("endless") << "Roux_999.VC" << "série illimitée" << QList<double>{} << QList<int>{} << QStringList{};
    }
    void followUpMeasures()
    {
        QFETCH(QString, file);
        QFETCH(QString, state);
        QFETCH(QList<double>, figures);
        QFETCH(QList<int>, counts);
        QFETCH(QStringList, groups);
        const Administration a = readAdministration(QStringLiteral(ZOKA_TESTDATA_DIR "/analysis/") + file);
        QVERIFY(m_msgs->service.shown().isEmpty());
        QCOMPARE(fileStateText(a.state), state);
        QCOMPARE(a.comparable(), !figures.isEmpty());
        QCOMPARE(a.when, QDateTime(QDate(2026, 12, 7), QTime(9, 41, 12)));
        if (figures.isEmpty())
            return;
        const QList<double> got = {a.rt.median, a.rt.mean, a.rt.sd, double(a.times.size())};
        for (int i = 0; i < 4; ++i)
            QVERIFY2(std::fabs(got[i] - figures[i]) < 0.006, qPrintable(QStringLiteral("%1: %2").arg(i).arg(got[i])));
        QCOMPARE((QList<int>{a.omissions, a.goItems, a.falseAlarms, a.untimely}), counts);
        QStringList gotGroups;
        for (const ItemGroup &g : a.groups)
            gotGroups << (groups.value(0).contains(u'=') ? QStringLiteral("%1=%2/%3").arg(g.label).arg(g.stats.median, 0, 'f', 1).arg(g.count)
                                                         : g.label);
        QCOMPARE(gotGroups, groups);
    }

    void followUpFilesAndDates()
    {
        // Session folders are searched, "Export" and links to folders are not; names
        // that differ by case or accents are different patients.
        QTemporaryDir dir;
        QDir d(dir.path());
        for (const char *name : {"Dupont_16.VC", "2026-10/Dupont_32.VC", "2026-10/dupont_16.VC", "2026-10/Dupönt_16.VC",
                                 "Export/Dupont_16.VC", "Dupont_16.TXT", "Martin_36.LAT"}) {
            const QString p = QString::fromUtf8(name);
            d.mkpath(QFileInfo(d.filePath(p)).path());
            QFile f(d.filePath(p));
            QVERIFY(f.open(QIODevice::WriteOnly));
        }
        QVERIFY(QFile::link(d.filePath(QStringLiteral("2026-10")), d.filePath(QStringLiteral("lien"))));
        QStringList found = resultFilesUnder(dir.path());
        for (QString &f : found)
            f = d.relativeFilePath(f);
        found.sort();
        QCOMPARE(found, (QStringList{"2026-10/Dupont_32.VC", "2026-10/Dupönt_16.VC", "2026-10/dupont_16.VC", "Dupont_16.VC",
                                     "Martin_36.LAT"}));
        QCOMPARE(patientsOf(found), (QStringList{"dupont", "Dupont", "Dupönt", "Martin"}));
        QCOMPARE(loadFollowUp(found.replaceInStrings(QRegularExpression("^"), dir.path() + u'/'), QStringLiteral("Dupont")).size(), 2);

        // The regional date the runs write, other usual short dates, else nothing.
        const QDateTime at(QDate(2026, 12, 7), QTime(9, 41, 12));
        QCOMPARE(parseAdministrationDate(QStringLiteral("07/12/2026 à 09:41:12")), at);
        QCOMPARE(parseAdministrationDate(QStringLiteral("2026-12-07 à 09:41:12")), at);
        QCOMPARE(parseAdministrationDate(QStringLiteral("07.12.2026 à 9:41:12")), at);
        QCOMPARE(parseAdministrationDate(QStringLiteral("07/12/26 à 09:41:12")), at);
        QVERIFY(!parseAdministrationDate(QStringLiteral("hier à midi")).isValid());
        QVERIFY(!parseAdministrationDate(QStringLiteral("07/12/2026")).isValid());
    }
};

QTEST_MAIN(TstReader)
#include "tst_reader.moc"
