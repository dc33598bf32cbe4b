// vorlith: the desktop program. Lives in the tray, audits on start (or, started at log-in with
// "/STARTUP", once the user has been idle for two minutes) and shows the results.

#include "app/program.h"
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
#include <cstring>
#include <string>
#include <vector>

namespace {

const char kUsage[] =
    "Usage: vorlith [--drive PATH]... [--report-dir DIR] [--url-cache auto|none|FILE]\n"
    "               [--no-browser]\n"
    "               [/STARTUP | /UNINSTALL]\n";

struct CommandLine {
    vorlith::ProgramOptions options;
    std::string urlCache = "auto"; // auto (this computer's browsers), none, or a file of entries
    std::string argumentText;      // what start-up reads: "/STARTUP", "/UNINSTALL" or anything else
    bool valid = true;
};

// Options of our own come first; everything after them is the argument text start-up compares
// as a whole.
CommandLine ParseCommandLine(const QStringList& arguments) {
    CommandLine line;
    int index = 1;
    for (; index < arguments.size(); ++index) {
        const std::string argument = arguments[index].toStdString();
        const bool hasValue = index + 1 < arguments.size();
        if (argument == "--drive" && hasValue)
            line.options.driveRoots.push_back(arguments[++index].toStdString());
        else if (argument == "--report-dir" && hasValue)
            line.options.reportFolder = arguments[++index].toStdString();
        else if (argument == "--url-cache" && hasValue)
            line.urlCache = arguments[++index].toStdString();
        else if (argument == "--no-browser")
            line.options.browsers = vorlith::BrowserMode::Suppressed;
        else if (argument == "--help" || argument == "-h")
            line.valid = false;
        else
            break;
    }
    for (; index < arguments.size(); ++index) {
        if (!line.argumentText.empty())
            line.argumentText += ' ';
        line.argumentText += arguments[index].toStdString();
    }
    return line;
}

} // namespace

int main(int argc, char** argv) {
    using namespace vorlith;
    QApplication app(argc, argv);
    QApplication::setApplicationName("Vorlith");
    QApplication::setDesktopFileName("vorlith");
    QApplication::setWindowIcon(QIcon(":/vorlith.png"));
    // The program lives in the tray: hiding its last window does not end it.
    QApplication::setQuitOnLastWindowClosed(false);

    CommandLine line = ParseCommandLine(QApplication::arguments());
    if (!line.valid) {
        std::fputs(kUsage, stderr);
        return 2;
    }
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
