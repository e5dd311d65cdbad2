// SPDX-License-Identifier: GPL-3.0-or-later
// The "TR auditif" and "TR mixte" windows: what they show, their player, and a run
// refused when the machine has no sound output.
#include "administration/runstate.h"
#include "platform/clock.h"
#include "platform/messages.h"
#include "platform/trialtimer.h"
#include "shell/session.h"
#include "epreuves/widgets/testwindows.h"
#include "epreuves/widgets/auditifwindow.h"
#include "epreuves/widgets/mixtewindow.h"

#include <QGuiApplication>
#include <QTemporaryDir>
#include <QtTest>

using namespace zoka;

namespace {

Session prepareRun(const QString &dir)
{
    Session session;
    session.config.ProgramDir = dir;
    session.config.StopKeyCode = 27;
    session.choices.patientName = "Dupont";
    session.run.practiceMode = true;
    session.run.outputFile = dir + "/Essais";
    session.run.itemCount = 6;
    const int fp[] = {5, 3, 1, 7, 1, 5};
    for (int i = 0; i < 6; ++i)
        session.run.itemSequence[size_t(i + 1)] = fp[i];
    return session;
}

// Installs a factory of fake players and keeps the last one made.
struct FakePlayers {
    FakePlayers()
    {
        setSoundPlayerFactory([this] {
            auto p = std::make_unique<FakeSoundPlayer>();
            last = p.get();
            return p;
        });
    }
    ~FakePlayers() { setSoundPlayerFactory({}); }
    FakeSoundPlayer *last = nullptr;
};

} // namespace

class TestToneWindows : public QObject {
    Q_OBJECT

private slots:
    void init() { QLocale::setDefault(QLocale(QLocale::French, QLocale::France)); }

    // TR mixte on screen: the square of a visual item in the middle of the white
    // stage, nothing drawn for a tone item, whose tone the window's player plays;
    // a click answers either.
    void mixteWindowRun()
    {
        QTemporaryDir dir;
        const Session session = prepareRun(dir.path());
        FakePlayers players;
        FakeClock clk(5000);
        setClock(&clk);
        MixteWindow w;
        QVERIFY(players.last);
        auto *timer = new FakeTrialTimer;
        w.setTrialTimer(std::unique_ptr<TrialTimer>(timer));
        w.resize(800, 600);
        w.setRunSetup(currentRunSetup(session, index(TestId::Mixte)));
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        QTRY_VERIFY(w.protocol()->running());
        QCOMPARE(players.last->fileName(), dir.path() + "/Songrave.wav");
        const QList<int> foreperiods = {5, 3, 1};
        QList<bool> squares;
        for (int k = 0; k < 3; ++k) {
            clk.advance(quint32(foreperiods[k] * 1000));
            timer->fire();
            const QImage img = w.stage()->grab().toImage();
            squares << (img.pixelColor(400, 300) == QColor(Qt::black) && img.pixelColor(390, 290) == QColor(Qt::black)
                        && img.pixelColor(389, 300) == QColor(Qt::white));
            clk.advance(quint32(200 + k));
            QTest::mouseClick(w.stage(), Qt::LeftButton, {}, QPoint(10, 10));
        }
        QCOMPARE(squares, QList<bool>({true, true, false}));
        QCOMPARE(players.last->playCount(), 1);
        QTest::keyClick(&w, Qt::Key_Escape);
        QVERIFY(!w.isVisible());
        QFile f(dir.path() + "/Essais");
        QVERIFY(f.open(QIODevice::ReadOnly));
        QVERIFY(f.readAll().endsWith("\r\n0\r\n200\r\n201\r\n202\r\n0\r\n"));
        setClock(nullptr);
    }

    // TR auditif shows nothing on the dialog face colour. Without any sound output
    // the run does not start: one French message naming the tone, no file, the
    // window closed and the pointer back.
    void auditifWithoutSoundOutput()
    {
        QTemporaryDir dir;
        const Session session = prepareRun(dir.path());
        ScopedScriptedMessages msgs;
        TestWindow *w = testWindow(index(TestId::Auditif));
        QVERIFY(w);
        QCOMPARE(w->stage()->elementCount(), 0);
        QCOMPARE(w->stage()->background(), QApplication::palette().color(QPalette::Window));
        QVERIFY(w->stage()->background() != QColor(Qt::white));
        w->setTrialTimer(std::make_unique<FakeTrialTimer>());
        const RunOutcome outcome = ExecTestWindow(currentRunSetup(session, index(TestId::Auditif)));
        QVERIFY(!outcome.ran);
        QCOMPARE(msgs.service.texts().size(), 1);
        QVERIFY(msgs.service.texts().first().contains(QString::fromUtf8("« Songrave.wav »")));
        QVERIFY(msgs.service.texts().first().contains(QStringLiteral("aucune sortie son")));
        QVERIFY(!QFile::exists(dir.path() + "/Essais"));
        QVERIFY(!w->isVisible());
        QCOMPARE(QGuiApplication::overrideCursor(), nullptr);
    }
};

QTEST_MAIN(TestToneWindows)
#include "tst_tonewindows.moc"
