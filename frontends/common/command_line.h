#pragma once
// The command-line options both programs share, defined once with CLI11, and the desktop
// program's whole command line.

#include <CLI/CLI.hpp>

#include <iosfwd>
#include <string>
#include <variant>
#include <vector>

namespace vorlith::frontend {

/// Exit status of a command line the programs refuse.
inline constexpr int kUsageError = 2;

/// What an audit is pointed at: the options of both programs.
struct AuditOptions {
    std::vector<std::string> drives; // folders walked instead of the drives the settings choose
    std::string reportDir;           // "" for the report folder
    std::string urlCache = "auto";   // "auto" (this computer's browsers), "none", or a file
    std::string exportFile;          // "" for none; the format by its ending (.json, .csv)
    bool noBrowser = false;          // open no browser at the end
};

/// "NAME VERSION", what --version prints.
std::string VersionText(const std::string& programName);

/// Adds --drive, --report-dir, --url-cache, --export and --no-browser, filling `options`.
/// --url-cache refuses a file that does not exist; --export refuses what CheckExportTarget
/// refuses (another ending than .json or .csv, a missing folder, something at the name that is
/// not a previous export).
void AddAuditOptions(CLI::App& app, AuditOptions& options);
/// Adds --version, which prints VersionText(the app's name) and ends with status 0.
void AddVersionFlag(CLI::App& app);
/// Prints what a parse error calls for (the help or version text on `out`, the error on `err`)
/// and returns the exit status: 0 for --help and --version, kUsageError for anything else.
int ReportParseError(const CLI::App& app, const CLI::ParseError& error, std::ostream& out,
                     std::ostream& err);

/// The desktop program's command line: options first, then the words start-up reads.
struct DesktopCommandLine {
    AuditOptions audit;
    /// Every word after the options joined by one blank ("/STARTUP", "/UNINSTALL" or anything
    /// else), compared by start-up as a whole.
    std::string argumentText;
};

/// Parses `vorlith [OPTIONS] [WORDS...]` (the program named programName in the help and version
/// texts: "Vlith" on Windows). An unknown option before the first word is refused; from the
/// first word on everything is a word, whatever it looks like. Returns the command line, or the
/// exit status when the program ends at once (help, version or a usage error, printed on `out`
/// or `err`).
std::variant<DesktopCommandLine, int>
ParseDesktopCommandLine(int argc, const char* const* argv, std::ostream& out, std::ostream& err,
                        const std::string& programName = "vorlith");

} // namespace vorlith::frontend
