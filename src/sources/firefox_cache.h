#pragma once
// The Firefox cache pass: the cached JPEG pictures of the user's Firefox profile.

#include "base/progress.h"
#include "base/run_control.h"
#include "platform/folders.h"

#include <string>
#include <string_view>
#include <vector>

namespace vorlith {

/// The folders of the first profile ("Profile0") in Firefox's profile list.
struct FirefoxProfile {
    std::string FirefoxProfileName;      // the profile's "Path" value as the list holds it
    std::string FirefoxProfilePath;      // the roaming profile folder (settings, history)
    std::string FirefoxLocalProfilePath; // the local profile folder (the disk cache)
};

/// Reads "Path" and "IsRelative" of "Profile0" from folders.profileList. A relative path
/// (IsRelative 1) names a folder below folders.roamingRoot and, for the local profile, the same
/// path below folders.localRoot; an absolute path is both folders. Without a list or a "Profile0"
/// entry the name is empty and both folders are the roots themselves.
FirefoxProfile FindFirefoxProfile(const platform::FirefoxFolders& folders);

/// The folder whose files are the cache: "Cache" of the roaming profile if it exists, else
/// "Cache" of the local one; where neither exists, "cache2/entries" of the local, then of the
/// roaming profile (current Firefox keeps its disk cache there). When nothing exists, the
/// local "Cache" (which lists nothing).
std::string ChooseFirefoxCacheFolder(const FirefoxProfile& profile);

/// The value of key in [section] of an INI file (FindIniValue); "" when the file cannot be read.
std::string ReadIniValue(std::string_view section, std::string_view key, const std::string& file);

/// The names (not paths) of the files directly inside folder, in listing order; folders are
/// left out. Empty when the folder does not exist or cannot be listed.
std::vector<std::string> ListFolderFiles(const std::string& folder);

/// Whether a stream's first line (the bytes before its first CR LF pair, or all of it) holds the
/// JPEG start marker FF D8 FF E0. Fed in pieces; it decides as soon as it can, holding only
/// three bytes between pieces.
class FirstLineJpegTest {
public:
    enum class Verdict { Undecided, Jpeg, NotJpeg };
    Verdict feed(std::string_view bytes);
    /// The verdict at the end of the stream.
    Verdict finish() const { return Verdict::NotJpeg; }

private:
    std::string m_tail; // the last bytes of the previous piece, at most 3
};

/// True when the path does not end in "_" and the file's first line holds the JPEG start
/// marker. Reads only up to the first CR LF, in pieces; a file that cannot be read (or is not a
/// regular file) is not a picture.
bool IsCachedJpeg(const std::string& path);

/// What the pass found: every file of the cache folder and the pictures among them.
struct FirefoxCacheFindings {
    std::vector<std::string> files;    // full paths, in listing order
    std::vector<std::string> pictures; // the files that hold a JPEG picture, in the same order
};

/// Lists the files of the first profile's cache folder and tests each for a JPEG picture, with
/// the status texts of the pass and the file on the second status line. Yields after each status
/// text and every 25 files; the cancel flag is not tested.
FirefoxCacheFindings FindFirefoxCachePictures(RunControl& run, ProgressSink& progress,
                                              const platform::FirefoxFolders& folders);

} // namespace vorlith
