// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/widgets/faces.h"

#include <QFile>
#include <QFont>
#include <QFontDatabase>
#include <QFontInfo>
#include <QPainterPath>
#include <QRawFont>
#include <QStringList>

namespace zoka {

namespace {
struct Face {
    const char *family;
    QStringList accepted; // faces that may draw it
    QStringList files;    // where Debian installs it, if not known to the system
};

Face faceOf(const QString &family)
{
    static const QList<Face> faces = {
        {"Tahoma", {QStringLiteral("Tahoma")},
         {QStringLiteral("/usr/share/wine/fonts/tahoma.ttf"),
          QStringLiteral("/usr/share/wine/fonts/tahomabd.ttf")}},
        {"Times New Roman", {QStringLiteral("Times New Roman"), QStringLiteral("Liberation Serif")}, {}},
    };
    for (const Face &f : faces)
        if (family.compare(QLatin1String(f.family), Qt::CaseInsensitive) == 0)
            return f;
    return {"", {family}, {}};
}
} // namespace

bool faceInstalled(const QString &family)
{
    const Face face = faceOf(family);
    static QStringList added;
    if (!QFontDatabase::hasFamily(family)) {
        for (const QString &file : face.files)
            if (!added.contains(file) && QFile::exists(file)) {
                added << file;
                QFontDatabase::addApplicationFont(file);
            }
    }
    const QString drawnIn = QFontInfo(QFont(family)).family();
    for (const QString &a : face.accepted)
        if (drawnIn.compare(a, Qt::CaseInsensitive) == 0)
            return true;
    return false;
}

bool boldDrawnRegular(const QString &family)
{
    // The stem of an "l" at a large size, in both weights.
    auto stem = [&](bool bold) {
        QFont f(family);
        f.setPixelSize(1000);
        f.setBold(bold);
        const QRawFont raw = QRawFont::fromFont(f);
        const QList<quint32> glyphs = raw.glyphIndexesForString(QStringLiteral("l"));
        return glyphs.isEmpty() ? QRectF() : raw.pathForGlyph(glyphs.first()).boundingRect();
    };
    const QRectF regular = stem(false);
    return !regular.isEmpty() && qAbs(stem(true).width() - regular.width()) < 1;
}

} // namespace zoka
