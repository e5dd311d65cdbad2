// SPDX-License-Identifier: GPL-3.0-or-later
// Whole runs of TR latéralisé (+ Fixation), TR simple and double binaire on the fake
// clock, prepared as the instructions window prepares them, checked byte for byte
// and by what was drawn where and when.
#include "rt_helpers.h"

#include "epreuves/binaire.h"
#include "epreuves/lateralise.h"
#include "platform/messages.h"
#include "platform/soundplayer.h"
#include "protocol/resultwriter.h"

#include <QDir>
#include <QTemporaryDir>
#include <QtTest>

using namespace zoka;

namespace {

using Lines = QList<QByteArray>;

// Elements 0..3; every draw logs what came up or went, when and where.
struct Surface final : StimulusSurface {
    struct Change {
        quint32 tick;
        int element;
        bool shown;
        QPoint at;
    };
    void setShown(int e, bool s) override { shown[e] = s; }
    bool isShown(int e) const override { return shown[e]; }
    void moveTo(int e, int l, int t) override { at[e] = QPoint(l, t); }
    QRect box(int e) const override { return QRect(at[e], QSize(21, 21)); }
    void setText(int, const QString &) override {}
    void setFont(int, const QString &, int, bool) override {}
    void setColours(int, quint32, quint32) override {}
    bool setPicture(int, const QByteArray &data) override { return data.startsWith("BM"); }
    bool hasFace(const QString &family) const override { return faceOk && family == "Tahoma"; }
    void drawNow() override
    {
        for (int e = 0; e < 4; ++e)
            if (drawn[e] != shown[e])
                log.append(Change{zoka::clock().tick(), e, drawn[e] = shown[e], at[e]});
    }
    QList<quint32> ticks(int element, bool up) const
    {
        QList<quint32> out;
        for (const Change &c : log)
            if (c.element == element && c.shown == up)
                out << c.tick;
        return out;
    }
    bool shown[4] = {}, drawn[4] = {}, faceOk = true;
    QPoint at[4];
    QList<Change> log;
};

struct Host final : ProtocolHost {
    void takePointer() override { ++taken; }
    void restorePointer() override {}
    void closeWindow() override { ++closed; }
    int taken = 0, closed = 0;
};

// The programme of test 1-4 on the engine, elements numbered as its window does.
struct Rig {
    explicit Rig(int test)
    {
        auto p = std::make_unique<FakeSoundPlayer>();
        player = test > 2 ? p.get() : nullptr;
        if (test == 1)
            programme = std::make_unique<LateraliseProgramme>(surface, 0);
        else if (test == 2)
            programme = std::make_unique<LateraliseFixationProgramme>(surface, 0, 1, 2, timer2);
        else
            programme = std::make_unique<GoNoGoProgramme>(
                surface, test == 3 ? SimpleBinaire::symbols(0, 1) : DoubleBinaire::symbols({0, 1, 2, 3}), std::move(p));
        protocol = std::make_unique<TestProtocol>(*programme, timer1, writer, host);
        sim.press = [this] { protocol->press(sim.clk.tick()); };
        sim.key = [this](int code) { protocol->key(code); };
    }
    void start(const RunSetup &s, const QByteArray &picture = "BM")
    {
        QFile f(s.dataFile("PtFix.bmp"));
        if (!picture.isNull())
            QVERIFY(f.open(QIODevice::WriteOnly) && f.write(picture) == picture.size());
        f.close();
        protocol->start(s);
    }
    rt::Sim sim;
    rt::SimTimer timer1{sim}, timer2{sim};
    Surface surface;
    Host host;
    ResultWriter writer;
    FakeSoundPlayer *player;
    std::unique_ptr<StimulusProgramme> programme;
    std::unique_ptr<TestProtocol> protocol;
};

Lines times(const QByteArray &line, int n) { return Lines(n, line); }

} // namespace

class TestVisualRt : public QObject {
    Q_OBJECT

private slots:
    void init() { QLocale::setDefault(QLocale(QLocale::French, QLocale::France)); }

