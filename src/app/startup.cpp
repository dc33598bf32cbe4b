#include "app/startup.h"

#include "platform/file_system.h"
#include "report/site.h"

#include <algorithm>
#include <cctype>

namespace vorlith {
namespace {

std::string upper(std::string text) {
    for (char& c : text)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return text;
}

std::string withoutTrailingSeparators(std::string path) {
    while (path.size() > 1 && path.back() == platform::kPathSeparator)
        path.pop_back();
    return path;
}

} // namespace

void ParseCommandLine(const std::string& argumentText, StartupState& state) {
    const std::string text = upper(argumentText);
    if (text == "/STARTUP")
        state.StartupMode = true;
    if (text == "/UNINSTALL")
        state.UninstallMode = true;
}

int CountDaysSinceAudit(const std::string& lastAudit, const DateTime& now) {
    auto date = ParseIsoDate(lastAudit);
    if (!date)
        return 0;
    return static_cast<int>(std::clamp<int64_t>(CalendarDaysBetween(*date, now), -32768, 32767));
}

int GetWinVersion(const platform::PlatformVersion& version) {
    using Family = platform::PlatformVersion::Family;
    const std::string text = std::to_string(version.major) + "." + std::to_string(version.minor);
    if (version.family == Family::Windows9x) {
        const std::string head = text.substr(0, 3);
        if (head == "4.0")
            return 0;
        if (head == "4.9")
            return 4;
        return 1; // "4.1" and anything else
    }
    if (version.family == Family::WindowsNT) {
        if (text == "5.0")
            return 3;
        if (text == "6.0")
            return 6;
        if (text == "6.1")
            return 7;
        return 5; // "5.1", "5.2", "6.2" and later
    }
    return 0;
}

int GetWinVersion() {
    return GetWinVersion(platform::GetPlatformVersion());
}

std::string GetSpecialFolderPath(int folderId) {
    const platform::FolderLookup lookup = platform::LookupSpecialFolder(folderId);
    switch (lookup.status) {
    case platform::FolderLookupStatus::Found:
        return lookup.path;
    case platform::FolderLookupStatus::DoesNotExist:
        return "Folder Does Not Exist";
    case platform::FolderLookupStatus::NotValid:
        break;
    }
    return "Folder Not Valid on this OS";
}

PreparedReportFolder PrepareReportFolder(const std::string& givenFolder) {
    std::string folder;
    if (!givenFolder.empty()) {
        folder = withoutTrailingSeparators(givenFolder);
    } else {
        const int base = GetWinVersion() == 5 ? platform::kFolderProfile : platform::kFolderLocalAppData;
        const platform::FolderLookup lookup = platform::LookupSpecialFolder(base);
        if (lookup.status != platform::FolderLookupStatus::Found) {
            // Without its base the folder would be a path relative to wherever the program was
            // started: no report is written there.
            PreparedReportFolder missing;
            missing.path = platform::JoinPath(GetSpecialFolderPath(base), "Vorlith");
            missing.problem = "The folder for the report cannot be found (" + missing.path + ").";
            return missing;
        }
        folder = base == platform::kFolderProfile
                     ? platform::JoinPath(
                           platform::JoinPath(
                               platform::JoinPath(lookup.path, "Local Settings"),
                               "Application Data"),
                           "Vorlith")
                     : platform::JoinPath(lookup.path, "Vorlith");
    }
    return PrepareReportFolderAt(folder, platform::AssetFolder());
}

bool IsProtectedFolder(const std::string& folder) {
    static const char* const kProtected[] = {"C:\\",
                                             "C:\\WINDOWS",
                                             "D:\\WINDOWS\\",
                                             "C:\\WINNT",
                                             "D:\\WINNT\\",
                                             "C:\\PROGRAM FILES",
                                             "C:\\WINNT\\SYSTEM\\",
                                             "D:\\WINDOWS\\SYSTEM\\",
                                             "D:\\PROGRAM FILES\\",
                                             "D:\\"};
    const std::string upperFolder = upper(folder);
    for (const char* name : kProtected)
        if (upperFolder == name)
            return true;
    // This platform's own system folders, compared as paths (a trailing separator is the same
    // folder here).
    const std::string path = withoutTrailingSeparators(folder);
    if (path.empty())
        return true;
    for (const std::string& system :
         {std::string(1, platform::kPathSeparator), std::string("/home"), std::string("/usr"),
          std::string("/etc"), withoutTrailingSeparators(platform::HomeFolder())})
        if (path == system)
            return true;
    return false;
}

namespace {

// Deletes every file below the open folder, keeping the folders and the folder's marker.
void emptyOwnFolder(platform::WindowSystem& windows, platform::OutputFolder& folder,
                    bool keepMarker) {
    for (const platform::FolderEntry& entry : folder.entries()) {
        windows.yield();
        if (entry.kind == platform::EntryKind::Folder) {
            if (auto sub = folder.openFolder(entry.name))
                emptyOwnFolder(windows, *sub, false);
        } else if (!(keepMarker && entry.name == kOwnFolderMarker)) {
            folder.removeTree(entry.name);
        }
    }
}

} // namespace

bool EmptyFolder(platform::WindowSystem& windows, const std::string& folder) {
    if (IsProtectedFolder(folder)) {
        windows.showMessage({platform::MessageButtons::Ok, platform::MessageIcon::Critical,
                             "Vorlith",
                             std::string("Error # 69!  Please report to ") + site::kSupportEmail});
        return false;
    }
    if (!platform::PathExists(folder))
        return true; // nothing was ever extracted
    auto own = OpenOwnFolder(folder);
    if (!own) {
        windows.showMessage({platform::MessageButtons::Ok, platform::MessageIcon::Exclamation,
                             "Vorlith",
                             "Vorlith did not empty " + folder +
                                 ": it is not a folder Vorlith created."});
        return false;
    }
    emptyOwnFolder(windows, *own, true);
    return true;
}

} // namespace vorlith
