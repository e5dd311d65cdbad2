// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/cp1252.h"

#include <QFile>
#include <QTextCodec>

namespace zoka::cp1252 {

namespace {
QTextCodec *codec()
{
    static QTextCodec *c = QTextCodec::codecForName("windows-1252");
    Q_ASSERT(c);
    return c;
}
}

QByteArray encode(const QString &text) { return codec()->fromUnicode(text); }
QString decode(const QByteArray &bytes) { return codec()->toUnicode(bytes); }

QStringList splitLines(const QString &text)
{
    QStringList lines;
    QString cur;
    const int n = int(text.size());
    for (int i = 0; i < n; ++i) {
        const QChar ch = text.at(i);
        if (ch == u'\r' || ch == u'\n') {
            lines << cur;
            cur.clear();
            if (ch == u'\r' && i + 1 < n && text.at(i + 1) == u'\n')
                ++i;
        } else {
            cur += ch;
        }
    }
    if (!cur.isEmpty())
        lines << cur;
    return lines;
}

QByteArray encodeLines(const QStringList &lines)
{
    QByteArray out;
    for (const QString &l : lines) {
        out += encode(l);
        out += "\r\n";
    }
    return out;
}

bool readFile(const QString &path, QString *text)
{
    text->clear();
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return false;
    *text = decode(f.readAll());
    return true;
}

} // namespace zoka::cp1252
