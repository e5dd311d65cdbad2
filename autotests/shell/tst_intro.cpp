// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/messages.h"
#include "shell/intrologic.h"
#include "shell/session.h"
#include "shell/widgets/tformintro.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTextEdit>
#include <QtTest>

using namespace zoka;

namespace {

void writeBytes(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

QImage solid(const QColor &c)
{
    QImage img(800, 600, QImage::Format_RGB32);
    img.fill(c);
    return img;
}

bool near(const QColor &a, const QColor &b, int tol = 40)
{
    return std::abs(a.red() - b.red()) <= tol && std::abs(a.green() - b.green()) <= tol
        && std::abs(a.blue() - b.blue()) <= tol;
}

} // namespace

class TestIntro : public QObject {
    Q_OBJECT
private:
    QTemporaryDir *m_tmp = nullptr;
    Session m_session;

private slots:
    void init()
    {
        m_session = Session();
        m_session.versionShort = QStringLiteral("4.0");
        m_tmp = new QTemporaryDir;
        m_session.startDir = m_tmp->path();
    }
    void cleanup()
    {
        delete m_tmp;
    }

    void everyControlMovesWithTheScreenCentre_data()
    {
        QTest::addColumn<QSize>("screen");
        QTest::addColumn<QPoint>("offset");
        QTest::newRow("1024x768") << QSize(1024, 768) << QPoint(112, 84);
        QTest::newRow("640x480") << QSize(640, 480) << QPoint(-80, -60);
        QTest::newRow("odd, rounded toward zero") << QSize(801, 599) << QPoint(0, 0);
        QTest::newRow("1366x768") << QSize(1366, 768) << QPoint(283, 84);
    }
    void everyControlMovesWithTheScreenCentre()
    {
        QFETCH(QSize, screen);
        QFETCH(QPoint, offset);
        QCOMPARE(intro::layoutOffset(screen), offset);
        TFormIntro w(m_session, nullptr, screen);
        QCOMPARE(w.Image1->geometry(), intro::Image1.translated(offset));
        QCOMPARE(w.Shape1->geometry(), intro::Shape1.translated(offset));
        QCOMPARE(w.Shape2->geometry(), intro::Shape2.translated(offset));
        QCOMPARE(w.Shape3->geometry(), intro::Shape3.translated(offset));
        QCOMPARE(w.Label1->geometry(), intro::Label1.translated(offset));
        QCOMPARE(w.Continuer->geometry(), intro::Continuer.translated(offset));
        QCOMPARE(w.Aide->geometry(), intro::Aide.translated(offset));
        QCOMPARE(w.Quitter->geometry(), intro::Quitter.translated(offset));
        QCOMPARE(w.AideMemo->geometry(), intro::AideMemo.translated(offset));
    }

    void theBitmapWinsOverTheJpegAndNoPictureGivesThePlainTitle()
    {
        const QDir d(m_tmp->path());
        QVERIFY(solid(Qt::red).save(d.filePath("Intro_Zoka.bmp"), "BMP"));
        QVERIFY(solid(Qt::blue).save(d.filePath("Intro_Zoka.jpg"), "JPG"));
        QCOMPARE(intro::pictureFile(d.path()), d.filePath("Intro_Zoka.bmp"));
        {
            ScopedScriptedMessages msgs;
            TFormIntro w(m_session, nullptr, QSize(800, 600));
            w.show();
            QCOMPARE(w.windowTitle(), QStringLiteral("Zoka - Batterie Attention Tessaro  v4.0"));
            QCOMPARE(w.Image1->pixmap().toImage().pixelColor(400, 300), QColor(Qt::red));
            QVERIFY(!w.Continuer->isVisible() && !w.Label1->isVisible());
            QVERIFY(msgs.service.shown().isEmpty());
        }
        QVERIFY(QFile::remove(d.filePath("Intro_Zoka.bmp")));
        {
            TFormIntro w(m_session, nullptr, QSize(800, 600));
            w.show();
            QVERIFY(near(w.Image1->pixmap().toImage().pixelColor(400, 300), Qt::blue, 8));
        }
        QVERIFY(QFile::remove(d.filePath("Intro_Zoka.jpg")));
        {
            ScopedScriptedMessages msgs;
            TFormIntro w(m_session, nullptr, QSize(800, 600));
            w.show();
            QVERIFY(w.Label1->isVisible());
            QCOMPARE(w.Label1->text(), QStringLiteral("ZOKA"));
            QVERIFY(w.Continuer->isVisible() && w.Aide->isVisible() && w.Quitter->isVisible());
            QVERIFY(msgs.service.shown().isEmpty());
        }
    }

