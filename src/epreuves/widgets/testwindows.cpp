// SPDX-License-Identifier: GPL-3.0-or-later
#include "epreuves/widgets/testwindows.h"

#include "platform/messages.h"
#include "shell/widgets/windows.h"
#include "epreuves/widgets/tform1.h"
#include "epreuves/widgets/tformtra.h"
#include "epreuves/widgets/tformtrm.h"
#include "epreuves/widgets/tformtas.h"
#include "epreuves/widgets/tformtpa.h"
#include "epreuves/widgets/tformtrl.h"
#include "epreuves/widgets/tformtrs.h"

#include <array>
#include <functional>

namespace zoka {

namespace {

using WindowFactory = TestWindow *(*)(QWidget *parent);

template <typename W> TestWindow *make(QWidget *parent) { return new W(parent); }

// The window class of each test; nullptr where this version has none.
const std::array<WindowFactory, TestCount> Factories = {
    &make<TForm1>, // TR visuel centré
    &make<TFormTrl>,  // TR latéralisé
    &make<TFormTrfc>, // TR latéralisé + Fixation
    &make<TFormTrs>,  // TR simple binaire
    &make<TFormTrd>,  // TR double binaire
    &make<TFormTra>,  // TR auditif
    &make<TFormTrm>,  // TR mixte
    &make<TFormTas>,  // Attention soutenue
    &make<TFormTpa>,  // Puce astérisque
    &make<TFormTpc>,  // Puce carré
};

// The test windows are made once and reused for every run.
std::array<TestWindow *, TestCount> windows{};

} // namespace

TestWindow *testWindow(int testIndex)
{
    if (!isTestIndex(testIndex) || !Factories[size_t(testIndex)])
        return nullptr;
    TestWindow *&w = windows[size_t(testIndex)];
    if (!w)
        w = Factories[size_t(testIndex)](mainWindow());
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
