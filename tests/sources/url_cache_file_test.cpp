// The JSON Lines URL-cache file: keys, type and time conversions, missing keys, bad lines.

#include "sources/url_cache.h"
#include "sources/url_cache_file.h"
#include "support/test_support.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace vorlith::test {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;

// 2026-12-01T09:30:00Z: 20788 days after 1970-01-01, which is 11644473600 s after 1601-01-01.
constexpr FileTime kUnixEpoch = 11644473600ULL * 10'000'000ULL;
constexpr FileTime kDecemberFirst = kUnixEpoch + (20788ULL * 86400 + 34200) * 10'000'000ULL;

TEST(UtcTimestamp, ParsesTheUtcFormAndRejectsEverythingElse) {
    const std::pair<const char*, std::optional<FileTime>> cases[] = {
        {"2026-12-01T09:30:00Z", kDecemberFirst}, {"2026-12-01T09:30:00.999Z", kDecemberFirst},
        {"1970-01-01T00:00:00Z", kUnixEpoch},     {"1601-01-01T00:00:00Z", 0},
        {"1600-12-31T23:59:59Z", std::nullopt},   {"2026-12-01T09:30:00", std::nullopt},
        {"2026-12-01 09:30:00Z", std::nullopt},   {"2026-12-01T09:30:00+01:00", std::nullopt},
        {"2026-02-30T09:30:00Z", std::nullopt},   {"2026-12-01T24:00:00Z", std::nullopt},
        {"2026-12-01T09:30:00.Z", std::nullopt},  {"", std::nullopt}};
    for (const auto& [text, expected] : cases)
        EXPECT_EQ(ParseUtcTimestamp(text), expected) << text;
}

TEST(UrlCacheLine, ReadsEveryKeyAndTakesMissingOrNullKeysAsEmpty) {
    const auto line = ParseUrlCacheLine(
        R"({"type": 2097153, "url": "Visited: anna@http://a.example/", "local_file": "/c/a.htm",)"
        R"( "use_count": 3, "hit_rate": -4, "size": 5368709120, "last_modified": )"
        R"("2026-12-01T09:30:00Z", "expire": "1970-01-01T00:00:00Z", "last_access": )"
        R"("2026-12-01T09:30:00Z", "last_sync": "2026-12-01T09:30:00Z", "header_info": )"
        R"("HTTP/1.1 200 OK", "file_extension": "htm", "other": [1, 2]})");
    ASSERT_TRUE(line.entry) << line.error;
    const platform::RawUrlCacheEntry& entry = *line.entry;
    EXPECT_EQ(entry.type, 0x00200001u);
    EXPECT_EQ(entry.sourceUrlName, "Visited: anna@http://a.example/");
    EXPECT_EQ(entry.localFileName, "/c/a.htm");
    EXPECT_EQ(entry.useCount, 3);
    EXPECT_EQ(entry.hitRate, -4);
    EXPECT_EQ(entry.size, 5368709120ULL); // 5 GiB, counted as it is
    EXPECT_EQ(entry.lastModifiedTime, kDecemberFirst);
    EXPECT_EQ(entry.expireTime, kUnixEpoch);
    EXPECT_EQ(entry.lastAccessTime, kDecemberFirst);
    EXPECT_EQ(entry.lastSyncTime, kDecemberFirst);
    EXPECT_EQ(entry.headerInfo, "HTTP/1.1 200 OK");
    EXPECT_EQ(entry.fileExtension, "htm");

    for (const char* json : {"{}", R"({"url": null, "size": null, "last_access": null})"}) {
        const auto empty = ParseUrlCacheLine(json);
        ASSERT_TRUE(empty.entry) << empty.error;
        EXPECT_EQ(empty.entry->sourceUrlName, std::nullopt);
        const UrlCacheEntry record = ToUrlCacheEntry(*empty.entry, FakeClock());
        EXPECT_EQ(record.SourceUrlName, "");
        EXPECT_EQ(record.Size, 0);
        EXPECT_EQ(record.LastAccessTime, (DateTime{1601, 1, 1, 0, 0, 0}));
    }
    // A text of the record ends at its NUL, as cache texts do.
    const auto withNul = ParseUrlCacheLine(R"({"url": "http://x/\"<b>\u0000rest"})");
    EXPECT_EQ(ToUrlCacheEntry(withNul.entry.value(), FakeClock()).SourceUrlName, "http://x/\"<b>");
}

TEST(UrlCacheLine, TypeIsANumberOrAHexadecimalTextAndOtherKindsAreRefused) {
    const std::optional<uint32_t> refused;
    const std::string deep = "{" + std::string(10000, '[');
    const std::tuple<std::string, std::optional<uint32_t>, const char*> cases[] = {
        // line, its type (none: refused), what the error names
        {R"({"type": 1})", 1u, ""},
        {R"({"type": "0X20000a"})", 0x0020000Au, ""},
        {R"({"type": 4294967295})", 0xFFFFFFFFu, ""},
        {R"({"type": 4294967296})", refused, "\"type\""},
        {R"({"type": "0x100000000"})", refused, "\"type\""},
        {R"({"type": "0x"})", refused, "\"type\""},
        {R"({"type": "1"})", refused, "\"type\""},
        {R"({"type": 1.5})", refused, "\"type\""},
        {R"({"url": "http://a.example/")", refused, "not valid JSON"},
        {R"({"url": "\ud800"})", refused, "not valid JSON"}, // half a surrogate pair
        {deep, refused, "not valid JSON"},
        {R"(["url"])", refused, "not a JSON object"},
        {R"({"url": 5})", refused, "\"url\""},
        {R"({"hit_rate": 2147483648})", refused, "\"hit_rate\""},
        {R"({"size": -1})", refused, "\"size\""},
        {R"({"last_access": "yesterday"})", refused, "\"last_access\""}};
    for (const auto& [json, type, reason] : cases) {
        SCOPED_TRACE(json.substr(0, 40));
        const auto line = ParseUrlCacheLine(json);
        EXPECT_EQ(line.entry ? std::optional(line.entry->type) : refused, type);
        EXPECT_THAT(line.error, HasSubstr(reason));
    }
}

TEST(UrlCacheFileSource, ReadsEntriesInOrderAndReportsBadLinesWithTheirNumbers) {
    TempFolder folder;
    const std::string path = folder.write(
        "cache.jsonl", "\xEF\xBB\xBF{\"type\": 1, \"url\": \"http://one/\"}\n\n"
                       "{\"type\": 1, \"url\": \"http://two/\"\r\n"
                       "{\"type\": \"0x00100001\", \"url\": \"Cookie:a@three/\"}\r\n[]\n"
                       "{\"type\": 1, \"url\": \"http://four/\"}");
    std::vector<std::string> errors;
    const auto read = [&](const std::string& file) {
        UrlCacheFileSource source(file, [&](const std::string& error) { errors.push_back(error); });
        UrlCacheLists lists;
        EnumerateUrlCache(source, FakeClock(), lists);
        return lists;
    };
    const UrlCacheLists lists = read(path);
    ASSERT_EQ(lists.CacheContentList.size(), 2u);
    EXPECT_EQ(lists.CacheContentList[1].SourceUrlName, "http://four/");
    EXPECT_EQ(lists.CacheCookieList.size(), 1u);
    EXPECT_EQ(read(folder / "missing.jsonl").total(), 0);
    EXPECT_THAT(errors, ElementsAre(HasSubstr(path + ": line 3: not valid JSON"),
                                    HasSubstr(path + ": line 5: not a JSON object"),
                                    HasSubstr("missing.jsonl")));
}

} // namespace
} // namespace vorlith::test
