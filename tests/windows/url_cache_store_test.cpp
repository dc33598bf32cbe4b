// The WinINet cache read through the platform's store: real entries made with
// CreateUrlCacheEntryW / CommitUrlCacheEntryW, enumerated back.

#include "platform/system_url_cache_store.h"
#include "platform/windows/win32.h"
#include "windows_test_support.h"

#include <wininet.h>

#include <gtest/gtest.h>

#include <random>
#include <vector>

namespace vorlith {
namespace {

using platform::RawUrlCacheEntry;
using platform::win32::Widen;

// FILETIME ticks of a UTC calendar time.
FileTime ticksOf(int year, int month, int day, int hour, int minute, int second) {
    const int64_t seconds = DaysFromCivil(year, month, day) * 86400 + hour * 3600 + minute * 60 +
                            second + kSecondsFrom1601To1970;
    return static_cast<FileTime>(seconds) * 10'000'000;
}

FILETIME fileTime(FileTime ticks) {
    return FILETIME{static_cast<DWORD>(ticks), static_cast<DWORD>(ticks >> 32)};
}

FileTime nowTicks() {
    FILETIME now{};
    ::GetSystemTimeAsFileTime(&now);
    return platform::win32::Ticks(now);
}

// Cache entries a test makes, under addresses no one else uses; removed again at the end.
class TestEntries {
public:
    TestEntries() : m_marker("vorlith-test-" + std::to_string(std::random_device{}())) {}
    ~TestEntries() {
        for (const std::string& url : m_urls)
            ::DeleteUrlCacheEntryW(Widen(url).c_str());
    }
    const std::string& marker() const { return m_marker; }

    // Commits an entry whose local file holds body; true when the cache took it.
    bool add(const std::string& url, DWORD type, const std::string& body, const char* extension,
             FileTime lastModified, FileTime expire, const std::string& header = "") {
        const std::wstring wideUrl = Widen(url);
        const std::wstring wideExtension = Widen(extension);
        wchar_t file[MAX_PATH] = {};
        if (!::CreateUrlCacheEntryW(wideUrl.c_str(), 0, wideExtension.c_str(), file, 0))
            return false;
        HANDLE handle = ::CreateFileW(file, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                      FILE_ATTRIBUTE_NORMAL, nullptr);
        DWORD written = 0;
        ::WriteFile(handle, body.data(), static_cast<DWORD>(body.size()), &written, nullptr);
        ::CloseHandle(handle);
        std::wstring wideHeader = Widen(header);
        const BOOL committed = ::CommitUrlCacheEntryW(
            wideUrl.c_str(), file, fileTime(expire), fileTime(lastModified), type,
            header.empty() ? nullptr : wideHeader.data(), static_cast<DWORD>(wideHeader.size()),
            wideExtension.c_str(), nullptr);
        if (committed)
            m_urls.push_back(url);
        return committed != 0;
    }

