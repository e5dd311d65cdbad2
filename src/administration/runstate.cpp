// SPDX-License-Identifier: GPL-3.0-or-later
#include "administration/runstate.h"

#include "battery/series.h"

namespace zoka {

RunSetup currentRunSetup(const Session &session, int testIndex)
{
    const RunState &run = session.run;
    const ExaminerChoices &chosen = session.choices;
    RunSetup s;
    s.testIndex = testIndex;
    s.practice = run.practiceMode;
    s.outputFile = run.outputFile;
    s.practiceFile = session.programFile(QStringLiteral("Essais"));
    s.programDir = session.config.ProgramDir;
    s.itemCount = run.itemCount;
    s.endless = run.unlimited;
    s.foreperiods = run.itemSequence;
    s.stimulusTop = run.stimulusTop;
    s.stimulusLeft = run.stimulusLeft;
    if (const TestEntry *entry = testEntryAt(testIndex)) {
        s.stimulusSeries = runStimulusSeries(entry->id, run.practiceMode, chosen.itemCount);
        s.fixationSeconds = runFixationSchedule(entry->id, run.practiceMode, chosen.itemCount);
        if (entry->counts == CountChoice::Speed) {
            s.speedIndex = (chosen.speedIndex >= 0 && chosen.speedIndex < int(SpeedTable.size())) ? chosen.speedIndex : 3;
            s.responseWindowMs = SpeedTable[size_t(s.speedIndex)];
        } else {
            s.responseWindowMs = entry->timeLimitSeconds * 1000;
        }
    }
    s.patient = chosen.patientName;
    s.practiceRuns = run.practiceRuns;
    s.stopKeyCode = session.config.StopKeyCode;
    return s;
}

} // namespace zoka
