// The user's and the program's folders on Windows, from the shell's special folders.

#include "platform/folders.h"

#include "platform/file_system.h"
#include "platform/windows/win32.h"

#include <shlobj.h>

#include <vector>

namespace vorlith::platform {
namespace {

using win32::Narrow;

// The common application data folder (the machine's settings of programs).
constexpr int kFolderCommonAppData = 35;

// The shell's current path of a special folder; "" when it has none.
std::string specialFolder(int folderId) {
    FolderLookup lookup = LookupSpecialFolder(folderId);
    return lookup.status == FolderLookupStatus::Found ? lookup.path : "";
}

std::string environment(const wchar_t* name) {
    const DWORD needed = ::GetEnvironmentVariableW(name, nullptr, 0);
    if (needed == 0)
        return "";
    std::wstring value(needed, L'\0');
    const DWORD length = ::GetEnvironmentVariableW(name, value.data(), needed);
    value.resize(length < needed ? length : 0);
    return Narrow(value);
}

std::string parentOf(const std::string& path) {
    auto separator = path.find_last_of("\\/");
    if (separator == std::string::npos)
        return "";
    // "C:\" keeps its separator: "C:" alone names the current folder of drive C.
    return path.substr(0, separator == 2 && path[1] == ':' ? 3 : separator);
}

} // namespace

FolderLookup LookupSpecialFolder(int folderId) {
    FolderLookup result;
    wchar_t buffer[MAX_PATH] = {};
    const HRESULT status =
        ::SHGetFolderPathW(nullptr, folderId, nullptr, SHGFP_TYPE_CURRENT, buffer);
    if (status == S_OK) {
        result.status = FolderLookupStatus::Found;
        result.path = Narrow(buffer);
    } else if (status == S_FALSE) {
        result.status = FolderLookupStatus::DoesNotExist;
    }
    return result; // E_INVALIDARG and any other failure: NotValid
}

PlatformVersion GetPlatformVersion() {
    // GetVersionEx, as start-up's version test was written for: Windows 8.1 and later tell a
    // program without a compatibility manifest that they are 6.2.
    OSVERSIONINFOW info{};
    info.dwOSVersionInfoSize = sizeof info;
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
    const BOOL known = ::GetVersionExW(&info);
#pragma GCC diagnostic pop
    PlatformVersion version;
    if (!known)
        return version;
    version.family = info.dwPlatformId == VER_PLATFORM_WIN32_NT ? PlatformVersion::Family::WindowsNT
                     : info.dwPlatformId == VER_PLATFORM_WIN32_WINDOWS
                         ? PlatformVersion::Family::Windows9x
                         : PlatformVersion::Family::Other;
    version.major = static_cast<int>(info.dwMajorVersion);
    version.minor = static_cast<int>(info.dwMinorVersion);
    return version;
}

const char kExecutableSuffix[] = ".exe";

std::string ExecutablePath() {
    std::vector<wchar_t> buffer(MAX_PATH);
    for (;;) {
        const DWORD length =
            ::GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
        if (length == 0)
            return "";
        if (length < buffer.size())
            return Narrow(std::wstring_view(buffer.data(), length));
        if (buffer.size() >= 32768)
            return "";
        buffer.resize(buffer.size() * 2);
    }
}

std::string ProgramFolder() {
    return parentOf(ExecutablePath());
}

std::string AssetFolder() {
    // The program is linked statically and carries its pictures beside it.
    return ProgramFolder();
}

std::string HomeFolder() {
    std::string home = specialFolder(kFolderProfile);
    return home.empty() ? environment(L"USERPROFILE") : home;
}

std::string UserConfigFolder() {
    return specialFolder(kFolderRoamingAppData);
}

std::string UserDataFolder() {
    return specialFolder(kFolderLocalAppData);
}

std::string UserCacheFolder() {
    return specialFolder(kFolderLocalAppData);
}

std::string MachineConfigFolder() {
    return specialFolder(kFolderCommonAppData);
}

std::string TemporaryFolder() {
    wchar_t buffer[MAX_PATH + 1] = {};
    const DWORD length = ::GetTempPathW(MAX_PATH + 1, buffer);
    if (length == 0 || length > MAX_PATH)
        return "";
    std::string folder = Narrow(std::wstring_view(buffer, length));
    if (folder.size() > 3 && folder.back() == '\\')
        folder.pop_back();
    return folder;
}

std::string RuntimeFolder() {
    return TemporaryFolder();
}

FirefoxFolders LookupFirefoxFolders() {
    FirefoxFolders folders;
    folders.roamingRoot = JoinPath(JoinPath(UserConfigFolder(), "Mozilla"), "Firefox");
    folders.profileList = JoinPath(folders.roamingRoot, "profiles.ini");
    folders.localRoot = JoinPath(JoinPath(UserCacheFolder(), "Mozilla"), "Firefox");
    return folders;
}

std::string UserName() {
    wchar_t buffer[257] = {}; // UNLEN + 1
    DWORD size = 257;
    if (::GetUserNameW(buffer, &size) && size > 0)
        return Narrow(std::wstring_view(buffer, size - 1));
    return environment(L"USERNAME");
}

std::string ThousandsSeparator() {
    wchar_t buffer[8] = {};
    const int length = ::GetLocaleInfoEx(LOCALE_NAME_USER_DEFAULT, LOCALE_STHOUSAND, buffer, 8);
    if (length <= 1)
        return "";
    return Narrow(std::wstring_view(buffer, static_cast<size_t>(length - 1)));
}

bool HasDisplay() {
    // A service or a scheduled task without a desktop runs in an invisible window station:
    // a browser started there would show nothing.
    HWINSTA station = ::GetProcessWindowStation();
    USEROBJECTFLAGS flags{};
    if (!station || !::GetUserObjectInformationW(station, UOI_FLAGS, &flags, sizeof flags, nullptr))
        return true;
    return (flags.dwFlags & WSF_VISIBLE) != 0;
}

} // namespace vorlith::platform
