// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/messages.h"
#include "platform/widgets/displaymode.h"
#include "shell/configfile.h"
#include "shell/session.h"
#include "shell/widgets/tformchrono.h"
#include "shell/widgets/tformoptions.h"

#include <QCheckBox>
#include <QDir>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTextBrowser>
#include <QTemporaryDir>
#include <QScreen>
#include <QtTest>

using namespace zoka;

class TestOptionsWindow : public QObject {
    Q_OBJECT
private:
    QTemporaryDir *m_tmp = nullptr;
    Session m_session;
    QString m_prog;

private slots:
    void init()
    {
        m_session = Session();
        m_tmp = new QTemporaryDir;
        m_prog = QDir(m_tmp->path()).canonicalPath();
        m_session.startDir = m_prog;
        m_session.config = defaultConfigRecord(m_prog);
        const QSize screen = currentScreenSize();
        m_session.screen.width = screen.width();
        m_session.screen.height = screen.height();
    }
    void cleanup()
    {
        delete m_tmp;
    }

    void openingFillsTheFieldsFromConfig()
    {
        ScopedScriptedMessages msgs;
        m_session.config.PrintMarginCm = 2.5;
        m_session.config.StopKeyText = QStringLiteral("q");
        TFormOptions w(m_session);
        w.show();
        QCOMPARE(w.windowTitle(), QStringLiteral("Configuration Zoka v4.0b"));
        // No main window: its place on an 800 x 600 page centred on the screen.
        const QRect area = w.screen()->geometry();
        QCOMPARE(w.pos(), area.topLeft() + QPoint((area.width() - 800) / 2 + 47, (area.height() - 600) / 2 + 209));
        QCOMPARE(w.resultsDirEdit->text(), m_prog + "/Epreuves");
        QCOMPARE(w.marginEdit->text(), QStringLiteral("2,5"));
        QCOMPARE(w.stopKeyEdit->text(), QStringLiteral("q"));
        QCOMPARE(m_session.config.StopKeyCode, 113); // the text decides the code
        QVERIFY(w.saveSettingsCheck->isChecked());
        const QSize screen = currentScreenSize();
        QCOMPARE(w.screenSizeLabel->text(), QStringLiteral("Actuelle: %1 x %2").arg(screen.width()).arg(screen.height()));
        QVERIFY(!w.restoreScreenButton->isEnabled()); // still the start-up width
        QCOMPARE(w.resultsDirEdit->geometry(), QRect(152, 20, 233, 25));
        QCOMPARE(w.acceptButton->geometry(), QRect(208, 176, 97, 33));
        QCOMPARE(w.screenSizeLabel->parentWidget(), w.screenGroup);
        QVERIFY(msgs.service.shown().isEmpty());
        w.hide();

        m_session.screen.width += 224; // as after an administration switched to 800 x 600
        w.show();
        QVERIFY(w.restoreScreenButton->isEnabled());
    }

    void typingChangesConfigAtOnce()
    {
        ScopedScriptedMessages msgs;
        TFormOptions w(m_session);
        w.show();
        w.stopKeyEdit->clear();
        QTest::keyClicks(w.stopKeyEdit, QStringLiteral("a"));
        QCOMPARE(m_session.config.StopKeyCode, 97);
        w.stopKeyEdit->selectAll();
        QTest::keyClick(w.stopKeyEdit, Qt::Key_Escape); // names the key rather than closing
        QCOMPARE(w.stopKeyEdit->text(), QStringLiteral("ESC"));
        QCOMPARE(m_session.config.StopKeyCode, 27);
        QVERIFY(w.isVisible());
        QTest::keyClick(w.stopKeyEdit, Qt::Key_Return);
        QCOMPARE(m_session.config.StopKeyText, QStringLiteral("RET"));
        QCOMPARE(m_session.config.StopKeyCode, 13);

        w.marginEdit->clear();
        QTest::keyClicks(w.marginEdit, QStringLiteral("2.5"));
        QCOMPARE(m_session.config.PrintMarginCm, 2.5);
        QVERIFY(msgs.service.shown().isEmpty());
        QTest::keyClicks(w.marginEdit, QStringLiteral("x"));
        QCOMPARE(msgs.service.shown().size(), 1);
        QCOMPARE(m_session.config.PrintMarginCm, 2.5);
    }

    void theFontDialogMapsToTheFourPrintFields()
    {
        ScopedScriptedMessages msgs;
        TFormOptions w(m_session);
        QFont offered;
        QColor offeredColor;
        w.fontDialog = [&](QWidget *, QFont &font, QColor &color) {
            offered = font;
            offeredColor = color;
            font = QFont(QStringLiteral("Liberation Serif"), 12);
            font.setBold(true);
            font.setStrikeOut(true);
            color = QColor(255, 0, 0);
            return true;
        };
        m_session.config.PrintFontStyle = FontItalic;
        m_session.config.PrintFontColor = 0x800000; // navy, as 0x00BBGGRR
        w.show();
        QTest::mouseClick(w.fontButton, Qt::LeftButton);
        QCOMPARE(offered.family(), QStringLiteral("Courier New"));
        QCOMPARE(offered.pointSize(), 8);
        QVERIFY(offered.italic() && !offered.bold());
        QCOMPARE(offeredColor, QColor(0, 0, 128));
        QCOMPARE(m_session.config.PrintFontName, QStringLiteral("Liberation Serif"));
        QCOMPARE(m_session.config.PrintFontSize, 12);
        QCOMPARE(int(m_session.config.PrintFontStyle), FontBold | FontStrikeOut);
        QCOMPARE(m_session.config.PrintFontColor, 0x0000FF);

        w.fontDialog = [](QWidget *, QFont &font, QColor &) {
            font = QFont(QStringLiteral("Autre"), 30);
            return false; // cancelled
        };
        QTest::mouseClick(w.fontButton, Qt::LeftButton);
        QCOMPARE(m_session.config.PrintFontName, QStringLiteral("Liberation Serif"));
        QCOMPARE(m_session.config.PrintFontSize, 12);
    }

