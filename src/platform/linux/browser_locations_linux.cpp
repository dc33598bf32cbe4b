#include "platform/browser_locations.h"

#include "platform/file_system.h"
#include "platform/folders.h"

#include <initializer_list>

namespace vorlith::platform {
namespace {

std::string below(const std::string& folder, std::initializer_list<std::string_view> names) {
    std::string path = folder;
    for (std::string_view name : names)
        path = JoinPath(path, name);
    return path;
}

struct ChromiumKind {
    const char* name;
    const char* folder;    // below the settings and cache folders
    const char* flatpakId; // below ~/.var/app
    const char* snapName;  // below ~/snap
};

// The Chromium family in the order the audit reports them.
constexpr ChromiumKind kChromiumKinds[] = {
    {"Chromium", "chromium", "org.chromium.Chromium", "chromium"},
    {"Google Chrome", "google-chrome", "com.google.Chrome", "google-chrome"},
    {"Brave", "BraveSoftware/Brave-Browser", "com.brave.Browser", "brave"},
    {"Microsoft Edge", "microsoft-edge", "com.microsoft.Edge", "microsoft-edge"},
    {"Vivaldi", "vivaldi", "com.vivaldi.Vivaldi", "vivaldi"},
    {"Opera", "opera", "com.opera.Opera", "opera"},
};

} // namespace

BrowserHome CurrentBrowserHome() {
    return BrowserHome{HomeFolder(), UserConfigFolder(), UserCacheFolder()};
}

std::vector<BrowserInstallation> FindBrowserInstallations(const BrowserHome& home) {
    std::vector<BrowserInstallation> found;
    auto add = [&](BrowserFamily family, const std::string& name, std::string profileRoot,
                   std::string cacheRoot) {
        if (FolderExists(profileRoot))
            found.push_back({family, name, std::move(profileRoot), std::move(cacheRoot)});
    };
    const std::string flatpak = below(home.home, {".var", "app"});
    const std::string snap = below(home.home, {"snap"});

    const std::string firefoxCache = below(home.cache, {"mozilla", "firefox"});
    add(BrowserFamily::Firefox, "Firefox", below(home.home, {".mozilla", "firefox"}), firefoxCache);
    add(BrowserFamily::Firefox, "Firefox", below(home.config, {"mozilla", "firefox"}),
        firefoxCache);
    add(BrowserFamily::Firefox, "Firefox",
        below(flatpak, {"org.mozilla.firefox", ".mozilla", "firefox"}),
        below(flatpak, {"org.mozilla.firefox", "cache", "mozilla", "firefox"}));
    add(BrowserFamily::Firefox, "Firefox",
        below(snap, {"firefox", "common", ".mozilla", "firefox"}),
        below(snap, {"firefox", "common", ".cache", "mozilla", "firefox"}));

    for (const ChromiumKind& kind : kChromiumKinds) {
        add(BrowserFamily::Chromium, kind.name, below(home.config, {kind.folder}),
            below(home.cache, {kind.folder}));
        add(BrowserFamily::Chromium, kind.name,
            below(flatpak, {kind.flatpakId, "config", kind.folder}),
            below(flatpak, {kind.flatpakId, "cache", kind.folder}));
        add(BrowserFamily::Chromium, kind.name, below(snap, {kind.snapName, "common", kind.folder}),
            below(snap, {kind.snapName, "common", ".cache", kind.folder}));
    }
    return found;
}

} // namespace vorlith::platform
