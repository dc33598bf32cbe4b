// vorlith-cli: one audit of this computer from a terminal, a server or a script.

#include "app/program.h"
#include "command_line.h"
#include "config_command.h"
#include "console_window_system.h"
#include "platform/console.h"
#include "platform/drives.h"
#include "platform/file_system.h"
#include "platform/folders.h"
#include "report/page_set.h"
#include "sources/system_url_cache.h"

#include <CLI/CLI.hpp>

#include <cstdio>
#include <iostream>
#include <memory>

namespace {

enum ExitStatus {
    kFinished = 0,
    kReportFailed = 1,
    kUsageError = 2,
    kAnotherCopy = 3,
    kCancelled = 130
};

// The options the desktop program shares (drives, report folder, URL cache, browser), then the
// console's own.
struct CommandLine : vorlith::frontend::AuditOptions {
    bool yes = false;
    bool uninstall = false;
    bool quiet = false;
    std::string configKey;
    std::string configValue;
};

int runAudit(const CommandLine& line) {
    using namespace vorlith;
    auto urlCache = ChooseUrlCacheSource(line.urlCache);
    cli::ConsoleWindowSystem console({line.quiet, line.yes}, platform::SystemClock());
    platform::InstallInterruptHandler(console.interruptFlag());

    ProgramOptions options;
    options.driveRoots = line.drives;
    options.reportFolder = line.reportDir;
    options.exportFile = line.exportFile;
    options.browsers =
        line.noBrowser || !platform::HasDisplay() ? BrowserMode::Suppressed : BrowserMode::Open;
    Program program(ProgramServices{console, platform::SystemClock(), platform::SystemDrives(),
                                    *urlCache, platform::SystemProgramStarter(),
                                    platform::SystemHive(platform::HiveScope::User),
                                    platform::SystemHive(platform::HiveScope::Machine)},
                    options);
    console.attach(program);

    if (!program.LoadUpToChoice(line.uninstall ? "/UNINSTALL" : "")) {
        std::fprintf(stderr, "vorlith-cli: another copy of Vorlith is running; only one audit "
                             "runs at a time.\n");
        return kAnotherCopy;
    }
    // A folder that holds what the program did not write is refused before anything starts.
    if (program.startup().ReportState == ReportFolderState::NotOurs) {
        std::fprintf(stderr, "vorlith-cli: %s\n", program.startup().ReportProblem.c_str());
        return kUsageError;
    }
    program.cmdAudit_Click();
    console.finishProgress();
    if (const int64_t unreadable = program.audit().walkProgress().FoldersUnreadable; unreadable > 0)
        std::fprintf(stderr, "vorlith-cli: %lld folders could not be read\n",
                     static_cast<long long>(unreadable));

    const MainWindow& window = program.mainWindow();
    std::printf("%s\n", window.lblStatus.caption.c_str());
    switch (program.audit().lastEnd()) {
    case RunEnd::Canceled:
        std::printf("%s\n", window.lblStatus2.caption.c_str());
        return kCancelled;
    case RunEnd::ReportFailed:
        return kReportFailed;
    case RunEnd::ReportRefused:
        return kUsageError;
    case RunEnd::None:
    case RunEnd::Finished:
        break;
    }
    std::printf("%s\n", platform::JoinPath(program.startup().ReportFolder,
                                           InfoOf(PageId::Summary).fileName)
                            .c_str());
    if (!line.exportFile.empty())
        std::printf("%s\n", line.exportFile.c_str());
    return kFinished;
}

} // namespace

int main(int argc, char** argv) {
    CLI::App app{"Vorlith audits this computer for traces of Internet use and writes them as "
                 "linked report pages.",
                 "vorlith-cli"};
    CommandLine line;
    vorlith::frontend::AddAuditOptions(app, line);
    vorlith::frontend::AddVersionFlag(app);
    app.add_flag("--yes", line.yes, "Answer Yes to every question");
    app.add_flag("--uninstall", line.uninstall, "Run as if started with /UNINSTALL");
    app.add_flag("--quiet", line.quiet, "Show only the end, no live progress");

    auto* config = app.add_subcommand("config", "Read or change the settings");
    config->require_subcommand(1);
    auto* list = config->add_subcommand("list", "Show every setting");
    auto* get = config->add_subcommand("get", "Show one setting");
    get->add_option("KEY", line.configKey)->required();
    auto* set = config->add_subcommand("set", "Change one setting");
    set->add_option("KEY", line.configKey)->required();
    set->add_option("VALUE", line.configValue)->required();

    vorlith::platform::PrepareConsole();
    const std::vector<std::string> arguments = vorlith::platform::CommandLineArguments(argc, argv);
    std::vector<const char*> argumentTexts;
    for (const std::string& argument : arguments)
        argumentTexts.push_back(argument.c_str());
    try {
        app.parse(static_cast<int>(argumentTexts.size()), argumentTexts.data());
    } catch (const CLI::ParseError& error) {
        return vorlith::frontend::ReportParseError(app, error, std::cout, std::cerr);
    }

    using vorlith::platform::HiveScope;
    using vorlith::platform::SystemHive;
    if (list->parsed())
        return vorlith::cli::ConfigList(SystemHive(HiveScope::User));
    if (get->parsed())
        return vorlith::cli::ConfigGet(SystemHive(HiveScope::User), line.configKey);
    if (set->parsed())
        return vorlith::cli::ConfigSet(SystemHive(HiveScope::User), SystemHive(HiveScope::Machine),
                                       line.configKey, line.configValue);
    return runAudit(line);
}
