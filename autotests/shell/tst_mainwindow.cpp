// SPDX-License-Identifier: GPL-3.0-or-later
// The main window: its controls show the logic's state and forward the examiner's
// actions (the handlers themselves are tested in tst_mainlogic).
#include "platform/messages.h"
#include "shell/mainlogic.h"
#include "shell/session.h"
#include "mainfixture.h"
#include "shell/widgets/tmain.h"

#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QtTest>

using namespace zoka;
using namespace zoka::testing;

namespace {
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
} // namespace

class TestMainWindow : public QObject {
    Q_OBJECT
private slots:
    void windowShowsTheStateAndForwardsActions()
    {
        Fixture fx;
        fx.file("Dupont_16.VC");
        ScopedScriptedMessages msgs;
        TMain w(fx.session);
        w.logic().setWindowCallbacks([&] { w.syncFromLogic(); }, [&] { fx.calls << "quit"; });
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
        QCOMPARE(fx.session.choices.testIndex, 3);
        QCOMPARE(w.countLabel->text(), QString("32"));
        QVERIFY(!w.twoCountsGroup->isHidden());
        QVERIFY(w.threeCountsGroup->isHidden());
        w.twoCountsGroup->button(1)->click();
        QCOMPARE(fx.session.choices.itemCount, 64);
        QCOMPARE(w.countLabel->text(), QString("64"));

        // Typing into the name field cuts it with the message.
        w.patientNameEdit->setText("ab_");
        QCOMPARE(w.patientNameEdit->text(), QString("ab"));
        QCOMPARE(msgs.service.shown().size(), 1);
        QCOMPARE(fx.session.choices.patientName, QString("ab"));

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
        QCOMPARE(fx.session.choices.selectedFile, QString("Dupont_16.VC"));
        QCOMPARE(w.testGroup->itemIndex(), 0);
        QCOMPARE(w.patientFilesList->currentRow(), 0);

        // "Suivi" opens the follow-up of the patient in the name field.
        QString followed = QStringLiteral("(none)");
        fx.session.services.showFollowUp = [&](const QString &patient) { followed = patient; };
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
        TMain w(fx.session);
        w.logic().setWindowCallbacks({}, [&] { fx.calls << "quit"; });
        QVERIFY(showActive(w));
        msgs.service.clear();

        // Entering the list chooses nothing by itself.
        w.patientFilesList->setFocus();
        QCoreApplication::processEvents();
        QVERIFY(msgs.service.shown().isEmpty());
        QVERIFY(fx.session.choices.selectedFile.isEmpty());

        // Moving with the keys chooses each file in turn, messages included.
        QTest::keyClick(w.patientFilesList, Qt::Key_Down);
        QCOMPARE(fx.session.choices.selectedFile, QString("Dupont_32.TXT"));
        QCOMPARE(msgs.service.texts(), QStringList({"Le nom du fichier ne correspond pas à une épreuve"}));
        QTest::keyClick(w.patientFilesList, Qt::Key_Down);
        QCOMPARE(fx.session.choices.selectedFile, QString("Dupont_64.LAT"));
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
        TMain w(fx.session);
        w.logic().setWindowCallbacks({}, [&] { fx.calls << "quit"; });
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
        TMain w(fx.session);
        w.logic().setWindowCallbacks({}, [&] { fx.calls << "quit"; });
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
        TMain w(fx.session);
        w.logic().setWindowCallbacks({}, [&] { fx.calls << "quit"; });
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
        TMain w(fx.session);
        w.logic().setWindowCallbacks({}, [&] { fx.calls << "quit"; });
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
