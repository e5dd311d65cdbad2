// SPDX-License-Identifier: GPL-3.0-or-later
#include "administration/essailogic.h"
#include "platform/realtime.h"
#include "battery/testtable.h"
#include "platform/regional.h"
#include "platform/desktopsession.h"
#include "platform/widgets/realtimekit.h"
#include "platform/widgets/timingcheckrun.h"
#include "platform/widgets/displaymode.h"
#include "platform/widgets/qtmessageservice.h"
#include "platform/eventtime.h"
#include "platform/widgets/eventclock.h"
#include "platform/widgets/soundplayer_pulse.h"
#include "epreuves/widgets/testwindows.h"
#include "shell/configfile.h"
#include "shell/internalerror.h"
#include "shell/programdir.h"
#include "shell/session.h"
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

#include <cstdio>
#include <cstring>

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
int checkTimingCommand(const QString &programDir)
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
        = zoka::runTimingCheck(&window, QDir(programDir).filePath(QStringLiteral("Songrave.wav")),
                               [&](const QString &what) { window.setText(what); });
    const QList<zoka::CheckLine> lines = zoka::timingCheckLines(figures);
    QTextStream out(stdout);
    out.setEncoding(QStringConverter::Utf8);
    for (const QString &line : zoka::timingCheckText(lines, when))
        out << line << '\n';
    out.flush();
    return zoka::needsCheck(lines) ? 1 : 0;
}

// --help and --version answer on standard output, without a display: they are
// read before the application connects to one. Any other argument is left to Qt
// (-platform, -display...).
const char HelpText[] =
    "Utilisation : zoka [--help] [--version]\n"
    "Batterie de dix tests d'attention chronométrés, et l'analyse de leurs résultats.\n"
    "Le programme se commande dans ses fenêtres ; l'aide est sur l'écran de titre (« Aide »).\n"
    "\n"
    "  -h, --help     affiche cette aide et termine\n"
    "  --version      affiche la version et termine\n"
    "\n"
    "Répertoire du programme d'une installation : $XDG_DATA_HOME/zoka (~/.local/share/zoka).\n"
    "Rapport d'analyse dans un terminal : zoka-report(1).\n";

// Returns the exit code when an argument asks for an answer instead of the program.
int answerInfoArguments(int argc, char **argv)
{
    for (int i = 1; i < argc; ++i) {
        const char *arg = argv[i];
        if (std::strcmp(arg, "--") == 0)
            break;
        const bool help = std::strcmp(arg, "--help") == 0 || std::strcmp(arg, "-h") == 0;
        if (!help && std::strcmp(arg, "--version") != 0)
            continue;
        const QByteArray text =
            help ? QByteArray(HelpText) : (QStringLiteral("zoka ") + zoka::ProgramVersion + u'\n').toUtf8();
        const bool written = std::fwrite(text.constData(), 1, size_t(text.size()), stdout) == size_t(text.size());
        return std::fflush(stdout) == 0 && written ? 0 : 1;
    }
    return -1;
}

void restoreScreen(const zoka::Session &session)
{
    if (session.screen.width > 0 && session.screen.height > 0)
        zoka::SwitchScreenMode(session.screen.width, session.screen.height);
}

// The session's services: the program's windows and the display.
void fillServices(zoka::Session &session)
{
    zoka::Services &services = session.services;
    services.showIntro = [&session] { zoka::showIntroWindow(session); };
    services.showOptions = [&session] { zoka::showOptionsWindow(session); };
    services.startAdministration = [&session] { zoka::StartAdministration(session); };
    services.showAnalysis = [&session] { return zoka::showAnalysisWindow(session); };
    services.showFollowUp = [&session](const QString &patient) { zoka::showFollowUpWindow(session, patient); };
    services.runTestWindow = [](const zoka::RunSetup &setup) { return zoka::ExecTestWindow(setup); };
    services.switchScreenMode = [](int w, int h) { return zoka::SwitchScreenMode(w, h); };
    services.screenSize = [] { return zoka::currentScreenSize(); };
    // Each administration leaves a line in the timing journal.
    services.timingJournal = true;
}
} // namespace

int main(int argc, char **argv)
{
    if (const int code = answerInfoArguments(argc, argv); code >= 0)
        return code;
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
    // The program's one session, handed to the windows by reference.
    zoka::Session session;
    // Installed, the program runs in the user's own copy of the data files; otherwise
    // in the directory it was started in (the one place the process's current
    // directory is read: every file is named from the session's directories after).
    session.startDir = zoka::findProgramDirectory(QCoreApplication::applicationDirPath(), QDir::currentPath());
    if (session.startDir.isEmpty()) {
        zoka::setMessageService(nullptr);
        return 1;
    }
    fillServices(session);
    zoka::setInternalErrorCleanup([&session] { restoreScreen(session); });
    zoka::setSoundPlayerFactory([] { return std::make_unique<zoka::PulseSoundPlayer>(); });
    // Test runs ask for real-time scheduling and locked memory.
    const zoka::RealtimeSystem realtime = zoka::desktopRealtime();
    zoka::setRealtimeSystem(&realtime);
    if (checkTiming) {
        // Nothing but the check: no configuration, no main window.
        const int result = checkTimingCommand(session.startDir);
        zoka::setRealtimeSystem(nullptr);
        zoka::setSoundPlayerFactory({});
        zoka::setMessageService(nullptr);
        return result;
    }
    // Presses are timed by their input events' own times where the display server
    // keeps them on the program's clock.
    zoka::setEventTimesOnClock(zoka::displayTimesOnClock());

    // The main window first; the other windows are made by their own modules.
    zoka::TMain mainWindow(session);
    zoka::setMainWindow(&mainWindow);
    // Maximised; without a window manager to do it, the window takes the screen itself.
    if (QScreen *screen = QGuiApplication::primaryScreen())
        mainWindow.setGeometry(screen->availableGeometry());
    mainWindow.showMaximized();

    const int code = app.exec();
    // Whatever way the program ended, the display goes back to its start-up mode.
    restoreScreen(session);
    zoka::setMainWindow(nullptr);
    session.services = {};
    zoka::setInternalErrorCleanup({});
    zoka::setSoundPlayerFactory({});
    zoka::setRealtimeSystem(nullptr);
    zoka::setMessageService(nullptr);
    return code;
}
