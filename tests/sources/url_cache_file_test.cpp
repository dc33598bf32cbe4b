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

TEST(UrlCacheLine, TypeIsANumberOrAHexadecimalTextAndKeysOfOtherKindsAreRefused) {
    const std::optional<uint32_t> refused;
    const std::string deep = "{" + std::string(10000, '[');
    const std::tuple<std::string, std::optional<uint32_t>, const char*> cases[] = {
        // line, its type (none: refused), what the error names
        {R"({"type": 1})", 1u, ""},
        {R"({"type": "0X20000a"})", 0x0020000Au, ""},
        {R"({"type": 4294967295})", 0xFFFFFFFFu, ""},
        {R"({"type": 4294967296})", refused, "\"type\""},
        {R"({"type": "0x100000000"})", refused, "\"type\""},
        {R"({"type": "1"})", refused, "\"type\""},
        {R"({"type": 1.5})", refused, "\"type\""},
        {R"({"url": "\ud800"})", refused, "not valid JSON"}, // half a surrogate pair
        {deep, refused, "not valid JSON"},
        {R"(["url"])", refused, "not a JSON object"},
        {R"({"url": 5})", refused, "\"url\""},
        {R"({"profile": ["a"]})", refused, "\"profile\""},
        {R"({"hit_rate": 2147483648})", refused, "\"hit_rate\""},
        {R"({"size": -1})", refused, "\"size\""},
        {R"({"last_access": "yesterday"})", refused, "\"last_access\""},
        // Times are UTC with "Z" (a fraction of a second is dropped), from 1601 on.
        {R"({"last_sync": "1600-12-31T23:59:59Z"})", refused, "\"last_sync\""},
        {R"({"last_sync": "2026-12-01T09:30:00"})", refused, "\"last_sync\""},
        {R"({"last_sync": "2026-12-01T09:30:00+01:00"})", refused, "\"last_sync\""},
        {R"({"last_sync": "2026-12-01T24:00:00Z"})", refused, "\"last_sync\""},
        {R"({"last_sync": "2026-12-01T09:30:00.Z"})", refused, "\"last_sync\""}};
    for (const auto& [json, type, reason] : cases) {
        SCOPED_TRACE(json.substr(0, 40));
        const auto line = ParseUrlCacheLine(json);
        EXPECT_EQ(line.entry ? std::optional(line.entry->type) : refused, type);
        EXPECT_THAT(line.error, HasSubstr(reason));
    }
}

TEST(UrlCacheFileSource, ReadsEveryKeyOfTheEntriesInOrderAndReportsBadLinesWithTheirNumbers) {
    TempFolder folder;
    const std::string path = folder.write(
        "cache.jsonl",
        "\xEF\xBB\xBF{\"type\": 2097153, \"url\": \"Visited: anna@http://a/\", \"local_file\": "
        "\"/c/a.htm\", \"use_count\": 3, \"hit_rate\": -4, \"size\": 5368709120, \"last_modified\""
        ": \"2026-12-01T09:30:00.999Z\", \"expire\": \"1970-01-01T00:00:00Z\", \"last_access\": "
        "\"2026-12-01T09:30:05Z\", \"last_sync\": \"2026-12-01T09:30:06Z\", \"header_info\": "
        "\"HTTP/1.1 200 OK\", \"file_extension\": \"htm\", \"other\": [1, 2], \"browser\": "
        "\"Firefox\", \"profile\": \"/p\"}\n\n"
        "{\"type\": 1, \"url\": \"http://two/\"\r\n"
        "{\"type\": 1, \"url\": null, \"size\": null, \"last_access\": null}\r\n[]\n"
        "{\"type\": 1, \"url\": \"http://x/\\\"<b>\\u0000rest\", \"profile\": \"/p\", "
        "\"browser\": \"Firefox\"}");
    std::vector<std::string> errors;
    const auto read = [&](const std::string& file) {
        UrlCacheFileSource source(file, [&](const std::string& error) { errors.push_back(error); });
        UrlCacheLists lists;
        EnumerateUrlCache(source, FakeClock(), lists); // local time is UTC
        return lists;
    };
    const UrlCacheLists lists = read(path);
    ASSERT_EQ(lists.CacheHistoryList.size(), 1u);
    const UrlCacheEntry entry = lists.CacheHistoryList[0].copy();
    EXPECT_EQ(entry.SourceUrlName, "Visited: anna@http://a/");
    EXPECT_EQ(entry.LocalFileName, "/c/a.htm");
    EXPECT_EQ(entry.UseCount, 3);
    EXPECT_EQ(entry.HitRate, -4);
    EXPECT_EQ(entry.Size, 5368709120); // 5 GiB, counted as it is
    EXPECT_EQ(entry.LastModifiedTime, (DateTime{2026, 12, 1, 9, 30, 0}));
    EXPECT_EQ(entry.ExpireTime, (DateTime{1970, 1, 1, 0, 0, 0}));
    EXPECT_EQ(entry.LastAccessTime, (DateTime{2026, 12, 1, 9, 30, 5}));
    EXPECT_EQ(entry.LastSyncTime, (DateTime{2026, 12, 1, 9, 30, 6}));
    EXPECT_EQ(entry.HeaderInfo + "|" + entry.FileExtension, "HTTP/1.1 200 OK|htm");
    // Missing or null keys give empty texts, 0 and the zero time; a text ends at its NUL.
    ASSERT_EQ(lists.CacheContentList.size(), 2u);
    EXPECT_EQ(lists.CacheContentList[0].SourceUrlName(), "");
    EXPECT_EQ(lists.CacheContentList[0].Size(), 0);
    EXPECT_EQ(lists.CacheContentList[0].LastAccessTime(), (DateTime{1601, 1, 1, 0, 0, 0}));
    EXPECT_EQ(lists.CacheContentList[1].SourceUrlName(), "http://x/\"<b>");
    // Entries of one profile share its one record; without a profile, the system's cache.
    EXPECT_EQ(lists.origins.size(), 2u);
    EXPECT_EQ(lists.originOf(entry), (platform::UrlCacheOrigin{"Firefox", "/p"}));
    EXPECT_EQ(lists.originOf(lists.CacheContentList[1]), lists.origins[1]);
    EXPECT_EQ(lists.CacheContentList[0].Origin(), 0u);
    EXPECT_EQ(read(folder / "missing.jsonl").total(), 0);
    EXPECT_THAT(errors, ElementsAre(HasSubstr(path + ": line 3: not valid JSON"),
                                    HasSubstr(path + ": line 5: not a JSON object"),
                                    HasSubstr("missing.jsonl")));
}

} // namespace
} // namespace vorlith::test
