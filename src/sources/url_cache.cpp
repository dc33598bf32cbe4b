#include "sources/url_cache.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <map>
#include <utility>

namespace vorlith {
namespace {

// A calendar value as seconds since 1970-01-01 00:00 of the same calendar (no zone applied):
// 8 bytes instead of 24, and turned back by CivilFromUnixSeconds.
int64_t CalendarSeconds(const DateTime& value) {
    return DaysFromCivil(value.year, value.month, value.day) * 86400 + value.hour * 3600 +
           value.minute * 60 + value.second;
}

constexpr FileTime kTicksPerSecond = 10'000'000;

// The text up to its first NUL.
inline std::string_view UpToNul(std::string_view text) {
    if (text.empty())
        return text;
    const void* nul = std::memchr(text.data(), '\0', text.size());
    return nul ? std::string_view(text.data(), static_cast<const char*>(nul) - text.data()) : text;
}

// Lengths are kept in 32 bits; a longer text (which no cache holds) keeps its first 4 GiB.
uint32_t StoredLength(std::string_view text) {
    return static_cast<uint32_t>(std::min<size_t>(text.size(), UINT32_MAX));
}

} // namespace

DateTime UrlCacheEntryRef::time(TimeField field) const {
    return CivilFromUnixSeconds(m_record->times[field]);
}

LocalTimes::LocalTimes(const platform::Clock& clock) : m_clock(clock), m_days(kDays) {}

int64_t LocalTimes::secondsOf(FileTime utc) {
    if (utc == 0)
        return -kSecondsFrom1601To1970; // every clock's "never": 1601-01-01 00:00:00
    const int64_t seconds = static_cast<int64_t>(utc / kTicksPerSecond) - kSecondsFrom1601To1970;
    const int64_t day = seconds >= 0 ? seconds / 86400 : (seconds - 86399) / 86400;
    Day& slot = m_days[static_cast<size_t>(day) & (kDays - 1)];
    if (slot.day != day) {
        // The offsets at the day's first and last second tell whether one holds all day.
        const auto offsetAt = [this](int64_t at) {
            const FileTime ticks =
                static_cast<FileTime>(at + kSecondsFrom1601To1970) * kTicksPerSecond;
            return CalendarSeconds(m_clock.toLocal(ticks)) - at;
        };
        const int64_t start = std::max(day * 86400, -kSecondsFrom1601To1970);
        const int64_t first = offsetAt(start);
        const bool fits = first > kChanging && first <= std::numeric_limits<int32_t>::max();
        slot.day = static_cast<int32_t>(day);
        slot.offset = fits && first == offsetAt(day * 86400 + 86399) ? static_cast<int32_t>(first)
                                                                     : kChanging;
    }
    if (slot.offset == kChanging)
        return CalendarSeconds(m_clock.toLocal(utc));
    return seconds + slot.offset;
}

UrlCacheEntry UrlCacheEntryRef::copy() const {
    UrlCacheEntry entry;
    entry.SourceUrlName = SourceUrlName();
    entry.LocalFileName = LocalFileName();
    entry.UseCount = UseCount();
    entry.HitRate = HitRate();
    entry.Size = Size();
    entry.LastModifiedTime = LastModifiedTime();
    entry.ExpireTime = ExpireTime();
    entry.LastAccessTime = LastAccessTime();
    entry.LastSyncTime = LastSyncTime();
    entry.HeaderInfo = HeaderInfo();
    entry.FileExtension = FileExtension();
    entry.Origin = Origin();
    return entry;
}

UrlCacheList::UrlCacheList() = default;

UrlCacheList::UrlCacheList(std::initializer_list<UrlCacheEntry> entries) {
    for (const UrlCacheEntry& entry : entries)
        push_back(entry);
}

UrlCacheList::UrlCacheList(const UrlCacheList& other) {
    *this = other;
}

UrlCacheList::UrlCacheList(UrlCacheList&& other) noexcept {
    *this = std::move(other);
}

UrlCacheList& UrlCacheList::operator=(const UrlCacheList& other) {
    if (this != &other) {
        clear();
        for (UrlCacheEntryRef entry : other)
            push_back(entry.copy());
    }
    return *this;
}

UrlCacheList& UrlCacheList::operator=(UrlCacheList&& other) noexcept {
    if (this != &other) {
        m_records = std::move(other.m_records);
        m_textBlocks = std::move(other.m_textBlocks);
        m_textFree = std::exchange(other.m_textFree, nullptr);
        m_textLeft = std::exchange(other.m_textLeft, 0);
        m_count = std::exchange(other.m_count, 0);
        other.m_records.clear();
        other.m_textBlocks.clear();
    }
    return *this;
}

UrlCacheList::~UrlCacheList() = default;

void UrlCacheList::addChunk() {
    m_records.push_back(std::make_unique_for_overwrite<Record[]>(kRecordsPerChunk));
}

void UrlCacheList::addTextBlock(size_t bytes) {
    const size_t blockSize = std::max(bytes, kTextBlockSize);
    m_textBlocks.push_back(std::make_unique_for_overwrite<char[]>(blockSize));
    m_textFree = m_textBlocks.back().get();
    m_textLeft = blockSize;
}

UrlCacheList::Record& UrlCacheList::appendWithTexts(const std::string_view (&texts)[4]) {
    Record& record = append();
    const uint32_t lengths[] = {StoredLength(texts[0]), StoredLength(texts[1]),
                                StoredLength(texts[2]), StoredLength(texts[3])};
    char* room = textRoom(size_t{lengths[0]} + lengths[1] + lengths[2] + lengths[3]);
    record.texts = room;
    for (size_t field = 0; field < 4; ++field) {
        record.textLengths[field] = lengths[field];
        if (lengths[field] > 0)
            std::memcpy(room, texts[field].data(), lengths[field]);
        room += lengths[field];
    }
    return record;
}

void UrlCacheList::push_back(const UrlCacheEntry& entry) {
    Record& record = appendWithTexts(
        {entry.SourceUrlName, entry.LocalFileName, entry.HeaderInfo, entry.FileExtension});
    record.useCount = entry.UseCount;
    record.hitRate = entry.HitRate;
    record.size = entry.Size;
    record.origin = entry.Origin;
    record.times[UrlCacheEntryRef::kLastModified] = CalendarSeconds(entry.LastModifiedTime);
    record.times[UrlCacheEntryRef::kExpire] = CalendarSeconds(entry.ExpireTime);
    record.times[UrlCacheEntryRef::kLastAccess] = CalendarSeconds(entry.LastAccessTime);
    record.times[UrlCacheEntryRef::kLastSync] = CalendarSeconds(entry.LastSyncTime);
}

void UrlCacheList::add(const platform::RawUrlCacheEntryView& raw, uint32_t origin,
                       LocalTimes& times) {
    Record& record = appendWithTexts({UpToNul(raw.sourceUrlName), UpToNul(raw.localFileName),
                                      UpToNul(raw.headerInfo), UpToNul(raw.fileExtension)});
    record.useCount = raw.useCount;
    record.hitRate = raw.hitRate;
    record.origin = origin;
    // Sizes are 64-bit: a file of 2 GiB or more is counted as it is.
    record.size = raw.size > static_cast<uint64_t>(std::numeric_limits<int64_t>::max())
                      ? std::numeric_limits<int64_t>::max()
                      : static_cast<int64_t>(raw.size);
    record.times[UrlCacheEntryRef::kLastModified] = times.secondsOf(raw.lastModifiedTime);
    record.times[UrlCacheEntryRef::kExpire] = times.secondsOf(raw.expireTime);
    record.times[UrlCacheEntryRef::kLastAccess] = times.secondsOf(raw.lastAccessTime);
    record.times[UrlCacheEntryRef::kLastSync] = times.secondsOf(raw.lastSyncTime);
}

void UrlCacheList::clear() {
    m_records.clear();
    m_textBlocks.clear();
    m_textFree = nullptr;
    m_textLeft = 0;
    m_count = 0;
}

void UrlCacheLists::clear() {
    CacheContentList.clear();
    CacheHistoryList.clear();
    CacheCookieList.clear();
    origins.assign(1, platform::UrlCacheOrigin{});
}

namespace {

class NeverStop final : public RunControl {
public:
    void yield() override {}
    bool isCanceled() const override { return false; }
};

constexpr uint64_t kEntriesPerYield = 1000;

// The index of each entry's origin in the lists' table. A store hands out the entries of one
// profile one after another, so the table is looked up only when the origin differs from the
// last one (compared by its names: a store may free an origin and make another at its address).
class OriginIndex {
public:
    // The table starts with the system's cache, which an origin without names also stands for.
    explicit OriginIndex(std::vector<platform::UrlCacheOrigin>& origins) : m_origins(origins) {
        m_indexes.try_emplace({}, 0);
    }

