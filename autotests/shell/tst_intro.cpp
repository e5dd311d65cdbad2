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
        QCOMPARE(w.picture->geometry(), intro::Picture.translated(offset));
        QCOMPARE(w.continueArea->geometry(), intro::ContinueArea.translated(offset));
        QCOMPARE(w.helpArea->geometry(), intro::HelpArea.translated(offset));
        QCOMPARE(w.quitArea->geometry(), intro::QuitArea.translated(offset));
        QCOMPARE(w.titleLabel->geometry(), intro::Title.translated(offset));
        QCOMPARE(w.continueButton->geometry(), intro::ContinueButton.translated(offset));
        QCOMPARE(w.helpButton->geometry(), intro::HelpButton.translated(offset));
        QCOMPARE(w.quitButton->geometry(), intro::QuitButton.translated(offset));
        QCOMPARE(w.helpText->geometry(), intro::HelpText.translated(offset));
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
            QCOMPARE(w.picture->pixmap().toImage().pixelColor(400, 300), QColor(Qt::red));
            QVERIFY(!w.continueButton->isVisible() && !w.titleLabel->isVisible());
            QVERIFY(msgs.service.shown().isEmpty());
        }
        QVERIFY(QFile::remove(d.filePath("Intro_Zoka.bmp")));
        {
            TFormIntro w(m_session, nullptr, QSize(800, 600));
            w.show();
            QVERIFY(near(w.picture->pixmap().toImage().pixelColor(400, 300), Qt::blue, 8));
        }
        QVERIFY(QFile::remove(d.filePath("Intro_Zoka.jpg")));
        {
            ScopedScriptedMessages msgs;
            TFormIntro w(m_session, nullptr, QSize(800, 600));
            w.show();
            QVERIFY(w.titleLabel->isVisible());
            QCOMPARE(w.titleLabel->text(), QStringLiteral("ZOKA"));
            QVERIFY(w.continueButton->isVisible() && w.helpButton->isVisible() && w.quitButton->isVisible());
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
        QVERIFY(!w.continueButton->isVisible() && !w.titleLabel->isVisible());
        // The invisible areas still work.
        QTest::mouseClick(w.quitArea, Qt::LeftButton);
        QCOMPARE(ended, 1);
    }

    void theHelpAreaOpensAndClosesTheHelp()
    {
        writeBytes(QDir(m_tmp->path()).filePath("Aide.txt"),
                   QByteArray("Premi\xe8re ligne\r\n\r\nTroisi\xe8me ligne\r\n"));
        QVERIFY(solid(Qt::darkGreen).save(QDir(m_tmp->path()).filePath("Intro_Zoka.bmp"), "BMP"));
        TFormIntro w(m_session, nullptr, QSize(800, 600));
        w.show();
        QVERIFY(!w.helpText->isVisible() && !w.helpButton->isVisible());

        QTest::mouseClick(w.helpArea, Qt::LeftButton);
        QVERIFY(w.helpText->isVisible());
        QCOMPARE(w.helpText->toPlainText(), QString::fromUtf8("Première ligne\n\nTroisième ligne"));
        QCOMPARE(w.helpButton->text(), QStringLiteral("Fermer l'aide"));
        QVERIFY(w.helpButton->isVisible());

        QTest::mouseClick(w.helpArea, Qt::LeftButton);
        QVERIFY(!w.helpText->isVisible() && !w.helpButton->isVisible());
        QCOMPARE(w.helpButton->text(), QStringLiteral("Aide"));
        QVERIFY(w.helpText->toPlainText().isEmpty());

        // Opened again, the "Fermer l'aide" button closes it too.
        QTest::mouseClick(w.helpArea, Qt::LeftButton);
        QVERIFY(w.helpText->isVisible());
        QTest::mouseClick(w.helpButton, Qt::LeftButton);
        QVERIFY(!w.helpText->isVisible());
        QCOMPARE(w.helpButton->text(), QStringLiteral("Aide"));
    }

    void inThePlainTitleTheAideButtonDoesNothingButTheAreaOpensTheHelp()
    {
        writeBytes(QDir(m_tmp->path()).filePath("Aide.txt"), QByteArray("Texte\r\n"));
        TFormIntro w(m_session, nullptr, QSize(800, 600));
        w.show();
        QTest::mouseClick(w.helpButton, Qt::LeftButton);
        QVERIFY(!w.helpText->isVisible());
        QCOMPARE(w.helpButton->text(), QStringLiteral("Aide"));
        QTest::mouseClick(w.helpArea, Qt::LeftButton);
        QVERIFY(w.helpText->isVisible());
        QCOMPARE(w.helpButton->text(), QStringLiteral("Fermer l'aide"));
    }

    void aMissingHelpFileIsReportedAndLeavesTheEmptyHelpShown()
    {
        ScopedScriptedMessages msgs;
        TFormIntro w(m_session, nullptr, QSize(800, 600));
        w.show();
        QTest::mouseClick(w.helpArea, Qt::LeftButton);
        QCOMPARE(msgs.service.shown().size(), 1);
        QVERIFY2(msgs.service.shown().first().text.contains(QStringLiteral("Fichier introuvable")),
                 qPrintable(msgs.service.shown().first().text));
        QVERIFY(w.helpText->isVisible());
        QVERIFY(w.helpText->toPlainText().isEmpty());
        QCOMPARE(w.helpButton->text(), QStringLiteral("Aide"));
        // The next release of the area tries again rather than "closing".
        QTest::mouseClick(w.helpArea, Qt::LeftButton);
        QCOMPARE(msgs.service.shown().size(), 2);
        QVERIFY(w.helpText->isVisible());
    }

    void continuingEndsTheWindowWithOkAndQuittingEndsTheProgram()
    {
        QVERIFY(solid(Qt::gray).save(QDir(m_tmp->path()).filePath("Intro_Zoka.bmp"), "BMP"));
        {
            TFormIntro w(m_session, nullptr, QSize(800, 600));
            w.show();
            QTest::mouseClick(w.continueArea, Qt::LeftButton);
            QVERIFY(!w.isVisible());
            QCOMPARE(w.result(), int(QDialog::Accepted));
        }
        {
            TFormIntro w(m_session, nullptr, QSize(800, 600));
            w.show();
            QTest::mouseDClick(w.picture, Qt::LeftButton, {}, QPoint(100, 100));
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
            QTest::keyClick(w.helpButton, Qt::Key_Return); // Return continues, from any button
            QVERIFY(!w.isVisible());
            QCOMPARE(w.result(), int(QDialog::Accepted));
            QVERIFY(!w.quitButton->isVisible()); // a picture is shown: no real buttons
            QCOMPARE(ended, 0);
            w.show();
            QTest::mouseClick(w.quitArea, Qt::LeftButton);
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
        QCOMPARE(w.picture->pixmap().size(), QSize(800, 600));
        // What the picture control shows, in its own coordinates.
        const QImage shown = w.picture->grab().toImage();
        const QPoint origin = w.picture->pos();
        const struct {
            IntroArea *area;
            QColor colour;
        } buttons[] = {{w.continueArea, QColor(28, 140, 70)}, {w.helpArea, QColor(30, 100, 170)}, {w.quitArea, QColor(176, 44, 44)}};
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
