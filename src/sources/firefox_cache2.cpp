#include "sources/firefox_cache2.h"

#include "base/byte_cursor.h"

namespace vorlith {
namespace {
// Versions 1 to 4 exist; a larger number is some other file that happens to fit.
constexpr uint32_t kHighestKnownVersion = 64;
constexpr uint32_t kFirstVersionWithFlags = 2;
} // namespace

std::optional<FirefoxCacheEntry> ParseFirefoxCacheMetadata(std::string_view metadata,
                                                           uint64_t bodySize) {
    if (metadata.size() < 4)
        return std::nullopt;
    // The last four bytes are the offset word, not part of the elements.
    ByteCursor cursor(metadata.substr(0, metadata.size() - 4));
    cursor.skip(4); // hash of the metadata
    uint64_t chunkCount = (bodySize + kFirefoxChunkSize - 1) / kFirefoxChunkSize;
    if (chunkCount * 2 > cursor.remaining())
        return std::nullopt;
    cursor.skip(static_cast<size_t>(chunkCount * 2));

    FirefoxCacheEntry entry;
    entry.bodySize = bodySize;
    entry.version = cursor.u32be();
    entry.fetchCount = cursor.u32be();
    entry.lastFetched = cursor.u32be();
    entry.lastModified = cursor.u32be();
    cursor.skip(4); // frecency
    entry.expiration = cursor.u32be();
    uint32_t keySize = cursor.u32be();
    if (entry.version >= kFirstVersionWithFlags)
        cursor.skip(4); // flags
    if (!cursor.ok() || entry.version == 0 || entry.version > kHighestKnownVersion ||
        keySize == 0 || keySize >= cursor.remaining())
        return std::nullopt;
    std::string_view key = cursor.take(keySize);
    if (cursor.u8() != 0 || !cursor.ok() || key.find('\0') != std::string_view::npos)
        return std::nullopt;
    entry.key = std::string(key);

    // Elements: name NUL value NUL, until the bytes end or an empty name (newer files put a
    // further word before the offset, which reads as such).
    while (cursor.remaining() > 0) {
        std::string_view name = cursor.takeUntilNul();
        std::string_view value = cursor.takeUntilNul();
        if (!cursor.ok() || name.empty())
            break;
        if (name == "response-head") {
            entry.responseHead = std::string(value);
            break;
        }
    }
    return entry;
}

std::optional<FirefoxCacheEntry> ReadFirefoxCacheEntry(platform::InputFile& file) {
    const uint64_t fileSize = file.size();
    if (fileSize < 8)
        return std::nullopt;
    char word[4];
    if (file.readAt(fileSize - 4, word, 4) != 4)
        return std::nullopt;
    uint64_t offset = ByteCursor(std::string_view(word, 4)).u32be();
    if (offset > fileSize - 4 || fileSize - offset > kFirefoxMaxMetadataSize)
        return std::nullopt;
    std::string metadata(static_cast<size_t>(fileSize - offset), '\0');
    if (file.readAt(offset, metadata.data(), metadata.size()) != metadata.size())
        return std::nullopt;
    return ParseFirefoxCacheMetadata(metadata, offset);
}

} // namespace vorlith
