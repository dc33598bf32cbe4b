// Reading generated browser profiles of 100,000 visited addresses, 5,000 cookies and 20,000
// cache entries each (one Firefox, one Chromium): the database copies apart from the reading.

#include "platform/private_folder.h"
#include "sources/browser_databases.h"
#include "sources/browser_url_cache.h"

#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>

namespace {

namespace fs = std::filesystem;
using namespace vorlith;

constexpr int kVisited = 100'000;
constexpr int kCookies = 5'000;
constexpr int kCacheEntries = 20'000;

fs::path g_home;

void put(std::string& bytes, uint64_t value, int width, bool bigEndian) {
    for (int i = 0; i < width; ++i) {
        int shift = bigEndian ? 8 * (width - 1 - i) : 8 * i;
        bytes += static_cast<char>((value >> shift) & 0xFF);
    }
}

void writeFile(const fs::path& path, const std::string& bytes) {
    fs::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary).write(bytes.data(), static_cast<long>(bytes.size()));
}

void execute(sqlite3* database, const std::string& sql) {
    sqlite3_exec(database, sql.c_str(), nullptr, nullptr, nullptr);
}

void makeDatabase(const fs::path& path, const std::string& schema, const std::string& insert,
                  int rows, const std::function<void(sqlite3_stmt*, int)>& bind) {
    fs::create_directories(path.parent_path());
    sqlite3* database = nullptr;
    sqlite3_open(path.c_str(), &database);
    execute(database, schema);
    execute(database, "BEGIN");
    sqlite3_stmt* statement = nullptr;
    sqlite3_prepare_v2(database, insert.c_str(), -1, &statement, nullptr);
    for (int row = 0; row < rows; ++row) {
        bind(statement, row);
        sqlite3_step(statement);
        sqlite3_reset(statement);
    }
    sqlite3_finalize(statement);
    execute(database, "COMMIT");
    sqlite3_close(database);
}

std::string address(int number) {
    return "https://site" + std::to_string(number % 5000) + ".example/path/" +
           std::to_string(number) + (number % 10 == 0 ? ".jpg" : ".html");
}

void bindText(sqlite3_stmt* statement, int column, const std::string& text) {
    sqlite3_bind_text(statement, column, text.c_str(), -1, SQLITE_TRANSIENT);
}

void generateFirefox(const fs::path& home) {
    writeFile(home / ".mozilla/firefox/profiles.ini",
              "[Profile0]\nName=default\nIsRelative=1\nPath=gen.default\n");
    const fs::path profile = home / ".mozilla/firefox/gen.default";
    makeDatabase(profile / "places.sqlite",
                 "CREATE TABLE moz_places(id INTEGER PRIMARY KEY, url TEXT, title TEXT, "
                 "visit_count INTEGER, last_visit_date INTEGER)",
                 "INSERT INTO moz_places VALUES(NULL, ?1, 'A title', ?2, ?3)", kVisited,
                 [](sqlite3_stmt* statement, int row) {
                     bindText(statement, 1, address(row));
                     sqlite3_bind_int(statement, 2, 1 + row % 7);
                     sqlite3_bind_int64(statement, 3, 1796584575764756 + row);
                 });
    makeDatabase(profile / "cookies.sqlite",
                 "PRAGMA user_version=17; CREATE TABLE moz_cookies(id INTEGER PRIMARY KEY, "
                 "name TEXT, value TEXT, host TEXT, path TEXT, expiry INTEGER, lastAccessed "
                 "INTEGER, creationTime INTEGER)",
                 "INSERT INTO moz_cookies VALUES(NULL, ?1, 'value-of-the-cookie', ?2, ?3, "
                 "1828120575754, 1796584575764756, 1796584575764756)",
                 kCookies, [](sqlite3_stmt* statement, int row) {
                     bindText(statement, 1, "name" + std::to_string(row));
                     bindText(statement, 2, ".site" + std::to_string(row % 2000) + ".example");
                     bindText(statement, 3, row % 3 == 0 ? "/" : "/account");
                 });
    const fs::path entries = home / ".cache/mozilla/firefox/gen.default/cache2/entries";
    for (int number = 0; number < kCacheEntries; ++number) {
        std::string body(1500, 'b');
        std::string bytes = body;
        put(bytes, 0x12345678, 4, true);
        bytes += "\xAB\xCD";
        std::string key = "O^partitionKey=%28https%2Csite.example%29,:" + address(number);
        for (uint32_t value : {3u, 2u, 1796584575u, 1796584575u, 77u, 1796670975u})
            put(bytes, value, 4, true);
        put(bytes, key.size(), 4, true);
        put(bytes, 0, 4, true);
        bytes += key;
        bytes += '\0';
        static const char kElements[] = "request-method\0GET\0response-head\0HTTP/1.1 200 OK\r\n"
                                        "Content-Type: text/html\r\nContent-Length: 1500\r\n";
        bytes += std::string(kElements, sizeof kElements); // with the final NUL
        put(bytes, body.size(), 4, true);
        char name[41];
        std::snprintf(name, sizeof name, "%040X", number);
        writeFile(entries / name, bytes);
    }
}