    void theFontChoiceDialogKeepsAColourOutsideItsList()
    {
        TFontChoiceDialog d;
        d.setChoice(QFont(QStringLiteral("Liberation Mono"), 9), QColor(0, 0, 1));
        QCOMPARE(d.chosenColor(), QColor(0, 0, 1));
        d.setChoice(QFont(QStringLiteral("Liberation Mono"), 9), QColor(255, 0, 0));
        QCOMPARE(d.chosenColor(), QColor(255, 0, 0));
        QCOMPARE(TFontChoiceDialog::standardColors().size(), 16);
        // A font that is not installed comes back under its own name when the
        // examiner only confirms.
        QFont absent(QStringLiteral("Courier New"), 8);
        absent.setItalic(true);
        d.setChoice(absent, Qt::black);
        QCOMPARE(d.chosenFont().family(), QStringLiteral("Courier New"));
        QVERIFY(d.chosenFont().italic());
        QCOMPARE(d.chosenFont().pointSize(), 8);
    }

    void theDirectoryButtonAppliesTheChoice()
    {
        ScopedScriptedMessages msgs;
        TFormOptions w(m_session);
        QString started;
        const QString chosen = m_prog + "/Choix";
        QVERIFY(QDir().mkdir(chosen));
        w.directoryDialog = [&](QWidget *, const QString &start) {
            started = start;
            return chosen;
        };
        w.show();
        QTest::mouseClick(w.browseButton, Qt::LeftButton);
        QCOMPARE(started, m_prog); // the field's directory does not exist yet
        QCOMPARE(w.resultsDirEdit->text(), chosen);
        QCOMPARE(m_session.config.ResultsDir, chosen);
        QCOMPARE(m_session.resultsDir, chosen);
        QVERIFY(QFileInfo(chosen + "/Export").isDir());
    }

    // The timing check is reached from the options; its verdicts are shown with their
    // thresholds and saved whole as a PDF (a place that cannot take it is said).
    void timingCheckShowsVerdictsAndSavesAPdf()
    {
        TFormOptions options(m_session);
        QCOMPARE(options.timingCheckButton->text(), QStringLiteral("Contrôle de la chronométrie"));
        TFormChrono w(m_session);
        QVERIFY(!w.savePdfButton->isEnabled());
        TimingCheckFigures f;
        f.refresh.reason = QStringLiteral("pas d'extension Present");
        f.timerLatenessMs = {0.1, 0.2, 0.3};
        f.eventTimesOnClock = true;
        w.showFigures(f, QStringLiteral("09/12/2026 à 10:00:00"));
        const QString shown = w.resultsView->toPlainText();
        QVERIFY2(shown.contains(QStringLiteral("pas d'extension Present")) && shown.contains(QStringLiteral("à vérifier"))
                     && shown.contains(QStringLiteral("bon : gigue ≤ 0,5 ms")),
                 qPrintable(shown));
        QVERIFY(w.savePdfButton->isEnabled());

        QTemporaryDir tmp;
        const QString pdf = tmp.filePath(QStringLiteral("controle.pdf"));
        w.choosePdfPath = [&] { return pdf; };
        ScopedScriptedMessages msgs;
        QTest::mouseClick(w.savePdfButton, Qt::LeftButton);
        QFile f1(pdf);
        QVERIFY(f1.open(QIODevice::ReadOnly) && f1.readAll().startsWith("%PDF"));
        QVERIFY(!w.savePdf(tmp.filePath(QStringLiteral("absent/controle.pdf"))));
        QCOMPARE(msgs.service.shown().size(), 1);
    }

    void accepterAndAnnulerCloseTheWindow()
    {
        ScopedScriptedMessages msgs;
        TFormOptions w(m_session);
        w.show();
        w.saveSettingsCheck->setChecked(false);
        QTest::mouseClick(w.acceptButton, Qt::LeftButton);
        QVERIFY(!w.isVisible());
        QCOMPARE(w.result(), int(QDialog::Accepted));
        QVERIFY(QFileInfo(m_prog + "/Epreuves/Export").isDir());
        QVERIFY(!QFile::exists(m_prog + "/Zoka.ini"));

        w.show();
        w.stopKeyEdit->setText(QStringLiteral("F1"));
        w.marginEdit->setText(QStringLiteral("3"));
        QTest::mouseClick(w.acceptButton, Qt::LeftButton);
        QVERIFY(w.isVisible()); // error 1 keeps it open
        QVERIFY(w.isActiveWindow() || QTest::qWaitForWindowActive(&w));
        w.marginEdit->setFocus();
        QTest::keyClick(w.marginEdit, Qt::Key_Return); // Return in a field presses no button
        QVERIFY(w.isVisible());
        w.cancelButton->setFocus();
        QTest::keyClick(w.cancelButton, Qt::Key_Return); // Return presses the focused button
        QVERIFY(!w.isVisible());
        QCOMPARE(m_session.config.StopKeyText, QStringLiteral("ESC"));
        QCOMPARE(m_session.config.PrintMarginCm, 1.5);
    }
};

QTEST_MAIN(TestOptionsWindow)
#include "tst_options_window.moc"
