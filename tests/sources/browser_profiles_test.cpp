// The browser URL-cache source over real profiles written by Firefox and Chromium (the shared
// fixtures) and over profiles the tests write: order, write-ahead logs, damaged stores, and that
// no file of a profile changes.

#include "sources/browser_bytes.h"
#include "sources/browser_databases.h"
#include "sources/browser_url_cache.h"
#include "sources/url_cache.h"
#include "support/test_support.h"

#include <gtest/gtest.h>
#include <sqlite3.h>
#include <sys/stat.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <map>

namespace vorlith {
namespace {

namespace fs = std::filesystem;
using platform::RawUrlCacheEntry;
using test::ReadFile;
using test::TempFolder;

const std::string kFixtureHome = std::string(VORLITH_FIXTURES_DIR) + "/browsers/home";
constexpr int64_t kPrTime = 1796584575764756;         // 2026-12-06 19:16:15 UTC in microseconds
constexpr FileTime kPrFileTime = 134410581757647560u; // the same instant as a file time

platform::BrowserHome homeAt(const std::string& home) {
    return {home, home + "/.config", home + "/.cache"};
}

// Runs SQL on a new or existing database file.
void execute(const std::string& path, const std::string& sql) {
    fs::create_directories(fs::path(path).parent_path());
    sqlite3* database = nullptr;
    ASSERT_EQ(sqlite3_open(path.c_str(), &database), SQLITE_OK);
    char* error = nullptr;
    EXPECT_EQ(sqlite3_exec(database, sql.c_str(), nullptr, nullptr, &error), SQLITE_OK)
        << (error ? error : "");
    sqlite3_free(error);
    sqlite3_close(database);
}

std::string firefoxPlaces(const std::string& url, int visits = 1) {
    return "CREATE TABLE moz_places(id INTEGER PRIMARY KEY, url TEXT, visit_count INTEGER, "
           "last_visit_date INTEGER);"
           "INSERT INTO moz_places VALUES(1, 'https://bookmark.example/', 0, NULL);"
           "INSERT INTO moz_places VALUES(2, '" +
           url + "', " + std::to_string(visits) + ", " + std::to_string(kPrTime) + ");";
}
std::string chromiumUrls(const std::string& url) {
    return "CREATE TABLE urls(id INTEGER PRIMARY KEY, url TEXT, visit_count INTEGER, "
           "last_visit_time INTEGER); INSERT INTO urls VALUES(1, '" +
           url + "', 1, 13441058195306706);";
}

std::vector<RawUrlCacheEntry> readAll(platform::UrlCacheSource&& source) {
    std::vector<RawUrlCacheEntry> entries;
    if (!source.begin())
        return entries;
    while (auto entry = source.next())
        entries.push_back(std::move(*entry));
    source.end();
    return entries;
}

std::vector<std::string> names(const std::vector<RawUrlCacheEntry>& entries) {
    std::vector<std::string> result;
    for (const auto& entry : entries)
        result.push_back(entry.sourceUrlName.value_or("<none>"));
    return result;
}
bool contains(const std::vector<std::string>& all, const std::string& name) {
    return std::find(all.begin(), all.end(), name) != all.end();
}

// Everything about the files below a folder that reading could change.
struct FileState {
    uintmax_t size;
    fs::file_time_type modified;
    std::string content;
    bool operator==(const FileState&) const = default;
};
std::map<std::string, FileState> snapshot(const std::string& folder) {
    std::map<std::string, FileState> files;
    for (const auto& item : fs::recursive_directory_iterator(folder))
        if (item.is_regular_file())
            files[item.path().string()] = {item.file_size(), item.last_write_time(),
                                           ReadFile(item.path().string())};
    return files;
}

TEST(BrowserProfilesFixture, DeliversTheManifestEntriesAndChangesNoProfileFile) {
    TempFolder temporary, extract;
    test::ScopedEnv tmpdir("TMPDIR", temporary.path());
    const auto before = snapshot(kFixtureHome);
    BrowserUrlCacheSource source(homeAt(kFixtureHome), "tester");
    source.setExtractFolder(extract.path());
    test::FakeClock clock;
    UrlCacheLists lists;
    EnumerateUrlCache(source, clock, lists);
    EXPECT_EQ(snapshot(kFixtureHome), before);
    EXPECT_TRUE(fs::is_empty(temporary.path())); // the private database copies are gone

    // History: Firefox's seven visited places (its four bookmarks were never visited), then
    // Chromium's seven addresses.
    const auto& history = lists.CacheHistoryList;
    ASSERT_EQ(history.size(), 14u);
    EXPECT_EQ(history[0].SourceUrlName, "Visited: tester@http://127.0.0.1:8731/plain/index.html");
    EXPECT_EQ(history[0].HitRate, 2);
    EXPECT_EQ(history[0].LastAccessTime, (DateTime{2026, 12, 6, 19, 16, 28}));
    EXPECT_EQ(history[6].SourceUrlName, "Visited: tester@http://127.0.0.1:8731/video/clips.html");
    EXPECT_EQ(history[7].SourceUrlName, "Visited: tester@http://127.0.0.1:8731/plain/index.html");
    EXPECT_EQ(history[7].LastAccessTime, (DateTime{2026, 12, 6, 19, 16, 47}));

    // Cookies: one entry per host and path; the two MySpace cookies share "/social".
    const auto& cookies = lists.CacheCookieList;
    ASSERT_EQ(cookies.size(), 14u);
    EXPECT_EQ(cookies[0].SourceUrlName, "Cookie:tester@127.0.0.1/casino");
    EXPECT_EQ(cookies[0].LocalFileName,
              kFixtureHome + "/.mozilla/firefox/ncomklqd.default/cookies.sqlite");
    EXPECT_EQ(cookies[0].Size, 13 + 13); // "casino_player" "ace-of-spades"
    EXPECT_EQ(cookies[0].ExpireTime, (DateTime{2027, 12, 6, 19, 16, 15}));
    EXPECT_EQ(cookies[4].SourceUrlName, "Cookie:tester@127.0.0.1/social");
    EXPECT_EQ(cookies[4].HitRate, 2);
    EXPECT_EQ(cookies[4].Size, 13 + 3 + 13 + 7);
    EXPECT_EQ(cookies[7].LocalFileName, kFixtureHome + "/.config/chromium/Default/Cookies");
    EXPECT_EQ(cookies[7].LastAccessTime, (DateTime{2026, 12, 6, 19, 16, 35})); // WebKit time
    // Chromium wrote its rows in name order: casino, dating, sports, then the two of /social.
    EXPECT_EQ(cookies[10].SourceUrlName, "Cookie:tester@127.0.0.1/social");
    EXPECT_EQ(cookies[10].Size, 13 + 51 + 13 + 51); // values kept encrypted: 51 bytes each

    // Cached files: Firefox's 19 entries in file-name order, then Chromium's 18.
    const auto& content = lists.CacheContentList;
    ASSERT_EQ(content.size(), 37u);
    EXPECT_EQ(content[0].SourceUrlName, "http://127.0.0.1:8731/video/movie.mpg"); // anonymous load
    EXPECT_EQ(content[0].Size, 10240);
    const auto& photo = content[2];
    EXPECT_EQ(photo.SourceUrlName, "http://127.0.0.1:8731/plain/photo.jpg");
    EXPECT_EQ(photo.LocalFileName, kFixtureHome + "/.cache/mozilla/firefox/ncomklqd.default/"
                                                  "cache2/entries/"
                                                  "3F2C3285E9892318A4DB867CF581A38FDE5E10B6");
    EXPECT_EQ(photo.HeaderInfo.rfind("HTTP/1.0 200 OK\r\nServer: SimpleHTTP/0.6", 0), 0u);
    EXPECT_EQ(content[18].SourceUrlName, "http://127.0.0.1:8731/favicon.ico");
    EXPECT_EQ(content[18].HitRate, 8);
    const auto& espn = content[19];
    EXPECT_EQ(espn.SourceUrlName, "http://127.0.0.1:8731/sports/espn-scores.html");
    EXPECT_EQ(espn.LocalFileName, ""); // not a picture or video: no copy
    EXPECT_NE(espn.HeaderInfo.find("Content-type: text/html; charset=utf-8\r\n"),
              std::string::npos);
    const auto& roulette = content[22];
    EXPECT_EQ(roulette.SourceUrlName, "http://127.0.0.1:8731/casino/roulette-table.jpg");
    EXPECT_EQ(roulette.Size, 1100);
    EXPECT_EQ(roulette.LastAccessTime, (DateTime{2026, 12, 6, 19, 16, 35}));
    EXPECT_EQ(fs::path(roulette.LocalFileName).parent_path(), fs::path(extract.path()));
    EXPECT_EQ(ReadFile(roulette.LocalFileName),
              ReadFile(kFixtureHome + "/.cache/chromium/Default/Cache/Cache_Data/"
                                      "1cdc85c74159b864_0")
                  .substr(113, 1100));
    EXPECT_EQ(content[36].SourceUrlName, "http://127.0.0.1:8731/video/clip.flv");
}

// A home with two Firefox profiles (profiles.ini lists the later name first), a Snap Firefox,
// and Chromium, Flatpak Chromium, Google Chrome and Opera profiles.
class CraftedHome : public testing::Test {
protected:
    void SetUp() override {
        m_home.write(".mozilla/firefox/profiles.ini",
                     "[Profile0]\nName=second\nIsRelative=1\nPath=z.second\n\n"
                     "[Profile1]\nName=first\nIsRelative=1\nPath=a.first\n");
        execute(m_home / ".mozilla/firefox/z.second/places.sqlite",
                firefoxPlaces("http://ff-z.example/", 3));
        execute(m_home / ".mozilla/firefox/z.second/cookies.sqlite",
                "CREATE TABLE moz_cookies(id INTEGER PRIMARY KEY, name TEXT, value TEXT, "
                "host TEXT, path TEXT, expiry INTEGER, lastAccessed INTEGER, creationTime "
                "INTEGER); PRAGMA user_version=16;"
                "INSERT INTO moz_cookies VALUES(1, 'a', 'xyz', '.ff-z.example', '/', "
                "1828120575754, 1796584575764756, 1796584575000000);");
        test::FirefoxEntrySpec spec;
        spec.body = "\xFF\xD8\xFF\xE0";
        spec.key = ":http://ff-z.example/p.jpg";
        m_home.write(m_entries + "0123456789ABCDEF0123456789ABCDEF01234567",
                     test::FirefoxEntryBytes(spec));
        execute(m_home / ".mozilla/firefox/a.first/places.sqlite",
                firefoxPlaces("http://ff-a.example/"));
        m_home.write("snap/firefox/common/.mozilla/firefox/profiles.ini",
                     "[Profile0]\nIsRelative=1\nPath=snap.default\n");
        execute(m_home / "snap/firefox/common/.mozilla/firefox/snap.default/places.sqlite",
                firefoxPlaces("http://ff-snap.example/"));
        for (const auto& [folder, host] : std::vector<std::pair<std::string, std::string>>{
                 {".config/chromium/Profile 1", "cr-p1"},
                 {".config/chromium/Default", "cr-default"},
                 {".var/app/org.chromium.Chromium/config/chromium/Default", "cr-flatpak"},
                 {".config/google-chrome/Default", "chrome"},
                 {".config/opera", "opera"}}) // Opera keeps its one profile at the top
            execute(m_home / (folder + "/History"), chromiumUrls("http://" + host + ".example/"));
    }

