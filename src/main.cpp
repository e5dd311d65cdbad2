#include "administration/essailogic.h"
#include "platform/realtime.h"
#include "platform/regional.h"
#include "platform/session.h"
#include "platform/widgets/realtimekit.h"
#include "platform/widgets/displaymode.h"
#include "platform/widgets/qtmessageservice.h"
#include "platform/eventtime.h"
#include "platform/widgets/eventclock.h"
#include "platform/widgets/soundplayer_pulse.h"
#include "protocol/testrunner.h"
#include "epreuves/widgets/testwindows.h"
#include "shell/configfile.h"
#include "shell/internalerror.h"
#include "shell/programdir.h"
#include "shell/sharedstate.h"
#include "shell/widgets/tmain.h"
#include "shell/widgets/windows.h"

#include <QApplication>
#include <QFont>
#include <QLibraryInfo>
#include <QScreen>
#include <QTranslator>

namespace {
// The fonts the windows are designed with, and free fonts of the same metrics.
void substituteFonts()
{
    QFont::insertSubstitution(QStringLiteral("MS Sans Serif"), QStringLiteral("Liberation Sans"));
    QFont::insertSubstitution(QStringLiteral("Arial"), QStringLiteral("Liberation Sans"));
    QFont::insertSubstitution(QStringLiteral("Courier New"), QStringLiteral("Liberation Mono"));
    QFont::insertSubstitution(QStringLiteral("Times New Roman"), QStringLiteral("Liberation Serif"));
    QFont::insertSubstitution(QStringLiteral("Comic Sans MS"), QStringLiteral("Comic Neue"));
}

void restoreScreen()
{
    if (zoka::InitialScreenWidth > 0 && zoka::InitialScreenHeight > 0)
        zoka::SwitchScreenMode(zoka::InitialScreenWidth, zoka::InitialScreenHeight);
}
} // namespace

int main(int argc, char **argv)
{
    // In a Wayland session the windows go through XWayland, where presentations and
    // presses are timed by the X server, unless the user chose a platform himself.
    if (zoka::runThroughXWayland(zoka::currentSessionEnvironment()))
        qputenv("QT_QPA_PLATFORM", "xcb");
    QApplication app(argc, argv);
    // The name is the title of the message boxes. (No display name: it would be
    // appended to every window's own caption.)
    QApplication::setApplicationName(QStringLiteral("ZOKA"));
    zoka::useRegionalSettings();

    QTranslator qtTranslator;
    if (qtTranslator.load(QLocale(QLocale::French, QLocale::France), QStringLiteral("qtbase"), QStringLiteral("_"),
                          QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QApplication::installTranslator(&qtTranslator);

    substituteFonts();
    QApplication::setFont(QFont(QStringLiteral("MS Sans Serif"), 8));

    zoka::QtMessageService messages;
    zoka::setMessageService(&messages);
    // Installed, the program runs in the user's own copy of the data files.
    if (!zoka::enterProgramDirectory(QCoreApplication::applicationDirPath())) {
        zoka::setMessageService(nullptr);
        return 1;
    }
    zoka::setInternalErrorCleanup(restoreScreen);
    zoka::setConfigOptionsWindowHook([] { zoka::ShowOptionsWindow(); });
    zoka::setAdministrationWindow([] { zoka::StartAdministration(); });
    zoka::setAnalysisWindow([] { return zoka::ShowAnalysisWindow(); });
    zoka::setTestWindowRunner([](const zoka::RunSetup &setup) { return zoka::ExecTestWindow(setup); });
    zoka::setSoundPlayerFactory([] { return std::make_unique<zoka::PulseSoundPlayer>(); });
    // Test runs ask for real-time scheduling and locked memory; each administration
    // leaves a line in the timing journal.
    const zoka::RealtimeSystem realtime = zoka::desktopRealtime();
    zoka::setRealtimeSystem(&realtime);
    zoka::setTimingJournalEnabled(true);
    // Presses are timed by their input events' own times where the display server
    // keeps them on the program's clock.
    zoka::setEventTimesOnClock(zoka::displayTimesOnClock());

    // The main window first; the other windows are made by their own modules.
    zoka::TMain mainWindow;
    zoka::setMainWindow(&mainWindow);
    // Maximised; without a window manager to do it, the window takes the screen itself.
    if (QScreen *screen = QGuiApplication::primaryScreen())
        mainWindow.setGeometry(screen->availableGeometry());
    mainWindow.showMaximized();

    const int code = app.exec();
    // Whatever way the program ended, the display goes back to its start-up mode.
    restoreScreen();
    zoka::setMainWindow(nullptr);
    zoka::setTestWindowRunner({});
    zoka::setSoundPlayerFactory({});
    zoka::setRealtimeSystem(nullptr);
    zoka::setMessageService(nullptr);
    return code;
}
