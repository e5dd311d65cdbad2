// SPDX-License-Identifier: GPL-3.0-or-later
// Writes the fixation point "PtFix.bmp" into the directory given as the only
// argument: a red plus sign on white, 25 x 23 pixels, 24-bit, bars 3 pixels thick,
// the horizontal bar 17 pixels wide, the vertical bar 16 pixels tall.
#include "littleendian.h"

#include <QByteArray>
#include <QFile>
#include <QString>
#include <QtEndian>

#include <cstdio>

namespace {

constexpr int Width = 25;
constexpr int Height = 23;

bool red(int x, int y)
{
    const bool across = x >= 4 && x <= 20 && y >= 9 && y <= 11;
    const bool down = x >= 11 && x <= 13 && y >= 3 && y <= 18;
    return across || down;
}

} // namespace

int main(int argc, char **argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: mk_ptfix <directory>\n");
        return 2;
    }
    const int rowBytes = (Width * 3 + 3) / 4 * 4;
    const int imageBytes = rowBytes * Height;
    QByteArray b;
    b.append("BM");
    put32(b, quint32(54 + imageBytes));
    put32(b, 0);
    put32(b, 54);           // pixel data offset
    put32(b, 40);           // BITMAPINFOHEADER
    put32(b, Width);
    put32(b, Height);       // bottom-up rows
    put16(b, 1);            // planes
    put16(b, 24);           // bits per pixel
    put32(b, 0);            // no compression
    put32(b, quint32(imageBytes));
    put32(b, 2835);         // 72 dpi
    put32(b, 2835);
    put32(b, 0);
    put32(b, 0);
    for (int y = Height - 1; y >= 0; --y) {
        QByteArray row;
        for (int x = 0; x < Width; ++x) {
            // Blue, green, red.
            if (red(x, y))
                row.append("\x00\x00\xff", 3);
            else
                row.append("\xff\xff\xff", 3);
        }
        row.append(rowBytes - row.size(), '\0');
        b.append(row);
    }
    const QString path = QString::fromLocal8Bit(argv[1]) + QStringLiteral("/PtFix.bmp");
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate) || f.write(b) != b.size() || !f.flush()) {
        std::fprintf(stderr, "mk_ptfix: cannot write %s\n", qPrintable(path));
        return 1;
    }
    return 0;
}
