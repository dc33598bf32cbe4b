// The browser URL-cache source over real profiles written by Firefox and Chromium (the shared
// fixtures) and over profiles the tests write: order, columns, write-ahead logs, damaged stores,
// and that no file of a profile changes.

#include "sources/browser_bytes.h"
#include "sources/browser_databases.h"
#include "sources/browser_url_cache.h"
#include "sources/url_cache.h"
#include "support/test_support.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sqlite3.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <map>

namespace vorlith::test {
namespace {

namespace fs = std::filesystem;
using ::testing::Contains;

const std::string kFixtureHome = std::string(VORLITH_FIXTURES_DIR) + "/browsers/home";
constexpr int64_t kPrTime = 1796584575764756;         // 2026-12-06 19:16:15 UTC in microseconds
constexpr FileTime kPrFileTime = 134410581757647560u; // the same instant as a file time

// Runs SQL on a new or existing database file.
void Execute(const std::string& path, const std::string& sql) {
    fs::create_directories(fs::path(path).parent_path());
    sqlite3* database = nullptr;
    ASSERT_EQ(sqlite3_open(path.c_str(), &database), SQLITE_OK);
    EXPECT_EQ(sqlite3_exec(database, sql.c_str(), nullptr, nullptr, nullptr), SQLITE_OK) << sql;
    sqlite3_close(database);
}

std::string FirefoxPlaces(const std::string& url, int visits = 1) {
    return "CREATE TABLE moz_places(id INTEGER PRIMARY KEY, url TEXT, visit_count INTEGER, "
           "last_visit_date INTEGER); INSERT INTO moz_places VALUES(1, 'https://bookmark.example/',"
           " 0, NULL), (2, '" +
           url + "', " + std::to_string(visits) + ", " + std::to_string(kPrTime) + ");";
}

// Everything about the files below a folder that reading could change.
std::map<std::string, std::pair<fs::file_time_type, std::string>> Snapshot(const std::string& in) {
    std::map<std::string, std::pair<fs::file_time_type, std::string>> files;
    for (const auto& item : fs::recursive_directory_iterator(in))
        if (item.is_regular_file())
            files[item.path().string()] = {item.last_write_time(), ReadFile(item.path().string())};
    return files;
}

TEST(BrowserProfilesFixture, DeliversTheEntriesOfBothBrowsersAndChangesNoProfileFile) {
    TempFolder temporary, extract;
    ScopedEnv tmpdir("TMPDIR", temporary.path());
    const auto before = Snapshot(kFixtureHome);
    BrowserUrlCacheSource source(
        {kFixtureHome, kFixtureHome + "/.config", kFixtureHome + "/.cache"}, "tester");
    source.setExtractFolder(extract.path());
    UrlCacheLists lists;
    EnumerateUrlCache(source, FakeClock(), lists);
    EXPECT_EQ(Snapshot(kFixtureHome), before);
    EXPECT_TRUE(fs::is_empty(temporary.path())); // the private database copies are gone

    // History: Firefox's seven visited places (its bookmarks were never visited), then
    // Chromium's seven addresses.
    const auto& history = lists.CacheHistoryList;
    ASSERT_EQ(history.size(), 14u);
    EXPECT_EQ(history[0].SourceUrlName(), "Visited: tester@http://127.0.0.1:8731/plain/index.html");
    EXPECT_EQ(history[0].LastAccessTime(), (DateTime{2026, 12, 6, 19, 16, 28}));
    EXPECT_EQ(history[7].LastAccessTime(), (DateTime{2026, 12, 6, 19, 16, 47}));
    // Cookies: one entry per host and path; the two MySpace cookies share "/social".
    const auto& cookies = lists.CacheCookieList;
    ASSERT_EQ(cookies.size(), 14u);
    EXPECT_EQ(cookies[0].ExpireTime(), (DateTime{2027, 12, 6, 19, 16, 15}));
    EXPECT_EQ(cookies[4].SourceUrlName(), "Cookie:tester@127.0.0.1/social");
    EXPECT_EQ(cookies[4].HitRate(), 2);
    EXPECT_EQ(cookies[4].Size(), 13 + 3 + 13 + 7);    // names and values
    EXPECT_EQ(cookies[10].Size(), 13 + 51 + 13 + 51); // Chromium's values kept encrypted: 51 bytes
    // Cached files: Firefox's 19 entries in file-name order, then Chromium's 18.
    const auto& content = lists.CacheContentList;
    ASSERT_EQ(content.size(), 37u);
    EXPECT_EQ(content[2].SourceUrlName(), "http://127.0.0.1:8731/plain/photo.jpg");
    EXPECT_EQ(content[2].LocalFileName(), kFixtureHome +
                                              "/.cache/mozilla/firefox/ncomklqd.default/"
                                              "cache2/entries/"
                                              "3F2C3285E9892318A4DB867CF581A38FDE5E10B6");
    EXPECT_EQ(content[19].LocalFileName(), ""); // a Chromium page, not a picture: no copy
    const std::string roulette(content[22].LocalFileName());
    EXPECT_EQ(fs::path(roulette).parent_path(), fs::path(extract.path()));
    EXPECT_EQ(ReadFile(roulette),
              ReadFile(kFixtureHome + "/.cache/chromium/Default/Cache/Cache_Data/"
                                      "1cdc85c74159b864_0")
                  .substr(113, 1100));
}

// A home with two Firefox profiles (profiles.ini lists the later name first) and Chromium,
// Google Chrome and Opera profiles (Opera keeps its one profile at the top of its folder).
class CraftedHome : public testing::Test {
protected:
    void SetUp() override {
        m_home.write(".mozilla/firefox/profiles.ini",
                     "[Profile0]\nName=second\nIsRelative=1\nPath=z.second\n\n"
                     "[Profile1]\nName=first\nIsRelative=1\nPath=a.first\n");
        Execute(m_places, FirefoxPlaces("http://ff-z/", 3));
        Execute(m_home / ".mozilla/firefox/z.second/cookies.sqlite",
                "CREATE TABLE moz_cookies(id INTEGER PRIMARY KEY, name TEXT, value TEXT, host TEXT,"
                " path TEXT, expiry INTEGER, lastAccessed INTEGER); PRAGMA user_version=15;"
                "INSERT INTO moz_cookies VALUES(1, 'a', '\xC3\xA9', '.ff-z', '/', "
                "1828120575, 7), (2, 'bb', '', '.ff-z', '/', 1, 1796584575764756);");
        FirefoxEntrySample sample;
        sample.key = ":http://ff-z/p.jpg";
        m_home.write(m_entries + "0123456789ABCDEF0123456789ABCDEF01234567",
                     FirefoxEntryBytes(sample));
        Execute(m_home / ".mozilla/firefox/a.first/places.sqlite", FirefoxPlaces("http://ff-a/"));
        for (const auto& [folder, host] : std::vector<std::pair<std::string, std::string>>{
                 {".config/chromium/Profile 1", "cr-p1"},
                 {".config/chromium/Default", "cr-default"},
                 {".config/google-chrome/Default", "chrome"},
                 {".config/opera", "opera"}})
            Execute(m_home / (folder + "/History"),
                    "CREATE TABLE urls(id INTEGER PRIMARY KEY, url TEXT, visit_count INTEGER, "
                    "last_visit_time INTEGER); INSERT INTO urls VALUES(1, 'http://" +
                        host + "/', 1, 13441058195306706);");
    }

