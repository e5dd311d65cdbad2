// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Little-endian integers appended to a byte array: the fields of RIFF (WAV) and BMP
// headers.
#include <QByteArray>
#include <QtEndian>

inline void put32(QByteArray &b, quint32 v)
{
    char c[4];
    qToLittleEndian<quint32>(v, c);
    b.append(c, 4);
}

inline void put16(QByteArray &b, quint16 v)
{
    char c[2];
    qToLittleEndian<quint16>(v, c);
    b.append(c, 2);
}
