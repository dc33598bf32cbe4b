#include "sources/browser_profiles.h"

#include "platform/file_system.h"

#include <algorithm>
#include <initializer_list>
#include <set>

namespace vorlith {
namespace {

using platform::BrowserFamily;
using platform::FolderExists;
using platform::JoinPath;

std::string_view trim(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t'))
        text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t' || text.back() == '\r'))
        text.remove_suffix(1);
    return text;
}

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
    if (text.substr(0, 3) == "\xEF\xBB\xBF")
        text.remove_prefix(3);
    std::vector<ProfilesIniEntry> entries;
    bool inProfile = false;
    ProfilesIniEntry current;
    bool hasPath = false;
    auto finish = [&] {
        if (inProfile && hasPath && !current.path.empty())
            entries.push_back(current);
        current = {};
        hasPath = false;
    };
    size_t start = 0;
    while (start <= text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string_view::npos)
            end = text.size();
        std::string_view line = trim(text.substr(start, end - start));
        start = end + 1;
        if (line.empty() || line[0] == ';' || line[0] == '#')
            continue;
        if (line.front() == '[' && line.back() == ']') {
            finish();
            inProfile = line.substr(1, 7) == "Profile";
            continue;
        }
        size_t equals = line.find('=');
        if (!inProfile || equals == std::string_view::npos)
            continue;
        std::string_view key = trim(line.substr(0, equals));
        std::string_view value = trim(line.substr(equals + 1));
        if (key == "Path") {
            current.path = std::string(value);
            hasPath = true;
        } else if (key == "IsRelative") {
            current.isRelative = value == "1";
        }
    }
    finish();
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
