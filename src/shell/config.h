// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QByteArray>
#include <QString>

namespace zoka {

// The configuration record, stored whole as a 392-byte little-endian record in
// "Zoka.ini" (strings are length-prefixed Windows-1252 with a fixed maximum).
// Offsets: Version 0 (string[15]), ProgramDir 92 (string[75]), ResultsDir 168
// (string[75]), PrintMarginCm 248 (double), StopKeyText 256 (string[10]),
// StopKeyCode 268 (int32), PrintFontName 272 (string[30]), PrintFontSize 304 (int32),
// PrintFontStyle 308 (byte: bit 0 bold, 1 italic, 2 underline, 3 strike-out),
// PrintFontColor 312 (int32, 0x00BBGGRR).
struct ConfigRecord {
    static constexpr int Size = 392;
    static constexpr int MaxDirLength = 75;

    QString Version;
    QString ProgramDir;
    QString ResultsDir;
    double PrintMarginCm = 1.5;
    QString StopKeyText;
    qint32 StopKeyCode = 27;
    QString PrintFontName;
    qint32 PrintFontSize = 8;
    quint8 PrintFontStyle = 0;
    qint32 PrintFontColor = 1;

    // Bytes of reserved areas and gaps, kept as read so that a record read and
    // written again is unchanged. Size() bytes; zero in a record built from defaults.
    QByteArray raw = QByteArray(Size, '\0');
};

} // namespace zoka