    void runs_data()
    {
        QTest::addColumn<int>("test");
        QTest::addColumn<int>("count"); // 0: practice
        QTest::addColumn<bool>("endless");
        QTest::addColumn<QString>("script");
        QTest::addColumn<Lines>("lines");
        QTest::addColumn<int>("sounds");
        QTest::addColumn<int>("upAtEnd"); // element on the screen when the run ended
        QTest::newRow("LAT practice, no press") << 1 << 0 << false << "*6(> >)" << times("3000", 6) + Lines{"0"} << 0 << -1;
        QTest::newRow("LAT 36, untimely press, stop in a foreperiod")
            << 1 << 36 << false << "+1000 p > +250 p > +300 p +400 k" << Lines{"250", "300", "-1"} << 0 << -1;
        QTest::newRow("LAT endless, stop at item 65") << 1 << 64 << true << "*64(> +200 p) > k" << times("200", 64) + Lines{"0"} << 0 << 0;
        QTest::newRow("LFC 36, no press") << 2 << 36 << false << "*36(> >)" << times("3000", 36) + Lines{"0 0"} << 0 << -1;
        // Practice item 1: the point from 3.0 to 3.5 s of a 5 s foreperiod.
        QTest::newRow("LFC practice, presses at the point") << 2 << 0 << false << "+3100 p +300 p +1000 p > +200 p *5(> >)"
                                                            << Lines{"200"} + times("3000", 5) + Lines{"-3 2"} << 0 << -1;
        QTest::newRow("LFC 64, stop with the point up") << 2 << 64 << false << "> +100 p +3200 k" << Lines{"100", "0 0"} << 0 << 2;
        QTest::newRow("SB practice, cross held, sound at a ring") << 3 << 0 << false << "> > > +700 p > > > +300 p > +400 p > > > +250 p"
                                                                  << Lines{"4700", "2000", "300", "400", "2000", "250", "0 1"} << 1 << -1;
        QTest::newRow("SB 64, no press") << 3 << 64 << false << "*64(> >)" << times("2000", 64) + Lines{"0 0"} << 0 << -1;
        // The first 32 items: + + O + + + O + O + + O + + O O + + O + O O + + + O + + O + + O
        QTest::newRow("SB 32, presses at the rings only")
            << 3 << 32 << false << "*2(> >) > +333 p *3(> >) > +333 p > > > +333 p *2(> >) > +333 p *2(> >) *2(> +333 p) "
                                   "*2(> >) > +333 p > > *2(> +333 p) *3(> >) > +333 p *2(> >) > +333 p *2(> >) > +333 p"
            << Lines{"2000", "2000", "333", "2000", "2000", "2000", "333", "2000", "333", "2000", "2000", "333", "2000",
                     "2000", "333", "333", "2000", "2000", "333", "2000", "333", "333", "2000", "2000", "2000", "333",
                     "2000", "2000", "333", "2000", "2000", "333", "0 12"} << 0 << -1;
        QTest::newRow("SB untimely presses, stop with a symbol up") << 3 << 32 << false << "+500 p +500 p +500 p > > > k"
                                                                    << Lines{"2000", "-3 0"} << 0 << 0;
        // Practice 1 3 4 2: red cross held, red ring left, blue cross pressed, blue ring held.
        QTest::newRow("DB practice") << 4 << 0 << false << "> > +100 p > > > +300 p > > > +50 p k"
                                     << Lines{"2100", "2000", "300", "4050", "0 1"} << 1 << -1;
        QTest::newRow("DB 64, a press at every symbol") << 4 << 64 << false << "*64(> +321 p)" << times("321", 64) + Lines{"0 24"} << 0 << -1;
        QTest::newRow("DB endless, item 65 is the blue ring") << 4 << 64 << true << "*64(> +200 p) > k" << times("200", 64) + Lines{"0 24"} << 0 << 1;
        QTest::newRow("DB stop before the first symbol") << 4 << 32 << false << "+2999 k" << Lines{"0 0"} << 0 << -1;
    }
    void runs()
    {
        QFETCH(int, test);
        QFETCH(int, count);
        QFETCH(bool, endless);
        QFETCH(QString, script);
        QFETCH(Lines, lines);
        QFETCH(int, sounds);
        QFETCH(int, upAtEnd);
        QTemporaryDir dir;
        Rig r(test);
        const RunSetup s = rt::preparedRun(test, count, endless, dir.path());
        if (r.player)
            r.player->failOpen = count != 0; // a test run does without the error sound
        r.start(s);
        QVERIFY(r.sim.run(script));
        QVERIFY(!r.protocol->running());
        QCOMPARE(rt::fileBytes(s.outputFile), rt::resultFile(s, lines));
        QCOMPARE(r.host.closed, 1);
        QVERIFY(!r.timer1.active && !r.timer2.active);
        QCOMPARE(r.player ? r.player->playCount() : 0, sounds);
        // What was up at the end stays on the screen; the next run opens blank.
        for (int e = 0; e < 3; ++e) {
            QCOMPARE(r.surface.drawn[e], e == upAtEnd || (test == 2 && e == 1));
            QCOMPARE(r.surface.shown[e], test == 2 && e == 1);
        }
    }

