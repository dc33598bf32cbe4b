#include "sources/browser_url_cache.h"

#include "platform/file_system.h"
#include "platform/private_folder.h"
#include "sources/browser_addresses.h"
#include "sources/browser_databases.h"
#include "sources/browser_time.h"
#include "sources/chromium_simple_cache.h"
#include "sources/firefox_cache2.h"
#include "sources/memory_file.h"

#include <algorithm>
#include <cctype>
#include <functional>

namespace vorlith {
namespace {

using platform::BrowserFamily;
using platform::JoinPath;
using platform::RawUrlCacheEntry;

constexpr uint32_t kContentType = 0x00000001;
constexpr uint32_t kFirefoxNeverExpires = 0xFFFFFFFFu;

// File names of a folder that are plain files, in name order.
std::vector<std::string> sortedFileNames(const std::string& folder) {
    std::vector<std::string> names;
    if (auto listing = platform::ListFolder(folder)) {
        while (auto entry = listing->next())
            if (entry->kind == platform::EntryKind::File)
                names.push_back(entry->name);
    }
    std::sort(names.begin(), names.end());
    return names;
}

// The extension as a safe part of a file name: letters and digits only, at most 10.
std::string safeExtension(const std::string& extension) {
    if (extension.size() > 10 || !std::all_of(extension.begin(), extension.end(),
                                              [](unsigned char c) { return std::isalnum(c) != 0; }))
        return "";
    return extension;
}

void deleteDatabaseCopy(const std::string& copy) {
    for (const char* suffix : {"", "-wal", "-shm", "-journal"})
        if (platform::PathExists(copy + suffix))
            platform::DeleteFile(copy + suffix);
}

void readDatabase(const std::string& database, const std::string& copyName,
                  const ProfileReadOptions& options,
                  const std::function<void(const std::string& copy)>& read) {
    if (options.privateFolder.empty() || !platform::RegularFileExists(database))
        return;
    auto copy = CopyDatabase(database, options.privateFolder, copyName);
    if (!copy)
        return;
    read(*copy);
    deleteDatabaseCopy(*copy);
}

} // namespace

void ReadFirefoxCache(const std::string& cache2Folder, std::vector<RawUrlCacheEntry>& entries) {
    // Only "entries" holds live entries; "doomed" and "trash" folders hold ones being removed.
    const std::string folder = JoinPath(cache2Folder, "entries");
    for (const std::string& name : sortedFileNames(folder)) {
        if (name.rfind("todelete_", 0) == 0)
            continue;
        const std::string path = JoinPath(folder, name);
        auto file = OpenForParsing(path);
        auto parsed = file ? ReadFirefoxCacheEntry(*file) : std::nullopt;
        auto address = parsed ? AddressFromFirefoxKey(parsed->key) : std::nullopt;
        if (!address)
            continue;
        RawUrlCacheEntry entry;
        entry.type = kContentType;
        entry.fileExtension = ExtensionFromAddress(*address);
        entry.sourceUrlName = std::move(*address);
        entry.localFileName = path;
        entry.headerInfo = std::move(parsed->responseHead);
        entry.size = parsed->bodySize;
        entry.hitRate = static_cast<int32_t>(std::min<uint32_t>(parsed->fetchCount, INT32_MAX));
        entry.useCount = entry.hitRate;
        entry.lastAccessTime = FileTimeFromUnixSeconds(parsed->lastFetched);
        entry.lastModifiedTime = FileTimeFromUnixSeconds(parsed->lastModified);
        entry.expireTime = parsed->expiration == kFirefoxNeverExpires
                               ? 0
                               : FileTimeFromUnixSeconds(parsed->expiration);
        entries.push_back(std::move(entry));
    }
}

void ReadChromiumCache(const std::string& cacheFolder, const std::string& extractFolder,
                       const std::string& copyPrefix, std::vector<RawUrlCacheEntry>& entries,
                       const std::string& shownExtractFolder) {
    bool extractFolderReady = false;
    for (const std::string& name : sortedFileNames(cacheFolder)) {
        // Only an entry's first file holds its key; index files and "todelete_" leftovers fail
        // this test too.
        if (!IsSimpleCacheEntryName(name))
            continue;
        const std::string path = JoinPath(cacheFolder, name);
        auto file = OpenForParsing(path);
        auto parsed = file ? ReadSimpleCacheEntry(*file) : std::nullopt;
        file.reset();
        auto address = parsed ? AddressFromChromiumKey(parsed->key) : std::nullopt;
        if (!address)
            continue;
        RawUrlCacheEntry entry;
        entry.type = kContentType;
        entry.fileExtension = ExtensionFromAddress(*address);
        entry.headerInfo = std::move(parsed->responseHead);
        entry.size = parsed->bodySize;
        entry.lastAccessTime = parsed->responseTime;
        entry.lastSyncTime = parsed->requestTime;
        if (!extractFolder.empty() && IsShownMediaAddress(*address)) {
            if (!extractFolderReady)
                extractFolderReady = platform::CreateFolders(extractFolder);
            std::string extension = safeExtension(*entry.fileExtension);
            const std::string copyName =
                copyPrefix + name.substr(0, 16) + (extension.empty() ? "" : ".") + extension;
            if (extractFolderReady && CopyFileRange(path, parsed->bodyOffset, parsed->bodySize,
                                                    JoinPath(extractFolder, copyName)))
                entry.localFileName = JoinPath(
                    shownExtractFolder.empty() ? extractFolder : shownExtractFolder, copyName);
        }
        entry.sourceUrlName = std::move(*address);
        entries.push_back(std::move(entry));
    }
}

void ReadBrowserProfile(const BrowserProfile& profile, const ProfileReadOptions& options,
                        std::vector<RawUrlCacheEntry>& entries) {
    if (profile.family == BrowserFamily::Firefox) {
        readDatabase(JoinPath(profile.folder, "places.sqlite"), "places.sqlite", options,
                     [&](const std::string& copy) {
                         ReadHistory(DatabaseKind::Firefox, copy, options.userName, entries);
                     });
        const std::string cookies = JoinPath(profile.folder, "cookies.sqlite");
        readDatabase(cookies, "cookies.sqlite", options, [&](const std::string& copy) {
            ReadCookies(DatabaseKind::Firefox, copy, cookies, options.userName, entries);
        });
        if (!profile.cacheFolder.empty())
            ReadFirefoxCache(profile.cacheFolder, entries);
        return;
    }
    readDatabase(JoinPath(profile.folder, "History"), "History", options,
                 [&](const std::string& copy) {
                     ReadHistory(DatabaseKind::Chromium, copy, options.userName, entries);
                 });
    // Newer versions keep the cookies in "Network"; an older copy beside it is stale.
    std::string cookies = JoinPath(JoinPath(profile.folder, "Network"), "Cookies");
    if (!platform::RegularFileExists(cookies))
        cookies = JoinPath(profile.folder, "Cookies");
    readDatabase(cookies, "Cookies", options, [&](const std::string& copy) {
        ReadCookies(DatabaseKind::Chromium, copy, cookies, options.userName, entries);
    });
    if (!profile.cacheFolder.empty())
        ReadChromiumCache(profile.cacheFolder, options.extractFolder, options.copyPrefix, entries,
                          options.shownExtractFolder);
}

BrowserUrlCacheSource::BrowserUrlCacheSource(platform::BrowserHome home, std::string userName)
    : m_home(std::move(home)), m_userName(std::move(userName)) {}

bool BrowserUrlCacheSource::begin() {
    m_entries.clear();
    m_next = 0;
    auto profiles = FindBrowserProfiles(platform::FindBrowserInstallations(m_home));
    if (profiles.empty())
        return false;
    auto privateFolder = platform::PrivateFolder::Create("vorlith-browsers");
    ProfileReadOptions options;
    options.userName = m_userName;
    options.privateFolder = privateFolder ? privateFolder->path() : "";
    options.extractFolder = m_extractFolder;
    options.shownExtractFolder = m_shownExtractFolder;
    for (size_t index = 0; index < profiles.size(); ++index) {
        options.copyPrefix = "cache-" + std::to_string(index + 1) + "-";
        const size_t first = m_entries.size();
        ReadBrowserProfile(profiles[index], options, m_entries);
        // Every entry of the profile names it; they share one record of it.
        auto origin = std::make_shared<const platform::UrlCacheOrigin>(
            platform::UrlCacheOrigin{profiles[index].browser, profiles[index].folder});
        for (size_t entry = first; entry < m_entries.size(); ++entry)
            m_entries[entry].origin = origin;
    }
    return !m_entries.empty();
}

std::optional<platform::RawUrlCacheEntry> BrowserUrlCacheSource::next() {
    if (m_next >= m_entries.size())
        return std::nullopt;
    return std::move(m_entries[m_next++]);
}

void BrowserUrlCacheSource::end() {
    m_entries.clear();
    m_entries.shrink_to_fit();
    m_next = 0;
}

} // namespace vorlith
