#include "administration/essailogic.h"
#include "platform/realtime.h"
#include "platform/regional.h"
#include "platform/session.h"
#include "platform/widgets/realtimekit.h"
#include "platform/widgets/timingcheckrun.h"
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
#include "shell/widgets/tformchrono.h"
#include "shell/widgets/tmain.h"
#include "shell/widgets/windows.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QLabel>
#include <QTextStream>
#include <QWindow>

#include <cstring>
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

// `zoka --check-timing`: the timing check on a small window of its own, printed as
// text; exit code 1 when a line is to be checked.
int checkTimingCommand()
{
    QLabel window(QStringLiteral("Contrôle de la chronométrie…"));
    window.setWindowTitle(QStringLiteral("ZOKA - Contrôle de la chronométrie"));
    window.setAlignment(Qt::AlignCenter);
    window.resize(400, 200);
    window.show();
    QElapsedTimer waited;
    waited.start();
    while ((!window.windowHandle() || !window.windowHandle()->isExposed()) && waited.elapsed() < 2000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    const QString when = zoka::timingCheckSubtitle();
    const zoka::TimingCheckFigures figures
        = zoka::runTimingCheck(&window, QDir::current().filePath(QStringLiteral("Songrave.wav")),
                               [&](const QString &what) { window.setText(what); });
    const QList<zoka::CheckLine> lines = zoka::timingCheckLines(figures);
    QTextStream out(stdout);
    out.setEncoding(QStringConverter::Utf8);
    for (const QString &line : zoka::timingCheckText(lines, when))
        out << line << '\n';
    out.flush();
    return zoka::needsCheck(lines) ? 1 : 0;
}

void restoreScreen()
{
    if (zoka::InitialScreenWidth > 0 && zoka::InitialScreenHeight > 0)
        zoka::SwitchScreenMode(zoka::InitialScreenWidth, zoka::InitialScreenHeight);
}
} // namespace

int main(int argc, char **argv)
{
    bool checkTiming = false;
    for (int i = 1; i < argc; ++i)
        checkTiming = checkTiming || std::strcmp(argv[i], "--check-timing") == 0;
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
    zoka::setFollowUpWindow([](const QString &patient) { zoka::ShowFollowUpWindow(patient); });
    zoka::setTestWindowRunner([](const zoka::RunSetup &setup) { return zoka::ExecTestWindow(setup); });
    zoka::setSoundPlayerFactory([] { return std::make_unique<zoka::PulseSoundPlayer>(); });
    // Test runs ask for real-time scheduling and locked memory; each administration
    // leaves a line in the timing journal.
    const zoka::RealtimeSystem realtime = zoka::desktopRealtime();
    zoka::setRealtimeSystem(&realtime);
    zoka::setTimingJournalEnabled(true);
    if (checkTiming) {
        // Nothing but the check: no configuration, no main window.
        const int result = checkTimingCommand();
        zoka::setRealtimeSystem(nullptr);
        zoka::setSoundPlayerFactory({});
        zoka::setMessageService(nullptr);
        return result;
    }
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
