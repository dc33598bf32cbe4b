// vorlith: the desktop program. Lives in the tray, audits on start (or, started at log-in with
// "/STARTUP", once the user has been idle for two minutes) and shows the results.

#include "app/program.h"
#include "command_line.h"
#include "desktop_window_system.h"
#include "platform/desktop_input.h"
#include "platform/drives.h"
#include "platform/file_system.h"
#include "platform/folders.h"
#include "sources/system_url_cache.h"
#include "startup_flow.h"

#include <QApplication>
#include <QTimer>

#include <cstdio>
#include <iostream>
#include <string>
#include <variant>

namespace {

struct CommandLine {
    vorlith::ProgramOptions options;
    std::string urlCache = "auto"; // auto (this computer's browsers), none, or a file of entries
    std::string argumentText;      // what start-up reads: "/STARTUP", "/UNINSTALL" or anything else
};

CommandLine FromParsed(const vorlith::frontend::DesktopCommandLine& parsed) {
    CommandLine line;
    line.options.driveRoots = parsed.audit.drives;
    line.options.reportFolder = parsed.audit.reportDir;
    line.options.exportFile = parsed.audit.exportFile;
    if (parsed.audit.noBrowser)
        line.options.browsers = vorlith::BrowserMode::Suppressed;
    line.urlCache = parsed.audit.urlCache;
    line.argumentText = parsed.argumentText;
    return line;
}

// A display to show the windows on: X11 or Wayland, or a platform chosen for Qt by name (the
// tests choose "offscreen"). Without one Qt would abort.
bool CanShowWindows() {
    return vorlith::platform::HasDisplay() || !qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM");
}

} // namespace

int main(int argc, char** argv) {
    using namespace vorlith;
    // The command line is read before Qt starts, so that --help, --version and a refused option
    // need no display.
    const auto parsed = frontend::ParseDesktopCommandLine(argc, argv, std::cout, std::cerr);
    if (const int* status = std::get_if<int>(&parsed))
        return *status;
    CommandLine line = FromParsed(std::get<frontend::DesktopCommandLine>(parsed));
    if (!CanShowWindows()) {
        std::fputs("vorlith: no display to show the windows on (neither DISPLAY nor "
                   "WAYLAND_DISPLAY is set); vorlith-cli audits without one.\n",
                   stderr);
        return 1;
    }

    // Qt is given only the program name: every argument has been read above, and a folder named
    // like one of Qt's own options must not reach it.
    int qtArgumentCount = 1;
    char* qtArguments[] = {argv[0], nullptr};
    QApplication app(qtArgumentCount, qtArguments);
    QApplication::setApplicationName("Vorlith");
    QApplication::setDesktopFileName("vorlith");
    QApplication::setWindowIcon(QIcon(":/vorlith.png"));
    // The program lives in the tray: hiding its last window does not end it.
    QApplication::setQuitOnLastWindowClosed(false);

    if (!platform::HasDisplay())
        line.options.browsers = BrowserMode::Suppressed;

    auto urlCache = ChooseUrlCacheSource(line.urlCache);

    desktop::DesktopWindowSystem windows(
        desktop::DesktopOptions{std::chrono::milliseconds(15), [] { QApplication::quit(); }});
    Program program(ProgramServices{windows, platform::SystemClock(), platform::SystemDrives(),
                                    *urlCache, platform::SystemProgramStarter(),
                                    platform::SystemHive(platform::HiveScope::User),
                                    platform::SystemHive(platform::HiveScope::Machine)},
                    line.options);
    windows.attach(program);

    int status = 0;
    // Start-up runs inside the event loop, so that the program can end from any of its handlers.
    QTimer::singleShot(0, &app, [&] {
        const StartupOutcome outcome = program.Form_Load(line.argumentText);
        if (outcome == StartupOutcome::AnotherCopyRunning)
            status = 3;
        if (desktop::ContinueStartup(program, windows, outcome, platform::OpenDesktopInputState,
                                     desktop::DesktopWindowSystem::IsTrayAvailable()) ==
            desktop::AfterStartup::Ended)
            QApplication::quit();
    });
    const int result = app.exec();
    return status != 0 ? status : result;
}
