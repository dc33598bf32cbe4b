#pragma once
// The URL cache read once per audit into three lists. A list keeps its entries compactly: the
// texts of all its entries in a few large blocks, the numbers and times in fixed-size records, so
// that a cache of hundreds of thousands of entries costs a few allocations, not several per entry.

#include "base/progress.h"
#include "base/run_control.h"
#include "platform/clock.h"
#include "platform/url_cache.h"

#include <climits>
#include <cstdint>
#include <initializer_list>
#include <iterator>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace vorlith {

/// One cache entry on its own, owning its texts: what a test builds and what
/// UrlCacheEntryRef::copy gives.
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

class UrlCacheList;

/// UTC file times turned into local calendar times through a clock, as the clock's toLocal
/// gives them, in whole seconds since 1970-01-01 00:00 of the local calendar. The offset of a
/// day that keeps one offset throughout is remembered, so that a cache's hundreds of thousands of
/// times cost the clock a few questions per day; a day with a change asks the clock each time.
class LocalTimes {
public:
    explicit LocalTimes(const platform::Clock& clock);
    int64_t secondsOf(FileTime utc);

private:
    // Eight bytes, so that the days remembered take 32 KB. Every FileTime's day fits (from 1601
    // to about 58,000 years on), and every real zone's offset.
    struct Day {
        int32_t day = INT32_MIN; // days since 1970-01-01 (UTC); INT32_MIN: none yet
        int32_t offset = 0;      // seconds from UTC to local time throughout the day;
                                 // kChanging: the offset changes within the day (or is too large)
    };
    static constexpr int32_t kChanging = INT32_MIN;
    static constexpr size_t kDays = 4096; // days remembered: eleven years

    const platform::Clock& m_clock;
    std::vector<Day> m_days;
};

/// One entry of a list, read where the list keeps it: the fields of UrlCacheEntry under the same
/// names. Texts are views into the list, valid while the list lives and is not changed.
class UrlCacheEntryRef {
public:
    std::string_view SourceUrlName() const { return text(kAddress); }
    std::string_view LocalFileName() const { return text(kLocalFile); }
    std::string_view HeaderInfo() const { return text(kHeader); }
    std::string_view FileExtension() const { return text(kExtension); }
    int32_t UseCount() const { return m_record->useCount; }
    int32_t HitRate() const { return m_record->hitRate; }
    int64_t Size() const { return m_record->size; }
    uint32_t Origin() const { return m_record->origin; } // index into UrlCacheLists::origins
    DateTime LastModifiedTime() const { return time(kLastModified); }
    DateTime ExpireTime() const { return time(kExpire); }
    DateTime LastAccessTime() const { return time(kLastAccess); }
    DateTime LastSyncTime() const { return time(kLastSync); }

    /// The entry as a UrlCacheEntry of its own.
    UrlCacheEntry copy() const;

private:
    friend class UrlCacheList;
    enum TextField { kAddress, kLocalFile, kHeader, kExtension, kTextFields };
    enum TimeField { kLastModified, kExpire, kLastAccess, kLastSync, kTimeFields };
    // One entry as a list stores it.
    struct Record {
        const char* texts;                 // the four texts one after the other
        uint32_t textLengths[kTextFields]; // bytes of each
        int32_t useCount;
        int32_t hitRate;
        uint32_t origin;            // index into UrlCacheLists::origins
        int64_t size;               // bytes
        int64_t times[kTimeFields]; // local calendar times as seconds since 1970 (no zone)
    };
    explicit UrlCacheEntryRef(const Record& record) : m_record(&record) {}
    std::string_view text(TextField field) const {
        size_t start = 0;
        for (int before = 0; before < field; ++before)
            start += m_record->textLengths[before];
        return {m_record->texts + start, m_record->textLengths[field]};
    }
    DateTime time(TimeField field) const;

    const Record* m_record;
};

/// One list of cache entries in the order they were added.
class UrlCacheList {
public:
    UrlCacheList();
    UrlCacheList(std::initializer_list<UrlCacheEntry> entries);
    UrlCacheList(const UrlCacheList& other);
    UrlCacheList(UrlCacheList&& other) noexcept;
    UrlCacheList& operator=(const UrlCacheList& other);
    UrlCacheList& operator=(UrlCacheList&& other) noexcept;
    ~UrlCacheList();

    size_t size() const { return m_count; }
    bool empty() const { return m_count == 0; }
    UrlCacheEntryRef operator[](size_t index) const {
        return UrlCacheEntryRef(m_records[index / kRecordsPerChunk][index % kRecordsPerChunk]);
    }

    /// Asks the processor to fetch entry `index`'s record ahead of its reading; then, once that
    /// has arrived, `prefetchTexts` its texts. A pass that reads a few entries out of many waits
    /// for memory at each of them otherwise: the hardware only foresees reads in a steady stride.
    void prefetchRecord(size_t index) const {
        __builtin_prefetch(&m_records[index / kRecordsPerChunk][index % kRecordsPerChunk]);
    }
    void prefetchTexts(size_t index) const {
        const Record& record = m_records[index / kRecordsPerChunk][index % kRecordsPerChunk];
        // A prefetch never faults, even for an entry without texts (whose pointer may be null);
        // the second line is asked for only where the address and local file reach it.
        __builtin_prefetch(record.texts);
        if (size_t{record.textLengths[0]} + record.textLengths[1] > 64)
            __builtin_prefetch(record.texts + 64);
    }

