// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/timingcheck.h"

#include <algorithm>

namespace zoka {

namespace {

QString ms(double v, int decimals = 2)
{
    return QString::number(v, 'f', decimals).replace(QLatin1Char('.'), QLatin1Char(',')) + QStringLiteral(" ms");
}

QString limit(double v)
{
    return QString::number(v, 'g', 4).replace(QLatin1Char('.'), QLatin1Char(','));
}

// Good at or under `good`, acceptable at or under `acceptable`, else to check.
Verdict grade(double value, double good, double acceptable)
{
    if (value <= good)
        return Verdict::Good;
    return value <= acceptable ? Verdict::Acceptable : Verdict::Check;
}

Verdict worse(Verdict a, Verdict b) { return int(a) > int(b) ? a : b; }

} // namespace

QString verdictText(Verdict v)
{
    switch (v) {
    case Verdict::Good:
        return QStringLiteral("bon");
    case Verdict::Acceptable:
        return QStringLiteral("acceptable");
    case Verdict::Check:
        return QStringLiteral("à vérifier");
    case Verdict::NotMeasured:
        break;
    }
    return QStringLiteral("non mesuré");
}

Summary summarise(QList<double> values)
{
    Summary s;
    if (values.isEmpty())
        return s;
    std::sort(values.begin(), values.end());
    const qsizetype n = values.size();
    s.median = n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
    double sum = 0;
    for (double v : values)
        sum += v;
    s.mean = sum / double(n);
    s.max = values.last();
    return s;
}

QList<CheckLine> timingCheckLines(const TimingCheckFigures &f)
{
    using namespace checklimits;
    QList<CheckLine> lines;

    CheckLine refresh{QStringLiteral("Rafraîchissement de l'écran"), {}, Verdict::Check,
                      QStringLiteral("bon : gigue ≤ %1 ms ; acceptable : ≤ %2 ms ; période entre %3 et %4 ms")
                          .arg(limit(JitterGoodMs), limit(JitterAcceptableMs), limit(PeriodMinMs), limit(PeriodMaxMs))};
    CheckLine missed{QStringLiteral("Images manquées"), {}, Verdict::NotMeasured,
                     QStringLiteral("bon : aucune ; acceptable : ≤ %1 %").arg(limit(MissedAcceptableShare * 100))};
    if (f.refresh.ok && f.refresh.presentations > 0) {
        refresh.measured = QStringLiteral("période %1 (%2 Hz), gigue %3 sur %4 présentations")
                               .arg(ms(f.refresh.periodMs, 3),
                                    QString::number(f.refresh.periodMs > 0 ? 1000.0 / f.refresh.periodMs : 0, 'f', 1)
                                        .replace(QLatin1Char('.'), QLatin1Char(',')),
                                    ms(f.refresh.jitterMs, 3))
                               .arg(f.refresh.presentations);
        refresh.verdict = f.refresh.periodMs < PeriodMinMs || f.refresh.periodMs > PeriodMaxMs
            ? Verdict::Check
            : grade(f.refresh.jitterMs, JitterGoodMs, JitterAcceptableMs);
        missed.measured = QStringLiteral("%1 sur %2").arg(f.refresh.missedFrames).arg(f.refresh.presentations);
        missed.verdict = f.refresh.missedFrames == 0 ? Verdict::Good
            : f.refresh.missedFrames <= f.refresh.presentations * MissedAcceptableShare ? Verdict::Acceptable
                                                                        : Verdict::Check;
    } else {
        // Without presentations on the refresh a stimulus reaches the screen up to a
        // refresh after its onset was taken, uncounted.
        refresh.measured = QStringLiteral("non mesuré : ")
            + (f.refresh.reason.isEmpty() ? QStringLiteral("raison inconnue") : f.refresh.reason);
        missed.measured = QStringLiteral("non comptées (pas de présentation sur le rafraîchissement)");
    }
    lines << refresh << missed;

    CheckLine timers{QStringLiteral("Minuteries des essais"), {}, Verdict::Check,
                     QStringLiteral("bon : retard médian ≤ %1 ms et maximal ≤ %2 ms ; acceptable : ≤ %3 ms et ≤ %4 ms")
                         .arg(limit(TimerMedianGoodMs), limit(TimerMaxGoodMs), limit(TimerMedianAcceptableMs),
                              limit(TimerMaxAcceptableMs))};
    if (f.timerLatenessMs.isEmpty()) {
        timers.measured = QStringLiteral("non mesuré");
    } else {
        const Summary s = summarise(f.timerLatenessMs);
        timers.measured = QStringLiteral("retard médian %1, moyen %2, maximal %3 sur %4 minuteries")
                              .arg(ms(s.median), ms(s.mean), ms(s.max))
                              .arg(f.timerLatenessMs.size());
        timers.verdict = worse(grade(s.median, TimerMedianGoodMs, TimerMedianAcceptableMs),
                               grade(s.max, TimerMaxGoodMs, TimerMaxAcceptableMs));
    }
    lines << timers;

    lines << CheckLine{QStringLiteral("Heure des appuis"),
                       f.eventTimesOnClock ? QStringLiteral("heure de l'événement, sur l'horloge du programme")
                                           : QStringLiteral("horloge lue à la réception (le serveur d'affichage ne "
                                                            "date pas les événements sur l'horloge du programme)"),
                       f.eventTimesOnClock ? Verdict::Good : Verdict::Acceptable,
                       QStringLiteral("bon : heure de l'événement ; acceptable : horloge lue à la réception")};

    CheckLine latency{QStringLiteral("Latence de la sortie son"), {}, Verdict::Check,
                      QStringLiteral("bon : ≤ %1 ms ; acceptable : ≤ %2 ms")
                          .arg(limit(LatencyGoodMs), limit(LatencyAcceptableMs))};
    if (f.soundPath.isEmpty()) {
        latency.measured = QStringLiteral("pas de sortie son : ")
            + (f.soundReason.isEmpty() ? QStringLiteral("raison inconnue") : f.soundReason);
    } else if (f.sinkLatencyUs < 0) {
        latency.measured = f.soundPath + QStringLiteral(", latence non donnée par le serveur son");
    } else {
        latency.measured = f.soundPath + QStringLiteral(", ") + ms(double(f.sinkLatencyUs) / 1000.0, 1);
        latency.verdict = grade(double(f.sinkLatencyUs) / 1000.0, LatencyGoodMs, LatencyAcceptableMs);
    }
    lines << latency;

    CheckLine onset{QStringLiteral("Début d'un son"), {}, Verdict::NotMeasured,
                    QStringLiteral("bon : ≤ %1 ms ; acceptable : ≤ %2 ms, de l'ordre de jouer au premier "
                                   "échantillon sur le moniteur de la sortie")
                        .arg(limit(OnsetGoodMs), limit(OnsetAcceptableMs))};
    if (f.onsetMeasured) {
        onset.measured = ms(f.onsetMs) + QStringLiteral(" après l'ordre de jouer (médiane de 3 sons)");
        onset.verdict = grade(f.onsetMs, OnsetGoodMs, OnsetAcceptableMs);
    } else {
        onset.measured = QStringLiteral("non mesuré : ")
            + (f.onsetReason.isEmpty() ? QStringLiteral("raison inconnue") : f.onsetReason);
    }
    lines << onset;

    const bool realtime = f.realtime.startsWith(QLatin1String("SCHED_FIFO"))
        || f.realtime.startsWith(QLatin1String("RealtimeKit"));
    lines << CheckLine{QStringLiteral("Priorité temps réel"),
                       (f.realtime.isEmpty() ? QStringLiteral("non demandée") : f.realtime)
                           + (f.memoryLocked ? QStringLiteral(", mémoire verrouillée")
                                             : QStringLiteral(", mémoire non verrouillée")),
                       realtime && f.memoryLocked ? Verdict::Good : Verdict::Acceptable,
                       QStringLiteral("bon : accordée, mémoire verrouillée ; acceptable : sinon")};
    return lines;
}

bool needsCheck(const QList<CheckLine> &lines)
{
    return std::any_of(lines.begin(), lines.end(), [](const CheckLine &l) { return l.verdict == Verdict::Check; });
}

QStringList timingCheckText(const QList<CheckLine> &lines, const QString &when)
{
    QStringList text{QStringLiteral("Contrôle de la chronométrie") + (when.isEmpty() ? QString() : QStringLiteral(" - ") + when)};
    for (const CheckLine &l : lines)
        text << QStringLiteral("%1 : %2 -> %3 (%4)").arg(l.name, l.measured, verdictText(l.verdict), l.thresholds);
    text << (needsCheck(lines) ? QStringLiteral("Au moins une ligne est à vérifier.")
                               : QStringLiteral("Aucune ligne à vérifier."));
    return text;
}

QString timingCheckHtml(const QList<CheckLine> &lines, const QString &when)
{
    const auto colour = [](Verdict v) {
        switch (v) {
        case Verdict::Good:
            return QStringLiteral("#1a7f37");
        case Verdict::Acceptable:
            return QStringLiteral("#9a6700");
        case Verdict::Check:
            return QStringLiteral("#cf222e");
        case Verdict::NotMeasured:
            break;
        }
        return QStringLiteral("#57606a");
    };
    QString html = QStringLiteral("<h3>Contrôle de la chronométrie</h3><p>%1</p>"
                                  "<table border=\"1\" cellspacing=\"0\" cellpadding=\"4\" width=\"100%\">"
                                  "<tr><th>Mesure</th><th>Résultat</th><th>Verdict</th><th>Seuils</th></tr>")
                       .arg(when.toHtmlEscaped());
    for (const CheckLine &l : lines)
        html += QStringLiteral("<tr><td><b>%1</b></td><td>%2</td><td><b><font color=\"%3\">%4</font></b></td>"
                               "<td><small>%5</small></td></tr>")
                    .arg(l.name.toHtmlEscaped(), l.measured.toHtmlEscaped(), colour(l.verdict),
                         verdictText(l.verdict).toHtmlEscaped(), l.thresholds.toHtmlEscaped());
    html += QStringLiteral("</table><p>%1</p>")
                .arg(needsCheck(lines) ? QStringLiteral("Au moins une ligne est à vérifier.")
                                       : QStringLiteral("Aucune ligne à vérifier."));
    return html;
}

} // namespace zoka
