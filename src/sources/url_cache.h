#pragma once
// The URL cache read once per audit into three lists.

#include "base/progress.h"
#include "base/run_control.h"
#include "platform/clock.h"
#include "platform/url_cache.h"

#include <cstdint>
#include <string>
#include <vector>

namespace vorlith {

/// One cache entry as the report sees it.
struct UrlCacheEntry {
    std::string SourceUrlName; // the address; history and cookie names carry a prefix up to "@"
    std::string LocalFileName; // the file holding the entry's data; "" when it has none
    int32_t UseCount = 0;
    int32_t HitRate = 0;       // hits (the read count on the cookie page)
    int64_t Size = 0;          // bytes of the entry's data
    DateTime LastModifiedTime; // local time
    DateTime ExpireTime;
    DateTime LastAccessTime;
    DateTime LastSyncTime;
    std::string HeaderInfo; // the stored response head, up to its first NUL
    std::string FileExtension;
    uint32_t Origin = 0; // index into UrlCacheLists::origins; 0: the system's own cache
};

inline constexpr uint32_t kNormalCacheEntry = 0x00000001;
inline constexpr uint32_t kHistoryEntryType = 0x00200001;
inline constexpr uint32_t kCookieEntryType = 0x00100001;

struct UrlCacheLists {
    std::vector<UrlCacheEntry> CacheContentList; // cached files
    std::vector<UrlCacheEntry> CacheHistoryList; // visited addresses
    std::vector<UrlCacheEntry> CacheCookieList;  // cookies
    /// The browser profiles the entries came from, each once; the first, empty, stands for the
    /// system's own cache.
    std::vector<platform::UrlCacheOrigin> origins{platform::UrlCacheOrigin{}};

    const platform::UrlCacheOrigin& originOf(const UrlCacheEntry& entry) const {
        return entry.Origin < origins.size() ? origins[entry.Origin] : origins.front();
    }
    int64_t total() const {
        return static_cast<int64_t>(CacheContentList.size() + CacheHistoryList.size() +
                                    CacheCookieList.size());
    }
    void clear();
};

/// Empties the lists, then reads every entry of the source in its order: type 0x00200001 goes to
/// the history list, 0x00100001 to the cookie list, any other type with bit 0x00000001 to the
/// content list; entries without that bit are skipped. Times are converted to local time; each
/// entry's origin is kept in lists.origins.
void EnumerateUrlCache(platform::UrlCacheSource& source, const platform::Clock& clock,
                       UrlCacheLists& lists);

/// The same for an audit run: every 1,000 entries it shows "Reading the URL cache... N entries",
/// yields and tests the cancel flag; Stopped (the lists keep what was read) when it is raised.
PhaseEnd EnumerateUrlCache(platform::UrlCacheSource& source, const platform::Clock& clock,
                           UrlCacheLists& lists, RunControl& run, ProgressSink& progress);

/// Converts one raw entry to its record (texts up to their first NUL; missing texts empty; the
/// origin is left at 0, since only the lists hold origins).
UrlCacheEntry ToUrlCacheEntry(const platform::RawUrlCacheEntry& raw, const platform::Clock& clock);

} // namespace vorlith
