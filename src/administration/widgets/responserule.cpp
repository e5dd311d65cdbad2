// SPDX-License-Identifier: GPL-3.0-or-later
#include "administration/widgets/responserule.h"

#include <QFont>
#include <QFontMetrics>
#include <QPainter>

namespace zoka {

namespace {

struct Piece {
    QString text;
    QColor colour;
    bool symbol; // drawn with the symbol font
};

void drawLine(QPainter &p, int baseline, const QList<Piece> &pieces, const QFont &symbolFont,
              const QFont &wordFont)
{
    int x = 14;
    for (const Piece &piece : pieces) {
        const QFont &f = piece.symbol ? symbolFont : wordFont;
        p.setFont(f);
        p.setPen(piece.colour);
        p.drawText(x, baseline, piece.text);
        x += QFontMetrics(f).horizontalAdvance(piece.text) + 10;
    }
}

} // namespace

QImage responseRulePicture()
{
    QImage img(327, 71, QImage::Format_RGB888);
    img.fill(Qt::white);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);

    QFont symbolFont(QStringLiteral("DejaVu Sans"));
    symbolFont.setStyleHint(QFont::SansSerif);
    symbolFont.setBold(true);
    symbolFont.setPixelSize(26);
    QFont wordFont = symbolFont;
    wordFont.setPixelSize(17);

    const QColor red(255, 0, 0), blue(0, 0, 255), black(0, 0, 0);
    drawLine(p, 27,
             {{QStringLiteral("+"), red, true},
              {QStringLiteral("ou"), black, false},
              {QStringLiteral("O"), blue, true},
              {QStringLiteral("appuyez rapidement"), black, false}},
             symbolFont, wordFont);
    drawLine(p, 57,
             {{QStringLiteral("+"), blue, true},
              {QStringLiteral("ou"), black, false},
              {QStringLiteral("O"), red, true},
              {QStringLiteral("ne PAS appuyer"), black, false}},
             symbolFont, wordFont);
    p.end();
    return img;
}

} // namespace zoka
