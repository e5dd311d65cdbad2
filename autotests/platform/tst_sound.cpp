// SPDX-License-Identifier: GPL-3.0-or-later
// Wave files: the header check, the sounds generated for the program, and the real
// and fake players' playing state and failure reports.
#include "platform/clock.h"
#include "platform/messages.h"
#include "platform/soundplayer.h"
#include "platform/widgets/soundplayer_pulse.h"
#include "platform/widgets/soundplayer_qt.h"
#include "battery/testtable.h"
#include "../../tools/mkdata/littleendian.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtEndian>
#include <QtTest>

#include <cmath>

using namespace zoka;

namespace {

QByteArray fmtChunk(quint16 format, int channels, int rate, int bits)
{
    QByteArray b("fmt ");
    put32(b, 16);
    put16(b, format);
    put16(b, quint16(channels));
    put32(b, quint32(rate));
    put32(b, quint32(rate * channels * bits / 8));
    put16(b, quint16(channels * bits / 8));
    put16(b, quint16(bits));
    return b;
}

QByteArray wave(const QByteArray &chunks)
{
    QByteArray b("RIFF");
    put32(b, quint32(4 + chunks.size()));
    b += "WAVE";
    return b + chunks;
}

QByteArray dataChunk(int bytes, int declared = -1)
{
    QByteArray b("data");
    put32(b, quint32(declared < 0 ? bytes : declared));
    return b + QByteArray(bytes, '\x10');
}

// 16-bit mono samples of a generated sound, as -1..1.
QList<double> samplesOf(const QString &path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    const QByteArray b = f.readAll();
    const qsizetype at = b.indexOf("data") + 8;
    QList<double> s;
    for (qsizetype i = at; i + 1 < b.size(); i += 2)
        s << qFromLittleEndian<qint16>(b.constData() + i) / 32768.0;
    return s;
}

double peak(const QList<double> &s, qsizetype from, qsizetype to)
{
    double m = 0;
    for (qsizetype i = from; i < to && i < s.size(); ++i)
        m = std::max(m, std::fabs(s[i]));
    return m;
}

} // namespace

class TestSound : public QObject {
    Q_OBJECT

    QString generated(const QString &name)
    {
        return QDir(QStringLiteral(ZOKA_GENERATED_DATA_DIR)).filePath(name);
    }

private slots:
    void waveHeaders()
    {
        // One second of 16-bit mono at 22050 Hz.
        WaveInfo w = parseWaveHeader(wave(fmtChunk(1, 1, 22050, 16) + dataChunk(44100)));
        QVERIFY(w.ok);
        QCOMPARE(w.frames, 22050);
        QCOMPARE(w.durationMs, 1000);

        // An odd-sized chunk before the format is skipped with its pad byte;
        // stereo 8-bit; partial milliseconds round up.
        QByteArray list("LIST");
        put32(list, 3);
        list += QByteArray("abc\0", 4);
        w = parseWaveHeader(wave(list + fmtChunk(1, 2, 8000, 8) + dataChunk(2 * 8001)));
        QVERIFY2(w.ok, qPrintable(w.error));
        QCOMPARE(w.channels, 2);
        QCOMPARE(w.durationMs, 1001);

        // A data chunk cut short by a truncated file plays what is there.
        w = parseWaveHeader(wave(fmtChunk(1, 1, 1000, 16) + dataChunk(500, 100000)));
        QVERIFY(w.ok);
        QCOMPARE(w.durationMs, 250);

        QVERIFY(!parseWaveHeader("RIFX").ok);
        QVERIFY(!parseWaveHeader(QByteArray(64, 'x')).ok);
        QVERIFY(!parseWaveHeader(wave(fmtChunk(3, 1, 22050, 32) + dataChunk(400))).ok);
        QVERIFY(!parseWaveHeader(wave(fmtChunk(1, 1, 22050, 16) + dataChunk(0))).ok);
        QVERIFY(!parseWaveHeader(wave(dataChunk(400) + fmtChunk(1, 1, 22050, 16))).ok);
        QVERIFY(!parseWaveHeader(wave(fmtChunk(1, 1, 22050, 16))).ok);
        QVERIFY(!parseWaveHeader(wave(fmtChunk(1, 1, 22050, 12) + dataChunk(400))).ok);
    }

    void generatedSoundsSuitTheirUse()
    {
        for (const char *name : {"SonFin.wav", "Songrave.wav", "SonErr.wav"}) {
            const WaveInfo w = readWaveInfo(generated(QString::fromLatin1(name)));
            QVERIFY2(w.ok, qPrintable(QString::fromLatin1(name) + ": " + w.error));
            QCOMPARE(w.bitsPerSample, 16);
            QCOMPARE(w.channels, 1);
            QCOMPARE(w.sampleRate, 44100);
        }
        // The tone outlasts the auditory tests' 3 s response window, so it never ends
        // before the time-out; it is low, and audible from its first milliseconds
        // (the reaction time counts from the play command).
        const int window = testEntry(TestId::Auditif).timeLimitSeconds * 1000;
        const QList<double> tone = samplesOf(generated("Songrave.wav"));
        QVERIFY(readWaveInfo(generated("Songrave.wav")).durationMs > window);
        QVERIFY(peak(tone, 0, 441) > 0.3);
        int crossings = 0;
        for (qsizetype i = 44100; i < 88200; ++i)
            if ((tone[i - 1] < 0) != (tone[i] < 0))
                ++crossings;
        QVERIFY2(crossings > 300 && crossings < 700, qPrintable(QString::number(crossings)));

        // The end chime: about a second, no click at either end, not loud.
        const int fin = readWaveInfo(generated("SonFin.wav")).durationMs;
        QVERIFY(fin >= 700 && fin <= 2000);
        const QList<double> chime = samplesOf(generated("SonFin.wav"));
        QVERIFY(peak(chime, 0, chime.size()) < 0.8);
        QVERIFY(peak(chime, chime.size() - 44, chime.size()) < 0.01);
        QVERIFY(std::fabs(chime.first()) < 0.01);

        // The practice error sound is short: the next item must not wait for it.
        QVERIFY(readWaveInfo(generated("SonErr.wav")).durationMs <= 500);
    }

