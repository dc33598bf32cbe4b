#pragma once
// Chromium's "simple" disk cache: one "<hash>_0" file per entry, laid out as a 24-byte header
// (magic 0xfcfb6d1ba7725c30, version, key length, key hash; little-endian), the key, the body
// (stream 1), an end record for it, the response headers (stream 0, a pickled HttpResponseInfo),
// an optional 32-byte SHA-256 of the key and the end record of stream 0. An end record is 24
// bytes: magic 0xf4fa6f45970d41d8, flags (bit 2: the key's SHA-256 precedes it), CRC, stream size
// and padding.

#include "platform/clock.h"
#include "platform/file_system.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace vorlith {

struct SimpleCacheEntry {
    std::string key;
    uint64_t bodyOffset = 0; // where the body starts in the file
    uint64_t bodySize = 0;   // bytes
    FileTime requestTime = 0;
    FileTime responseTime = 0;
    std::string responseHead; // status line and header lines, each ending in CR LF
};

inline constexpr uint64_t kSimpleCacheInitialMagic = 0xfcfb6d1ba7725c30ULL;
inline constexpr uint64_t kSimpleCacheFinalMagic = 0xf4fa6f45970d41d8ULL;
inline constexpr size_t kSimpleCacheHeaderSize = 24;
inline constexpr size_t kSimpleCacheEndRecordSize = 24;
inline constexpr uint32_t kSimpleCacheHasKeySha256 = 2;

/// Reads the response time and head out of a pickled HttpResponseInfo (stream 0). Missing
/// parts stay zero or empty; never reads outside the bytes.
void ParseSimpleCacheHeaders(std::string_view stream0, SimpleCacheEntry& entry);

/// Reads one "_0" file. std::nullopt when a magic number is wrong, the version is unknown, the
/// key is empty or longer than the file allows, or the end records point outside the file or
/// into the key.
std::optional<SimpleCacheEntry> ReadSimpleCacheEntry(platform::InputFile& file);

/// True for the name of an entry's first file: 16 hexadecimal digits and "_0".
bool IsSimpleCacheEntryName(std::string_view name);

} // namespace vorlith
