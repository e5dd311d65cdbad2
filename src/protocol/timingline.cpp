// SPDX-License-Identifier: GPL-3.0-or-later
#include "protocol/timingline.h"

#include "platform/timingjournal.h"
#include "protocol/resultwriter.h"

#include <QStringList>

namespace zoka {

QString headerDateTimeText(const QDateTime &shownAt, const QLocale &locale)
{
    return headerDateText(shownAt.date(), locale) + QStringLiteral(" à ") + headerTimeText(shownAt.time(), locale);
}

QString journalMs(double ms, int decimals)
{
    return QString::number(ms, 'f', decimals).replace(QLatin1Char('.'), QLatin1Char(',')) + QStringLiteral(" ms");
}

namespace {

QString orUnknown(const QString &text, const QString &unknown)
{
    return text.trimmed().isEmpty() ? unknown : text.trimmed();
}

QString displayField(const RunTiming &t)
{
    QString text = QStringLiteral("affichage : ") + orUnknown(t.displayServer, QStringLiteral("serveur inconnu"));
    text += QStringLiteral(", session ") + orUnknown(t.sessionType, QStringLiteral("inconnue"));
    text += t.compositorInPath ? QStringLiteral(", avec compositeur") : QStringLiteral(", sans compositeur");
    return text;
}

QString refreshField(const RunTiming &t)
{
    if (!(t.refreshPeriodMs > 0))
        return QStringLiteral("rafraîchissement : inconnu");
    return QStringLiteral("rafraîchissement : ") + journalMs(t.refreshPeriodMs, 3) + QStringLiteral(" (")
        + QString::number(1000.0 / t.refreshPeriodMs, 'f', 1).replace(QLatin1Char('.'), QLatin1Char(','))
        + QStringLiteral(" Hz)");
}

QString presentationField(const RunTiming &t)
{
    if (t.presentation == QLatin1String("present"))
        return QStringLiteral("présentation : Present (heure de la présentation par le serveur)");
    if (t.presentation == QLatin1String("repaint"))
        return QStringLiteral("présentation : dessin puis horloge (")
            + orUnknown(t.fallbackReason, QStringLiteral("raison inconnue")) + QLatin1Char(')');
    if (!t.presentation.isEmpty())
        return QStringLiteral("présentation : ") + t.presentation;
    return QStringLiteral("présentation : inconnue");
}

QString missedField(const RunTiming &t)
{
    if (t.presentation == QLatin1String("present"))
        return QStringLiteral("images manquées : %1 sur %2").arg(t.missedFrames).arg(t.presentations);
    if (t.presentation == QLatin1String("repaint"))
        return QStringLiteral("images manquées : non comptées");
    return QStringLiteral("images manquées : inconnues");
}

QString pressField(const RunTiming &t)
{
    if (t.pressTiming == QLatin1String("event"))
        return QStringLiteral("appuis : heure de l'événement");
    if (t.pressTiming == QLatin1String("handler"))
        return QStringLiteral("appuis : horloge lue à la réception");
    return QStringLiteral("appuis : inconnu");
}

QString soundField(const RunTiming &t)
{
    if (t.soundPath.isEmpty())
        return QStringLiteral("son : sans objet");
    QString text = QStringLiteral("son : ") + t.soundPath.trimmed();
    if (t.sinkLatencyUs >= 0)
        text += QStringLiteral(", latence de la sortie ") + journalMs(double(t.sinkLatencyUs) / 1000.0, 1);
    else
        text += QStringLiteral(", latence de la sortie inconnue");
    return text;
}

} // namespace

QString timingJournalLine(const QString &fileName, const QDateTime &shownAt, const RunTiming &timing,
                          const QLocale &locale)
{
    const QStringList fields{
        displayField(timing),
        refreshField(timing),
        presentationField(timing),
        missedField(timing),
        pressField(timing),
        soundField(timing),
        QStringLiteral("temps réel : ") + orUnknown(timing.realtime, QStringLiteral("non demandé")),
        timing.memoryLocked ? QStringLiteral("mémoire verrouillée") : QStringLiteral("mémoire non verrouillée"),
    };
    // A field never holds the separator: a lookup splits on it.
    QStringList clean;
    for (const QString &f : fields)
        clean << QString(f).replace(QLatin1Char('|'), QLatin1Char('/'));
    return journalKey(fileName, headerDateTimeText(shownAt, locale)) + clean.join(JournalFieldSeparator);
}

} // namespace zoka
