#include "sources/url_cache.h"

#include <limits>
#include <map>
#include <utility>

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
    origins.assign(1, platform::UrlCacheOrigin{});
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

// The index of each entry's origin in the lists' table. A store hands out the entries of one
// profile one after another, sharing one origin, so the table is looked up only when it changes.
class OriginIndex {
public:
    // The table starts with the system's cache, which an origin without names also stands for.
    explicit OriginIndex(std::vector<platform::UrlCacheOrigin>& origins) : m_origins(origins) {
        m_indexes.try_emplace({}, 0);
    }

    uint32_t of(const std::shared_ptr<const platform::UrlCacheOrigin>& origin) {
        if (!origin)
            return 0;
        if (origin == m_last)
            return m_lastIndex;
        auto [found, isNew] = m_indexes.try_emplace({origin->browser, origin->profile},
                                                    static_cast<uint32_t>(m_origins.size()));
        if (isNew)
            m_origins.push_back(*origin);
        m_last = origin;
        m_lastIndex = found->second;
        return m_lastIndex;
    }

private:
    std::vector<platform::UrlCacheOrigin>& m_origins;
    std::map<std::pair<std::string, std::string>, uint32_t> m_indexes;
    std::shared_ptr<const platform::UrlCacheOrigin> m_last;
    uint32_t m_lastIndex = 0;
};

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
    OriginIndex origins(lists.origins);
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
        const uint32_t origin = origins.of(raw->origin);
        list.push_back(toEntry(std::move(*raw), clock));
        list.back().Origin = origin;
    }
    source.end();
    return end;
}

} // namespace vorlith
