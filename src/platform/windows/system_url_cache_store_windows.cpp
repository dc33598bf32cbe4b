// The WinINet URL cache: cached files, cookies and visited addresses of the system's browser
// component, enumerated with FindFirstUrlCacheEntryW / FindNextUrlCacheEntryW.
//
// Each entry is fetched in two calls: one without a buffer that learns the entry's size
// (ERROR_INSUFFICIENT_BUFFER, 122, with the size written back), then one with a buffer of that
// size. An empty cache answers the first call with ERROR_NO_MORE_ITEMS (259): an empty cache,
// not a failure.
//
// The search pattern decides which container is enumerated. The documentation gives no pattern
// for the cached files, "cookie:" for the cookies and "visited:" for the history; Wine returns
// every container for no pattern and knows the lower-case patterns not (it compares them with
// case), so the three passes are made one after the other and an address that a later pass
// reports again under the same type is skipped.

#include "platform/system_url_cache_store.h"

#include "platform/windows/win32.h"

#include <wininet.h>

#include <array>
#include <set>
#include <utility>
#include <vector>

namespace vorlith::platform {
namespace {

using win32::Narrow;

// An entry record with the texts it points to; 8-byte words keep the record aligned.
class EntryBuffer {
public:
    void resize(DWORD bytes) {
        m_words.assign((static_cast<size_t>(bytes) + 7) / 8 + 1, 0);
        m_bytes = bytes;
        entry()->dwStructSize = sizeof(INTERNET_CACHE_ENTRY_INFOW);
    }
    INTERNET_CACHE_ENTRY_INFOW* entry() {
        return reinterpret_cast<INTERNET_CACHE_ENTRY_INFOW*>(m_words.data());
    }
    DWORD size() const { return m_bytes; }

    // The text a field points to, read up to its NUL but never past the buffer; std::nullopt
    // for a null pointer or one that points outside the buffer.
    std::optional<std::string> text(const wchar_t* pointer) const {
        if (!pointer)
            return std::nullopt;
        const auto* begin = reinterpret_cast<const unsigned char*>(m_words.data());
        const auto* end = begin + m_bytes;
        const auto* at = reinterpret_cast<const unsigned char*>(pointer);
        if (at < begin || at >= end)
            return std::nullopt;
        const size_t room = static_cast<size_t>(end - at) / sizeof(wchar_t);
        size_t length = 0;
        while (length < room && pointer[length] != L'\0')
            ++length;
        return Narrow(std::wstring_view(pointer, length));
    }

private:
    std::vector<uint64_t> m_words;
    DWORD m_bytes = 0; // the size the cache was told
};

// An entry that grew between the two calls is asked for again, a few times at most.
constexpr int kFetchAttempts = 4;

bool wantsBuffer(DWORD needed) {
    return ::GetLastError() == ERROR_INSUFFICIENT_BUFFER &&
           needed >= sizeof(INTERNET_CACHE_ENTRY_INFOW);
}

// Begins an enumeration and fetches its first entry. nullptr when the container holds nothing
// or cannot be read.
HANDLE findFirst(const wchar_t* pattern, EntryBuffer& buffer) {
    DWORD needed = 0;
    HANDLE probe = ::FindFirstUrlCacheEntryW(pattern, nullptr, &needed);
    if (probe) { // no entry fits no buffer; a handle here is nothing to read from
        ::FindCloseUrlCache(probe);
        return nullptr;
    }
    for (int attempt = 0; attempt < kFetchAttempts && wantsBuffer(needed); ++attempt) {
        buffer.resize(needed);
        if (HANDLE handle = ::FindFirstUrlCacheEntryW(pattern, buffer.entry(), &needed))
            return handle;
    }
    return nullptr;
}

// Fetches the next entry of an enumeration; false at its end (or when it cannot be read).
bool findNext(HANDLE handle, EntryBuffer& buffer) {
    DWORD needed = 0;
    if (::FindNextUrlCacheEntryW(handle, nullptr, &needed))
        return false;
    for (int attempt = 0; attempt < kFetchAttempts && wantsBuffer(needed); ++attempt) {
        buffer.resize(needed);
        if (::FindNextUrlCacheEntryW(handle, buffer.entry(), &needed))
            return true;
    }
    return false;
}

RawUrlCacheEntry toRawEntry(EntryBuffer& buffer) {
    const INTERNET_CACHE_ENTRY_INFOW& info = *buffer.entry();
    RawUrlCacheEntry entry;
    entry.type = info.CacheEntryType;
    entry.sourceUrlName = buffer.text(info.lpszSourceUrlName);
    entry.localFileName = buffer.text(info.lpszLocalFileName);
    entry.headerInfo = buffer.text(info.lpHeaderInfo);
    entry.fileExtension = buffer.text(info.lpszFileExtension);
    entry.useCount = static_cast<int32_t>(info.dwUseCount);
    entry.hitRate = static_cast<int32_t>(info.dwHitRate);
    entry.size = (static_cast<uint64_t>(info.dwSizeHigh) << 32) | info.dwSizeLow;
    entry.lastModifiedTime = win32::Ticks(info.LastModifiedTime);
    entry.expireTime = win32::Ticks(info.ExpireTime);
    entry.lastAccessTime = win32::Ticks(info.LastAccessTime);
    entry.lastSyncTime = win32::Ticks(info.LastSyncTime);
    return entry;
}

constexpr std::array<const wchar_t*, 3> kPatterns = {nullptr, L"cookie:", L"visited:"};

class WinInetUrlCache final : public UrlCacheSource {
public:
    ~WinInetUrlCache() override { close(); }

