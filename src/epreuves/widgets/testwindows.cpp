// SPDX-License-Identifier: GPL-3.0-or-later
#include "epreuves/widgets/testwindows.h"

#include "platform/messages.h"
#include "shell/widgets/windows.h"
#include "epreuves/widgets/attentionsoutenuewindow.h"
#include "epreuves/widgets/auditifwindow.h"
#include "epreuves/widgets/doublebinairewindow.h"
#include "epreuves/widgets/lateralisefixationwindow.h"
#include "epreuves/widgets/lateralisewindow.h"
#include "epreuves/widgets/mixtewindow.h"
#include "epreuves/widgets/puceasterisquewindow.h"
#include "epreuves/widgets/pucecarrewindow.h"
#include "epreuves/widgets/simplebinairewindow.h"
#include "epreuves/widgets/visuelcentrewindow.h"

#include <array>

namespace zoka {

namespace {

using WindowFactory = TestWindow *(*)(QWidget *parent);

template <typename W> TestWindow *make(QWidget *parent) { return new W(parent); }

struct WindowEntry {
    TestId id;
    WindowFactory make;
};

// The window of each test, in the order of the test table.
constexpr std::array<WindowEntry, TestCount> Windows = {{
    {TestId::VisuelCentre, &make<VisuelCentreWindow>},
    {TestId::Lateralise, &make<LateraliseWindow>},
    {TestId::LateraliseFixation, &make<LateraliseFixationWindow>},
    {TestId::SimpleBinaire, &make<SimpleBinaireWindow>},
    {TestId::DoubleBinaire, &make<DoubleBinaireWindow>},
    {TestId::Auditif, &make<AuditifWindow>},
    {TestId::Mixte, &make<MixteWindow>},
    {TestId::AttentionSoutenue, &make<AttentionSoutenueWindow>},
    {TestId::PuceAsterisque, &make<PuceAsterisqueWindow>},
    {TestId::PuceCarre, &make<PuceCarreWindow>},
}};

constexpr bool windowsComplete()
{
    for (int i = 0; i < TestCount; ++i)
        if (index(Windows[size_t(i)].id) != i || !Windows[size_t(i)].make)
            return false;
    return true;
}
static_assert(windowsComplete(), "every test must have its window, in TestId order");

// The test windows are made once and reused for every run.
std::array<TestWindow *, TestCount> windows{};

} // namespace

TestWindow *testWindow(int testIndex)
{
    if (!isTestIndex(testIndex))
        return nullptr;
    TestWindow *&w = windows[size_t(testIndex)];
    if (!w)
        w = Windows[size_t(testIndex)].make(mainWindow());
    return w;
}

RunOutcome ExecTestWindow(const RunSetup &setup)
{
    if (TestWindow *w = testWindow(setup.testIndex))
        return w->run(setup);
    const QString title = isTestIndex(setup.testIndex) ? testTitle(setup.testIndex)
                                                       : QString::number(setup.testIndex);
    showInformation(QStringLiteral("L'épreuve « %1 » n'est pas disponible dans cette version du "
                                   "programme.\nAucun fichier de résultats n'a été écrit.")
                        .arg(title));
    return {};
}

} // namespace zoka