    void aPictureThatCannotBeDecodedIsReportedWithoutTheFallback()
    {
        writeBytes(QDir(m_tmp->path()).filePath("Intro_Zoka.bmp"), QByteArray("BM not really a bitmap"));
        ScopedScriptedMessages msgs;
        TFormIntro w(m_session, nullptr, QSize(800, 600));
        int ended = 0;
        w.endProgram = [&] { ++ended; };
        w.show();
        QCOMPARE(msgs.service.shown().size(), 1);
        QCOMPARE(msgs.service.shown().first().kind, MsgKind::Error);
        QVERIFY(msgs.service.shown().first().text.contains(QStringLiteral("Intro_Zoka.bmp")));
        QVERIFY(!w.Continuer->isVisible() && !w.Label1->isVisible());
        // The invisible areas still work.
        QTest::mouseClick(w.Shape3, Qt::LeftButton);
        QCOMPARE(ended, 1);
    }

    void theHelpAreaOpensAndClosesTheHelp()
    {
        writeBytes(QDir(m_tmp->path()).filePath("Aide.txt"),
                   QByteArray("Premi\xe8re ligne\r\n\r\nTroisi\xe8me ligne\r\n"));
        QVERIFY(solid(Qt::darkGreen).save(QDir(m_tmp->path()).filePath("Intro_Zoka.bmp"), "BMP"));
        TFormIntro w(m_session, nullptr, QSize(800, 600));
        w.show();
        QVERIFY(!w.AideMemo->isVisible() && !w.Aide->isVisible());

        QTest::mouseClick(w.Shape2, Qt::LeftButton);
        QVERIFY(w.AideMemo->isVisible());
        QCOMPARE(w.AideMemo->toPlainText(), QString::fromUtf8("Première ligne\n\nTroisième ligne"));
        QCOMPARE(w.Aide->text(), QStringLiteral("Fermer l'aide"));
        QVERIFY(w.Aide->isVisible());

        QTest::mouseClick(w.Shape2, Qt::LeftButton);
        QVERIFY(!w.AideMemo->isVisible() && !w.Aide->isVisible());
        QCOMPARE(w.Aide->text(), QStringLiteral("Aide"));
        QVERIFY(w.AideMemo->toPlainText().isEmpty());

        // Opened again, the "Fermer l'aide" button closes it too.
        QTest::mouseClick(w.Shape2, Qt::LeftButton);
        QVERIFY(w.AideMemo->isVisible());
        QTest::mouseClick(w.Aide, Qt::LeftButton);
        QVERIFY(!w.AideMemo->isVisible());
        QCOMPARE(w.Aide->text(), QStringLiteral("Aide"));
    }

    void inThePlainTitleTheAideButtonDoesNothingButTheAreaOpensTheHelp()
    {
        writeBytes(QDir(m_tmp->path()).filePath("Aide.txt"), QByteArray("Texte\r\n"));
        TFormIntro w(m_session, nullptr, QSize(800, 600));
        w.show();
        QTest::mouseClick(w.Aide, Qt::LeftButton);
        QVERIFY(!w.AideMemo->isVisible());
        QCOMPARE(w.Aide->text(), QStringLiteral("Aide"));
        QTest::mouseClick(w.Shape2, Qt::LeftButton);
        QVERIFY(w.AideMemo->isVisible());
        QCOMPARE(w.Aide->text(), QStringLiteral("Fermer l'aide"));
    }

    void aMissingHelpFileIsReportedAndLeavesTheEmptyHelpShown()
    {
        ScopedScriptedMessages msgs;
        TFormIntro w(m_session, nullptr, QSize(800, 600));
        w.show();
        QTest::mouseClick(w.Shape2, Qt::LeftButton);
        QCOMPARE(msgs.service.shown().size(), 1);
        QVERIFY2(msgs.service.shown().first().text.contains(QStringLiteral("Fichier introuvable")),
                 qPrintable(msgs.service.shown().first().text));
        QVERIFY(w.AideMemo->isVisible());
        QVERIFY(w.AideMemo->toPlainText().isEmpty());
        QCOMPARE(w.Aide->text(), QStringLiteral("Aide"));
        // The next release of the area tries again rather than "closing".
        QTest::mouseClick(w.Shape2, Qt::LeftButton);
        QCOMPARE(msgs.service.shown().size(), 2);
        QVERIFY(w.AideMemo->isVisible());
    }

