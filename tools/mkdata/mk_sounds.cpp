// SPDX-License-Identifier: GPL-3.0-or-later
// Writes the program's sounds into the directory given as the only argument:
//   SonFin.wav   - end of a test: a soft rising three-note chime, about 1.2 s
//   Songrave.wav - the low tone of the auditory tests, 3.5 s (longer than the
//                  3000 ms response window, so a tone never ends before the time-out)
//   SonErr.wav   - practice error sound: a short low buzz, 0.3 s
// All 16-bit PCM mono at 44100 Hz, computed from formulas only (the same bytes on
// every build).
#include "littleendian.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QString>
#include <QtEndian>

#include <cmath>
#include <cstdio>
#include <vector>

namespace {

constexpr int Rate = 44100;
constexpr double Pi = 3.14159265358979323846;

// Scales the signal so that its peak is `peak` (0..1 of full scale) and writes it.
bool writeWave(const QString &path, std::vector<double> samples, double peak)
{
    double max = 0;
    for (double s : samples)
        max = std::max(max, std::fabs(s));
    const double gain = max > 0 ? peak / max : 0;

    QByteArray data;
    data.reserve(int(samples.size() * 2));
    for (double s : samples) {
        const long v = std::lround(s * gain * 32767.0);
        put16(data, quint16(qint16(std::clamp(v, -32767L, 32767L))));
    }

    QByteArray b;
    b.append("RIFF");
    put32(b, quint32(36 + data.size()));
    b.append("WAVE");
    b.append("fmt ");
    put32(b, 16);
    put16(b, 1);        // PCM
    put16(b, 1);        // mono
    put32(b, Rate);
    put32(b, Rate * 2); // bytes per second
    put16(b, 2);        // block align
    put16(b, 16);       // bits per sample
    b.append("data");
    put32(b, quint32(data.size()));
    b.append(data);

    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate) || f.write(b) != b.size()) {
        std::fprintf(stderr, "mk_sounds: cannot write %s\n", qPrintable(path));
        return false;
    }
    return true;
}

// Linear ramp in and out (seconds), 1 in between.
double ramps(double t, double length, double in, double out)
{
    double g = 1;
    if (t < in)
        g = t / in;
    if (t > length - out)
        g = std::min(g, std::max(0.0, (length - t) / out));
    return g;
}

std::vector<double> endChime()
{
    // C5, E5, G5 then C6 held: a short rising arpeggio, bell-like (fundamental plus
    // soft octave and twelfth), each note with a quick attack and an exponential decay.
    struct Note { double start, freq, level; };
    const Note notes[] = {{0.00, 523.25, 0.8}, {0.16, 659.26, 0.8}, {0.32, 783.99, 0.85},
                          {0.48, 1046.50, 0.7}};
    const double length = 1.25;
    std::vector<double> s(size_t(length * Rate), 0.0);
    for (size_t i = 0; i < s.size(); ++i) {
        const double t = double(i) / Rate;
        double v = 0;
        for (const Note &n : notes) {
            const double u = t - n.start;
            if (u < 0)
                continue;
            const double attack = std::min(1.0, u / 0.008);
            const double decay = std::exp(-u / 0.28);
            v += n.level * attack * decay
                * (std::sin(2 * Pi * n.freq * u) + 0.25 * std::sin(2 * Pi * 2 * n.freq * u)
                   + 0.08 * std::sin(2 * Pi * 3 * n.freq * u) * std::exp(-u / 0.08));
        }
        s[i] = v * ramps(t, length, 0.001, 0.05);
    }
    return s;
}

std::vector<double> lowTone()
{
    // 250 Hz with a little second and third harmonic so that small loudspeakers
    // render it too; 5 ms ramps keep the start and the end free of clicks.
    const double length = 3.5, f = 250.0;
    std::vector<double> s(size_t(length * Rate));
    for (size_t i = 0; i < s.size(); ++i) {
        const double t = double(i) / Rate;
        s[i] = ramps(t, length, 0.005, 0.005)
            * (std::sin(2 * Pi * f * t) + 0.3 * std::sin(2 * Pi * 2 * f * t)
               + 0.1 * std::sin(2 * Pi * 3 * f * t));
    }
    return s;
}

std::vector<double> errorBuzz()
{
    // A short, rough, falling buzz (odd harmonics of 220 Hz gliding to 165 Hz): heard
    // at once as "wrong", and unlike the tone and the chime.
    const double length = 0.3;
    std::vector<double> s(size_t(length * Rate));
    double phase = 0;
    for (size_t i = 0; i < s.size(); ++i) {
        const double t = double(i) / Rate;
        const double f = 220.0 - 55.0 * (t / length);
        phase += 2 * Pi * f / Rate;
        double v = 0;
        for (int h = 1; h <= 9; h += 2)
            v += std::sin(h * phase) / h;
        s[i] = v * ramps(t, length, 0.004, 0.04);
    }
    return s;
}

} // namespace

int main(int argc, char **argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: mk_sounds <output directory>\n");
        return 2;
    }
    const QDir dir(QString::fromLocal8Bit(argv[1]));
    if (!QDir().mkpath(dir.path()))
        return 1;
    bool ok = writeWave(dir.filePath(QStringLiteral("SonFin.wav")), endChime(), 0.6);
    ok = writeWave(dir.filePath(QStringLiteral("Songrave.wav")), lowTone(), 0.7) && ok;
    ok = writeWave(dir.filePath(QStringLiteral("SonErr.wav")), errorBuzz(), 0.6) && ok;
    return ok ? 0 : 1;
}
