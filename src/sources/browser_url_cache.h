#pragma once
// This user's browser profiles read as one URL cache: every Firefox and Chromium-family profile
// delivers its visited addresses, its cookies and its cached files as cache entries.

#include "platform/browser_locations.h"
#include "platform/url_cache.h"
#include "sources/browser_profiles.h"

#include <string>
#include <vector>

namespace vorlith {

/// Cached files of a Firefox "cache2" folder (type 0x00000001), in file-name order: the entry
/// file serves as the local file (it begins with the body). Files that are not entries, or are
/// damaged, are skipped.
void ReadFirefoxCache(const std::string& cache2Folder,
                      std::vector<platform::RawUrlCacheEntry>& entries);

/// Cached files of a Chromium simple-cache folder, in file-name order. The bodies of pictures
/// and videos are copied into extractFolder as copyPrefix + file hash + "." + extension, and that
/// copy (named in shownExtractFolder, when given) is the local file; other entries (and all,
/// when extractFolder is "") have none. Index
/// files, "todelete_" files and damaged entries are skipped.
void ReadChromiumCache(const std::string& cacheFolder, const std::string& extractFolder,
                       const std::string& copyPrefix,
                       std::vector<platform::RawUrlCacheEntry>& entries,
                       const std::string& shownExtractFolder = "");

struct ProfileReadOptions {
    std::string userName;
    std::string privateFolder; // where database copies are made (and deleted again)
    std::string extractFolder; // for copied bodies; "" for none
    std::string shownExtractFolder; // where the entries say the copies are ("": extractFolder)
    std::string copyPrefix;    // makes the copied bodies' names unique per profile
};

/// One profile's entries: history, then cookies, then the cache.
void ReadBrowserProfile(const BrowserProfile& profile, const ProfileReadOptions& options,
                        std::vector<platform::RawUrlCacheEntry>& entries);

/// Reads every profile found below the home at begin() and hands the entries out one by one,
/// each with its origin (the browser's name and the profile folder). Nothing of a profile is
/// written, locked or changed.
class BrowserUrlCacheSource final : public platform::UrlCacheSource {
public:
    BrowserUrlCacheSource(platform::BrowserHome home, std::string userName);

    using platform::UrlCacheSource::setExtractFolder;
    void setExtractFolder(const std::string& folder, const std::string& shownFolder) override {
        m_extractFolder = folder;
        m_shownExtractFolder = shownFolder;
    }
    /// False when no profile delivered an entry.
    bool begin() override;
    std::optional<platform::RawUrlCacheEntry> next() override;
    void end() override;

private:
    platform::BrowserHome m_home;
    std::string m_userName;
    std::string m_extractFolder;
    std::string m_shownExtractFolder;
    std::vector<platform::RawUrlCacheEntry> m_entries;
    size_t m_next = 0;
};

} // namespace vorlith
