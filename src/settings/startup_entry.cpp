#include "settings/startup_entry.h"

#include "app/startup.h"
#include "platform/file_system.h"
#include "platform/folders.h"

namespace vorlith {

std::string StartupProgramPath() {
    const std::string installed = platform::JoinPath(
        platform::JoinPath(GetSpecialFolderPath(platform::kFolderProgramFiles), "Vorlith"),
        std::string("Vlith") + platform::kExecutableSuffix);
    if (platform::FileExists(installed))
        return installed;
    const std::string desktop = platform::JoinPath(
        platform::ProgramFolder(), std::string("vorlith") + platform::kExecutableSuffix);
    if (platform::FileExists(desktop))
        return desktop;
    return platform::ExecutablePath();
}

std::string StartupEntryData(const std::string& programPath) {
    return "\"" + programPath + "\" /STARTUP";
}

void UseStartupListKey(CRegSettings& reg) {
    reg.setCompany("Microsoft");
    reg.setAppName("Windows");
}

} // namespace vorlith
