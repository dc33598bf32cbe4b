#include "sources/browser_databases.h"

#include "platform/file_system.h"
#include "sources/browser_time.h"

#include <sqlite3.h>

#include <algorithm>
#include <cstdio>
#include <limits>
#include <set>

namespace vorlith {
namespace {

using platform::RawUrlCacheEntry;

constexpr uint32_t kHistoryType = 0x00200001;
constexpr uint32_t kCookieType = 0x00100001;
// From this cookie database version on, Firefox keeps the expiry in milliseconds.
constexpr int kFirefoxCookieExpiryInMilliseconds = 16;

int32_t clampToInt32(int64_t value) {
    return static_cast<int32_t>(std::clamp<int64_t>(value, 0, std::numeric_limits<int32_t>::max()));
}

// A read-only connection to a private copy, closed when it goes.
class Database {
public:
    explicit Database(const std::string& path) {
        if (sqlite3_open_v2(path.c_str(), &m_handle, SQLITE_OPEN_READONLY, nullptr) != SQLITE_OK) {
            sqlite3_close(m_handle);
            m_handle = nullptr;
            return;
        }
        // The file comes from elsewhere: its schema gets no trust (no functions called from
        // views or triggers), and a damaged file must not be "repaired" by writing.
        sqlite3_db_config(m_handle, SQLITE_DBCONFIG_TRUSTED_SCHEMA, 0, nullptr);
        sqlite3_db_config(m_handle, SQLITE_DBCONFIG_DEFENSIVE, 1, nullptr);
    }
    ~Database() { sqlite3_close(m_handle); }
    Database(const Database&) = delete;
    Database& operator=(const Database&) = delete;

    sqlite3* handle() const { return m_handle; }

    /// The column names of a table; empty when there is no such table or no database.
    std::set<std::string> columns(const std::string& table) const {
        std::set<std::string> names;
        Statement statement(*this, "SELECT name FROM pragma_table_info(?1)");
        if (!statement.ok())
            return names;
        sqlite3_bind_text(statement.get(), 1, table.c_str(), -1, SQLITE_TRANSIENT);
        while (statement.step())
            names.insert(statement.text(0));
        return names;
    }

    int userVersion() const {
        Statement statement(*this, "PRAGMA user_version");
        return statement.ok() && statement.step() ? static_cast<int>(statement.integer(0)) : 0;
    }

    class Statement {
    public:
        Statement(const Database& database, const std::string& sql) {
            if (database.m_handle)
                sqlite3_prepare_v2(database.m_handle, sql.c_str(), -1, &m_statement, nullptr);
        }
        ~Statement() { sqlite3_finalize(m_statement); }
        Statement(const Statement&) = delete;
        Statement& operator=(const Statement&) = delete;

        bool ok() const { return m_statement != nullptr; }
        sqlite3_stmt* get() const { return m_statement; }
        /// True while a row is there; a failure midway ends the rows.
        bool step() { return m_statement && sqlite3_step(m_statement) == SQLITE_ROW; }
        int64_t integer(int column) const { return sqlite3_column_int64(m_statement, column); }
        std::string text(int column) const {
            const unsigned char* value = sqlite3_column_text(m_statement, column);
            int length = sqlite3_column_bytes(m_statement, column);
            return value ? std::string(reinterpret_cast<const char*>(value),
                                       static_cast<size_t>(length))
                         : std::string();
        }

