// SPDX-License-Identifier: GPL-3.0-or-later
#include "administration/runstate.h"

#include "battery/series.h"
#include "shell/sharedstate.h"

namespace zoka {

QString OutputFile;
bool PracticeMode = false;
int PracticeRuns = 0;
int RunItemCount = 0;
std::array<int, 65> ItemSequence{};
std::array<int, 65> StimulusTop{};
std::array<int, 65> StimulusLeft{};
int EssaiState = 0;

void resetRunState()
{
    OutputFile.clear();
    PracticeMode = false;
    PracticeRuns = 0;
    RunItemCount = 0;
    ItemSequence.fill(0);
    StimulusTop.fill(0);
    StimulusLeft.fill(0);
    EssaiState = 0;
}

RunSetup currentRunSetup(int testIndex)
{
    RunSetup s;
    s.testIndex = testIndex;
    s.practice = PracticeMode;
    s.outputFile = OutputFile;
    s.practiceFile = programFile(QStringLiteral("Essais"));
    s.programDir = Config.ProgramDir;
    s.itemCount = RunItemCount;
    s.endless = UnlimitedActive;
    s.foreperiods = ItemSequence;
    s.stimulusTop = StimulusTop;
    s.stimulusLeft = StimulusLeft;
    if (const TestEntry *entry = testEntryAt(testIndex)) {
        s.stimulusSeries = runStimulusSeries(entry->id, PracticeMode, ItemCount);
        s.fixationSeconds = runFixationSchedule(entry->id, PracticeMode, ItemCount);
        if (entry->counts == CountChoice::Speed) {
            s.speedIndex = (SpeedIndex >= 0 && SpeedIndex < int(SpeedTable.size())) ? SpeedIndex : 3;
            s.responseWindowMs = SpeedTable[size_t(s.speedIndex)];
        } else {
            s.responseWindowMs = entry->timeLimitSeconds * 1000;
        }
    }
    s.patient = PatientName;
    s.practiceRuns = PracticeRuns;
    s.stopKeyCode = Config.StopKeyCode;
    return s;
}

} // namespace zoka
