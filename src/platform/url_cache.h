#pragma once
// The browser's URL cache, one entry at a time: the shape of the original platform's cache
// enumeration (begin, next, end), so that each platform's real store plugs in behind it.

#include "platform/clock.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace vorlith::platform {

/// Where entries came from: a browser's profile. Entries without one come from the system's own
/// cache (or from a cache file that does not say).
struct UrlCacheOrigin {
    std::string browser; // the browser's name: "Firefox", "Chromium", "Google Chrome", ...
    std::string profile; // the profile folder
    bool operator==(const UrlCacheOrigin&) const = default;
};

/// One entry as a cache store reports it. Texts are 8-bit strings (UTF-8 here); a text the
/// store does not have is std::nullopt.
struct RawUrlCacheEntry {
    uint32_t type = 0; // entry type flags, such as 0x00200001 for a visited address
    std::optional<std::string> sourceUrlName;
    std::optional<std::string> localFileName;
    std::optional<std::string> headerInfo;
    std::optional<std::string> fileExtension;
    int32_t useCount = 0;
    int32_t hitRate = 0;
    uint64_t size = 0; // bytes of the entry's data
    FileTime lastModifiedTime = 0;
    FileTime expireTime = 0;
    FileTime lastAccessTime = 0;
    FileTime lastSyncTime = 0;
    /// Shared by the entries of one profile; nullptr for the system's own cache.
    std::shared_ptr<const UrlCacheOrigin> origin = nullptr;
};

/// One entry as a store lends it for a moment: RawUrlCacheEntry with its texts as views (a text
/// the store does not have is empty).
struct RawUrlCacheEntryView {
    uint32_t type = 0;
    std::string_view sourceUrlName;
    std::string_view localFileName;
    std::string_view headerInfo;
    std::string_view fileExtension;
    int32_t useCount = 0;
    int32_t hitRate = 0;
    uint64_t size = 0;
    FileTime lastModifiedTime = 0;
    FileTime expireTime = 0;
    FileTime lastAccessTime = 0;
    FileTime lastSyncTime = 0;
    const UrlCacheOrigin* origin = nullptr; // nullptr for the system's own cache

    /// The entry's fields, its texts viewed where the entry keeps them.
    static RawUrlCacheEntryView Of(const RawUrlCacheEntry& entry) {
        const auto text = [](const std::optional<std::string>& value) {
            return value ? std::string_view(*value) : std::string_view();
        };
        return {entry.type,
                text(entry.sourceUrlName),
                text(entry.localFileName),
                text(entry.headerInfo),
                text(entry.fileExtension),
                entry.useCount,
                entry.hitRate,
                entry.size,
                entry.lastModifiedTime,
                entry.expireTime,
                entry.lastAccessTime,
                entry.lastSyncTime,
                entry.origin.get()};
    }
};

class UrlCacheSource {
public:
    virtual ~UrlCacheSource() = default;
    /// Starts an enumeration; false when the cache cannot be read or holds nothing (then
    /// neither next nor end is called).
    virtual bool begin() = 0;
    /// The next entry, or std::nullopt at the end.
    virtual std::optional<RawUrlCacheEntry> next() = 0;
    /// The next entry lent to the caller (false at the end): its texts stay valid until the next
    /// call of readNext, next or end. A store that keeps its entries' texts (or reads them into
    /// a buffer of its own) lends them without a copy, so that reading a large cache copies
    /// each text once, into the reader's lists; the others lend what next() gives.
    virtual bool readNext(RawUrlCacheEntryView& entry) {
        m_lent = next();
        if (!m_lent)
            return false;
        entry = RawUrlCacheEntryView::Of(*m_lent);
        return true;
    }
    /// Ends the enumeration and releases what begin took.
    virtual void end() = 0;
    /// Some stores keep a cached body inside a larger file; such bodies (of pictures and videos)
    /// are copied into `folder` (the run's thumbs folder) so that the entry's local file holds
    /// exactly the body; the entry names the copy as it will stand in `shownFolder` (the report's
    /// thumbs folder once the run is done). Set before begin(); without one, such entries get no
    /// local file. Stores that keep every body in a file of its own ignore it.
    virtual void setExtractFolder(const std::string& folder, const std::string& shownFolder) {
        static_cast<void>(folder);
        static_cast<void>(shownFolder);
    }
    /// The same, the pages naming the copies where they are written.
    void setExtractFolder(const std::string& folder) { setExtractFolder(folder, folder); }

private:
    std::optional<RawUrlCacheEntry> m_lent; // what the default readNext lends
};

/// A cache that holds nothing.
class EmptyUrlCacheSource final : public UrlCacheSource {
public:
    bool begin() override { return false; }
    std::optional<RawUrlCacheEntry> next() override { return std::nullopt; }
    void end() override {}
};

} // namespace vorlith::platform
