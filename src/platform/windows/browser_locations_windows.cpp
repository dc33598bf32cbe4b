// Where the browsers keep their profiles on Windows: Firefox below the roaming application
// data, the Chromium family below the local one (Opera below the roaming one).

#include "platform/browser_locations.h"

#include "platform/file_system.h"
#include "platform/folders.h"

#include <initializer_list>

namespace vorlith::platform {
namespace {

// "" when the folder is unknown: a path below it would name the root of the current drive.
std::string below(const std::string& folder, std::initializer_list<std::string_view> names) {
    if (folder.empty())
        return "";
    std::string path = folder;
    for (std::string_view name : names)
        path = JoinPath(path, name);
    return path;
}

struct ChromiumKind {
    const char* name;
    std::initializer_list<std::string_view> userData; // below the local application data
};

// The Chromium family in the order the audit reports them. Each keeps its profiles and their
// caches in one "User Data" folder.
const ChromiumKind kChromiumKinds[] = {
    {"Chromium", {"Chromium", "User Data"}},
    {"Google Chrome", {"Google", "Chrome", "User Data"}},
    {"Brave", {"BraveSoftware", "Brave-Browser", "User Data"}},
    {"Microsoft Edge", {"Microsoft", "Edge", "User Data"}},
    {"Vivaldi", {"Vivaldi", "User Data"}},
};

} // namespace

BrowserHome CurrentBrowserHome() {
    return BrowserHome{HomeFolder(), UserConfigFolder(), UserCacheFolder()};
}

std::vector<BrowserInstallation> FindBrowserInstallations(const BrowserHome& home) {
    std::vector<BrowserInstallation> found;
    auto add = [&](BrowserFamily family, const std::string& name, std::string profileRoot,
                   std::string cacheRoot) {
        if (!profileRoot.empty() && FolderExists(profileRoot))
            found.push_back({family, name, std::move(profileRoot), std::move(cacheRoot)});
    };
    // profiles.ini in the roaming folder; a relative profile keeps its cache under the same
    // relative path in the local folder.
    add(BrowserFamily::Firefox, "Firefox", below(home.config, {"Mozilla", "Firefox"}),
        below(home.cache, {"Mozilla", "Firefox"}));
    for (const ChromiumKind& kind : kChromiumKinds) {
        const std::string userData = below(home.cache, kind.userData);
        add(BrowserFamily::Chromium, kind.name, userData, userData);
    }
    // Opera keeps its one profile at the top of a roaming folder, its cache in the local one.
    add(BrowserFamily::Chromium, "Opera", below(home.config, {"Opera Software", "Opera Stable"}),
        below(home.cache, {"Opera Software", "Opera Stable"}));
    return found;
}

} // namespace vorlith::platform
