#include "platform/folders.h"

#include "platform/file_system.h"

#include <langinfo.h>
#include <locale.h>
#include <pwd.h>
#include <unistd.h>

#include <cstdlib>

namespace vorlith::platform {
namespace {

std::string environment(const char* name) {
    const char* value = std::getenv(name);
    return value ? value : "";
}

// An XDG variable holds an absolute path; anything else is ignored, as the XDG rules say.
std::string xdgFolder(const char* variable, const char* fallbackBelowHome) {
    std::string value = environment(variable);
    if (!value.empty() && value[0] == '/')
        return value;
    return JoinPath(HomeFolder(), fallbackBelowHome);
}

} // namespace

const char kExecutableSuffix[] = "";

std::string ExecutablePath() {
    char buffer[4096];
    ssize_t length = ::readlink("/proc/self/exe", buffer, sizeof buffer - 1);
    if (length <= 0)
        return "";
    return std::string(buffer, static_cast<size_t>(length));
}

std::string HomeFolder() {
    std::string home = environment("HOME");
    if (!home.empty())
        return home;
    if (const passwd* entry = ::getpwuid(::getuid()); entry && entry->pw_dir)
        return entry->pw_dir;
    return "/";
}

std::string UserConfigFolder() {
    return xdgFolder("XDG_CONFIG_HOME", ".config");
}
std::string UserDataFolder() {
    return xdgFolder("XDG_DATA_HOME", ".local/share");
}
std::string UserCacheFolder() {
    return xdgFolder("XDG_CACHE_HOME", ".cache");
}

std::string MachineConfigFolder() {
    std::string dirs = environment("XDG_CONFIG_DIRS");
    std::string first = dirs.substr(0, dirs.find(':'));
    return !first.empty() && first[0] == '/' ? first : "/etc/xdg";
}

std::string TemporaryFolder() {
    std::string folder = environment("TMPDIR");
    return !folder.empty() && folder[0] == '/' ? folder : "/tmp";
}

std::string RuntimeFolder() {
    std::string folder = environment("XDG_RUNTIME_DIR");
    return !folder.empty() && folder[0] == '/' && FolderExists(folder) ? folder : TemporaryFolder();
}

std::string UserName() {
    if (const passwd* entry = ::getpwuid(::getuid()); entry && entry->pw_name)
        return entry->pw_name;
    std::string name = environment("USER");
    return name.empty() ? std::to_string(::getuid()) : name;
}

std::string ProgramFolder() {
    std::string path = ExecutablePath();
    auto slash = path.find_last_of('/');
    return slash == std::string::npos ? "" : path.substr(0, slash == 0 ? 1 : slash);
}

std::string AssetFolder() {
    const std::string folder = ProgramFolder();
    if (FileExists(JoinPath(folder, "logo.gif")))
        return folder;
    // Installed: <prefix>/bin/vorlith with the pictures in <prefix>/share/vorlith.
    auto slash = folder.find_last_of('/');
    std::string prefix = slash == std::string::npos || slash == 0 ? "/" : folder.substr(0, slash);
    return JoinPath(JoinPath(prefix, "share"), "vorlith");
}

FolderLookup LookupSpecialFolder(int folderId) {
    FolderLookup result;
    switch (folderId) {
    case kFolderLocalAppData:
        result.path = UserDataFolder();
        break;
    case kFolderRoamingAppData:
        result.path = UserConfigFolder();
        break;
    case kFolderProfile:
        result.path = HomeFolder();
        break;
    case kFolderProgramFiles: {
        // The folder the program is installed under: the prefix above its bin folder.
        std::string folder = ProgramFolder();
        auto slash = folder.find_last_of('/');
        result.path = slash == std::string::npos || slash == 0 ? "/" : folder.substr(0, slash);
        break;
    }
    default:
        return result; // NotValid
    }
    // The XDG rules have a program create its data and settings folders when they are missing,
    // as on a fresh account.
    if (folderId == kFolderLocalAppData || folderId == kFolderRoamingAppData)
        CreateFolders(result.path);
    result.status =
        FolderExists(result.path) ? FolderLookupStatus::Found : FolderLookupStatus::DoesNotExist;
    return result;
}

// Firefox keeps profiles.ini in ~/.mozilla/firefox, newer versions in the XDG settings folder
// when the old one is missing; the cached content lives under the XDG cache folder.
FirefoxFolders LookupFirefoxFolders() {
    FirefoxFolders folders;
    folders.roamingRoot = JoinPath(JoinPath(HomeFolder(), ".mozilla"), "firefox");
    if (!FileExists(JoinPath(folders.roamingRoot, "profiles.ini")))
        folders.roamingRoot = JoinPath(JoinPath(UserConfigFolder(), "mozilla"), "firefox");
    folders.profileList = JoinPath(folders.roamingRoot, "profiles.ini");
    folders.localRoot = JoinPath(JoinPath(UserCacheFolder(), "mozilla"), "firefox");
    return folders;
}

PlatformVersion GetPlatformVersion() {
    return PlatformVersion{};
}

std::string ThousandsSeparator() {
    locale_t locale = ::newlocale(LC_NUMERIC_MASK, "", static_cast<locale_t>(nullptr));
    if (!locale)
        return "";
    std::string separator = ::nl_langinfo_l(THOUSEP, locale);
    ::freelocale(locale);
    return separator;
}

bool HasDisplay() {
    return !environment("DISPLAY").empty() || !environment("WAYLAND_DISPLAY").empty();
}

} // namespace vorlith::platform
