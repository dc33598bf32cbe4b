#pragma once
// The profiles of the installed browsers, in the order the audit reports them.

#include "platform/browser_locations.h"

#include <string>
#include <string_view>
#include <vector>

namespace vorlith {

/// One [Profile...] section of Firefox's profiles.ini.
struct ProfilesIniEntry {
    std::string path;        // as written ("/" between names)
    bool isRelative = false; // path is below the folder of profiles.ini
};

/// The sections whose name begins with "Profile" and that have a "Path", in file order (read
/// with ParseIni). Other sections (General, Install...) are ignored.
std::vector<ProfilesIniEntry> ParseProfilesIni(std::string_view text);

struct BrowserProfile {
    platform::BrowserFamily family = platform::BrowserFamily::Firefox;
    std::string browser;     // the installation's name
    std::string folder;      // the profile folder (databases)
    std::string cacheFolder; // Firefox: the "cache2" folder; Chromium: the simple-cache folder;
                             // "" when the profile has no cache on disk
};

/// The existing profiles of the installations, in their order: Firefox profiles in the order of
/// profiles.ini, Chromium profiles ("Default", "Profile 1", ...) in name order (a user-data
/// folder with its databases at the top, as Opera keeps them, is one profile). A profile folder
/// met twice is listed once.
std::vector<BrowserProfile>
FindBrowserProfiles(const std::vector<platform::BrowserInstallation>& installations);

} // namespace vorlith