    std::vector<RawUrlCacheEntry> read() {
        BrowserUrlCacheSource source(homeAt(m_home.path()), "me");
        source.setExtractFolder(m_extract.path());
        return readAll(std::move(source));
    }

    TempFolder m_home;
    TempFolder m_extract;
    const std::string m_entries = ".cache/mozilla/firefox/z.second/cache2/entries/";
};

TEST_F(CraftedHome, OrdersProfilesByBrowserAndProfileAndStoresWithinAProfile) {
    std::vector<std::string> expected{
        "Visited: me@http://ff-z.example/",    "Cookie:me@ff-z.example/",
        "http://ff-z.example/p.jpg",           "Visited: me@http://ff-a.example/",
        "Visited: me@http://ff-snap.example/", "Visited: me@http://cr-default.example/",
        "Visited: me@http://cr-p1.example/",   "Visited: me@http://cr-flatpak.example/",
        "Visited: me@http://chrome.example/",  "Visited: me@http://opera.example/",
    };
    auto entries = read();
    ASSERT_EQ(names(entries), expected);
    EXPECT_EQ(entries[0].type, 0x00200001u);
    EXPECT_EQ(entries[1].type, 0x00100001u);
    EXPECT_EQ(entries[2].type, 0x00000001u);
    // Each time base where it is stored: PRTime, milliseconds and WebKit time.
    EXPECT_EQ(entries[0].lastAccessTime, kPrFileTime);
    EXPECT_EQ(entries[1].expireTime, 134725941757540000u);
    EXPECT_EQ(entries[5].lastAccessTime, 134410581953067060u);
}

TEST_F(CraftedHome, ChromiumCookiesInNetworkFolderReplaceTheOldFile) {
    const std::string schema = "CREATE TABLE cookies(host_key TEXT, name TEXT, value TEXT, "
                               "path TEXT, last_access_utc INTEGER);";
    execute(m_home / ".config/google-chrome/Default/Cookies",
            schema + "INSERT INTO cookies VALUES('old.example', 'n', 'v', '/', 1);");
    execute(m_home / ".config/google-chrome/Default/Network/Cookies",
            schema + "INSERT INTO cookies VALUES('new.example', 'n', 'v', '/', 1);");
    auto all = names(read());
    EXPECT_TRUE(contains(all, "Cookie:me@new.example/"));
    EXPECT_FALSE(contains(all, "Cookie:me@old.example/"));
}

TEST_F(CraftedHome, ReadsRowsThatAreOnlyInTheWriteAheadLogAndChangesNoFile) {
    // A running browser: rows in the "-wal" file, not yet in the database file.
    TempFolder scratch;
    const std::string live = scratch / "places.sqlite";
    sqlite3* database = nullptr;
    ASSERT_EQ(sqlite3_open(live.c_str(), &database), SQLITE_OK);
    const std::string sql = "PRAGMA journal_mode=WAL; PRAGMA wal_autocheckpoint=0;" +
                            firefoxPlaces("http://wal-only.example/", 4);
    ASSERT_EQ(sqlite3_exec(database, sql.c_str(), nullptr, nullptr, nullptr), SQLITE_OK);
    const std::string profile = m_home / ".mozilla/firefox/a.first/places.sqlite";
    for (const char* suffix : {"", "-wal", "-shm"})
        fs::copy_file(live + suffix, profile + suffix, fs::copy_options::overwrite_existing);
    sqlite3_close(database);

    // Without its log the database file holds no visit.
    fs::copy_file(profile, scratch / "alone.sqlite");
    std::vector<RawUrlCacheEntry> withoutLog;
    ReadHistory(DatabaseKind::Firefox, scratch / "alone.sqlite", "me", withoutLog);
    ASSERT_TRUE(withoutLog.empty());

    auto before = snapshot(m_home.path());
    EXPECT_TRUE(contains(names(read()), "Visited: me@http://wal-only.example/"));
    EXPECT_EQ(snapshot(m_home.path()), before);
}

TEST_F(CraftedHome, DamagedStoresAreSkippedAndTheRestIsRead) {
    const std::string places = m_home / ".mozilla/firefox/z.second/places.sqlite";
    const std::pair<const char*, std::string> damages[] = {
        {"no url column", "CREATE TABLE moz_places(id INTEGER PRIMARY KEY, visit_count INTEGER);"
                          "INSERT INTO moz_places VALUES(1, 3);"},
        {"no table", "CREATE TABLE other(x);"},
    };
    for (const auto& [name, sql] : damages) {
        SCOPED_TRACE(name);
        fs::remove(places);
        execute(places, sql);
        auto entries = read();
        EXPECT_EQ(names(entries)[0], "Cookie:me@ff-z.example/");
        EXPECT_EQ(entries.size(), 9u);
    }
    fs::remove(places);
    m_home.write(".mozilla/firefox/z.second/places.sqlite", std::string(4096, 'x'));
    m_home.write(m_entries + "FFFF", "short");
    EXPECT_EQ(read().size(), 9u) << "not a database; a damaged cache entry beside a good one";

    // Pipes in place of files would block a reader that opened them.
    fs::remove(places);
    ASSERT_EQ(::mkfifo(places.c_str(), 0600), 0);
    ASSERT_EQ(::mkfifo((m_home / (m_entries + "AAAA")).c_str(), 0600), 0);
    EXPECT_EQ(read().size(), 9u) << "pipes";
}

// A database with rows only in its write-ahead log, both files grown sparse to 1 GiB (the rest of
// a file beyond SQLite's pages and a log's frames is not read).
std::string sparseDatabase(const TempFolder& folder) {
    const std::string path = folder / "profile/places.sqlite";
    fs::create_directories(folder / "profile");
    sqlite3* database = nullptr;
    EXPECT_EQ(sqlite3_open(path.c_str(), &database), SQLITE_OK);
    const std::string sql = "PRAGMA journal_mode=WAL; PRAGMA wal_autocheckpoint=0;" +
                            firefoxPlaces("http://sparse.example/");
    EXPECT_EQ(sqlite3_exec(database, sql.c_str(), nullptr, nullptr, nullptr), SQLITE_OK);
    fs::copy_file(path, folder / "places.sqlite");
    fs::copy_file(path + "-wal", folder / "places.sqlite-wal");
    sqlite3_close(database);
    fs::rename(folder / "places.sqlite", path);
    fs::rename(folder / "places.sqlite-wal", path + "-wal");
    fs::remove(path + "-shm");
    for (const std::string& file : {path, path + "-wal"})
        fs::resize_file(file, 1ull << 30);
    return path;
}

uint64_t allocatedBytes(const std::string& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 ? static_cast<uint64_t>(info.st_blocks) * 512 : 0;
}

TEST(BrowserDatabases, CopiesOfSparseDatabasesKeepTheirHoles) {
    TempFolder folder;
    const std::string database = sparseDatabase(folder);
    {
        std::fstream file(database, std::ios::in | std::ios::out | std::ios::binary);
        file.seekp(512 << 20);
        file << "data in the middle";
    }
    auto copy = CopyDatabase(database, folder.makeFolder("copies"), "places.sqlite");
    ASSERT_TRUE(copy);
    for (const std::string& file : {*copy, *copy + "-wal"}) {
        SCOPED_TRACE(file);
        EXPECT_EQ(fs::file_size(file), 1ull << 30);
        EXPECT_LT(allocatedBytes(file), 4u << 20);
    }
    std::ifstream copied(*copy, std::ios::binary);
    copied.seekg(512 << 20);
    std::string middle(18, '\0');
    copied.read(middle.data(), 18);
    EXPECT_EQ(middle, "data in the middle");
    std::vector<RawUrlCacheEntry> entries;
    ReadHistory(DatabaseKind::Firefox, *copy, "me", entries);
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_EQ(entries[0].sourceUrlName, "Visited: me@http://sparse.example/");
}

TEST(BrowserDatabases, ADatabaseWhoseCopyWouldNotFitIsSkippedWithANote) {
    TempFolder folder;
    const std::string database = sparseDatabase(folder);
    const std::string copies = folder.makeFolder("copies");
    testing::internal::CaptureStderr();
    EXPECT_FALSE(CopyDatabase(database, copies, "places.sqlite", 4096));
    const std::string note = testing::internal::GetCapturedStderr();
    EXPECT_NE(note.find(database + " is not read"), std::string::npos) << note;
    EXPECT_NE(note.find(copies), std::string::npos) << note;
    EXPECT_TRUE(fs::is_empty(copies));
}

TEST(BrowserDatabases, HistoryWithoutOptionalColumns) {
    TempFolder folder;
    struct Case {
        const char* column;
        int hitRate;
        FileTime lastAccess;
    };
    const Case cases[] = {{"visit_count", 2, 0}, {"last_visit_date", 0, kPrFileTime}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.column);
        const std::string path = folder / (std::string(c.column) + ".sqlite");
        const bool count = std::string(c.column) == "visit_count";
        execute(path, "CREATE TABLE moz_places(id INTEGER PRIMARY KEY, url TEXT, " +
                          std::string(c.column) + " INTEGER);" +
                          "INSERT INTO moz_places VALUES(1, 'http://a.example/', " +
                          (count ? "2" : std::to_string(kPrTime)) + ");" +
                          "INSERT INTO moz_places VALUES(2, 'http://never.example/', " +
                          (count ? "0" : "NULL") + ");");
        std::vector<RawUrlCacheEntry> entries;
        ReadHistory(DatabaseKind::Firefox, path, "me", entries);
        ASSERT_EQ(entries.size(), 1u);
        EXPECT_EQ(entries[0].sourceUrlName, "Visited: me@http://a.example/");
        EXPECT_EQ(entries[0].hitRate, c.hitRate);
        EXPECT_EQ(entries[0].lastAccessTime, c.lastAccess);
    }
}

TEST(BrowserDatabases, CookiesGroupedByHostAndPathInFirstRowOrder) {
    TempFolder folder;
    const std::string firefox = folder / "cookies.sqlite";
    execute(firefox,
            "CREATE TABLE moz_cookies(id INTEGER PRIMARY KEY, name TEXT, value TEXT, host TEXT, "
            "path TEXT, expiry INTEGER, lastAccessed INTEGER, creationTime INTEGER);"
            "PRAGMA user_version=15;"
            "INSERT INTO moz_cookies VALUES(1, 'b', 'two', 'b.example', '/', 1828120575, 5, 1);"
            "INSERT INTO moz_cookies VALUES(2, 'x', '\xC3\xA9', '.a.example', '/p', 1828120575, "
            "1796584575764756, 1);"
            "INSERT INTO moz_cookies VALUES(3, 'yy', '', '.a.example', '/p', 1, 7, 1);");
    std::vector<RawUrlCacheEntry> entries;
    ReadCookies(DatabaseKind::Firefox, firefox, "/profile/cookies.sqlite", "me", entries);
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_EQ(entries[0].sourceUrlName, "Cookie:me@b.example/");
    EXPECT_EQ(entries[1].sourceUrlName, "Cookie:me@a.example/p");
    EXPECT_EQ(entries[1].localFileName, "/profile/cookies.sqlite");
    EXPECT_EQ(entries[1].hitRate, 2);
    EXPECT_EQ(entries[1].size, 1u + 2u + 2u); // "x", "é" in two bytes, "yy"
    EXPECT_EQ(entries[1].lastAccessTime, kPrFileTime);
    EXPECT_EQ(entries[1].expireTime, 134725941750000000u); // seconds before version 16

    // Older Chromium kept the value in plain text.
    const std::string chromium = folder / "Cookies";
    execute(chromium,
            "CREATE TABLE cookies(host_key TEXT, name TEXT, value TEXT, encrypted_value "
            "BLOB, path TEXT); INSERT INTO cookies VALUES('h', 'plain', 'abc', '', '/');");
    entries.clear();
    ReadCookies(DatabaseKind::Chromium, chromium, "/profile/Cookies", "me", entries);
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_EQ(entries[0].size, 5u + 3u);
}

} // namespace
} // namespace vorlith