    /// Appends a copy of the entry.
    void push_back(const UrlCacheEntry& entry);
    /// Appends a raw entry: texts up to their first NUL (a missing text is empty), times
    /// converted to local time, a size above the largest signed 64-bit number kept at that number.
    /// `origin` is the entry's index into UrlCacheLists::origins.
    void add(const platform::RawUrlCacheEntryView& raw, uint32_t origin, LocalTimes& times);
    void clear();

    class const_iterator {
    public:
        using iterator_category = std::forward_iterator_tag;
        using value_type = UrlCacheEntryRef;
        using difference_type = std::ptrdiff_t;
        using pointer = void;
        using reference = UrlCacheEntryRef;

        const_iterator() = default;
        UrlCacheEntryRef operator*() const { return (*m_list)[m_index]; }
        const_iterator& operator++() {
            ++m_index;
            return *this;
        }
        const_iterator operator++(int) {
            const_iterator before = *this;
            ++m_index;
            return before;
        }
        friend bool operator==(const const_iterator&, const const_iterator&) = default;

    private:
        friend class UrlCacheList;
        const_iterator(const UrlCacheList* list, size_t index) : m_list(list), m_index(index) {}
        const UrlCacheList* m_list = nullptr;
        size_t m_index = 0;
    };
    const_iterator begin() const { return {this, 0}; }
    const_iterator end() const { return {this, m_count}; }

private:
    using Record = UrlCacheEntryRef::Record;
    // Records come in chunks and texts in blocks that never move, so the list grows without
    // copying what it holds.
    static constexpr size_t kRecordsPerChunk = 1024;
    static constexpr size_t kTextBlockSize = 64 * 1024; // bytes; a larger entry gets its own

    Record& append() {
        if (m_count == m_records.size() * kRecordsPerChunk)
            addChunk();
        Record& record = m_records[m_count / kRecordsPerChunk][m_count % kRecordsPerChunk];
        ++m_count;
        return record;
    }
    void addChunk();
    // A new record with its texts (address, local file, header, extension) stored.
    Record& appendWithTexts(const std::string_view (&texts)[4]);
    // Room for `bytes` bytes of text that stays where it is for the list's life.
    char* textRoom(size_t bytes) {
        if (bytes > m_textLeft)
            addTextBlock(bytes);
        char* room = m_textFree;
        m_textFree += bytes;
        m_textLeft -= bytes;
        return room;
    }
    void addTextBlock(size_t bytes);

    std::vector<std::unique_ptr<Record[]>> m_records;
    std::vector<std::unique_ptr<char[]>> m_textBlocks;
    char* m_textFree = nullptr; // the unused rest of the last block
    size_t m_textLeft = 0;      // bytes at m_textFree
    size_t m_count = 0;
};

/// Calls visit(index) for every index the cursor gives, in its order, asking for each entry's
/// record eight visits ahead and its texts four visits ahead (UrlCacheList::prefetchRecord). The
/// cursor is copied for the look-ahead: `bool next(size_t& index)` gives the next index of the
/// list, false after the last.
template <typename Cursor, typename Visit>
void VisitAhead(const UrlCacheList& list, const Cursor& cursor, Visit visit) {
    constexpr int kRecordsAhead = 8;
    constexpr int kTextsAhead = 4;
    Cursor visits = cursor;
    Cursor records = cursor;
    Cursor texts = cursor;
    size_t index = 0;
    for (int ahead = 0; ahead < kRecordsAhead && records.next(index); ++ahead)
        list.prefetchRecord(index);
    for (int ahead = 0; ahead < kTextsAhead && texts.next(index); ++ahead)
        list.prefetchTexts(index);
    while (visits.next(index)) {
        size_t later = 0;
        if (records.next(later))
            list.prefetchRecord(later);
        if (texts.next(later))
            list.prefetchTexts(later);
        visit(index);
    }
}

struct UrlCacheLists {
    UrlCacheList CacheContentList; // cached files
    UrlCacheList CacheHistoryList; // visited addresses
    UrlCacheList CacheCookieList;  // cookies
    /// The browser profiles the entries came from, each once; the first, empty, stands for the
    /// system's own cache.
    std::vector<platform::UrlCacheOrigin> origins{platform::UrlCacheOrigin{}};

    const platform::UrlCacheOrigin& originOf(uint32_t origin) const {
        return origin < origins.size() ? origins[origin] : origins.front();
    }
    const platform::UrlCacheOrigin& originOf(const UrlCacheEntry& entry) const {
        return originOf(entry.Origin);
    }
    const platform::UrlCacheOrigin& originOf(const UrlCacheEntryRef& entry) const {
        return originOf(entry.Origin());
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

} // namespace vorlith
