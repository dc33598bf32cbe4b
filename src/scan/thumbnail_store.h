#pragma once
// What the thumbnail-store readers find: every picture a store holds, taken whole by the store's
// own structure, with what the store says about the picture's original; and the parts of the
// store that no structure accounts for, which the thumbnail pass still cuts at JPEG markers.

#include "base/progress.h"
#include "base/run_control.h"
#include "platform/clock.h"
#include "platform/file_system.h"
#include "scan/byte_range.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vorlith {

enum class PictureFormat { Jpeg, Png, Bmp };

/// The format by the first bytes: JPEG (FF D8 FF), PNG (its eight-byte signature), BMP ("BM" and
/// the rest of its 14-byte file header); std::nullopt for anything else.
std::optional<PictureFormat> DetectPictureFormat(std::string_view bytes);

/// The usual file-name ending of a format: ".jpg", ".png", ".bmp".
std::string_view PictureFileEnding(PictureFormat format);

/// One picture of a store, whole and in the store's order.
struct StoredPicture {
    /// Thumbs.db: the stream's name ("1", "01", "256_…"); thumbcache: the entry hash as 16
    /// lower-case hexadecimal digits.
    std::string key;
    PictureFormat format = PictureFormat::Jpeg;
    std::string bytes;        // the picture as stored, the store's own header removed
    std::string originalName; // Thumbs.db: the original's file name from the Catalog (UTF-8)
    std::optional<FileTime> originalTime; // Thumbs.db: the original's last change (UTC)
    std::optional<uint64_t> entryHash;    // thumbcache: the entry hash
};

/// Receives a store's pictures one at a time, so that a large store is never held whole.
class StoredPictureSink {
public:
    virtual ~StoredPictureSink() = default;
    virtual void addPicture(StoredPicture picture) = 0;
};

enum class StoreFormat {
    ThumbsDb,        // a compound file (Windows XP and network folders)
    ThumbCache,      // "CMMM" (Windows Vista to 11)
    ThumbCacheIndex, // "IMMM": hashes and offsets, no pictures
    Unknown,
};

enum class StoreOutcome {
    Read,          // the structure was read to its end
    NotRecognised, // no known structure or an unknown version: the whole store is left over
    Damaged,       // the structure broke off: pictures before the damage were given
    Stopped,       // the run was cancelled: pictures so far were given, nothing is left over
};

struct StoreReadResult {
    StoreFormat format = StoreFormat::Unknown;
    StoreOutcome outcome = StoreOutcome::NotRecognised;
    int64_t pictureCount = 0; // pictures given to the sink
    /// Bytes that no structure accounts for, in file order and never overlapping: the whole
    /// store when it is not recognised or its container is damaged, a compound file's free
    /// sectors, a thumbcache's bytes after the last entry that could be walked.
    std::vector<ByteRange> leftovers;
    /// What was wrong, each message located in the store ("stream \"3\": …", "entry 2 at byte
    /// 904: …") but without the store's path, which the caller puts before it.
    std::vector<std::string> messages;
};

/// The largest picture a reader takes whole (bytes); a stream or entry claiming more is skipped
/// with a message.
inline constexpr uint64_t kLargestStoredPicture = 32ull << 20;

/// Reads a store by its first bytes: a compound file as a Thumbs.db, "CMMM" as a thumbcache,
/// "IMMM" as a thumbcache index (no pictures, nothing left over); anything else, an empty or
/// unreadable store included, is NotRecognised with the whole store left over. Only the size
/// the file had when it was opened is read. Yields every 20 pictures and stops at the first
/// yield after a cancel; the progress bar shows how many of the store's pictures (Thumbs.db)
/// or bytes (thumbcache) are done.
StoreReadResult ReadThumbnailStore(platform::InputFile& store, StoredPictureSink& sink,
                                   RunControl& run, ProgressSink& progress);

} // namespace vorlith
