// SPDX-License-Identifier: GPL-3.0-or-later
#include "shell/stopkey.h"

#include "platform/cp1252.h"

#include <Qt>

namespace zoka {

namespace {
// Windows-1252 code of one character, -1 when it has none.
int charCode(const QString &ch)
{
    const QByteArray b = cp1252::encode(ch);
    if (b.size() != 1 || cp1252::decode(b) != ch)
        return -1;
    return quint8(b.at(0));
}
} // namespace

StopKeyParse parseStopKeyText(const QString &text)
{
    StopKeyParse r;
    if (text.isEmpty()) {
        r.code = 0;
        return r;
    }
    if (text.size() == 1) {
        const int c = charCode(text);
        r.ok = c >= 0;
        r.code = c;
        return r;
    }
    const QString word = text.toUpper();
    if (word == QLatin1String("ESC"))
        r.code = 27;
    else if (word == QLatin1String("RET"))
        r.code = 13;
    else if (word == QLatin1String("SPACE"))
        r.code = 32;
    else
        r.ok = false;
    return r;
}

int keyPressCharCode(int qtKey, const QString &text)
{
    switch (qtKey) {
    case Qt::Key_Escape:
        return 27;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        return 13;
    case Qt::Key_Backspace:
        return 8;
    case Qt::Key_Tab:
        return 9;
    case Qt::Key_Space:
        return 32;
    default:
        break;
    }
    if (text.size() != 1)
        return -1;
    const QChar ch = text.at(0);
    if (ch.unicode() < 32 && ch.unicode() != 0)
        return ch.unicode(); // control characters (Ctrl+letter) as typed
    return charCode(text);
}

} // namespace zoka