void generateChromium(const fs::path& home) {
    const fs::path profile = home / ".config/chromium/Default";
    makeDatabase(profile / "History",
                 "CREATE TABLE urls(id INTEGER PRIMARY KEY, url TEXT, title TEXT, visit_count "
                 "INTEGER, last_visit_time INTEGER)",
                 "INSERT INTO urls VALUES(NULL, ?1, 'A title', ?2, ?3)", kVisited,
                 [](sqlite3_stmt* statement, int row) {
                     bindText(statement, 1, address(row));
                     sqlite3_bind_int(statement, 2, 1 + row % 7);
                     sqlite3_bind_int64(statement, 3, 13441058195306706 + row);
                 });
    makeDatabase(profile / "Network/Cookies",
                 "CREATE TABLE cookies(creation_utc INTEGER, host_key TEXT, name TEXT, value "
                 "TEXT, encrypted_value BLOB, path TEXT, expires_utc INTEGER, last_access_utc "
                 "INTEGER)",
                 "INSERT INTO cookies VALUES(13441058195306706, ?1, ?2, '', zeroblob(51), ?3, "
                 "13472594195299716, 13441058195306706)",
                 kCookies, [](sqlite3_stmt* statement, int row) {
                     bindText(statement, 1, ".site" + std::to_string(row % 2000) + ".example");
                     bindText(statement, 2, "name" + std::to_string(row));
                     bindText(statement, 3, row % 3 == 0 ? "/" : "/account");
                 });
    const fs::path cache = home / ".cache/chromium/Default/Cache/Cache_Data";
    for (int number = 0; number < kCacheEntries; ++number) {
        std::string key = "1/0/_dk_https://site.example https://site.example " + address(number);
        std::string headers("HTTP/1.1 200 OK\0Content-Type: text/html\0\0", 41);
        std::string pickle;
        put(pickle, 4 + 16 + 4 + headers.size() + (4 - headers.size() % 4) % 4, 4, false);
        put(pickle, 3, 4, false);
        put(pickle, 13441058195299458, 8, false);
        put(pickle, 13441058195306706, 8, false);
        put(pickle, headers.size(), 4, false);
        pickle += headers + std::string((4 - headers.size() % 4) % 4, '\0');
        std::string bytes;
        put(bytes, 0xfcfb6d1ba7725c30ULL, 8, false);
        put(bytes, 5, 4, false);
        put(bytes, key.size(), 4, false);
        put(bytes, 0, 8, false);
        bytes += key + std::string(1500, 'b');
        auto endRecord = [&](uint32_t flags, uint32_t size) {
            put(bytes, 0xf4fa6f45970d41d8ULL, 8, false);
            put(bytes, flags, 4, false);
            put(bytes, 0, 4, false);
            put(bytes, size, 4, false);
            put(bytes, 0, 4, false);
        };
        endRecord(1, 0);
        bytes += pickle + std::string(32, 'h');
        endRecord(3, static_cast<uint32_t>(pickle.size()));
        char name[19];
        std::snprintf(name, sizeof name, "%016x_0", number);
        writeFile(cache / name, bytes);
    }
}

platform::BrowserHome browserHome(const fs::path& home) {
    return {home.string(), (home / ".config").string(), (home / ".cache").string()};
}

