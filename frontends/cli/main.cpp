// vorlith-cli: one audit of this computer from a terminal, a server or a script.

#include "app/program.h"
#include "config_command.h"
#include "console_window_system.h"
#include "platform/console.h"
#include "platform/drives.h"
#include "platform/file_system.h"
#include "platform/folders.h"
#include "platform/system_url_cache.h"
#include "report/page_set.h"
#include "sources/url_cache_file.h"

#include <CLI/CLI.hpp>

#include <cstdio>
#include <memory>

namespace {

enum ExitStatus { kFinished = 0, kUsageError = 2, kAnotherCopy = 3, kCancelled = 130 };

struct CommandLine {
    std::vector<std::string> drives;
    std::string reportDir;
    std::string urlCache = "auto";
    bool noBrowser = false;
    bool yes = false;
    bool uninstall = false;
    bool quiet = false;
    std::string configKey;
    std::string configValue;
};

// The browsers' own cache, a file of entries, or an empty one for "none".
struct UrlCacheChoice {
    std::unique_ptr<vorlith::platform::BrowserCacheSource> browsers;
    std::unique_ptr<vorlith::platform::UrlCacheSource> other;
    vorlith::platform::UrlCacheSource& source() {
        if (browsers)
            return *browsers;
        return *other;
    }
};

UrlCacheChoice urlCacheSource(const std::string& choice) {
    UrlCacheChoice chosen;
    if (choice == "auto")
        chosen.browsers = vorlith::platform::SystemUrlCacheSource();
    else if (choice == "none")
        chosen.other = std::make_unique<vorlith::platform::EmptyUrlCacheSource>();
    else
        chosen.other = std::make_unique<vorlith::UrlCacheFileSource>(choice);
    return chosen;
}

int runAudit(const CommandLine& line) {
    using namespace vorlith;
    auto urlCache = urlCacheSource(line.urlCache);
    cli::ConsoleWindowSystem console({line.quiet, line.yes}, platform::SystemClock());
    platform::InstallInterruptHandler(console.interruptFlag());

    ProgramOptions options;
    options.driveRoots = line.drives;
    options.reportFolder = line.reportDir;
    options.browsers =
        line.noBrowser || !platform::HasDisplay() ? BrowserMode::Suppressed : BrowserMode::Open;
    Program program(ProgramServices{console, platform::SystemClock(), platform::SystemDrives(),
                                    urlCache.source(), platform::SystemProgramStarter(),
                                    platform::SystemHive(platform::HiveScope::User),
                                    platform::SystemHive(platform::HiveScope::Machine)},
                    options);
    console.attach(program);

    if (!program.LoadUpToChoice(line.uninstall ? "/UNINSTALL" : "")) {
        std::fprintf(stderr, "vorlith-cli: another copy of Vorlith is running; only one audit "
                             "runs at a time.\n");
        return kAnotherCopy;
    }
    // Cached bodies kept inside larger files are copied beside the thumbnail pictures, which the
    // program empties when it closes.
    if (urlCache.browsers)
        urlCache.browsers->setExtractFolder(
            platform::JoinPath(program.startup().ReportFolder, "thumbs"));
    program.cmdAudit_Click();
    console.finishProgress();

    const MainWindow& window = program.mainWindow();
    std::printf("%s\n", window.lblStatus.caption.c_str());
    if (program.audit().state().ScanCanceled) {
        std::printf("%s\n", window.lblStatus2.caption.c_str());
        return kCancelled;
    }
    std::printf("%s\n", platform::JoinPath(program.startup().ReportFolder,
                                           pages::kSummary.fileName)
                            .c_str());
    return kFinished;
}

} // namespace

int main(int argc, char** argv) {
    CLI::App app{"Vorlith audits this computer for traces of Internet use and writes them as "
                 "linked report pages.",
                 "vorlith-cli"};
    CommandLine line;
    app.add_option("--drive", line.drives,
                   "Walk this folder instead of the drives the settings choose (repeatable)");
    app.add_option("--report-dir", line.reportDir,
                   "Write the report pages here instead of the report folder");
    app.add_option("--url-cache", line.urlCache,
                   "Where the browser traces come from: auto (this computer's browsers), none, "
                   "or a JSON Lines file of cache entries (see the README)")
        ->check([](const std::string& value) {
            if (value == "auto" || value == "none" || vorlith::platform::FileExists(value))
                return std::string();
            return "no such URL-cache file: " + value;
        });
    app.add_flag("--no-browser", line.noBrowser, "Open no browser at the end");
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
        int status = app.exit(error);
        return status == 0 ? 0 : kUsageError;
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
