#pragma once
// Where this user's and this program's folders are.

#include <string>

namespace vorlith::platform {

/// Shell folder ids the program asks for (the original platform's numbers).
enum SpecialFolderId : int {
    kFolderRoamingAppData = 26, // per-user settings of programs
    kFolderLocalAppData = 28,   // per-user data of programs, kept on this computer
    kFolderProgramFiles = 38,   // where programs are installed
    kFolderProfile = 40,        // the user's home folder
};

enum class FolderLookupStatus { Found, DoesNotExist, NotValid };

struct FolderLookup {
    FolderLookupStatus status = FolderLookupStatus::NotValid;
    std::string path; // set when Found
};

/// The current path of a special folder. Ids the platform cannot serve are NotValid.
FolderLookup LookupSpecialFolder(int folderId);

/// The operating system's family and version, as the version test of start-up reads it.
struct PlatformVersion {
    enum class Family { Windows9x, WindowsNT, Other } family = Family::Other;
    int major = 0;
    int minor = 0;
};
PlatformVersion GetPlatformVersion();

/// What this platform's program files end in ("" here, ".exe" on Windows).
extern const char kExecutableSuffix[];

/// The path of the running executable ("" if it cannot be found).
std::string ExecutablePath();
/// The folder of the running executable ("" if it cannot be found).
std::string ProgramFolder();
/// The folder holding the pictures installed with the program ("logo.gif" and
/// "video_tab_clickhere.gif"): the program's folder when they stand there (a build tree),
/// otherwise the installation's data folder beside it.
std::string AssetFolder();

/// The user's home folder.
std::string HomeFolder();
/// Per-user settings ($XDG_CONFIG_HOME, default ~/.config).
std::string UserConfigFolder();
/// Per-user data ($XDG_DATA_HOME, default ~/.local/share).
std::string UserDataFolder();
/// Per-user caches ($XDG_CACHE_HOME, default ~/.cache).
std::string UserCacheFolder();
/// Machine-wide settings (first of $XDG_CONFIG_DIRS, default /etc/xdg).
std::string MachineConfigFolder();
/// A private folder for run-time files ($XDG_RUNTIME_DIR, else the temporary folder).
std::string RuntimeFolder();
/// The temporary folder ($TMPDIR, default /tmp).
std::string TemporaryFolder();

/// Where Firefox keeps this user's profiles. Nothing is created; the folders may be missing.
struct FirefoxFolders {
    std::string profileList; // the file that lists the profiles ("profiles.ini")
    std::string roamingRoot; // the folder of profileList: relative profile paths start here
    std::string localRoot;   // the same relative paths name the local (cache) profile folders here
};
FirefoxFolders LookupFirefoxFolders();

/// The login name of the user.
std::string UserName();

/// The user's digit-grouping separator for whole numbers ("" when the locale has none).
std::string ThousandsSeparator();

/// True when a graphical display is available to start a browser on.
bool HasDisplay();

} // namespace vorlith::platform
