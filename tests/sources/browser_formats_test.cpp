// Cache entry files, cache keys, time bases and profiles.ini, on bytes written by the tests from
// the documented layouts.

#include "sources/browser_addresses.h"
#include "sources/browser_bytes.h"
#include "sources/browser_profiles.h"
#include "sources/browser_time.h"
#include "sources/chromium_simple_cache.h"
#include "sources/firefox_cache2.h"
#include "sources/memory_file.h"

#include <gtest/gtest.h>

namespace vorlith {
namespace {

using test::FirefoxEntryBytes;
using test::FirefoxEntrySample;
using test::ResponseInfoPickle;
using test::SimpleCacheBytes;
using test::SimpleCacheSample;

std::optional<FirefoxCacheEntry> readFirefox(std::string bytes) {
    MemoryInputFile file(std::move(bytes));
    return ReadFirefoxCacheEntry(file);
}
std::optional<SimpleCacheEntry> readSimple(std::string bytes) {
    MemoryInputFile file(std::move(bytes));
    return ReadSimpleCacheEntry(file);
}

// A copy of bytes with the given bytes written over them at offset.
std::string patched(std::string bytes, size_t offset, const std::string& over) {
    return bytes.replace(offset, over.size(), over);
}

FirefoxEntrySample pictureEntry(size_t bodySize) {
    FirefoxEntrySample spec;
    spec.body = std::string(bodySize, 'J');
    spec.key = "O^partitionKey=%28http%2C127.0.0.1%29,:http://127.0.0.1/big.jpg";
    spec.fetchCount = 5;
    spec.lastFetched = 1796584575;
    spec.lastModified = 1796584571;
    spec.expiration = 1796670975;
    spec.elements = {{"request-method", "GET"},
                     {"response-head", "HTTP/1.1 200 OK\r\nContent-Type: image/jpeg\r\n"},
                     {"ctid", "3"}};
    return spec;
}

TEST(FirefoxCache2, ReadsHeaderKeyAndResponseHeadAfterEveryChunkHash) {
    struct Case {
        const char* name;
        size_t bodySize;
        uint32_t version;
        bool versionWord;
    };
    const Case cases[] = {
        {"empty body, no chunk hash", 0, 3, false},      {"one chunk", 870, 4, true},
        {"exactly one chunk", 262144, 3, false},         {"three chunks", 600000, 3, false},
        {"version 1 has no flags word", 1000, 1, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        FirefoxEntrySample spec = pictureEntry(c.bodySize);
        spec.version = c.version;
        spec.versionWordBeforeOffset = c.versionWord;
        auto entry = readFirefox(FirefoxEntryBytes(spec));
        ASSERT_TRUE(entry);
        EXPECT_EQ(entry->bodySize, c.bodySize);
        EXPECT_EQ(entry->key, spec.key);
        EXPECT_EQ(entry->fetchCount, 5u);
        EXPECT_EQ(entry->lastFetched, 1796584575u);
        EXPECT_EQ(entry->lastModified, 1796584571u);
        EXPECT_EQ(entry->expiration, 1796670975u);
        EXPECT_EQ(entry->responseHead, "HTTP/1.1 200 OK\r\nContent-Type: image/jpeg\r\n");
    }
}

TEST(FirefoxCache2, RefusesDamagedEntries) {
    const std::string good = FirefoxEntryBytes(pictureEntry(1000));
    // The key size word sits 4 (hash) + 2 (one chunk hash) + 6 * 4 bytes after the body.
    const size_t keyEnd = 1000 + 6 + 32 + pictureEntry(1000).key.size();
    FirefoxEntrySample emptyKey = pictureEntry(10);
    emptyKey.key = "";

    const std::pair<const char*, std::string> cases[] = {
        {"shorter than the offset word", "abc"},
        {"cut by one byte", good.substr(0, good.size() - 1)},
        {"header cut short", good.substr(0, 1000 + 12) + good.substr(good.size() - 4)},
        {"offset past the end", patched(good, good.size() - 4, std::string("\x00\x10\x00\x00", 4))},
        {"key size past the end", patched(good, 1000 + 6 + 24, std::string("\x00\x01\x00\x00", 4))},
        {"key without NUL", patched(good, keyEnd, "x")},
        {"version 0", patched(good, 1000 + 6, std::string(4, '\0'))},
        {"empty key", FirefoxEntryBytes(emptyKey)},
    };
    for (const auto& [name, bytes] : cases) {
        SCOPED_TRACE(name);
        EXPECT_FALSE(readFirefox(bytes));
    }
    // A prefix may happen to parse, but never with a body beyond its bytes.
    for (size_t length = 0; length < good.size(); ++length)
        if (auto entry = readFirefox(good.substr(0, length))) {
            EXPECT_LE(entry->bodySize, length) << "prefix " << length;
        }
}

const char kRawHeaders[] = "HTTP/1.1 200 OK\0Content-Type: image/jpeg\0Content-Length: 4\0\0";
const std::string kHeaders(kRawHeaders, sizeof kRawHeaders - 1);

TEST(ChromiumSimpleCache, FindsBodyAndHeadersWithAndWithoutKeyHash) {
    for (bool withKeyHash : {true, false}) {
        for (bool extraTime : {true, false}) {
            SCOPED_TRACE(testing::Message()
                         << "key hash " << withKeyHash << ", extra time " << extraTime);
            SimpleCacheSample spec;
            spec.key = "1/0/_dk_http://a.example http://a.example http://a.example/p.jpg";
            spec.body = "\xFF\xD8\xFF\xE0 picture body";
            spec.stream0 =
                ResponseInfoPickle(13441058195299458, 13441058195306706, kHeaders, extraTime);
            spec.withKeyHash = withKeyHash;
            auto entry = readSimple(SimpleCacheBytes(spec));
            ASSERT_TRUE(entry);
            EXPECT_EQ(entry->key, spec.key);
            EXPECT_EQ(entry->bodyOffset, 24 + spec.key.size());
            EXPECT_EQ(entry->bodySize, spec.body.size());
            EXPECT_EQ(entry->requestTime, 134410581952994580u);
            EXPECT_EQ(entry->responseTime, 134410581953067060u);
            EXPECT_EQ(entry->responseHead,
                      "HTTP/1.1 200 OK\r\nContent-Type: image/jpeg\r\nContent-Length: 4\r\n");
        }
    }
}

TEST(ChromiumSimpleCache, RefusesDamagedEntries) {
    SimpleCacheSample spec;
    spec.key = "http://a.example/p.jpg";
    spec.body = std::string(100, 'b');
    spec.stream0 = ResponseInfoPickle(1, 2, kHeaders);
    const std::string good = SimpleCacheBytes(spec);
    const size_t bodyRecord = 24 + spec.key.size() + spec.body.size();

    SimpleCacheSample unknownVersion = spec;
    unknownVersion.version = 99;

    const std::pair<const char*, std::string> cases[] = {
        {"empty file", ""},
        {"cut by one byte", good.substr(0, good.size() - 1)},
        {"no end records", good.substr(0, bodyRecord)},
        {"wrong magic", patched(good, 0, "X")},
        {"key longer than the file", patched(good, 12, std::string("\xFF\xFF\x00\x00", 4))},
        {"headers larger than the file",
         patched(good, good.size() - 8, std::string("\x00\x00\x01\x00", 4))},
        {"end record of the body damaged", patched(good, bodyRecord, "X")},
        {"unknown version", SimpleCacheBytes(unknownVersion)},
    };
    for (const auto& [name, bytes] : cases) {
        SCOPED_TRACE(name);
        EXPECT_FALSE(readSimple(bytes));
    }
    for (size_t length = 0; length < good.size(); ++length)
        EXPECT_FALSE(readSimple(good.substr(0, length))) << "prefix " << length;
}

TEST(ChromiumSimpleCache, DamagedHeaderStreamLeavesHeadEmpty) {
    for (const std::string& stream0 :
         {std::string(), std::string("\xFF\xFF\xFF\xFF", 4), ResponseInfoPickle(1, 2, "garbage")}) {
        SimpleCacheSample spec;
        spec.key = "http://a.example/x";
        spec.body = "body";
        spec.stream0 = stream0;
        auto entry = readSimple(SimpleCacheBytes(spec));
        ASSERT_TRUE(entry);
        EXPECT_EQ(entry->bodySize, 4u);
        EXPECT_EQ(entry->responseHead, "");
    }
}

TEST(ChromiumSimpleCache, EntryFileNames) {
    EXPECT_TRUE(IsSimpleCacheEntryName("1cdc85c74159b864_0"));
    for (const char* name : {"1cdc85c74159b864_1", "1cdc85c74159b864_s", "index", "the-real-index",
                             "todelete_1cdc85c74159b864_0", "1cdc85c74159b86x_0"})
        EXPECT_FALSE(IsSimpleCacheEntryName(name)) << name;
}

TEST(BrowserAddresses, FirefoxAndChromiumKeys) {
    using Read = std::optional<std::string> (*)(std::string_view);
    const Read firefox = AddressFromFirefoxKey, chromium = AddressFromChromiumKey;
    const std::tuple<Read, const char*, std::optional<std::string>> cases[] = {
        {firefox, "O^partitionKey=%28http%2C127.0.0.1%29,:http://127.0.0.1:8731/plain/photo.jpg",
         "http://127.0.0.1:8731/plain/photo.jpg"},
        {firefox, "O^partitionKey=%28http%2C127.0.0.1%29,a,:http://127.0.0.1:8731/video/movie.mpg",
         "http://127.0.0.1:8731/video/movie.mpg"},
        {firefox, ":http://a.example/", "http://a.example/"},
        {firefox, "a,~1234,:https://b.example/x?y=1", "https://b.example/x?y=1"},
        {firefox, "O^k=a,,b,:http://c.example/", "http://c.example/"}, // escaped comma in a tag
        {firefox, "a,:", std::nullopt},
        {firefox, "predictor-origin", std::nullopt},
        {firefox, "", std::nullopt},
        {chromium,
         "1/0/_dk_http://127.0.0.1 http://127.0.0.1 http://127.0.0.1:8731/plain/photo.jpg",
         "http://127.0.0.1:8731/plain/photo.jpg"},
        {chromium, "0/12/_dk_s_https://a.example https://a.example https://cdn.example/x.js",
         "https://cdn.example/x.js"},
        {chromium, "http://old.example/no-prefix.gif", "http://old.example/no-prefix.gif"},
        {chromium, "1/0/http://a.example/", "http://a.example/"},
        {chromium, "1/0/_dk_", std::nullopt},
        {chromium, "", std::nullopt},
    };
    for (const auto& [read, key, address] : cases)
        EXPECT_EQ(read(key), address) << key;
}

TEST(BrowserAddresses, ExtensionOfThePath) {
    const std::pair<const char*, const char*> cases[] = {
        {"http://h.example/a/b.jpg", "jpg"}, {"http://h.example/a/b.JPEG?w=1#top", "JPEG"},
        {"http://h.example/a.dir/c", ""},    {"http://h.example.com", ""},
        {"http://h.example/", ""},           {"http://h.example/clip.tar.gz", "gz"},
    };
    for (const auto& [address, extension] : cases)
        EXPECT_EQ(ExtensionFromAddress(address), extension) << address;
}

TEST(BrowserAddresses, MediaThePagesShow) {
    for (const char* shown :
         {"http://a/x.jpg", "http://a/X.JPEG", "http://a/c.flv", "http://a/m.mpg",
          "http://a/m.mpeg", "http://a/w.wmv", "http://a/q.mov", "http://a/t.PNG"})
        EXPECT_TRUE(IsShownMediaAddress(shown)) << shown;
    for (const char* hidden : {"http://a/x.jpg?w=1", "http://a/x.gif", "http://a/x.html", ""})
        EXPECT_FALSE(IsShownMediaAddress(hidden)) << hidden;
}

TEST(BrowserTime, MissingOrOutOfRangeTimesGiveTheZeroTime) {
    // The in-range conversions are checked on the profiles' own rows.
    for (int64_t missing : {int64_t{0}, int64_t{-5}}) {
        EXPECT_EQ(FileTimeFromPrTime(missing), 0u);
        EXPECT_EQ(FileTimeFromWebKitTime(missing), 0u);
        EXPECT_EQ(FileTimeFromUnixSeconds(missing), 0u);
    }
    EXPECT_EQ(FileTimeFromUnixSeconds(INT64_MAX), 0u); // beyond what a file time holds
}

TEST(ProfilesIni, ProfileSectionsInFileOrder) {
    const std::string text = "\xEF\xBB\xBF[Install4F96D1932A9F858E]\r\nDefault=x.default\r\n"
                             "[Profile1]\r\nName=work\r\nIsRelative=1\r\nPath=b.work\r\n\r\n"
                             "[Profile0]\r\nName=default\r\nIsRelative=0\r\nPath=/data/ff\r\n"
                             "[Profile2]\r\nName=no path\r\n"
                             "[General]\r\nPath=not-a-profile\r\n";
    auto entries = ParseProfilesIni(text);
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_EQ(entries[0].path, "b.work");
    EXPECT_TRUE(entries[0].isRelative);
    EXPECT_EQ(entries[1].path, "/data/ff");
    EXPECT_FALSE(entries[1].isRelative);
}

} // namespace
} // namespace vorlith