    bool begin() override {
        close();
        m_seen.clear();
        m_pass = 0;
        m_pending = firstOfPassesFrom(0);
        return m_pending.has_value();
    }

    std::optional<RawUrlCacheEntry> next() override {
        std::optional<RawUrlCacheEntry> entry = std::exchange(m_pending, std::nullopt);
        if (entry)
            m_pending = following();
        return entry;
    }

    void end() override {
        close();
        m_pending.reset();
        m_seen.clear();
    }

private:
    void close() {
        if (m_handle) {
            ::FindCloseUrlCache(m_handle);
            m_handle = nullptr;
        }
    }

    // A cookie or history entry that an earlier pass gave already (Wine's pass without a
    // pattern gives them all) is not given twice.
    bool isRepeat(const RawUrlCacheEntry& entry) {
        const bool isTraceType = (entry.type & (COOKIE_CACHE_ENTRY | URLHISTORY_CACHE_ENTRY)) != 0;
        if (!isTraceType)
            return false;
        return !m_seen.insert({entry.type, entry.sourceUrlName.value_or("")}).second;
    }

    // The first entry of the first pass, from pass, that gives one.
    std::optional<RawUrlCacheEntry> firstOfPassesFrom(size_t pass) {
        for (m_pass = pass; m_pass < kPatterns.size(); ++m_pass) {
            m_handle = findFirst(kPatterns[m_pass], m_buffer);
            if (!m_handle)
                continue;
            RawUrlCacheEntry entry = toRawEntry(m_buffer);
            if (!isRepeat(entry))
                return entry;
            if (auto following = nextOfPass())
                return following;
            close();
        }
        return std::nullopt;
    }

    // The next entry of the open pass that is no repeat; std::nullopt at the pass's end.
    std::optional<RawUrlCacheEntry> nextOfPass() {
        while (findNext(m_handle, m_buffer)) {
            RawUrlCacheEntry entry = toRawEntry(m_buffer);
            if (!isRepeat(entry))
                return entry;
        }
        return std::nullopt;
    }

    std::optional<RawUrlCacheEntry> following() {
        if (!m_handle)
            return std::nullopt;
        if (auto entry = nextOfPass())
            return entry;
        close();
        return firstOfPassesFrom(m_pass + 1);
    }

    HANDLE m_handle = nullptr; // the open enumeration of pass m_pass
    size_t m_pass = 0;         // index into kPatterns
    EntryBuffer m_buffer;
    std::optional<RawUrlCacheEntry> m_pending;         // the entry next() gives
    std::set<std::pair<uint32_t, std::string>> m_seen; // cookie and history entries given
};

} // namespace

std::unique_ptr<UrlCacheSource> SystemUrlCacheStore() {
    return std::make_unique<WinInetUrlCache>();
}

} // namespace vorlith::platform
