#include "rt_helpers.h"

#include "administration/essailogic.h"
#include "administration/runstate.h"
#include "battery/testspec.h"
#include "protocol/resultwriter.h"
#include "shell/sharedstate.h"

#include <QFile>
#include <QRegularExpression>

using namespace zoka;

namespace rt {

SimTimer::SimTimer(Sim &s) : sim(s) { sim.timers << this; }
SimTimer::~SimTimer() { sim.timers.removeOne(this); }

void SimTimer::start(int ms)
{
    armed << ms;
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

bool Sim::next()
{
    SimTimer *timer1 = timers.isEmpty() ? nullptr : timers.first();
    if (!timer1 || !timer1->active)
        return false;
    advance(timer1->due - clk.tick());
    return true;
}

void Sim::advance(quint32 ms)
{
    const quint32 end = clk.tick() + ms;
    for (;;) {
        SimTimer *first = nullptr;
        for (SimTimer *t : timers)
            if (t->active && t->due - clk.tick() <= end - clk.tick() && (!first || t->due - clk.tick() < first->due - clk.tick()))
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
    // Expand *N(...) first.
    QString s = script;
    static const QRegularExpression repeat(QStringLiteral("\\*(\\d+)\\(([^()]*)\\)"));
    for (QRegularExpressionMatch m = repeat.match(s); m.hasMatch(); m = repeat.match(s)) {
        QStringList copies;
        for (int i = 0; i < m.captured(1).toInt(); ++i)
            copies << m.captured(2);
        s.replace(m.capturedStart(), m.capturedLength(), copies.join(QLatin1Char(' ')));
    }
    for (const QString &tok : s.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
        if (tok == QLatin1String(">")) {
            if (!next()) {
                error = QStringLiteral("no timer armed");
                return false;
            }
        } else if (tok.startsWith(QLatin1Char('+'))) {
            advance(tok.mid(1).toUInt());
        } else if (tok == QLatin1String("p")) {
            press();
        } else if (tok == QLatin1String("k")) {
            key(27);
        } else {
            error = QStringLiteral("bad token ") + tok;
            return false;
        }
    }
    return true;
}

RunSetup preparedRun(int test, bool practice, int count, bool endless, const QString &dir)
{
    resetSharedState();
    resetRunState();
    Config.ProgramDir = dir;
    Config.StopKeyCode = 27;
    PatientName = QStringLiteral("Dupont");
    TestIndex = test;
    ItemCount = count; // 64 for an endless series, as the main window sets it
    FileItemCount = count;
    UnlimitedChosen = endless;
    ResultFileName = dir + QStringLiteral("/Dupont_%1.%2").arg(endless ? 999 : count).arg(testSpecAt(test)->extension);
    EssaiLogic::beginAdministration();
    PracticeMode = practice;
    if (practice)
        preparePracticeRun(test);
    else
        prepareRealRun(test);
    if (usesStimulusGrid(test))
        FillStimulusGrid(practice, FileItemCount);
    RunSetup s = currentRunSetup(test);
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
    QByteArray out = QByteArray("Dupont: 07/12/2026 \xE0 09:05:03") + (setup.endless ? " #" : "") + "\r\n";
    for (const QByteArray &l : lines)
        out += l + "\r\n";
    return out;
}

} // namespace rt
