#include "settings/startup_entry.h"

#include "platform/file_system.h"
#include "platform/folders.h"

namespace vorlith {

std::string StartupProgramPath() {
    const platform::FolderLookup programs =
        platform::LookupSpecialFolder(platform::kFolderProgramFiles);
    const std::string installed =
        platform::JoinPath(platform::JoinPath(programs.path, "Vorlith"),
                           std::string("Vlith") + platform::kExecutableSuffix);
    if (programs.status == platform::FolderLookupStatus::Found && platform::FileExists(installed))
        return installed;
    // The desktop program is "Vlith.exe" on Windows and "vorlith" on Linux; the console
    // program's entry must start it, not the console program.
    for (const char* name : {"Vlith", "vorlith"}) {
        const std::string desktop = platform::JoinPath(
            platform::ProgramFolder(), std::string(name) + platform::kExecutableSuffix);
        if (platform::FileExists(desktop))
            return desktop;
    }
    return platform::ExecutablePath();
}

std::string StartupEntryData(const std::string& programPath) {
    return "\"" + programPath + "\" /STARTUP";
}

void UseStartupListKey(CRegSettings& reg) {
    reg.setCompany("Microsoft");
    reg.setAppName("Windows");
}

void WriteStartupEntry(CRegSettings& reg, bool enabled, const std::string& programPath) {
    UseStartupListKey(reg);
    if (enabled)
        reg.SaveSetting2(kRunSection, kStartupEntryName, StartupEntryData(programPath));
    else if (reg.GetSetting2(kRunSection, kStartupEntryName, "").size() > 3)
        reg.DeleteSetting2(kRunSection, kStartupEntryName);
}

bool HasStartupEntry(CRegSettings& reg) {
    UseStartupListKey(reg);
    return reg.GetSetting2(kRunSection, kStartupEntryName, "").size() >= 3;
}

} // namespace vorlith
