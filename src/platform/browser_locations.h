#pragma once
// Where this user's browsers keep their profiles and caches.

#include <string>
#include <vector>

namespace vorlith::platform {

enum class BrowserFamily { Firefox, Chromium };

/// One installed browser's folders.
struct BrowserInstallation {
    BrowserFamily family = BrowserFamily::Firefox;
    std::string name;        // "Firefox", "Chromium", "Google Chrome", ...
    std::string profileRoot; // Firefox: the folder of profiles.ini; Chromium: the user-data folder
    std::string cacheRoot;   // the matching folder below the user's cache folder
};

/// The folders a user's browsers are found under.
struct BrowserHome {
    std::string home;   // the home folder
    std::string config; // per-user settings ($XDG_CONFIG_HOME)
    std::string cache;  // per-user caches ($XDG_CACHE_HOME)
};

/// This user's folders.
BrowserHome CurrentBrowserHome();

/// The browsers whose profile root exists below the home, in a fixed order: Firefox (its own
/// folder, the settings folder, then Flatpak and Snap), then Chromium, Google Chrome, Brave,
/// Microsoft Edge, Vivaldi and Opera (each in its own folder, then Flatpak and Snap).
std::vector<BrowserInstallation> FindBrowserInstallations(const BrowserHome& home);

} // namespace vorlith::platform
