#pragma once
// The browsers' history and cookie databases, read as URL-cache entries. A browser that runs
// keeps its databases locked and writes to them, so they are never opened where they stand:
// CopyDatabase makes a private copy (with the "-wal" file holding the newest rows), and the
// readers open only that copy, read-only. Tables and columns are recognised by name; a store
// without the table or a needed column, or a file that is no database, gives no entries.

#include "platform/url_cache.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace vorlith {

/// Copies bytes [offset, offset + size) of a file into a new file (created or emptied). False
/// when the source holds fewer bytes or anything fails; a partial target is deleted.
bool CopyFileRange(const std::string& from, uint64_t offset, uint64_t size, const std::string& to);

/// Copies the database and its "-wal" file (when there is one) into the folder as copyName and
/// copyName + "-wal", holes of sparse files kept. The path of the copy, or std::nullopt when the
/// database cannot be copied. When the copies would take more room than the folder's file system
/// has free (folderFreeSpace, in bytes, stands in for it when given), nothing is copied and a
/// note says so on standard error.
std::optional<std::string> CopyDatabase(const std::string& database, const std::string& folder,
                                        const std::string& copyName,
                                        std::optional<uint64_t> folderFreeSpace = std::nullopt);

/// Which browser wrote a database.
enum class DatabaseKind { Firefox, Chromium };

/// Visited addresses (history entries, type 0x00200001) of a copy of places.sqlite (Firefox) or
/// History (Chromium), in row order: one per address with a visit, named
/// "Visited: " + userName + "@" + address, with the visit count as hit rate and use count and the
/// last visit as last access time.
void ReadHistory(DatabaseKind kind, const std::string& databaseCopy, const std::string& userName,
                 std::vector<platform::RawUrlCacheEntry>& entries);

/// Cookies (type 0x00100001) of a copy of cookies.sqlite (Firefox) or Cookies (Chromium): one
/// entry per host and path, in the order of each group's first row, named
/// "Cookie:" + userName + "@" + host (without a leading ".") + path, with databaseFile as local
/// file, the number of cookies as hit rate, the latest access, expiry and creation, and the sum
/// of the names' and values' lengths as size (a value the browser keeps encrypted counts with its
/// stored length; values are never decrypted or copied).
void ReadCookies(DatabaseKind kind, const std::string& databaseCopy,
                 const std::string& databaseFile, const std::string& userName,
                 std::vector<platform::RawUrlCacheEntry>& entries);

} // namespace vorlith