    // The store's entries that belong to this test, in the store's order.
    std::vector<RawUrlCacheEntry> enumerate() const {
        std::vector<RawUrlCacheEntry> mine;
        auto store = platform::SystemUrlCacheStore();
        if (!store->begin())
            return mine;
        while (auto entry = store->next())
            if (entry->sourceUrlName && entry->sourceUrlName->find(m_marker) != std::string::npos)
                mine.push_back(std::move(*entry));
        store->end();
        return mine;
    }

private:
    std::string m_marker;
    std::vector<std::string> m_urls;
};

const RawUrlCacheEntry* findEntry(const std::vector<RawUrlCacheEntry>& entries,
                                  const std::string& url) {
    for (const RawUrlCacheEntry& entry : entries)
        if (entry.sourceUrlName == url)
            return &entry;
    return nullptr;
}

// Runs first in a fresh cache (CTest orders it before the others).
TEST(WinInetEmptyCache, GivesNoEntryAndNeedsNoEnd) {
    auto store = platform::SystemUrlCacheStore();
    if (store->begin()) {
        store->end();
        GTEST_SKIP() << "this cache holds entries already; the empty case needs a fresh one";
    }
    EXPECT_FALSE(store->next().has_value());
}

TEST(WinInetCache, EntriesOfEveryKindComeBackWithTheirTypesSizesAndTimes) {
    TestEntries made;
    const std::string host = made.marker() + ".example";
    const FileTime modified = ticksOf(2026, 11, 2, 10, 20, 30);
    const FileTime expires = ticksOf(2027, 1, 15, 8, 0, 0);
    struct Case {
        std::string url;
        DWORD type;
        std::string body;
        const char* extension;
    };
    const std::vector<Case> cases = {
        {"http://" + host + "/pictures/a.jpg", NORMAL_CACHE_ENTRY, std::string(48213, 'j'), "jpg"},
        {"Cookie:anna@" + host + "/", COOKIE_CACHE_ENTRY | NORMAL_CACHE_ENTRY, "id=1\n", "txt"},
        {"Visited: anna@http://" + host + "/news", URLHISTORY_CACHE_ENTRY | NORMAL_CACHE_ENTRY, "",
         ""},
        {"http://" + host + "/kept.gif", STICKY_CACHE_ENTRY | NORMAL_CACHE_ENTRY, "GIF89a", "gif"},
    };
    const FileTime before = nowTicks() - 10'000'000;
    for (const Case& c : cases)
        ASSERT_TRUE(made.add(c.url, c.type, c.body, c.extension, modified, expires)) << c.url;
    const FileTime after = nowTicks() + 10'000'000;

    const auto entries = made.enumerate();
    ASSERT_EQ(entries.size(), cases.size());
    for (const Case& c : cases) {
        SCOPED_TRACE(c.url);
        const RawUrlCacheEntry* entry = findEntry(entries, c.url);
        ASSERT_NE(entry, nullptr);
        EXPECT_EQ(entry->type, c.type);
        EXPECT_EQ(entry->size, c.body.size());
        EXPECT_EQ(entry->lastModifiedTime, modified);
        EXPECT_EQ(entry->expireTime, expires);
        EXPECT_GE(entry->lastAccessTime, before);
        EXPECT_LE(entry->lastAccessTime, after);
        EXPECT_GE(entry->hitRate, 1);
        EXPECT_EQ(entry->fileExtension.value_or(""), c.extension);
        ASSERT_TRUE(entry->localFileName.has_value());
        // The local file is the one the cache keeps the body in.
        EXPECT_EQ(test::ReadWindowsFile(*entry->localFileName), c.body);
    }
}

TEST(WinInetCache, AnEntryLargerThanTheOneBeforeGetsABufferThatFits) {
    TestEntries made;
    const FileTime modified = ticksOf(2026, 5, 1, 0, 0, 0);
    const std::string small = "http://" + made.marker() + ".example/s.png";
    // A long address and a long header make the record many times the size of the first one.
    const std::string large =
        "http://" + made.marker() + ".example/" + std::string(3000, 'p') + "/l.png";
    const std::string header =
        "HTTP/1.1 200 OK\r\nX-Filler: " + std::string(5000, 'h') + "\r\n\r\n";
    ASSERT_TRUE(made.add(small, NORMAL_CACHE_ENTRY, "png", "png", modified, 0));
    ASSERT_TRUE(made.add(large, NORMAL_CACHE_ENTRY, "png", "png", modified, 0, header));
    const auto entries = made.enumerate();
    ASSERT_EQ(entries.size(), 2u);
    const RawUrlCacheEntry* entry = findEntry(entries, large);
    ASSERT_NE(entry, nullptr);
    EXPECT_EQ(entry->headerInfo, header);
    EXPECT_NE(findEntry(entries, small), nullptr);
}

TEST(WinInetCache, AddressesOutsideTheCodePageArriveAsUtf8) {
    TestEntries made;
    // U+4E2D and U+0436: no single 8-bit code page holds both.
    const std::string url = "http://" + made.marker() + ".example/\xE4\xB8\xAD\xD0\xB6.jpg";
    ASSERT_TRUE(made.add(url, NORMAL_CACHE_ENTRY, "x", "jpg", ticksOf(2026, 1, 1, 0, 0, 0), 0));
    const auto entries = made.enumerate();
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_EQ(entries[0].sourceUrlName, url);
}

} // namespace
} // namespace vorlith
