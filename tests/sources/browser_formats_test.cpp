// Cache entry files and cache keys, on bytes written by the tests from the
// documented layouts.

#include "sources/browser_addresses.h"
#include "sources/browser_bytes.h"
#include "sources/chromium_simple_cache.h"
#include "sources/firefox_cache2.h"
#include "sources/memory_file.h"

#include <gtest/gtest.h>

namespace vorlith::test {
namespace {

template <auto Read> auto ReadBytes(std::string bytes) {
    MemoryInputFile file(std::move(bytes));
    return Read(file);
}
constexpr auto ReadFirefox = ReadBytes<ReadFirefoxCacheEntry>;
constexpr auto ReadSimple = ReadBytes<ReadSimpleCacheEntry>;
// A copy of bytes with the given bytes written over them at offset.
std::string Patched(std::string bytes, size_t offset, const std::string& over) {
    return bytes.replace(offset, over.size(), over);
}

TEST(FirefoxCache2, ReadsHeaderKeyAndResponseHeadAfterEveryChunkHashAndRefusesDamagedEntries) {
    // Body size (0, 1, 3 chunk hashes), version (1 has no flags word), a version word before the
    // offset.
    const std::tuple<size_t, uint32_t, bool> cases[] = {
        {0, 3, false}, {870, 4, true}, {262144, 3, false}, {600000, 3, false}, {1000, 1, false}};
    for (const auto& [bodySize, version, versionWord] : cases) {
        SCOPED_TRACE(testing::Message() << bodySize << " bytes, version " << version);
        FirefoxEntrySample sample;
        sample.body = std::string(bodySize, 'J');
        sample.version = version;
        sample.versionWordBeforeOffset = versionWord;
        const auto entry = ReadFirefox(FirefoxEntryBytes(sample));
        ASSERT_TRUE(entry);
        EXPECT_EQ(entry->bodySize, bodySize);
        EXPECT_EQ(entry->key, sample.key);
        EXPECT_EQ(entry->expiration, 1796670975u); // the last of the header words before the key
        EXPECT_EQ(entry->responseHead, "HTTP/1.1 200 OK\r\nContent-Type: image/jpeg\r\n");
    }

    FirefoxEntrySample sample;
    sample.body = std::string(1000, 'J');
    const std::string good = FirefoxEntryBytes(sample);
    // After the body: hash (4), one chunk hash (2), six header words, the key size word.
    const size_t keyEnd = 1000 + 6 + 32 + sample.key.size();
    sample.key = "";
    const std::pair<const char*, std::string> damaged[] = {
        {"header cut short", good.substr(0, 1000 + 12) + good.substr(good.size() - 4)},
        {"offset past the end", Patched(good, good.size() - 4, std::string("\0\x10\0\0", 4))},
        {"key size past the end", Patched(good, 1000 + 6 + 24, std::string("\0\x01\0\0", 4))},
        {"key without NUL", Patched(good, keyEnd, "x")},
        {"version 0", Patched(good, 1000 + 6, std::string(4, '\0'))},
        {"empty key", FirefoxEntryBytes(sample)}};
    for (const auto& [what, bytes] : damaged)
        EXPECT_FALSE(ReadFirefox(bytes)) << what;
    // A prefix may happen to parse, but never with a body beyond its bytes.
    for (size_t length = 0; length < good.size(); ++length) {
        const auto entry = ReadFirefox(good.substr(0, length));
        EXPECT_LE(entry ? entry->bodySize : 0, length) << "prefix " << length;
    }
}

TEST(ChromiumSimpleCache, FindsBodyAndHeadersWithAndWithoutKeyHashAndRefusesDamagedEntries) {
    const std::string head = "HTTP/1.1 200 OK\r\nContent-Type: image/jpeg\r\nContent-Length: 4\r\n";
    const std::string headers("HTTP/1.1 200 OK\0Content-Type: image/jpeg\0Content-Length: 4\0\0",
                              60);
    const FileTime time = 134410581953067060u;
    const std::tuple<bool, std::string, std::string, FileTime> cases[] = {
        // key hash, the pickled headers, the head read from them, the response time read
        {true, SimpleCacheSample().stream0, head, time},
        {true, ResponseInfoPickle(1, 13441058195306706, headers, false), head, time},
        {false, ResponseInfoPickle(1, 2, "garbage"), "", 20},
        {true, std::string("\xFF\xFF\xFF\xFF", 4), "", 0},
        {false, "", "", 0}};
    for (const auto& [withKeyHash, stream0, expectedHead, responseTime] : cases) {
        SCOPED_TRACE(testing::Message() << "key hash " << withKeyHash << ", " << expectedHead);
        SimpleCacheSample sample;
        sample.stream0 = stream0;
        sample.withKeyHash = withKeyHash;
        const auto entry = ReadSimple(SimpleCacheBytes(sample));
        ASSERT_TRUE(entry);
        EXPECT_EQ(entry->bodyOffset, 24 + sample.key.size());
        EXPECT_EQ(entry->bodySize, sample.body.size());
        EXPECT_EQ(entry->responseTime, responseTime);
        EXPECT_EQ(entry->responseHead, expectedHead);
    }

    const SimpleCacheSample sample;
    const std::string good = SimpleCacheBytes(sample);
    const size_t bodyRecord = 24 + sample.key.size() + sample.body.size();
    const std::pair<const char*, std::string> damaged[] = {
        {"wrong magic", Patched(good, 0, "X")},
        {"key longer than the file", Patched(good, 12, std::string("\xFF\xFF\0\0", 4))},
        {"headers larger than the file",
         Patched(good, good.size() - 8, std::string("\0\0\1\0", 4))},
        {"end record of the body damaged", Patched(good, bodyRecord, "X")},
        {"unknown version", Patched(good, 8, "\x63")}};
    for (const auto& [what, bytes] : damaged)
        EXPECT_FALSE(ReadSimple(bytes)) << what;
    for (size_t length = 0; length < good.size(); ++length)
        EXPECT_FALSE(ReadSimple(good.substr(0, length))) << "prefix " << length;
    for (const std::string name : {"1cdc85c74159b864_0", "1cdc85c74159b864_1", "1cdc85c74159b864_s",
                                   "the-real-index", "todelete_1cdc85c74159b864_0",
                                   "1cdc85c74159b86x_0"}) // only the first is an entry's first file
        EXPECT_EQ(IsSimpleCacheEntryName(name), name == "1cdc85c74159b864_0") << name;
}

TEST(BrowserAddresses, FirefoxAndChromiumKeys) {
    using Read = std::optional<std::string> (*)(std::string_view);
    const Read firefox = AddressFromFirefoxKey, chromium = AddressFromChromiumKey;
    const std::tuple<Read, const char*, std::optional<std::string>> cases[] = {
        {firefox, "O^partitionKey=%28http%2Cx%29,a,:http://x/movie.mpg", "http://x/movie.mpg"},
        {firefox, "a,~1234,:https://b.example/x?y=1", "https://b.example/x?y=1"},
        {firefox, "O^k=a,,b,:http://c.example/", "http://c.example/"}, // escaped comma in a tag
        {firefox, "a,:", std::nullopt},
        {firefox, "predictor-origin", std::nullopt},
        {chromium, "0/12/_dk_s_https://a.example https://a.example https://cdn.example/x.js",
         "https://cdn.example/x.js"},
        {chromium, "http://old.example/no-prefix.gif", "http://old.example/no-prefix.gif"},
        {chromium, "1/0/_dk_", std::nullopt},
        {chromium, "", std::nullopt}};
    for (const auto& [read, key, address] : cases)
        EXPECT_EQ(read(key), address) << key;
}

} // namespace
} // namespace vorlith::test
