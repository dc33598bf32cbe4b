#pragma once
// Thumbs.db: a compound file with one stream per thumbnail and a "Catalog" stream naming the
// original of each. Windows XP names the thumbnail streams by the catalog number's decimal digits
// reversed ("1", …, "9", "01", "11": number 10 is "01"); each stream is a small header, whose
// first little-endian word is its own length, then the picture. Later Windows writes streams such
// as "256_79dea834bece3f6b" (size and hash) with a longer header and no Catalog entries.

#include "scan/thumbnail_store.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vorlith {

/// One entry of the Catalog: the original file of one thumbnail.
struct ThumbsDbCatalogEntry {
    uint32_t number = 0; // the thumbnail's catalog number
    std::string name;    // the original's file name (UTF-8)
    FileTime time = 0;   // the original's last change (UTC)
};

struct ThumbsDbCatalog {
    std::vector<ThumbsDbCatalogEntry> entries;
    std::vector<std::string> messages; // "Catalog entry 4 at byte 196: …"
};

/// Parses the Catalog stream: a header (16-bit header length, 16-bit version, 32-bit entry count,
/// 32-bit width and height), then entries of a 32-bit length (counting itself), a 32-bit catalog
/// number, a 64-bit file time and the name in UTF-16LE ending in NUL; all little-endian. A name
/// ends at its NUL or at its entry's end. An entry whose length is too short for its fields or
/// runs past the stream ends the parse with a message; the entries before it are kept.
ThumbsDbCatalog ParseThumbsDbCatalog(std::string_view stream);

/// The catalog number a stream's name spells: its decimal digits reversed ("01" is 10).
/// std::nullopt for a name that is not one to nine digits.
std::optional<uint32_t> ThumbsDbCatalogNumber(std::string_view streamName);

/// Where the picture of a thumbnail stream begins and what it is.
struct ThumbnailStreamPicture {
    size_t offset = 0; // bytes of the stream's own header
    PictureFormat format = PictureFormat::Jpeg;
};

/// The picture after the stream's header, whose first little-endian word gives the header's
/// length; when that word does not lead to a picture, the first JPEG, PNG or BMP signature within
/// the first 64 bytes. std::nullopt when neither is found.
std::optional<ThumbnailStreamPicture> LocateThumbnailStreamPicture(std::string_view stream);

/// Reads a Thumbs.db (see ReadThumbnailStore): every stream but the Catalog whose bytes hold a
/// picture, whole and without its header, in catalog-number order (streams without a number
/// after, in directory order), each with its Catalog name and time when the Catalog has its
/// number. A stream that cannot be read or holds no picture is skipped with a message; a Catalog
/// that cannot be read costs only the names. The compound file's free sectors are left over.
/// A file that is not a compound file is NotRecognised; one whose header, DIFAT or directory
/// cannot be read is Damaged, with the whole file left over.
StoreReadResult ReadThumbsDb(platform::InputFile& store, StoredPictureSink& sink, RunControl& run,
                             ProgressSink& progress);

} // namespace vorlith
