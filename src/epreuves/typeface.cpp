// SPDX-License-Identifier: GPL-3.0-or-later
#include "epreuves/typeface.h"

namespace zoka {

QString metricEquivalentFace(const QString &family)
{
    if (family == QLatin1String("Times New Roman"))
        return QStringLiteral("Liberation Serif");
    if (family == QLatin1String("Arial"))
        return QStringLiteral("Liberation Sans");
    return family;
}

QString missingFaceText(const QString &family)
{
    QString face = QStringLiteral("« %1 »").arg(family);
    const QString equivalent = metricEquivalentFace(family);
    if (equivalent != family)
        face += QStringLiteral(" (ou %1)").arg(equivalent);
    return QStringLiteral("La police de caractères %1 n'est pas installée sur cet ordinateur.\n"
                          "L'épreuve ne peut pas être présentée avec les tailles de caractères "
                          "prévues ; aucun fichier de résultats n'a été écrit.")
        .arg(face);
}

} // namespace zoka
