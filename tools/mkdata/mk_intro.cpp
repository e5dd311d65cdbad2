// SPDX-License-Identifier: GPL-3.0-or-later
// Draws the title picture "Intro_Zoka.bmp" (800 x 600) into the directory given as
// the only argument. The picture's three drawn buttons (continue, help, quit) lie
// exactly under the invisible areas of the title screen, which shows the picture
// centred in an 800 x 580 frame (so picture row y is frame row y - 10).
#include "shell/intrologic.h"
#include "battery/testtable.h"

#include <QDir>
#include <QGuiApplication>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>

#include <cstdio>

namespace {

using namespace zoka;

QFont font(int pixelSize, bool bold = false, bool italic = false)
{
    QFont f(QStringLiteral("DejaVu Sans"));
    f.setPixelSize(pixelSize);
    f.setBold(bold);
    f.setItalic(italic);
    f.setHintingPreference(QFont::PreferNoHinting);
    return f;
}

// Frame rectangle of the title screen -> picture rectangle.
QRectF onPicture(const QRect &frameRect)
{
    return QRectF(frameRect).translated(0, intro::PictureTopCut);
}

void drawBackground(QPainter &p)
{
    QLinearGradient g(0, 0, 0, 600);
    g.setColorAt(0.0, QColor(6, 48, 60));
    g.setColorAt(0.55, QColor(0, 110, 112));
    g.setColorAt(1.0, QColor(4, 58, 66));
    p.fillRect(QRect(0, 0, 800, 600), g);

    // A soft light behind the title.
    QRadialGradient glow(QPointF(400, 190), 330);
    glow.setColorAt(0.0, QColor(255, 255, 255, 52));
    glow.setColorAt(1.0, QColor(255, 255, 255, 0));
    p.fillRect(QRect(0, 0, 800, 600), glow);

    // The response grid of the lateralised tests, faint, across the picture.
    p.setPen(QPen(QColor(255, 255, 255, 18), 1));
    for (int x = 25; x < 800; x += 50)
        p.drawLine(QPointF(x + 0.5, 0), QPointF(x + 0.5, 600));
    for (int y = 25; y < 600; y += 50)
        p.drawLine(QPointF(0, y + 0.5), QPointF(800, y + 0.5));
}

// The stimuli of the battery, in a row of tiles.
void drawStimuli(QPainter &p)
{
    const int tile = 58, gap = 16, count = 7;
    const int total = count * tile + (count - 1) * gap;
    const int x0 = (800 - total) / 2, y0 = 318;
    for (int i = 0; i < count; ++i) {
        const QRectF r(x0 + i * (tile + gap), y0, tile, tile);
        QPainterPath path;
        path.addRoundedRect(r, 9, 9);
        p.fillPath(path.translated(3, 4), QColor(0, 0, 0, 60));
        p.fillPath(path, QColor(250, 250, 246));
        const QPointF c = r.center();
        p.save();
        switch (i) {
        case 0: // centred square
            p.fillRect(QRectF(c.x() - 9, c.y() - 9, 18, 18), Qt::black);
            break;
        case 1: // square in a cell of the grid
            p.setPen(QPen(QColor(200, 200, 200), 1));
            for (int k = 1; k < 3; ++k) {
                p.drawLine(QPointF(r.left() + k * tile / 3.0, r.top() + 6),
                           QPointF(r.left() + k * tile / 3.0, r.bottom() - 6));
                p.drawLine(QPointF(r.left() + 6, r.top() + k * tile / 3.0),
                           QPointF(r.right() - 6, r.top() + k * tile / 3.0));
            }
            p.fillRect(QRectF(r.left() + tile * 2 / 3.0 + 5, r.top() + 6, 9, 9), Qt::black);
            break;
        case 2: // fixation frame and point
            p.setPen(QPen(Qt::black, 2));
            p.drawRect(QRectF(c.x() - 13, c.y() - 13, 26, 26));
            p.setBrush(Qt::black);
            p.drawEllipse(c, 3, 3);
            break;
        case 3: { // red cross, blue ring
            p.setPen(QPen(QColor(205, 20, 20), 5, Qt::SolidLine, Qt::FlatCap));
            p.drawLine(QPointF(c.x() - 20, c.y()), QPointF(c.x() - 2, c.y()));
            p.drawLine(QPointF(c.x() - 11, c.y() - 9), QPointF(c.x() - 11, c.y() + 9));
            p.setPen(QPen(QColor(20, 60, 200), 4));
            p.drawEllipse(QPointF(c.x() + 12, c.y()), 8, 8);
            break;
        }
        case 4: { // the tone
            p.setPen(QPen(Qt::black, 2.5, Qt::SolidLine, Qt::RoundCap));
            p.setBrush(Qt::black);
            QPolygonF speaker;
            speaker << QPointF(c.x() - 18, c.y() - 6) << QPointF(c.x() - 11, c.y() - 6)
                    << QPointF(c.x() - 2, c.y() - 14) << QPointF(c.x() - 2, c.y() + 14)
                    << QPointF(c.x() - 11, c.y() + 6) << QPointF(c.x() - 18, c.y() + 6);
            p.drawPolygon(speaker);
            p.setBrush(Qt::NoBrush);
            p.drawArc(QRectF(c.x() - 10, c.y() - 10, 20, 20), -45 * 16, 90 * 16);
            p.drawArc(QRectF(c.x() - 16, c.y() - 16, 32, 32), -45 * 16, 90 * 16);
            break;
        }
        case 5: // letter on the yellow mask
            p.fillRect(QRectF(c.x() - 20, c.y() - 20, 40, 40), QColor(250, 215, 40));
            p.fillRect(QRectF(c.x() - 13, c.y() - 15, 26, 30), Qt::white);
            p.setPen(Qt::black);
            p.setFont(font(24, true));
            p.drawText(QRectF(c.x() - 13, c.y() - 15, 26, 30), Qt::AlignCenter, QStringLiteral("K"));
            break;
        case 6: // asterisk target and pointer
            p.setPen(Qt::black);
            p.setFont(font(34, true));
            p.drawText(QRectF(r.left(), r.top() - 2, tile - 8, tile), Qt::AlignCenter, QStringLiteral("*"));
            {
                QPolygonF arrow;
                const QPointF a(c.x() + 6, c.y() + 4);
                arrow << a << a + QPointF(0, 19) << a + QPointF(5, 14) << a + QPointF(9, 22)
                      << a + QPointF(12, 20) << a + QPointF(8, 13) << a + QPointF(14, 13);
                p.setBrush(Qt::white);
                p.setPen(QPen(Qt::black, 1.5));
                p.drawPolygon(arrow);
            }
            break;
        }
        p.restore();
    }
}

void drawTitle(QPainter &p)
{
    const QString name = QStringLiteral("ZOKA");
    const QRectF titleBox(0, 62, 800, 150);
    QFont big = font(138, true);
    big.setLetterSpacing(QFont::AbsoluteSpacing, 14);
    p.setFont(big);
    p.setPen(QColor(0, 0, 0, 90));
    p.drawText(titleBox.translated(5, 6), Qt::AlignCenter, name);
    QLinearGradient g(0, titleBox.top() + 20, 0, titleBox.bottom() - 10);
    g.setColorAt(0.0, QColor(255, 248, 214));
    g.setColorAt(1.0, QColor(250, 196, 60));
    p.setPen(QPen(QBrush(g), 1));
    p.drawText(titleBox, Qt::AlignCenter, name);

    // Underline made of reaction-time ticks.
    p.setPen(QPen(QColor(250, 214, 110), 3, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(214, 222), QPointF(586, 222));
    for (int i = 0; i <= 12; ++i) {
        const double x = 214 + i * 31.0;
        p.drawLine(QPointF(x, 222), QPointF(x, i % 3 == 0 ? 234 : 229));
    }

    p.setPen(Qt::white);
    p.setFont(font(31, true));
    p.drawText(QRectF(0, 242, 800, 40), Qt::AlignCenter, QStringLiteral("Batterie Attention Tessaro"));
    p.setPen(QColor(200, 236, 232));
    p.setFont(font(16, false, true));
    p.drawText(QRectF(0, 282, 800, 26), Qt::AlignCenter,
               QString::fromUtf8("Dix épreuves de temps de réaction et d'attention"));
}

void drawButton(QPainter &p, const QRectF &r, const QColor &base, const QString &text, int icon)
{
    QPainterPath path;
    path.addRoundedRect(r.adjusted(1, 1, -1, -1), 10, 10);
    p.fillPath(path.translated(3, 4), QColor(0, 0, 0, 80));
    QLinearGradient g(r.topLeft(), r.bottomLeft());
    g.setColorAt(0.0, base.lighter(145));
    g.setColorAt(0.5, base);
    g.setColorAt(1.0, base.darker(130));
    p.fillPath(path, g);
    p.setPen(QPen(QColor(255, 255, 255, 170), 1.5));
    p.setBrush(Qt::NoBrush);
    p.drawPath(path);

    // Icon on top, caption below.
    const QPointF c(r.center().x(), r.top() + 22);
    p.setPen(QPen(Qt::white, 3, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(Qt::white);
    if (icon == 0) {
        QPolygonF tri;
        tri << QPointF(c.x() - 7, c.y() - 9) << QPointF(c.x() + 9, c.y()) << QPointF(c.x() - 7, c.y() + 9);
        p.drawPolygon(tri);
    } else if (icon == 1) {
        p.setBrush(Qt::NoBrush);
        p.setFont(font(22, true));
        p.drawText(QRectF(c.x() - 15, c.y() - 15, 30, 30), Qt::AlignCenter, QStringLiteral("?"));
    } else {
        p.drawLine(QPointF(c.x() - 8, c.y() - 8), QPointF(c.x() + 8, c.y() + 8));
        p.drawLine(QPointF(c.x() + 8, c.y() - 8), QPointF(c.x() - 8, c.y() + 8));
    }
    p.setPen(Qt::white);
    p.setFont(font(15, true));
    p.drawText(QRectF(r.left(), r.top() + 36, r.width(), 22), Qt::AlignCenter, text);
}

void drawFooter(QPainter &p)
{
    // A band behind the buttons.
    QLinearGradient band(0, 490, 0, 600);
    band.setColorAt(0.0, QColor(0, 0, 0, 0));
    band.setColorAt(0.25, QColor(0, 0, 0, 70));
    band.setColorAt(1.0, QColor(0, 0, 0, 110));
    p.fillRect(QRectF(0, 490, 800, 110), band);

    drawButton(p, onPicture(intro::ContinueArea), QColor(28, 140, 70), QStringLiteral("Continuer"), 0);
    drawButton(p, onPicture(intro::HelpArea), QColor(30, 100, 170), QStringLiteral("Aide"), 1);
    drawButton(p, onPicture(intro::QuitArea), QColor(176, 44, 44), QStringLiteral("Quitter"), 2);

    QString version = ProgramVersion;
    version.chop(1);
    p.setPen(QColor(220, 240, 238));
    p.setFont(font(14, true));
    p.drawText(QRectF(40, 518, 340, 22), Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("Version ") + version);
    p.setPen(QColor(180, 220, 216));
    p.setFont(font(12));
    p.drawText(QRectF(40, 542, 360, 20), Qt::AlignLeft | Qt::AlignVCenter,
               QString::fromUtf8("Cliquez sur « Continuer » pour commencer,"));
    p.drawText(QRectF(40, 560, 360, 20), Qt::AlignLeft | Qt::AlignVCenter,
               QString::fromUtf8("sur « Aide » pour lire la présentation."));
}

} // namespace

int main(int argc, char **argv)
{
    QGuiApplication app(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: mk_intro <output directory>\n");
        return 2;
    }
    const QDir out(QString::fromLocal8Bit(argv[1]));
    if (!QDir().mkpath(out.path())) {
        std::fprintf(stderr, "mk_intro: cannot create %s\n", argv[1]);
        return 1;
    }

    QImage image(intro::PictureSize, QImage::Format_RGB32);
    image.fill(Qt::black);
    {
        QPainter p(&image);
        p.setRenderHint(QPainter::Antialiasing);
        p.setRenderHint(QPainter::TextAntialiasing);
        drawBackground(p);
        drawTitle(p);
        drawStimuli(p);
        drawFooter(p);
    }
    const QString path = out.filePath(intro::BitmapFile);
    if (!image.convertToFormat(QImage::Format_RGB888).save(path, "BMP")) {
        std::fprintf(stderr, "mk_intro: cannot write %s\n", qPrintable(path));
        return 1;
    }
    return 0;
}