    std::vector<platform::RawUrlCacheEntry> read() {
        BrowserUrlCacheSource source({m_home.path(), m_home / ".config", m_home / ".cache"}, "me");
        std::vector<platform::RawUrlCacheEntry> entries;
        if (source.begin())
            while (auto entry = source.next())
                entries.push_back(std::move(*entry));
        return entries;
    }
    std::vector<std::string> names() {
        std::vector<std::string> result;
        for (const auto& entry : read())
            result.push_back(entry.sourceUrlName.value_or("<none>"));
        return result;
    }

    TempFolder m_home;
    const std::string m_places = m_home / ".mozilla/firefox/z.second/places.sqlite";
    const std::string m_entries = ".cache/mozilla/firefox/z.second/cache2/entries/";
};

TEST_F(CraftedHome, OrdersProfilesByBrowserAndProfileAndStoresWithinAProfile) {
    const auto entries = read();
    ASSERT_EQ(names(), (std::vector<std::string>{
                           "Visited: me@http://ff-z/", "Cookie:me@ff-z/", "http://ff-z/p.jpg",
                           "Visited: me@http://ff-a/", "Visited: me@http://cr-default/",
                           "Visited: me@http://cr-p1/", "Visited: me@http://chrome/",
                           "Visited: me@http://opera/"}));
    // The cookies of a host and path: counted, the latest access, the expiry in seconds (before
    // cookie version 16), the lengths of names and values.
    EXPECT_EQ(entries[1].hitRate, 2);
    EXPECT_EQ(entries[1].lastAccessTime, kPrFileTime);
    EXPECT_EQ(entries[1].expireTime, 134725941750000000u);
    EXPECT_EQ(entries[1].size, 1u + 2u + 2u); // "a", "é" in two bytes, "bb"
}

TEST_F(CraftedHome, ReadsRowsThatAreOnlyInTheWriteAheadLogAndChangesNoFile) {
    // A running browser: rows in the "-wal" file, not yet in the database file.
    TempFolder scratch;
    const std::string live = scratch / "places.sqlite";
    sqlite3* database = nullptr;
    ASSERT_EQ(sqlite3_open(live.c_str(), &database), SQLITE_OK);
    const std::string sql = "PRAGMA journal_mode=WAL; PRAGMA wal_autocheckpoint=0;" +
                            FirefoxPlaces("http://wal-only/", 4);
    ASSERT_EQ(sqlite3_exec(database, sql.c_str(), nullptr, nullptr, nullptr), SQLITE_OK);
    for (const char* suffix : {"", "-wal", "-shm"})
        fs::copy_file(live + suffix, m_places + suffix, fs::copy_options::overwrite_existing);
    sqlite3_close(database);
    const auto before = Snapshot(m_home.path());
    EXPECT_THAT(names(), Contains("Visited: me@http://wal-only/"));
    EXPECT_EQ(Snapshot(m_home.path()), before);
}

TEST_F(CraftedHome, ReadsTheColumnsThereAreAndSkipsDamagedStores) {
    const std::string table = "CREATE TABLE moz_places(id INTEGER PRIMARY KEY, url TEXT, ";
    const std::tuple<std::string, std::string, int32_t, FileTime> cases[] = {
        // the places table, then the first entry read: its name, hit rate and last access
        {std::string(4096, 'x'), "Cookie:me@ff-z/", 2, kPrFileTime}, // no database
        {table + "visit_count INTEGER); INSERT INTO moz_places VALUES(1, 'http://a/', 2), "
                 "(2, 'http://never/', 0);",
         "Visited: me@http://a/", 2, 0},
        {table + "last_visit_date INTEGER); INSERT INTO moz_places VALUES(1, 'http://a/', " +
             std::to_string(kPrTime) + "), (2, 'http://never/', NULL);",
         "Visited: me@http://a/", 0, kPrFileTime},
        {table + "last_visit_date INTEGER); INSERT INTO moz_places VALUES(1, 'http://a/', "
                 "9223372036854775807);", // beyond what a file time holds: no time
         "Visited: me@http://a/", 0, 0}};
    m_home.write(m_entries + "FFFF", "short"); // a damaged cache entry beside a good one
    for (const auto& [places, name, hitRate, lastAccess] : cases) {
        SCOPED_TRACE(name + " from " + places.substr(0, 60));
        fs::remove(m_places);
        if (places.starts_with("CREATE"))
            Execute(m_places, places);
        else
            m_home.write(".mozilla/firefox/z.second/places.sqlite", places);
        const auto entries = read();
        EXPECT_EQ(entries.size(), name.starts_with("Visited") ? 8u : 7u);
        EXPECT_EQ(entries[0].sourceUrlName, name);
        EXPECT_EQ(entries[0].hitRate, hitRate);
        EXPECT_EQ(entries[0].lastAccessTime, lastAccess);
    }
    // Pipes in place of files would block a reader that opened them.
    fs::remove(m_places);
    ASSERT_EQ(::mkfifo(m_places.c_str(), 0600), 0);
    ASSERT_EQ(::mkfifo((m_home / (m_entries + "AAAA")).c_str(), 0600), 0);
    EXPECT_EQ(read().size(), 7u) << "pipes";
}

// A database with rows only in its write-ahead log, both files grown sparse to 1 GiB: its
// private copy keeps the holes, and one that would not fit is skipped with a note.
TEST(BrowserDatabases, SparseDatabasesAreCopiedWithTheirHolesOrSkippedWhenTheyWouldNotFit) {
    TempFolder folder;
    const std::string path = folder / "profile/places.sqlite";
    fs::create_directories(folder / "profile");
    sqlite3* database = nullptr;
    ASSERT_EQ(sqlite3_open(path.c_str(), &database), SQLITE_OK);
    const std::string sql = "PRAGMA journal_mode=WAL; PRAGMA wal_autocheckpoint=0;" +
                            FirefoxPlaces("http://sparse/");
    ASSERT_EQ(sqlite3_exec(database, sql.c_str(), nullptr, nullptr, nullptr), SQLITE_OK);
    fs::copy_file(path + "-wal", folder / "log"); // the log as it stands, before the close
    sqlite3_close(database);
    fs::rename(folder / "log", path + "-wal");
    fs::remove(path + "-shm");
    for (const std::string& file : {path, path + "-wal"})
        fs::resize_file(file, 1ull << 30);

    auto copy = CopyDatabase(path, folder.makeFolder("copies"), "places.sqlite");
    ASSERT_TRUE(copy);
    for (const std::string& file : {*copy, *copy + "-wal"}) {
        struct stat info {};
        ASSERT_EQ(::stat(file.c_str(), &info), 0);
        EXPECT_EQ(fs::file_size(file), 1ull << 30);
        EXPECT_LT(static_cast<uint64_t>(info.st_blocks) * 512, 4u << 20) << file;
    }
    std::vector<platform::RawUrlCacheEntry> entries;
    ReadHistory(DatabaseKind::Firefox, *copy, "me", entries);
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_EQ(entries[0].sourceUrlName, "Visited: me@http://sparse/");

    const std::string small = folder.makeFolder("small");
    testing::internal::CaptureStderr();
    EXPECT_FALSE(CopyDatabase(path, small, "places.sqlite", 4096));
    EXPECT_NE(testing::internal::GetCapturedStderr().find(path + " is not read"), std::string::npos);
    EXPECT_TRUE(fs::is_empty(small));
}

} // namespace
} // namespace vorlith::test
