#include "sources/url_cache.h"

#include <limits>

namespace vorlith {
namespace {
std::string text(const std::optional<std::string>& value) {
    if (!value)
        return "";
    return value->substr(0, value->find('\0'));
}

// The entry's own texts are moved into the record: a cache of some 200,000 entries would
// otherwise copy every address twice on its way in.
std::string text(std::optional<std::string>&& value) {
    if (!value)
        return "";
    const size_t nul = value->find('\0');
    if (nul != std::string::npos)
        value->resize(nul);
    return std::move(*value);
}

template <typename Raw> UrlCacheEntry toEntry(Raw&& raw, const platform::Clock& clock) {
    UrlCacheEntry entry;
    entry.SourceUrlName = text(std::forward<Raw>(raw).sourceUrlName);
    entry.LocalFileName = text(std::forward<Raw>(raw).localFileName);
    entry.FileExtension = text(std::forward<Raw>(raw).fileExtension);
    entry.HeaderInfo = text(std::forward<Raw>(raw).headerInfo);
    entry.HitRate = raw.hitRate;
    entry.ExpireTime = clock.toLocal(raw.expireTime);
    entry.LastAccessTime = clock.toLocal(raw.lastAccessTime);
    entry.LastModifiedTime = clock.toLocal(raw.lastModifiedTime);
    entry.LastSyncTime = clock.toLocal(raw.lastSyncTime);
    // Sizes are 64-bit: a file of 2 GiB or more is counted as it is.
    entry.Size = raw.size > static_cast<uint64_t>(std::numeric_limits<int64_t>::max())
                     ? std::numeric_limits<int64_t>::max()
                     : static_cast<int64_t>(raw.size);
    entry.UseCount = raw.useCount;
    return entry;
}
} // namespace

void UrlCacheLists::clear() {
    CacheContentList.clear();
    CacheHistoryList.clear();
    CacheCookieList.clear();
}

UrlCacheEntry ToUrlCacheEntry(const platform::RawUrlCacheEntry& raw, const platform::Clock& clock) {
    return toEntry(raw, clock);
}

namespace {

class NeverStop final : public RunControl {
public:
    void yield() override {}
    bool isCanceled() const override { return false; }
};

constexpr uint64_t kEntriesPerYield = 1000;

} // namespace

void EnumerateUrlCache(platform::UrlCacheSource& source, const platform::Clock& clock,
                       UrlCacheLists& lists) {
    NeverStop run;
    NoProgress progress;
    EnumerateUrlCache(source, clock, lists, run, progress);
}

PhaseEnd EnumerateUrlCache(platform::UrlCacheSource& source, const platform::Clock& clock,
                           UrlCacheLists& lists, RunControl& run, ProgressSink& progress) {
    lists.clear();
    if (!source.begin())
        return PhaseEnd::Finished;
    PhaseEnd end = PhaseEnd::Finished;
    uint64_t read = 0;
    while (auto raw = source.next()) {
        if (++read % kEntriesPerYield == 0) {
            progress.setStatus("Reading the URL cache... " + std::to_string(read) + " entries");
            run.yield();
            if (run.isCanceled()) {
                end = PhaseEnd::Stopped;
                break;
            }
        }
        if (!(raw->type & kNormalCacheEntry))
            continue;
        auto& list = raw->type == kHistoryEntryType  ? lists.CacheHistoryList
                     : raw->type == kCookieEntryType ? lists.CacheCookieList
                                                     : lists.CacheContentList;
        list.push_back(toEntry(std::move(*raw), clock));
    }
    source.end();
    return end;
}

} // namespace vorlith
