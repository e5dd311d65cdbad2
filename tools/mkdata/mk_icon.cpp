// SPDX-License-Identifier: GPL-3.0-or-later
// Draws the program's icon into the directory given as the only argument, as an
// icon theme tree:
//   hicolor/scalable/apps/zoka.svg
//   hicolor/<N>x<N>/apps/zoka.png   for N = 16, 22, 24, 32, 48, 64, 128, 256
// The icon is a stopwatch whose dial holds the black square of the first test, with
// the elapsed time as a coloured arc. The same list of shapes is written as SVG and
// painted into each PNG, so the two agree.
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QRegularExpression>

#include <cmath>
#include <cstdio>
#include <vector>

namespace {

constexpr double Canvas = 256;
constexpr double Pi = 3.14159265358979323846;

struct Shape {
    enum Kind { RoundRect, Circle, Arc } kind;
    double x, y, w, h; // RoundRect: box; Circle/Arc: centre x, y and radius w
    double r;          // RoundRect: corner radius; Arc: start, degrees clockwise from 12 o'clock
    double span;       // Arc: degrees clockwise
    const char *colour;
    double stroke;     // Arc: line width
};

const std::vector<Shape> Icon = {
    {Shape::RoundRect, 8, 8, 240, 240, 48, 0, "#0b5e66", 0},    // tile
    {Shape::RoundRect, 110, 14, 36, 34, 8, 0, "#f4f1e8", 0},    // crown of the stopwatch
    {Shape::Circle, 128, 144, 92, 0, 0, 0, "#f4f1e8", 0},       // dial
    {Shape::Arc, 128, 144, 70, 0, 0, 130, "#e0452b", 18},       // elapsed time
    {Shape::RoundRect, 102, 118, 52, 52, 3, 0, "#111111", 0},   // the stimulus
};

QPointF onCircle(const Shape &s, double degrees)
{
    const double a = degrees * Pi / 180.0;
    return {s.x + s.w * std::sin(a), s.y - s.w * std::cos(a)};
}

QString num(double v)
{
    return QString::number(v, 'f', 2).remove(QRegularExpression(QStringLiteral("\\.?0+$")));
}

QByteArray svg()
{
    QString out = QStringLiteral("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                                 "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"256\" height=\"256\" "
                                 "viewBox=\"0 0 256 256\">\n");
    for (const Shape &s : Icon) {
        switch (s.kind) {
        case Shape::RoundRect:
            out += QStringLiteral("  <rect x=\"%1\" y=\"%2\" width=\"%3\" height=\"%4\" rx=\"%5\" fill=\"%6\"/>\n")
                       .arg(num(s.x), num(s.y), num(s.w), num(s.h), num(s.r), QLatin1String(s.colour));
            break;
        case Shape::Circle:
            out += QStringLiteral("  <circle cx=\"%1\" cy=\"%2\" r=\"%3\" fill=\"%4\"/>\n")
                       .arg(num(s.x), num(s.y), num(s.w), QLatin1String(s.colour));
            break;
        case Shape::Arc: {
            const QPointF a = onCircle(s, s.r), b = onCircle(s, s.r + s.span);
            out += QStringLiteral("  <path d=\"M %1 %2 A %3 %3 0 %4 1 %5 %6\" fill=\"none\" stroke=\"%7\" "
                                  "stroke-width=\"%8\" stroke-linecap=\"round\"/>\n")
                       .arg(num(a.x()), num(a.y()), num(s.w), QString::number(s.span > 180 ? 1 : 0), num(b.x()),
                            num(b.y()), QLatin1String(s.colour), num(s.stroke));
            break;
        }
        }
    }
    out += QStringLiteral("</svg>\n");
    return out.toUtf8();
}

QImage png(int size)
{
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(size / Canvas, size / Canvas);
    for (const Shape &s : Icon) {
        const QColor colour(QLatin1String(s.colour));
        switch (s.kind) {
        case Shape::RoundRect: {
            QPainterPath path;
            path.addRoundedRect(QRectF(s.x, s.y, s.w, s.h), s.r, s.r);
            p.fillPath(path, colour);
            break;
        }
        case Shape::Circle:
            p.setPen(Qt::NoPen);
            p.setBrush(colour);
            p.drawEllipse(QPointF(s.x, s.y), s.w, s.w);
            break;
        case Shape::Arc: {
            // Qt counts counter-clockwise from 3 o'clock.
            QPainterPath path;
            const QRectF box(s.x - s.w, s.y - s.w, 2 * s.w, 2 * s.w);
            path.arcMoveTo(box, 90 - s.r);
            path.arcTo(box, 90 - s.r, -s.span);
            p.strokePath(path, QPen(colour, s.stroke, Qt::SolidLine, Qt::RoundCap));
            break;
        }
        }
    }
    p.end();
    return image.convertToFormat(QImage::Format_ARGB32);
}

bool writeFile(const QString &path, const QByteArray &bytes)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size() && f.flush();
}

} // namespace

int main(int argc, char **argv)
{
    QGuiApplication app(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: mk_icon <output directory>\n");
        return 2;
    }
    const QDir out(QString::fromLocal8Bit(argv[1]));
    const QString svgPath = out.filePath(QStringLiteral("hicolor/scalable/apps/zoka.svg"));
    if (!writeFile(svgPath, svg())) {
        std::fprintf(stderr, "mk_icon: cannot write %s\n", qPrintable(svgPath));
        return 1;
    }
    for (int size : {16, 22, 24, 32, 48, 64, 128, 256}) {
        const QString path = out.filePath(QStringLiteral("hicolor/%1x%1/apps/zoka.png").arg(size));
        QDir().mkpath(QFileInfo(path).absolutePath());
        if (!png(size).save(path, "PNG")) {
            std::fprintf(stderr, "mk_icon: cannot write %s\n", qPrintable(path));
            return 1;
        }
    }
    return 0;
}