    // Item k of a run: the cell its square comes up at, and when the fixation point
    // and the square come up, in ms from the start of its foreperiod.
    void items_data()
    {
        QTest::addColumn<int>("test");
        QTest::addColumn<int>("count"); // 0: practice; an item past 64 is in an endless series
        QTest::addColumn<int>("item");
        QTest::addColumn<QPoint>("at");
        QTest::addColumn<int>("pointAt"); // -1: none
        QTest::addColumn<int>("squareAt");
        QTest::newRow("36: item 1") << 1 << 36 << 1 << QPoint(462, 240) << -1 << 3000;
        QTest::newRow("36: item 2") << 2 << 36 << 2 << QPoint(602, 555) << 3000 << 5000;
        QTest::newRow("36: item 10, first cell") << 1 << 36 << 10 << QPoint(42, 30) << -1 << 1000;
        QTest::newRow("36: item 35") << 2 << 36 << 35 << QPoint(322, 135) << 3000 << 5000;
        QTest::newRow("64: item 1") << 2 << 64 << 1 << QPoint(342, 330) << -1 << 3000;
        QTest::newRow("64: item 2") << 2 << 64 << 2 << QPoint(42, 30) << 3000 << 5000;
        QTest::newRow("64: item 11") << 2 << 64 << 11 << QPoint(442, 480) << 1000 << 7000;
        QTest::newRow("practice: item 1") << 2 << 0 << 1 << QPoint(342, 330) << 3000 << 5000;
        QTest::newRow("practice: item 2") << 1 << 0 << 2 << QPoint(642, 30) << -1 << 3000;
        QTest::newRow("endless: item 64") << 1 << 64 << 64 << QPoint(242, 330) << -1 << 5000;
        QTest::newRow("endless: item 65 is item 1") << 1 << 64 << 65 << QPoint(342, 330) << -1 << 3000;
    }
    void items()
    {
        QFETCH(int, test);
        QFETCH(int, count);
        QFETCH(int, item);
        QFETCH(QPoint, at);
        QFETCH(int, pointAt);
        QFETCH(int, squareAt);
        QTemporaryDir dir;
        Rig r(test);
        r.start(rt::preparedRun(test, count, item > 64, dir.path()));
        QVERIFY(r.sim.run(QString("*%1(> +150 p)").arg(item - 1)));
        const quint32 t0 = r.sim.clk.tick();
        r.surface.log.clear();
        QVERIFY(r.sim.run(">"));
        QCOMPARE(r.surface.log.last().at, at);
        QCOMPARE(r.surface.ticks(0, true), QList<quint32>{t0 + squareAt});
        QCOMPARE(r.surface.ticks(2, true), pointAt < 0 ? QList<quint32>() : QList<quint32>{t0 + pointAt});
        QCOMPARE(r.surface.ticks(2, false), pointAt < 0 ? QList<quint32>() : QList<quint32>{t0 + pointAt + 500});
    }

    // What a practice run cannot go without is reported, naming it, before anything
    // is written; the pointer is never taken and the window closes.
    void refused_data()
    {
        QTest::addColumn<int>("test");
        QTest::addColumn<QByteArray>("picture"); // PtFix.bmp; null: none, "/": a directory
        QTest::addColumn<QString>("message");
        QTest::newRow("no PtFix.bmp") << 2 << QByteArray() << "« PtFix.bmp » ne peut pas être affichée : fichier introuvable";
        QTest::newRow("PtFix.bmp not a picture") << 2 << QByteArray("GIF89a") << "n'est pas une image lisible";
        QTest::newRow("PtFix.bmp unreadable") << 2 << QByteArray("/") << "ne peut pas être lu";
        QTest::newRow("no SonErr.wav") << 3 << QByteArray("BM") << "« SonErr.wav »";
        QTest::newRow("no Tahoma") << 4 << QByteArray("BM") << "« Tahoma » n'est pas installée";
        QTest::newRow("unknown symbol code") << 4 << QByteArray("BM") << "    Erreur de stimulus Id: 5     ";
    }
    void refused()
    {
        QFETCH(int, test);
        QFETCH(QByteArray, picture);
        QFETCH(QString, message);
        ScopedScriptedMessages msgs;
        QTemporaryDir dir;
        Rig r(test);
        RunSetup s = rt::preparedRun(test, 0, false, dir.path());
        if (picture == "/")
            QVERIFY(QDir(dir.path()).mkdir("PtFix.bmp"));
        if (r.player)
            r.player->checkFiles = QTest::currentDataTag() == QByteArray("no SonErr.wav");
        r.surface.faceOk = QTest::currentDataTag() != QByteArray("no Tahoma");
        if (QTest::currentDataTag() == QByteArray("unknown symbol code"))
            s.stimulusSeries[4] = '5';
        r.start(s, picture == "/" ? QByteArray() : picture);
        QCOMPARE(msgs.service.texts().size(), 1);
        QVERIFY2(msgs.service.texts().first().contains(message), qPrintable(msgs.service.texts().first()));
        QVERIFY(!QFile::exists(s.outputFile));
        QCOMPARE(r.host.taken, 0);
        QCOMPARE(r.host.closed, 1);
        QVERIFY(!r.timer1.active && !r.protocol->running());
    }
};

QTEST_GUILESS_MAIN(TestVisualRt)
#include "tst_visualrt.moc"
