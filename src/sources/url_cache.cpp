#include "sources/url_cache.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <utility>

namespace vorlith {
namespace {

// A calendar value in 64 bits: the year above, then month, day, hour, minute and second in
// fields wide enough for their ranges. Cheaper than 24 bytes per time, and exact both ways.
uint64_t PackDateTime(const DateTime& value) {
    const auto field = [](int part, int bits) {
        return static_cast<uint64_t>(part) & ((uint64_t{1} << bits) - 1);
    };
    return static_cast<uint64_t>(static_cast<uint32_t>(value.year)) << 32 |
           field(value.month, 4) << 22 | field(value.day, 5) << 17 | field(value.hour, 5) << 12 |
           field(value.minute, 6) << 6 | field(value.second, 6);
}

DateTime UnpackDateTime(uint64_t packed) {
    DateTime value;
    value.year = static_cast<int32_t>(static_cast<uint32_t>(packed >> 32));
    value.month = static_cast<int>(packed >> 22 & 0xF);
    value.day = static_cast<int>(packed >> 17 & 0x1F);
    value.hour = static_cast<int>(packed >> 12 & 0x1F);
    value.minute = static_cast<int>(packed >> 6 & 0x3F);
    value.second = static_cast<int>(packed & 0x3F);
    return value;
}

// The text up to its first NUL.
std::string_view UpToNul(std::string_view text) {
    if (text.empty())
        return text;
    const void* nul = std::memchr(text.data(), '\0', text.size());
    return nul ? text.substr(0, static_cast<size_t>(static_cast<const char*>(nul) - text.data()))
               : text;
}

// Lengths are kept in 32 bits; a longer text (which no cache holds) keeps its first 4 GiB.
uint32_t StoredLength(std::string_view text) {
    return static_cast<uint32_t>(std::min<size_t>(text.size(), UINT32_MAX));
}

} // namespace

DateTime UrlCacheEntryRef::time(TimeField field) const {
    return UnpackDateTime(m_record->times[field]);
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

UrlCacheList::Record& UrlCacheList::append() {
    if (m_count == m_records.size() * kRecordsPerChunk)
        m_records.push_back(std::make_unique_for_overwrite<Record[]>(kRecordsPerChunk));
    Record& record = m_records[m_count / kRecordsPerChunk][m_count % kRecordsPerChunk];
    ++m_count;
    return record;
}

char* UrlCacheList::textRoom(size_t bytes) {
    if (bytes > m_textLeft) {
        const size_t blockSize = std::max(bytes, kTextBlockSize);
        m_textBlocks.push_back(std::make_unique_for_overwrite<char[]>(blockSize));
        m_textFree = m_textBlocks.back().get();
        m_textLeft = blockSize;
    }
    char* room = m_textFree;
    m_textFree += bytes;
    m_textLeft -= bytes;
    return room;
}

UrlCacheList::Record& UrlCacheList::appendWithTexts(const std::string_view (&texts)[4]) {
    Record& record = append();
    size_t total = 0;
    for (size_t field = 0; field < std::size(texts); ++field) {
        record.textLengths[field] = StoredLength(texts[field]);
        total += record.textLengths[field];
    }
    char* room = textRoom(total);
    record.texts = room;
    for (size_t field = 0; field < std::size(texts); ++field) {
        if (record.textLengths[field] > 0)
            std::memcpy(room, texts[field].data(), record.textLengths[field]);
        room += record.textLengths[field];
    }
    return record;
}

void UrlCacheList::push_back(const UrlCacheEntry& entry) {
    Record& record = appendWithTexts(
        {entry.SourceUrlName, entry.LocalFileName, entry.HeaderInfo, entry.FileExtension});
    record.useCount = entry.UseCount;
    record.hitRate = entry.HitRate;
    record.size = entry.Size;
    record.times[UrlCacheEntryRef::kLastModified] = PackDateTime(entry.LastModifiedTime);
    record.times[UrlCacheEntryRef::kExpire] = PackDateTime(entry.ExpireTime);
    record.times[UrlCacheEntryRef::kLastAccess] = PackDateTime(entry.LastAccessTime);
    record.times[UrlCacheEntryRef::kLastSync] = PackDateTime(entry.LastSyncTime);
}

void UrlCacheList::add(const platform::RawUrlCacheEntryView& raw, const platform::Clock& clock) {
    Record& record = appendWithTexts({UpToNul(raw.sourceUrlName), UpToNul(raw.localFileName),
                                      UpToNul(raw.headerInfo), UpToNul(raw.fileExtension)});
    record.useCount = raw.useCount;
    record.hitRate = raw.hitRate;
    // Sizes are 64-bit: a file of 2 GiB or more is counted as it is.
    record.size = raw.size > static_cast<uint64_t>(std::numeric_limits<int64_t>::max())
                      ? std::numeric_limits<int64_t>::max()
                      : static_cast<int64_t>(raw.size);
    // Most entries leave most times at zero, which every clock turns into the same value.
    static const uint64_t zeroTime = PackDateTime(DateTime{});
    const auto local = [&](FileTime utc) {
        return utc == 0 ? zeroTime : PackDateTime(clock.toLocal(utc));
    };
    record.times[UrlCacheEntryRef::kLastModified] = local(raw.lastModifiedTime);
    record.times[UrlCacheEntryRef::kExpire] = local(raw.expireTime);
    record.times[UrlCacheEntryRef::kLastAccess] = local(raw.lastAccessTime);
    record.times[UrlCacheEntryRef::kLastSync] = local(raw.lastSyncTime);
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
    // Each entry is lent by the store and copied once, into its list.
    platform::RawUrlCacheEntryView raw;
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
        list.add(raw, clock);
    }
    source.end();
    return end;
}

} // namespace vorlith
