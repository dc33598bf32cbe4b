#include "scan/thumbnail_store.h"

#include "scan/thumbcache.h"
#include "scan/thumbs_db.h"

namespace vorlith {
namespace {

constexpr std::string_view kJpegSignature{"\xFF\xD8\xFF", 3};
constexpr std::string_view kPngSignature{"\x89PNG\r\n\x1A\n", 8};
constexpr size_t kBmpFileHeaderSize = 14;
constexpr std::string_view kCompoundFileSignature{"\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8};

} // namespace

std::optional<PictureFormat> DetectPictureFormat(std::string_view bytes) {
    if (bytes.starts_with(kJpegSignature))
        return PictureFormat::Jpeg;
    if (bytes.starts_with(kPngSignature))
        return PictureFormat::Png;
    if (bytes.size() > kBmpFileHeaderSize && bytes.starts_with("BM"))
        return PictureFormat::Bmp;
    return std::nullopt;
}

std::string_view PictureFileEnding(PictureFormat format) {
    switch (format) {
    case PictureFormat::Jpeg:
        return ".jpg";
    case PictureFormat::Png:
        return ".png";
    case PictureFormat::Bmp:
        return ".bmp";
    }
    return ".jpg";
}

StoreReadResult ReadThumbnailStore(platform::InputFile& store, StoredPictureSink& sink,
                                   RunControl& run, ProgressSink& progress) {
    char start[8] = {};
    const std::string_view signature(start, store.readAt(0, start, sizeof start));
    if (signature == kCompoundFileSignature)
        return ReadThumbsDb(store, sink, run, progress);
    if (signature.starts_with("CMMM"))
        return ReadThumbcache(store, sink, run, progress);
    StoreReadResult result;
    if (signature.starts_with("IMMM")) {
        result.format = StoreFormat::ThumbCacheIndex;
        result.outcome = StoreOutcome::Read;
        return result;
    }
    result.messages.push_back(store.size() == 0 ? "the store is empty"
                                                : "no known thumbnail-store signature");
    if (store.size() > 0)
        result.leftovers.push_back({0, store.size()});
    return result;
}

} // namespace vorlith