    void realPlayerReportsFilesItCannotPlay()
    {
        ScopedScriptedMessages msgs;
        QTemporaryDir dir;
        QtSoundPlayer player;

        const QString missing = QDir(dir.path()).filePath("SonFin.wav");
        QVERIFY(!player.open(missing));
        QVERIFY(!player.isOpen());
        QCOMPARE(msgs.service.shown().size(), 1);
        QCOMPARE(msgs.service.shown()[0].kind, MsgKind::Error);
        QVERIFY(msgs.service.shown()[0].text.contains(QStringLiteral("SonFin.wav")));
        QVERIFY(msgs.service.shown()[0].text.contains(QStringLiteral("introuvable")));

        const QString junk = QDir(dir.path()).filePath("Songrave.wav");
        QFile f(junk);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("not a sound at all");
        f.close();
        QVERIFY(!player.open(junk));
        QCOMPARE(msgs.service.shown().size(), 2);
        QVERIFY(msgs.service.shown()[1].text.contains(QStringLiteral("Songrave.wav")));

        QVERIFY(!player.play()); // nothing open
        QCOMPARE(msgs.service.shown().size(), 3);
        QVERIFY(!player.isPlaying());
    }

    void realPlayerIsPlayingForTheSoundsLength()
    {
        ScopedScriptedMessages msgs;
        FakeClock clk(0xFFFFF000u); // across the wrap of the tick
        setClock(&clk);
        QtSoundPlayer player;
        QVERIFY(player.open(generated("Songrave.wav")));
        QCOMPARE(player.durationMs(), 3500);
        QVERIFY(!player.isPlaying());
        QVERIFY(player.play());
        QVERIFY(player.isPlaying());
        clk.advance(3499);
        QVERIFY(player.isPlaying());
        clk.advance(1);
        QVERIFY(!player.isPlaying()); // ended by itself

        // Stop and rewind, then play again: a fresh full length.
        QVERIFY(player.play());
        clk.advance(300);
        player.stop();
        player.rewind();
        QVERIFY(!player.isPlaying());
        QVERIFY(player.play());
        clk.advance(3400);
        QVERIFY(player.isPlaying());

        player.close();
        QVERIFY(!player.isPlaying());
        QVERIFY(!player.isOpen());
        QVERIFY(player.fileName().isEmpty());
        setClock(nullptr);
        QVERIFY(msgs.service.shown().isEmpty());
    }

    // The test windows' player refuses a tone it cannot play, naming the file: a bad
    // file, or no sound server to play it on. Nothing plays afterwards.
    void pulsePlayerRefusesWhatItCannotPlay()
    {
        ScopedScriptedMessages msgs;
        const QByteArray server = qgetenv("PULSE_SERVER");
        qputenv("PULSE_SERVER", "unix:/nonexistent/zoka-no-server");
        PulseSoundPlayer player;
        QVERIFY(!player.open(generated("nothing.wav")));
        QVERIFY(!player.open(generated("Songrave.wav")));
        qputenv("PULSE_SERVER", server);
        if (server.isEmpty())
            qunsetenv("PULSE_SERVER");
        QVERIFY(!player.isOpen());
        QVERIFY(!player.play());
        QVERIFY(!player.isPlaying());
        const QStringList texts = msgs.service.texts();
        QCOMPARE(texts.size(), 3);
        QVERIFY(texts[0].contains(QStringLiteral("« nothing.wav »")) && texts[0].contains(QStringLiteral("introuvable")));
        QVERIFY(texts[1].contains(QStringLiteral("« Songrave.wav »"))
                && texts[1].contains(QStringLiteral("aucune sortie son n'est disponible")));
        QCOMPARE(texts[2], soundPlaybackErrorText(QString()));
    }

    void fakePlayerFollowsTheSameRules()
    {
        ScopedScriptedMessages msgs;
        FakeClock clk(100);
        setClock(&clk);
        FakeSoundPlayer fake;
        fake.checkFiles = true;
        QVERIFY(fake.open(generated("SonErr.wav")));
        QCOMPARE(fake.durationMs(), 300);
        QVERIFY(fake.play());
        clk.advance(299);
        QVERIFY(fake.isPlaying());
        clk.advance(1);
        QVERIFY(!fake.isPlaying());
        QVERIFY(!fake.open(generated("nothing.wav")));
        QCOMPARE(msgs.service.shown().size(), 1);
        fake.failPlay = true;
        fake.checkFiles = false;
        QVERIFY(fake.open("x.wav"));
        QVERIFY(!fake.play());
        QCOMPARE(msgs.service.shown().size(), 2);
        setClock(nullptr);
    }
};

QTEST_MAIN(TestSound)
#include "tst_sound.moc"
