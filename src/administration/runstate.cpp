#include "administration/runstate.h"

namespace zoka {

QString OutputFile;
bool PracticeMode = false;
int PracticeRuns = 0;
int RunItemCount = 0;
std::array<int, 65> ItemSequence{};
std::array<int, 65> StimulusTop{};
std::array<int, 65> StimulusLeft{};
int EssaiState = 0;
int UntimelyPresses = 0;

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
    UntimelyPresses = 0;
}

} // namespace zoka
