// SPDX-License-Identifier: GPL-3.0-or-later
// The result-file writer: Windows-1252 bytes, CR LF, every line on disk at once,
// header texts, and the run-time words of file errors.
#include "protocol/resultwriter.h"
#include "protocol/timingline.h"

#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include <cerrno>

using namespace zoka;

namespace {
QByteArray bytesOf(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}
} // namespace

class TestResultWriter : public QObject {
    Q_OBJECT

private slots:
    void headerLine_data()
    {
        QTest::addColumn<QLocale>("locale");
        QTest::addColumn<bool>("endless");
        QTest::addColumn<QString>("expected");
        const QString fr = QString::fromUtf8("Léa: 07/12/2026 à 09:05:03");
        QTest::newRow("french") << QLocale(QLocale::French, QLocale::France) << false << fr;
        QTest::newRow("french endless") << QLocale(QLocale::French, QLocale::France) << true << fr + " #";
        // No regional conventions: French ones are used.
        QTest::newRow("C locale") << QLocale::c() << false << fr;
        // Another region keeps its own short date and long time, without a zone name.
        QTest::newRow("english US") << QLocale(QLocale::English, QLocale::UnitedStates) << false
                                    << QString::fromUtf8("Léa: 12/7/26 à 9:05:03\u202fAM");
    }
    void headerLine()
    {
        QFETCH(QLocale, locale);
        QFETCH(bool, endless);
        QFETCH(QString, expected);
        const QDateTime at(QDate(2026, 12, 7), QTime(9, 5, 3));
        QString got = zoka::headerLine(QString::fromUtf8("Léa"), at, endless, locale);
        // Some Qt versions put a narrow no-break space before AM, others a plain one.
        got.replace(QChar(0x202f), QChar(' '));
        expected.replace(QChar(0x202f), QChar(' '));
        QCOMPARE(got, expected);
    }

