#pragma once
// The small operations start-up uses: the command line, the day count, the version test, the
// special folders, the report folder and emptying a folder.

#include "platform/clock.h"
#include "platform/folders.h"
#include "platform/window_system.h"
#include "report/report_folder.h"

#include <string>

namespace vorlith {

/// Start-up state, fixed for the life of the program.
struct StartupState {
    bool StartupMode = false;   // started by the desktop's log-in entry ("/STARTUP")
    bool UninstallMode = false; // started with "/UNINSTALL"
    int DaysSinceAudit = 0;     // whole days from LastAudit to today
    std::string ReportFolder;   // every report page lives here
    ReportFolderState ReportState = ReportFolderState::CannotWrite;
    std::string ReportProblem; // why the report folder is not ready, for the user
};

/// Reads the whole argument text, upper-cased: exactly "/STARTUP" or "/UNINSTALL" count.
void ParseCommandLine(const std::string& argumentText, StartupState& state);

/// Calendar-day boundaries between the stored date and now (negative for a future date); 0 when
/// the text is not a date.
int CountDaysSinceAudit(const std::string& lastAudit, const DateTime& now);

/// The version code of a platform version: 0 for a platform that is no Windows.
int GetWinVersion(const platform::PlatformVersion& version);
int GetWinVersion();

/// The folder's path, or "Folder Does Not Exist" / "Folder Not Valid on this OS".
std::string GetSpecialFolderPath(int folderId);

/// Chooses the report folder (or takes the given one), creates it when missing, checks that it is
/// the program's own (PrepareReportFolderAt) and copies the pictures the pages show into it when
/// they are not there yet. A special folder that cannot be found gives a folder that CannotWrite.
PreparedReportFolder PrepareReportFolder(const std::string& givenFolder = "");

/// Deletes every file below the folder, at every depth, and keeps the folders. Refuses, with a
/// message, the protected system folders (and on this platform "/", "/home", "/usr", "/etc" and
/// the user's home folder), and any folder the program did not create itself (a link, or a
/// folder without the marker). Links inside are deleted themselves, never followed. Yields
/// before each entry. False when it refused.
bool EmptyFolder(platform::WindowSystem& windows, const std::string& folder);

/// True for a folder EmptyFolder refuses.
bool IsProtectedFolder(const std::string& folder);

} // namespace vorlith
