#include "command_line.h"

#include "platform/file_system.h"
#include "report/export.h"
#include "sources/system_url_cache.h"

#include <ostream>

namespace vorlith::frontend {

std::string VersionText(const std::string& programName) {
    return programName + " " + VORLITH_VERSION;
}

namespace {

// CLI11's own folder check reads the name through the C library, which on Windows spells it in
// the 8-bit code page and so misses a folder named outside it; the platform reads every name.
std::string CheckExistingFolder(const std::string& value) {
    if (platform::FolderExists(value))
        return "";
    return (platform::FileExists(value) ? "Directory is actually a file: "
                                        : "Directory does not exist: ") +
           value;
}

} // namespace

void AddAuditOptions(CLI::App& app, AuditOptions& options) {
    app.add_option("--drive", options.drives,
                   "Walk this folder instead of the drives the settings choose (repeatable)")
        ->type_name("PATH")
        ->check([](const std::string& value) { return CheckExistingFolder(value); });
    app.add_option("--report-dir", options.reportDir,
                   "Write the report pages here instead of the report folder")
        ->type_name("DIR");
    app.add_option("--url-cache", options.urlCache,
                   "Where the browser traces come from: auto (this computer's browsers, the "
                   "default), none, or a JSON Lines file of cache entries")
        ->type_name("auto|none|FILE")
        ->check([](const std::string& value) { return CheckUrlCacheChoice(value); });
    app.add_option("--export", options.exportFile,
                   "Also write every finding of a finished audit to FILE: JSON (.json), or the "
                   "browser traces as a CSV table (.csv); a previous export there is replaced")
        ->type_name("FILE")
        ->check([](const std::string& value) { return CheckExportTarget(value); });
    app.add_flag("--no-browser", options.noBrowser, "Open no browser at the end");
}

void AddVersionFlag(CLI::App& app) {
    app.set_version_flag("--version", VersionText(app.get_name()), "Show the version and end");
}

int ReportParseError(const CLI::App& app, const CLI::ParseError& error, std::ostream& out,
                     std::ostream& err) {
    // CLI11 gives help and version the exit code 0; every other parse error is a usage error.
    const int status = app.exit(error, out, err);
    return status == 0 ? 0 : kUsageError;
}

std::variant<DesktopCommandLine, int> ParseDesktopCommandLine(int argc, const char* const* argv,
                                                              std::ostream& out, std::ostream& err,
                                                              const std::string& programName) {
    CLI::App app{"Vorlith audits this computer for traces of Internet use and shows them as "
                 "linked report pages; it lives in the tray.",
                 programName};
    DesktopCommandLine line;
    std::vector<std::string> words;
    AddAuditOptions(app, line.audit);
    AddVersionFlag(app);
    app.add_option("WORDS", words,
                   "What start-up reads: /STARTUP (a start at log-in) or /UNINSTALL; the words "
                   "are compared as a whole");
    // From the first word on nothing is taken for an option, so "/STARTUP --x" is two words.
    app.positionals_at_end();
    try {
        app.parse(argc, argv);
    } catch (const CLI::ParseError& error) {
        return ReportParseError(app, error, out, err);
    }
    for (const std::string& word : words) {
        if (!line.argumentText.empty())
            line.argumentText += ' ';
        line.argumentText += word;
    }
    return line;
}

} // namespace vorlith::frontend
