#include "tests/widgets/testwindows.h"

#include "platform/messages.h"
#include "shell/tables.h"
#include "shell/windows.h"
#include "tests/widgets/tform1.h"

namespace zoka {

namespace {

// The test windows are made once and reused for every run.
TForm1 *form1 = nullptr;

} // namespace

TestWindow *testWindow(int testIndex)
{
    switch (testIndex) {
    case 0:
        if (!form1)
            form1 = new TForm1(mainWindow());
        return form1;
    default:
        return nullptr;
    }
}

void ExecTestWindow(int testIndex)
{
    if (TestWindow *w = testWindow(testIndex)) {
        w->run();
        return;
    }
    const QString title = (testIndex >= 0 && testIndex < TestCount)
                              ? TestTitles[testIndex]
                              : QString::number(testIndex);
    showInformation(QStringLiteral("L'épreuve « %1 » n'est pas disponible dans cette version du "
                                   "programme.\nAucun fichier de résultats n'a été écrit.")
                        .arg(title));
}

} // namespace zoka