// Copying the databases of one profile into a private folder (and deleting the copies).
void CopyDatabases(benchmark::State& state, const std::vector<std::string>& databases) {
    for (auto _ : state) {
        auto folder = platform::PrivateFolder::Create("vorlith-bench");
        for (const std::string& database : databases)
            benchmark::DoNotOptimize(CopyDatabase((g_home / database).string(), folder->path(),
                                                  fs::path(database).filename().string()));
    }
}

// Chromium keeps bodies inside its entry files; those of pictures and videos (every tenth entry
// here) are copied out, which is file copying like the database copies.
enum class Bodies { NotCopied, Copied };

// Reading one profile from copies made before the timing starts.
void ReadProfile(benchmark::State& state, DatabaseKind kind, Bodies bodies,
                 const std::string& history, const std::string& cookies, const std::string& cache) {
    auto folder = platform::PrivateFolder::Create("vorlith-bench");
    auto historyCopy = CopyDatabase((g_home / history).string(), folder->path(), "history");
    auto cookiesCopy = CopyDatabase((g_home / cookies).string(), folder->path(), "cookies");
    auto extract = platform::PrivateFolder::Create("vorlith-bench-thumbs");
    size_t count = 0;
    for (auto _ : state) {
        std::vector<platform::RawUrlCacheEntry> entries;
        ReadHistory(kind, *historyCopy, "user", entries);
        ReadCookies(kind, *cookiesCopy, cookies, "user", entries);
        if (kind == DatabaseKind::Firefox)
            ReadFirefoxCache((g_home / cache).string(), entries);
        else
            ReadChromiumCache((g_home / cache).string(),
                              bodies == Bodies::Copied ? extract->path() : "", "cache-1-", entries);
        count = entries.size();
    }
    state.counters["entries"] = static_cast<double>(count);
}

void WholeSource(benchmark::State& state) {
    auto extract = platform::PrivateFolder::Create("vorlith-bench-thumbs");
    size_t count = 0;
    for (auto _ : state) {
        BrowserUrlCacheSource source(browserHome(g_home), "user");
        source.setExtractFolder(extract->path());
        count = 0;
        if (source.begin()) {
            while (source.next())
                ++count;
            source.end();
        }
    }
    state.counters["entries"] = static_cast<double>(count);
}

} // namespace

int main(int argc, char** argv) {
    const char* base = std::getenv("TMPDIR");
    g_home = fs::path(base && *base ? base : "/tmp") / "vorlith-bench-browser-home";
    fs::remove_all(g_home);
    std::printf("Generating a Firefox and a Chromium profile (%d addresses, %d cookies, %d cache "
                "entries each) in %s\n",
                kVisited, kCookies, kCacheEntries, g_home.c_str());
    generateFirefox(g_home);
    generateChromium(g_home);

    const std::string firefox = ".mozilla/firefox/gen.default/";
    const std::string chromium = ".config/chromium/Default/";
    benchmark::RegisterBenchmark(
        "CopyDatabases/Firefox", CopyDatabases,
        std::vector<std::string>{firefox + "places.sqlite", firefox + "cookies.sqlite"})
        ->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark(
        "CopyDatabases/Chromium", CopyDatabases,
        std::vector<std::string>{chromium + "History", chromium + "Network/Cookies"})
        ->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("ReadProfile/Firefox", ReadProfile, DatabaseKind::Firefox,
                                 Bodies::NotCopied, firefox + "places.sqlite",
                                 firefox + "cookies.sqlite",
                                 ".cache/mozilla/firefox/gen.default/cache2")
        ->Unit(benchmark::kMillisecond);
    for (Bodies bodies : {Bodies::NotCopied, Bodies::Copied})
        benchmark::RegisterBenchmark(
            bodies == Bodies::Copied ? "ReadProfile/Chromium/With2000BodiesCopied"
                                     : "ReadProfile/Chromium",
            ReadProfile, DatabaseKind::Chromium, bodies, chromium + "History",
            chromium + "Network/Cookies", ".cache/chromium/Default/Cache/Cache_Data")
            ->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("WholeSource/BothProfilesWithCopies", WholeSource)
        ->Unit(benchmark::kMillisecond);

    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    // scripts/bench selects the same rows from the same databases with the sqlite3 shell.
    if (!std::getenv("VORLITH_BENCH_KEEP_HOME"))
        fs::remove_all(g_home);
    return 0;
}
