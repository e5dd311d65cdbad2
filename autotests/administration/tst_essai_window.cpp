// SPDX-License-Identifier: GPL-3.0-or-later
// The instructions window itself: its controls, the memo's properties, the
// response-rule picture, and a modal administration closed by "Quitter" and by
// the close box.
#include "administration/widgets/responserule.h"
#include "administration/widgets/tformessai.h"
#include "platform/messages.h"
#include "shell/session.h"
#include "shell/widgets/windows.h"

#include <QDir>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTextEdit>
#include <QTimer>
#include <QtTest>

using namespace zoka;

namespace {

// Counts pixels near `colour` in the rectangle `r` of `img`.
int pixelsOf(const QImage &img, const QRect &r, QColor colour)
{
    int n = 0;
    for (int y = r.top(); y <= r.bottom(); ++y)
        for (int x = r.left(); x <= r.right(); ++x) {
            const QColor c = img.pixelColor(x, y);
            if (qAbs(c.red() - colour.red()) < 60 && qAbs(c.green() - colour.green()) < 60
                && qAbs(c.blue() - colour.blue()) < 60)
                ++n;
        }
    return n;
}

} // namespace

class TestEssaiWindow : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    Session m_session;

private slots:
    void initTestCase()
    {
        const QDir data(QStringLiteral(ZOKA_SOURCE_DIR "/data"));
        for (const QString &f : data.entryList({QStringLiteral("Cons_*.txt")}))
            QVERIFY(QFile::copy(data.filePath(f), QDir(m_dir.path()).filePath(f)));
    }

    void init()
    {
        m_session = Session();
        m_session.config.ProgramDir = m_dir.path();
    }

    void responseRulePicture()
    {
        const QImage img = zoka::responseRulePicture();
        QCOMPARE(img.size(), QSize(327, 71));
        QCOMPARE(img.format(), QImage::Format_RGB888); // 24-bit
        QCOMPARE(img.depth(), 24);
        const QColor red(255, 0, 0), blue(0, 0, 255), black(0, 0, 0), white(255, 255, 255);
        // Line 1: red plus first, then a blue circle; line 2 the other way round.
        const QRect line1Plus(0, 0, 40, 35), line1Circle(60, 0, 50, 35);
        const QRect line2Plus(0, 36, 40, 35), line2Circle(60, 36, 50, 35);
        QVERIFY(pixelsOf(img, line1Plus, red) > 30);
        QCOMPARE(pixelsOf(img, line1Plus, blue), 0);
        QVERIFY(pixelsOf(img, line1Circle, blue) > 30);
        QVERIFY(pixelsOf(img, line2Plus, blue) > 30);
        QCOMPARE(pixelsOf(img, line2Plus, red), 0);
        QVERIFY(pixelsOf(img, line2Circle, red) > 30);
        // Words in black on the right, white all around; nothing cut by the
        // 321 x 65 box the window shows it in.
        QVERIFY(pixelsOf(img, QRect(110, 0, 200, 71), black) > 200);
        QCOMPARE(pixelsOf(img, QRect(0, 0, 327, 2), white), 2 * 327);
        QCOMPARE(pixelsOf(img, QRect(319, 0, 8, 71), white), 8 * 71);
        QCOMPARE(pixelsOf(img, QRect(0, 64, 327, 7), white), 7 * 327);
        QCOMPARE(zoka::responseRulePicture(), img); // the same every time
    }

    void controlsAndAQuitBeforeAnyRun()
    {
        ScopedScriptedMessages msgs;
        m_session.choices.testIndex = 4;
        m_session.choices.itemCount = 32;
        m_session.choices.fileItemCount = 32;
        m_session.choices.resultFileName = QStringLiteral("X_32.DB");
        TFormEssai *w = essaiWindow(m_session);
        QCOMPARE(essaiWindow(m_session), w); // created once
        QCOMPARE(w->windowTitle(), QStringLiteral("FormEssai"));

        bool checked = false;
        QTimer::singleShot(0, w, [&] {
            QVERIFY(w->isVisible());
            QVERIFY(w->windowState() & Qt::WindowMaximized);
            QCOMPARE(w->titleLabel->text(), QStringLiteral("TR Double Binaire"));
            QCOMPARE(w->titleLabel->geometry(), QRect(216, 88, 353, 41));
            QVERIFY(w->titleLabel->font().bold());
            QCOMPARE(w->titleLabel->font().pointSize(), 14);

            QCOMPARE(w->instructionsText->geometry(), QRect(158, 168, 469, 140));
            QVERIFY(w->instructionsText->isReadOnly());
            QVERIFY(!w->instructionsText->isEnabled());
            QCOMPARE(w->instructionsText->focusPolicy(), Qt::NoFocus);
            // The pointer over the memo is the "no" pointer, although the memo is disabled.
            QWidget *over = w->childAt(w->instructionsText->mapTo(w, w->instructionsText->rect().center()));
            QVERIFY(over && over->isEnabled());
            QCOMPARE(over->cursor().shape(), Qt::ForbiddenCursor);
            const QPoint image = w->responseRuleLabel->mapTo(w, w->responseRuleLabel->rect().center());
            QVERIFY(!w->childAt(image) || w->childAt(image) == w->responseRuleLabel);
            QCOMPARE(w->instructionsText->font().pointSize(), 12);
            QVERIFY(w->instructionsText->font().bold());
            QCOMPARE(w->instructionsText->document()->defaultTextOption().alignment(), Qt::AlignHCenter);
            QVERIFY(w->instructionsText->toPlainText().contains(QStringLiteral("la couleur")));

            QVERIFY(w->responseRuleLabel->isVisible());
            QCOMPARE(w->responseRuleLabel->geometry(), QRect(240, 320, 321, 65));
            QCOMPARE(w->responseRuleLabel->pixmap().size(), QSize(327, 71));

            QCOMPARE(w->continueButton->text(), QStringLiteral("&Continuer"));
            QCOMPARE(w->continueButton->geometry(), QRect(216, 464, 105, 33));
            QVERIFY(!w->noButton->isVisible());
            QCOMPARE(w->noButton->geometry(), QRect(352, 464, 105, 33));
            QCOMPARE(w->quitButton->text(), QStringLiteral("&Quitter"));
            QCOMPARE(w->quitButton->geometry(), QRect(496, 464, 89, 33));

            w->continueButton->click();
            QVERIFY(!w->responseRuleLabel->isVisible());
            QCOMPARE(w->instructionsText->toPlainText(), QStringLiteral("\n\nPrêt pour les essais?"));
            QVERIFY(w->noButton->isVisible());
            QCOMPARE(w->noButton->text(), QStringLiteral("Passer"));
            // Escape does not end the administration.
            QTest::keyClick(w, Qt::Key_Escape);
            QVERIFY(w->isVisible());
            checked = true;
            w->quitButton->click();
        });
        StartAdministration(m_session);
        QVERIFY(checked);
        QVERIFY(!w->isVisible());
        QCOMPARE(m_session.run.essaiState, 2);
        QVERIFY(msgs.service.shown().isEmpty());

        // Reused for the next administration, which starts over; the close box
        // ends it like "Quitter".
        m_session.choices.testIndex = 0;
        bool second = false;
        QTimer::singleShot(0, w, [&] {
            QCOMPARE(m_session.run.essaiState, 1);
            QCOMPARE(w->titleLabel->text(), QStringLiteral("TR Visuel Centré"));
            QVERIFY(!w->responseRuleLabel->isVisible());
            QCOMPARE(w->instructionsText->height(), 265);
            QVERIFY(!w->noButton->isVisible());
            second = true;
            w->close();
        });
        StartAdministration(m_session);
        QVERIFY(second);
        QVERIFY(!w->isVisible());
    }
};

QTEST_MAIN(TestEssaiWindow)
#include "tst_essai_window.moc"