    private:
        sqlite3_stmt* m_statement = nullptr;
    };

private:
    sqlite3* m_handle = nullptr;
};

// The column itself when the table has it, otherwise the stand-in value.
std::string columnOr(const std::set<std::string>& columns, const std::string& name,
                     const std::string& standIn) {
    return columns.count(name) ? name : standIn;
}

std::string withoutLeadingDot(std::string host) {
    if (!host.empty() && host.front() == '.')
        host.erase(0, 1);
    return host;
}

} // namespace

bool CopyFileRange(const std::string& from, uint64_t offset, uint64_t size, const std::string& to) {
    auto input = platform::OpenInputFile(from);
    if (!input || offset > input->size() || size > input->size() - offset)
        return false;
    auto output = platform::CreateOutputFile(to);
    if (!output)
        return false;
    std::string buffer(std::min<uint64_t>(size, 1 << 20), '\0');
    uint64_t done = 0;
    bool complete = true;
    while (done < size) {
        size_t want = static_cast<size_t>(std::min<uint64_t>(buffer.size(), size - done));
        size_t got = input->readAt(offset + done, buffer.data(), want);
        if (got != want) {
            complete = false;
            break;
        }
        output->write(std::string_view(buffer.data(), got));
        done += got;
    }
    if (!output->close() || !complete) {
        platform::DeleteFile(to);
        return false;
    }
    return true;
}

std::optional<std::string> CopyDatabase(const std::string& database, const std::string& folder,
                                        const std::string& copyName,
                                        std::optional<uint64_t> folderFreeSpace) {
    // The rows written since the last checkpoint live only in the write-ahead log.
    const std::string wal = database + "-wal";
    const bool hasWal = platform::FileSize(wal).value_or(0) > 0 && platform::RegularFileExists(wal);
    auto needed = platform::AllocatedSize(database);
    if (!needed)
        return std::nullopt;
    if (hasWal)
        *needed += platform::AllocatedSize(wal).value_or(0);
    // A copy that filled the temporary folder would disturb every program that writes there.
    auto freeSpace = folderFreeSpace ? folderFreeSpace : platform::FreeSpace(folder);
    if (freeSpace && *needed > *freeSpace) {
        constexpr uint64_t kMegabyte = 1024 * 1024;
        std::fprintf(stderr,
                     "vorlith: %s is not read: its copy would take %llu MB, but the temporary "
                     "folder %s has %llu MB free\n",
                     database.c_str(),
                     static_cast<unsigned long long>((*needed + kMegabyte - 1) / kMegabyte),
                     folder.c_str(), static_cast<unsigned long long>(*freeSpace / kMegabyte));
        return std::nullopt;
    }
    std::string copy = platform::JoinPath(folder, copyName);
    if (!platform::CopySparseFile(database, copy))
        return std::nullopt;
    if (hasWal)
        platform::CopySparseFile(wal, copy + "-wal");
    return copy;
}

void ReadHistory(DatabaseKind kind, const std::string& databaseCopy, const std::string& userName,
                 std::vector<RawUrlCacheEntry>& entries) {
    Database database(databaseCopy);
    const bool firefox = kind == DatabaseKind::Firefox;
    const std::string table = firefox ? "moz_places" : "urls";
    const std::string lastVisitColumn = firefox ? "last_visit_date" : "last_visit_time";
    auto columns = database.columns(table);
    if (!columns.count("url") || (!columns.count("visit_count") && !columns.count(lastVisitColumn)))
        return;
    const std::string visitCount = columnOr(columns, "visit_count", "0");
    const std::string lastVisit = columnOr(columns, lastVisitColumn, "0");
    // A visited address has a visit count or a last visit; bookmarks that were never opened have
    // neither.
    Database::Statement statement(database, "SELECT url, " + visitCount + ", " + lastVisit +
                                                " FROM " + table + " WHERE url IS NOT NULL AND (" +
                                                visitCount + " > 0 OR IFNULL(" + lastVisit +
                                                ", 0) > 0) ORDER BY rowid");
    while (statement.step()) {
        RawUrlCacheEntry entry;
        entry.type = kHistoryType;
        entry.sourceUrlName = "Visited: " + userName + "@" + statement.text(0);
        entry.hitRate = clampToInt32(statement.integer(1));
        entry.useCount = entry.hitRate;
        entry.lastAccessTime = firefox ? FileTimeFromPrTime(statement.integer(2))
                                       : FileTimeFromWebKitTime(statement.integer(2));
        entries.push_back(std::move(entry));
    }
}

void ReadCookies(DatabaseKind kind, const std::string& databaseCopy,
                 const std::string& databaseFile, const std::string& userName,
                 std::vector<RawUrlCacheEntry>& entries) {
    Database database(databaseCopy);
    const bool firefox = kind == DatabaseKind::Firefox;
    const std::string table = firefox ? "moz_cookies" : "cookies";
    const std::string host = firefox ? "host" : "host_key";
    auto columns = database.columns(table);
    if (!columns.count(host) || !columns.count("path") || !columns.count("name"))
        return;
    const std::string lastAccess =
        columnOr(columns, firefox ? "lastAccessed" : "last_access_utc", "0");
    const std::string expiry = columnOr(columns, firefox ? "expiry" : "expires_utc", "0");
    const std::string creation = columnOr(columns, firefox ? "creationTime" : "creation_utc", "0");
    const std::string plainValue =
        columns.count("value") ? "IFNULL(LENGTH(CAST(value AS BLOB)), 0)" : "0";
    // Chromium keeps the value encrypted and "value" empty; the stored bytes are counted.
    const std::string valueLength = !firefox && columns.count("encrypted_value")
                                        ? "CASE WHEN " + plainValue + " > 0 THEN " + plainValue +
                                              " ELSE IFNULL(LENGTH(encrypted_value), 0) END"
                                        : plainValue;
    Database::Statement statement(
        database, "SELECT " + host + ", path, COUNT(*), MAX(" + lastAccess +
                      "), SUM(IFNULL(LENGTH(" + "CAST(name AS BLOB)), 0) + " + valueLength +
                      "), MAX(" + expiry + "), MAX(" + creation + ") FROM " + table + " GROUP BY " +
                      host + ", path ORDER BY MIN(rowid)");
    const bool expiryInMilliseconds =
        firefox && database.userVersion() >= kFirefoxCookieExpiryInMilliseconds;
    while (statement.step()) {
        RawUrlCacheEntry entry;
        entry.type = kCookieType;
        entry.sourceUrlName =
            "Cookie:" + userName + "@" + withoutLeadingDot(statement.text(0)) + statement.text(1);
        entry.localFileName = databaseFile;
        entry.hitRate = clampToInt32(statement.integer(2));
        int64_t size = statement.integer(4);
        entry.size = size > 0 ? static_cast<uint64_t>(size) : 0;
        if (firefox) {
            entry.lastAccessTime = FileTimeFromPrTime(statement.integer(3));
            entry.expireTime = expiryInMilliseconds
                                   ? FileTimeFromUnixMilliseconds(statement.integer(5))
                                   : FileTimeFromUnixSeconds(statement.integer(5));
            entry.lastModifiedTime = FileTimeFromPrTime(statement.integer(6));
        } else {
            entry.lastAccessTime = FileTimeFromWebKitTime(statement.integer(3));
            entry.expireTime = FileTimeFromWebKitTime(statement.integer(5));
            entry.lastModifiedTime = FileTimeFromWebKitTime(statement.integer(6));
        }
        entries.push_back(std::move(entry));
    }
}

} // namespace vorlith
