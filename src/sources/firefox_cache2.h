#pragma once
// Firefox's disk cache ("cache2/entries"): one file per entry. The file begins with the body;
// the metadata follows it, and the file's last four bytes (big-endian) give the metadata's offset,
// which is also the body's length. The metadata holds a hash, one 16-bit hash per 256 KiB chunk
// of the body, a header (version, fetch count, last fetched, last modified, frecency, expiration,
// key size and, from version 2, flags; times in seconds since 1970), the key with its NUL, and
// NUL-terminated name/value elements such as "response-head".

#include "platform/file_system.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace vorlith {

struct FirefoxCacheEntry {
    std::string key;
    uint64_t bodySize = 0; // bytes at the start of the file
    uint32_t version = 0;
    uint32_t fetchCount = 0;
    uint32_t lastFetched = 0;  // seconds since 1970
    uint32_t lastModified = 0; // seconds since 1970
    uint32_t expiration = 0;   // seconds since 1970; 0xFFFFFFFF for "never"
    std::string responseHead;  // the "response-head" element; "" when absent
};

/// Chunks of the body that carry a hash each.
inline constexpr uint64_t kFirefoxChunkSize = 256 * 1024;
/// Metadata larger than this is not a real entry's and is refused.
inline constexpr uint64_t kFirefoxMaxMetadataSize = 16 * 1024 * 1024;

/// Parses the metadata, given from its offset to the end of the file (the final offset word
/// included), for a body of bodySize bytes. std::nullopt when a field runs past the bytes, the
/// version is unknown, the key is empty or lacks its NUL.
std::optional<FirefoxCacheEntry> ParseFirefoxCacheMetadata(std::string_view metadata,
                                                           uint64_t bodySize);

/// Reads an entry file: the offset word, then the metadata. std::nullopt for a file too short,
/// an offset outside the file, oversized metadata or metadata ParseFirefoxCacheMetadata refuses.
std::optional<FirefoxCacheEntry> ReadFirefoxCacheEntry(platform::InputFile& file);

} // namespace vorlith