    uint32_t of(const platform::UrlCacheOrigin* origin) {
        if (!origin)
            return 0;
        if (m_hasLast && *origin == m_last)
            return m_lastIndex;
        auto [found, isNew] = m_indexes.try_emplace({origin->browser, origin->profile},
                                                    static_cast<uint32_t>(m_origins.size()));
        if (isNew)
            m_origins.push_back(*origin);
        m_last = *origin;
        m_hasLast = true;
        m_lastIndex = found->second;
        return m_lastIndex;
    }

private:
    std::vector<platform::UrlCacheOrigin>& m_origins;
    std::map<std::pair<std::string, std::string>, uint32_t> m_indexes;
    platform::UrlCacheOrigin m_last;
    bool m_hasLast = false;
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
    // Each entry is lent by the store and copied once, into its list.
    platform::RawUrlCacheEntryView raw;
    LocalTimes times(clock);
    while (source.readNext(raw)) {
        if (++read % kEntriesPerYield == 0) {
            progress.setStatus("Reading the URL cache... " + std::to_string(read) + " entries");
            run.yield();
            if (run.isCanceled()) {
                end = PhaseEnd::Stopped;
                break;
            }
        }
        if (!(raw.type & kNormalCacheEntry))
            continue;
        UrlCacheList& list = raw.type == kHistoryEntryType  ? lists.CacheHistoryList
                             : raw.type == kCookieEntryType ? lists.CacheCookieList
                                                            : lists.CacheContentList;
        list.add(raw, origins.of(raw.origin), times);
    }
    source.end();
    return end;
}

} // namespace vorlith
