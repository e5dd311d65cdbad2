// SPDX-License-Identifier: GPL-3.0-or-later
#include "rt_helpers.h"

#include "administration/essailogic.h"
#include "administration/runstate.h"

#include <QFile>
#include <QRegularExpression>

using namespace zoka;

namespace rt {

SimTimer::SimTimer(Sim &s) : sim(s) { sim.timers << this; }
SimTimer::~SimTimer() { sim.timers.removeOne(this); }
void SimTimer::start(int ms)
{
    due = sim.clk.tick() + quint32(ms);
    active = true;
}

Sim::Sim()
{
    setClock(&clk);
    setTrialTimerFactory([this] { return std::make_unique<SimTimer>(*this); });
}

Sim::~Sim()
{
    setTrialTimerFactory({});
    setClock(nullptr);
}

void Sim::advance(quint32 ms)
{
    const quint32 end = clk.tick() + ms;
    for (;;) {
        SimTimer *first = nullptr;
        for (SimTimer *t : timers)
            if (t->active && t->due - clk.tick() <= end - clk.tick()
                && (!first || t->due - clk.tick() < first->due - clk.tick()))
                first = t;
        if (!first)
            break;
        clk.set(first->due);
        first->fire();
    }
    clk.set(end);
}

bool Sim::run(const QString &script)
{
    QString s = script;
    static const QRegularExpression repeat(QStringLiteral("\\*(\\d+)\\(([^()]*)\\)"));
    for (auto m = repeat.match(s); m.hasMatch(); m = repeat.match(s))
        s.replace(m.capturedStart(), m.capturedLength(),
                  QStringList(m.captured(1).toInt(), m.captured(2)).join(QLatin1Char(' ')));
    for (const QString &tok : s.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
        if (tok == QLatin1String(">") && !timers.isEmpty() && timers.first()->active)
            advance(timers.first()->due - clk.tick());
        else if (tok.startsWith(QLatin1Char('+')))
            advance(tok.mid(1).toUInt());
        else if (tok == QLatin1String("p"))
            press();
        else if (tok == QLatin1String("k"))
            key(27);
        else
            return false;
    }
    return true;
}

RunSetup preparedRun(int test, int count, bool endless, const QString &dir)
{
    Session session;
    session.config.ProgramDir = dir;
    session.resultsDir = dir;
    ExaminerChoices &chosen = session.choices;
    chosen.patientName = QStringLiteral("Dupont");
    chosen.testIndex = test;
    chosen.itemCount = chosen.fileItemCount = count ? count : 64; // 64 for an endless series too
    chosen.unlimitedChosen = endless;
    chosen.resultFileName = QStringLiteral("Dupont.") + testEntryAt(test)->extension;
    EssaiLogic::beginAdministration(session.run);
    session.run.practiceMode = count == 0;
    if (session.run.practiceMode)
        preparePracticeRun(session, test);
    else
        prepareRealRun(session, test);
    if (usesStimulusGrid(test))
        FillStimulusGrid(session.run, session.run.practiceMode, chosen.fileItemCount);
    RunSetup s = currentRunSetup(session, test);
    s.shownAt = QDateTime(QDate(2026, 12, 7), QTime(9, 5, 3));
    return s;
}

QByteArray fileBytes(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

QByteArray resultFile(const RunSetup &setup, const QList<QByteArray> &lines)
{
    QByteArray out = QByteArray("Dupont: 07/12/2026 \xE0 09:05:03") + (setup.endless ? " #" : "") + "\r\n0\r\n";
    for (const QByteArray &l : lines)
        out += l + "\r\n";
    return out;
}

} // namespace rt
