#include "sources/browser_profiles.h"

#include "base/ini.h"
#include "platform/file_system.h"

#include <algorithm>
#include <initializer_list>
#include <set>

namespace vorlith {
namespace {

using platform::BrowserFamily;
using platform::FolderExists;
using platform::JoinPath;

std::string firstExistingFolder(std::initializer_list<std::string> candidates) {
    for (const std::string& candidate : candidates)
        if (FolderExists(candidate))
            return candidate;
    return "";
}

std::string joinAll(std::string folder, std::initializer_list<std::string_view> names) {
    for (std::string_view name : names)
        folder = JoinPath(folder, name);
    return folder;
}

void addFirefoxProfiles(const platform::BrowserInstallation& installation,
                        std::vector<BrowserProfile>& profiles) {
    const std::string iniFile = JoinPath(installation.profileRoot, "profiles.ini");
    auto text =
        platform::RegularFileExists(iniFile) ? platform::ReadWholeFile(iniFile) : std::nullopt;
    if (!text)
        return;
    for (const ProfilesIniEntry& entry : ParseProfilesIni(*text)) {
        BrowserProfile profile;
        profile.family = BrowserFamily::Firefox;
        profile.browser = installation.name;
        profile.folder =
            entry.isRelative ? JoinPath(installation.profileRoot, entry.path) : entry.path;
        if (!FolderExists(profile.folder))
            continue;
        // A profile below the profile root keeps its cache below the cache folder under the same
        // relative path; any other profile keeps it in its own folder.
        profile.cacheFolder =
            entry.isRelative
                ? firstExistingFolder({joinAll(installation.cacheRoot, {entry.path, "cache2"}),
                                       JoinPath(profile.folder, "cache2")})
                : firstExistingFolder({JoinPath(profile.folder, "cache2")});
        profiles.push_back(std::move(profile));
    }
}

bool isChromiumProfileName(std::string_view name) {
    return name == "Default" || name.substr(0, 8) == "Profile ";
}

void addChromiumProfiles(const platform::BrowserInstallation& installation,
                         std::vector<BrowserProfile>& profiles) {
    std::vector<std::string> names;
    if (auto listing = platform::ListFolder(installation.profileRoot)) {
        while (auto entry = listing->next())
            if (entry->kind == platform::EntryKind::Folder && isChromiumProfileName(entry->name))
                names.push_back(entry->name);
    }
    std::sort(names.begin(), names.end());
    auto add = [&](const std::string& folder, const std::string& cacheBase) {
        BrowserProfile profile;
        profile.family = BrowserFamily::Chromium;
        profile.browser = installation.name;
        profile.folder = folder;
        profile.cacheFolder = firstExistingFolder(
            {joinAll(cacheBase, {"Cache", "Cache_Data"}), JoinPath(cacheBase, "Cache"),
             joinAll(folder, {"Cache", "Cache_Data"}), JoinPath(folder, "Cache")});
        profiles.push_back(std::move(profile));
    };
    for (const std::string& name : names)
        add(JoinPath(installation.profileRoot, name), JoinPath(installation.cacheRoot, name));
    if (names.empty() && (platform::FileExists(JoinPath(installation.profileRoot, "History")) ||
                          platform::FileExists(JoinPath(installation.profileRoot, "Cookies"))))
        add(installation.profileRoot, installation.cacheRoot);
}

} // namespace

std::vector<ProfilesIniEntry> ParseProfilesIni(std::string_view text) {
    std::vector<ProfilesIniEntry> entries;
    for (const IniSection& section : ParseIni(text)) {
        if (!section.name.starts_with("Profile"))
            continue;
        ProfilesIniEntry entry;
        for (const IniEntry& line : section.entries) {
            if (line.key == "Path")
                entry.path = line.value;
            else if (line.key == "IsRelative")
                entry.isRelative = line.value == "1";
        }
        if (!entry.path.empty())
            entries.push_back(std::move(entry));
    }
    return entries;
}

std::vector<BrowserProfile>
FindBrowserProfiles(const std::vector<platform::BrowserInstallation>& installations) {
    std::vector<BrowserProfile> found;
    for (const auto& installation : installations) {
        if (installation.family == BrowserFamily::Firefox)
            addFirefoxProfiles(installation, found);
        else
            addChromiumProfiles(installation, found);
    }
    std::vector<BrowserProfile> unique;
    std::set<std::string> seen;
    for (auto& profile : found)
        if (seen.insert(profile.folder).second)
            unique.push_back(std::move(profile));
    return unique;
}

} // namespace vorlith
