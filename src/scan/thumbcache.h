#pragma once
// thumbcache_*.db (Windows Vista to 11): a file header ("CMMM", format version, cache type, the
// offset of the first entry) and entries laid end to end, each a header ("CMMM", its own size,
// the entry hash, the sizes of an identifier string, of padding and of the data) followed by
// those three. The data is the thumbnail as stored: JPEG, PNG or BMP.

#include "scan/thumbnail_store.h"

#include <cstdint>
#include <optional>
#include <string_view>

namespace vorlith {

/// The header of one cache entry.
struct ThumbcacheEntryHeader {
    uint32_t entrySize = 0; // bytes of the whole entry, header included
    uint64_t hash = 0;
    uint32_t identifierSize = 0; // bytes
    uint32_t paddingSize = 0;    // bytes
    uint32_t dataSize = 0;       // bytes
    uint32_t headerSize = 0;     // bytes: 56 (Vista), 48 (Windows 7), 56 (Windows 8 on)

    /// Where the data begins, counted from the entry's start.
    uint64_t dataOffset() const { return uint64_t{headerSize} + identifierSize + paddingSize; }
};

/// The size of an entry header in a file of this format version (20: Vista, 21: Windows 7,
/// 26 to 32: Windows 8 to 11); std::nullopt for a version the format does not know.
std::optional<uint32_t> ThumbcacheEntryHeaderSize(uint32_t formatVersion);

/// Parses an entry header; std::nullopt unless it begins with "CMMM" and holds the whole header
/// of its version.
std::optional<ThumbcacheEntryHeader> ParseThumbcacheEntryHeader(std::string_view bytes,
                                                                uint32_t formatVersion);

/// Reads a thumbcache file (see ReadThumbnailStore): walks the entries from the first one by
/// their sizes and gives each entry's data whole when it is a JPEG, PNG or BMP, keyed by its
/// hash. An entry whose data does not fit in it, is empty or is no picture is skipped (with a
/// message unless empty). The walk ends at the end of the file or where no entry signature
/// follows (bytes after the last entry are left over, with a message when they lie before the
/// header's end of used entries); an entry whose size runs past the file or is smaller than its
/// header ends it as Damaged. An unknown format version is NotRecognised.
StoreReadResult ReadThumbcache(platform::InputFile& store, StoredPictureSink& sink, RunControl& run,
                               ProgressSink& progress);

} // namespace vorlith