    void continuingEndsTheWindowWithOkAndQuittingEndsTheProgram()
    {
        QVERIFY(solid(Qt::gray).save(QDir(m_tmp->path()).filePath("Intro_Zoka.bmp"), "BMP"));
        {
            TFormIntro w(m_session, nullptr, QSize(800, 600));
            w.show();
            QTest::mouseClick(w.Shape1, Qt::LeftButton);
            QVERIFY(!w.isVisible());
            QCOMPARE(w.result(), int(QDialog::Accepted));
        }
        {
            TFormIntro w(m_session, nullptr, QSize(800, 600));
            w.show();
            QTest::mouseDClick(w.Image1, Qt::LeftButton, {}, QPoint(100, 100));
            QVERIFY(!w.isVisible());
            QCOMPARE(w.result(), int(QDialog::Accepted));
        }
        {
            TFormIntro w(m_session, nullptr, QSize(800, 600));
            int ended = 0;
            w.endProgram = [&] { ++ended; };
            w.show();
            QTest::keyClick(&w, Qt::Key_Escape); // Esc does not leave the title screen
            QVERIFY(w.isVisible());
            QTest::keyClick(w.Aide, Qt::Key_Return); // Return continues, from any button
            QVERIFY(!w.isVisible());
            QCOMPARE(w.result(), int(QDialog::Accepted));
            QVERIFY(!w.Quitter->isVisible()); // a picture is shown: no real buttons
            QCOMPARE(ended, 0);
            w.show();
            QTest::mouseClick(w.Shape3, Qt::LeftButton);
            QCOMPARE(ended, 1);
        }
    }

    void theGeneratedPictureShowsItsButtonsUnderTheAreas()
    {
        const QString generated = QStringLiteral(ZOKA_GENERATED_DATA_DIR "/Intro_Zoka.bmp");
        QVERIFY2(QFile::exists(generated), "build the data files first (target zoka_data)");
        QVERIFY(QFile::copy(generated, QDir(m_tmp->path()).filePath("Intro_Zoka.bmp")));
        TFormIntro w(m_session, nullptr, QSize(1024, 768));
        w.resize(1024, 768);
        w.show();
        QCOMPARE(w.Image1->pixmap().size(), QSize(800, 600));
        // What Image1 shows, in its own coordinates.
        const QImage shown = w.Image1->grab().toImage();
        const QPoint origin = w.Image1->pos();
        const struct {
            TIntroArea *area;
            QColor colour;
        } buttons[] = {{w.Shape1, QColor(28, 140, 70)}, {w.Shape2, QColor(30, 100, 170)}, {w.Shape3, QColor(176, 44, 44)}};
        for (const auto &b : buttons) {
            const QRect r = b.area->geometry().translated(-origin);
            // Near each corner, inside the area: the button's colour.
            for (const QPoint &p : {r.topLeft() + QPoint(8, 8), r.topRight() + QPoint(-8, 8),
                                    r.bottomLeft() + QPoint(8, -8), r.bottomRight() + QPoint(-8, -8)}) {
                QVERIFY2(near(shown.pixelColor(p), b.colour, 70),
                         qPrintable(QStringLiteral("%1,%2 %3").arg(p.x()).arg(p.y()).arg(shown.pixelColor(p).name())));
            }
            // Just outside: background.
            for (const QPoint &p : {r.topLeft() + QPoint(-6, r.height() / 2), r.topRight() + QPoint(6, r.height() / 2),
                                    r.topLeft() + QPoint(r.width() / 2, -6)}) {
                QVERIFY2(!near(shown.pixelColor(p), b.colour, 50),
                         qPrintable(QStringLiteral("%1,%2 %3").arg(p.x()).arg(p.y()).arg(shown.pixelColor(p).name())));
            }
        }
    }

    void theHelpTextIsWindows1252WithCrLf()
    {
        QFile f(QStringLiteral(ZOKA_SOURCE_DIR "/data/Aide.txt"));
        QVERIFY(f.open(QIODevice::ReadOnly));
        const QByteArray bytes = f.readAll();
        QVERIFY(bytes.size() > 1000);
        QCOMPARE(bytes.count("\r\n"), bytes.count('\n'));
        QCOMPARE(bytes.count("\r\n"), bytes.count('\r'));
        QVERIFY(bytes.contains("\xe9preuve")); // é in Windows-1252, not UTF-8
        QVERIFY(!bytes.contains("\xc3\xa9"));
        QStringList lines;
        QVERIFY(intro::readHelpText(f.fileName(), &lines, nullptr));
        for (const char *test : {"TR visuel centré", "Attention soutenue", "Puce Carré"})
            QVERIFY2(lines.contains(QString::fromUtf8(test)), test);
    }
};

QTEST_MAIN(TestIntro)
#include "tst_intro.moc"