    // The journal line of an administration: tied to the file by its name and its
    // header's date, every field said, what was not known written as unknown.
    void timingJournalLine_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("expected"); // after "Léa_16.VC | 07/12/2026 à 09:05:03 | "
        QTest::newRow("nothing known") << "none"
            << "affichage : serveur inconnu, session inconnue, sans compositeur | rafraîchissement : inconnu | "
               "présentation : inconnue | images manquées : inconnues | appuis : inconnu | son : sans objet | "
               "temps réel : non demandé | mémoire non verrouillée";
        QTest::newRow("presented on the refresh, a tone") << "present"
            << "affichage : XWayland 22.1.9, session wayland, avec compositeur | rafraîchissement : 16,667 ms "
               "(60,0 Hz) | présentation : Present (heure de la présentation par le serveur) | images manquées : "
               "2 sur 44 | appuis : heure de l'événement | son : PulseAudio 16.1, sortie nul, latence de la sortie "
               "12,3 ms | temps réel : RealtimeKit, priorité 3 | mémoire verrouillée";
        QTest::newRow("fallback, a tone of unknown latency") << "repaint"
            << "affichage : Xvfb 21.1.7, session x11, sans compositeur | rafraîchissement : inconnu | "
               "présentation : dessin puis horloge (pas d'extension Present) | images manquées : non comptées | "
               "appuis : horloge lue à la réception | son : lecteur de sons, latence de la sortie inconnue | "
               "temps réel : refusé (a / b) | mémoire non verrouillée";
    }
    void timingJournalLine()
    {
        QFETCH(QString, kind);
        zoka::RunTiming t;
        if (kind == QLatin1String("present")) {
            t = {QStringLiteral("XWayland 22.1.9"), QStringLiteral("wayland"), true, QStringLiteral("present"), {},
                 16.6667, 44, 2, QStringLiteral("event"), QStringLiteral("PulseAudio 16.1, sortie nul"), 12345,
                 QStringLiteral("RealtimeKit, priorité 3"), true};
        } else if (kind == QLatin1String("repaint")) {
            t = {QStringLiteral("Xvfb 21.1.7"), QStringLiteral("x11"), false, QStringLiteral("repaint"),
                 QStringLiteral("pas d'extension Present"), 0, 0, 0, QStringLiteral("handler"),
                 QStringLiteral("lecteur de sons"), -1, QStringLiteral("refusé (a | b)"), false};
        }
        const QDateTime at(QDate(2026, 12, 7), QTime(9, 5, 3));
        QFETCH(QString, expected);
        QCOMPARE(zoka::timingJournalLine(QStringLiteral("Léa_16.VC"), at, t, QLocale(QLocale::French, QLocale::France)),
                 QStringLiteral("Léa_16.VC | 07/12/2026 à 09:05:03 | ") + expected);
    }

    // Windows-1252, CR LF after every line, each line readable from the disk as soon
    // as it is written, an existing file replaced.
    void bytesOnDiskLineByLine()
    {
        QTemporaryDir dir;
        const QString path = dir.path() + "/Ren\u00e9_16.VC";
        {
            QFile old(path);
            QVERIFY(old.open(QIODevice::WriteOnly));
            old.write(QByteArray(500, 'x'));
        }
        ResultWriter w;
        QVERIFY(w.create(path));
        QVERIFY(w.isOpen());
        QCOMPARE(bytesOf(path), QByteArray());
        QVERIFY(w.writeLine(QString::fromUtf8("René: 07/12/2026 à 09:05:03 #")));
        QCOMPARE(bytesOf(path), QByteArray("Ren\xE9: 07/12/2026 \xE0 09:05:03 #\r\n"));
        QVERIFY(w.writeLine("0"));
        QVERIFY(w.writeLine("-3"));
        QCOMPARE(bytesOf(path), QByteArray("Ren\xE9: 07/12/2026 \xE0 09:05:03 #\r\n0\r\n-3\r\n"));
        QCOMPARE(w.lines(), 3);
        QVERIFY(w.close());
        QVERIFY(!w.isOpen());
        QVERIFY(w.close()); // twice is harmless
        QVERIFY(!w.writeLine("1"));
        QCOMPARE(bytesOf(path), QByteArray("Ren\xE9: 07/12/2026 \xE0 09:05:03 #\r\n0\r\n-3\r\n"));
    }

    void errors()
    {
        ResultWriter w;
        QVERIFY(!w.create("/nonexistent-dir/x.VC"));
        QVERIFY(!w.wasCreated());
        QCOMPARE(w.errorText(), QString("Fichier introuvable"));
        QVERIFY(!w.writeLine("1"));
        QVERIFY(w.create("/dev/full"));
        QVERIFY(!w.writeLine("Dupont"));
        QCOMPARE(w.errorText(), QString("Disque plein"));
        w.abandon();
        QVERIFY(!w.create(QString(300, 'a')));
        QCOMPARE(w.errorText(), QString("Nom de fichier incorrect"));

        QCOMPARE(fileErrorText(EMFILE), QString("Trop de fichiers ouverts"));
        QCOMPARE(fileErrorText(EACCES), QString::fromUtf8("Accès au fichier refusé"));
        QCOMPARE(fileErrorText(EROFS), QString::fromUtf8("Système de fichiers en lecture seule"));
        QCOMPARE(fileErrorText(ELOOP), QString::fromUtf8("Lien symbolique refusé"));
        QCOMPARE(fileErrorText(EIO), QString("Erreur E/S %1").arg(EIO));
        QCOMPARE(fileErrorText(EEXIST), QString::fromUtf8("Un fichier de ce nom existe déjà"));
        QCOMPARE(fileErrorPhrase(EACCES), QString::fromUtf8("accès au fichier refusé"));
    }
};

QTEST_GUILESS_MAIN(TestResultWriter)
#include "tst_resultwriter.moc"
