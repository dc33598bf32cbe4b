#include "scan/thumbs_db.h"

#include "base/byte_cursor.h"
#include "base/text_encoding.h"
#include "scan/compound_file.h"

#include <fmt/format.h>

#include <algorithm>
#include <map>

namespace vorlith {
namespace {

constexpr std::string_view kCatalogName = "Catalog";
constexpr size_t kCatalogEntryFixedSize = 16; // length, number, time
constexpr size_t kSignatureSearchWindow = 64; // bytes of a stream searched for a picture

// The name's UTF-16 units up to the first NUL unit.
std::string nameUpToNul(std::string_view units) {
    for (size_t offset = 0; offset + 1 < units.size(); offset += 2)
        if (units[offset] == '\0' && units[offset + 1] == '\0')
            return Utf16LeToUtf8(units.substr(0, offset));
    return Utf16LeToUtf8(units);
}

struct PictureStream {
    const CompoundStream* stream;
    std::optional<uint32_t> number;
};

} // namespace

ThumbsDbCatalog ParseThumbsDbCatalog(std::string_view stream) {
    ThumbsDbCatalog catalog;
    ByteCursor header(stream);
    const uint16_t headerLength = header.u16le();
    if (!header.ok() || headerLength < 4 || headerLength > stream.size()) {
        catalog.messages.push_back(fmt::format("Catalog: a header of {} bytes in a stream of {}",
                                               headerLength, stream.size()));
        return catalog;
    }
    size_t offset = headerLength;
    for (int index = 1; stream.size() - offset >= 4; ++index) {
        ByteCursor entry(stream.substr(offset));
        const uint32_t length = entry.u32le();
        if (length == 0)
            break; // zero padding after the last entry
        const size_t left = stream.size() - offset;
        if (length < kCatalogEntryFixedSize || left < kCatalogEntryFixedSize) {
            catalog.messages.push_back(
                fmt::format("Catalog entry {} at byte {}: {} bytes, too short for its fields "
                            "({} left in the stream)",
                            index, offset, length, left));
            break;
        }
        ThumbsDbCatalogEntry parsed;
        parsed.number = entry.u32le();
        parsed.time = entry.u64le();
        const size_t nameEnd = std::min<size_t>(length, left);
        parsed.name = nameUpToNul(
            stream.substr(offset + kCatalogEntryFixedSize, nameEnd - kCatalogEntryFixedSize));
        catalog.entries.push_back(std::move(parsed));
        if (length > left) {
            catalog.messages.push_back(fmt::format(
                "Catalog entry {} at byte {}: {} bytes claimed, {} left in the stream; its name "
                "is cut there",
                index, offset, length, left));
            break;
        }
        offset += length;
    }
    return catalog;
}

std::optional<uint32_t> ThumbsDbCatalogNumber(std::string_view streamName) {
    if (streamName.empty() || streamName.size() > 9)
        return std::nullopt;
    uint32_t number = 0;
    for (auto digit = streamName.rbegin(); digit != streamName.rend(); ++digit) {
        if (*digit < '0' || *digit > '9')
            return std::nullopt;
        number = number * 10 + static_cast<uint32_t>(*digit - '0');
    }
    return number;
}

std::optional<ThumbnailStreamPicture> LocateThumbnailStreamPicture(std::string_view stream) {
    ByteCursor header(stream);
    const uint32_t headerLength = header.u32le();
    if (header.ok() && headerLength >= 4 && headerLength < stream.size())
        if (auto format = DetectPictureFormat(stream.substr(headerLength)))
            return ThumbnailStreamPicture{headerLength, *format};
    // A header of another length than its first word says: look for a JPEG or PNG signature
    // (a BMP's two letters are too common in header bytes to be trusted).
    const size_t window = std::min(stream.size(), kSignatureSearchWindow);
    for (size_t offset = 0; offset < window; ++offset) {
        const auto format = DetectPictureFormat(stream.substr(offset));
        if (format && *format != PictureFormat::Bmp)
            return ThumbnailStreamPicture{offset, *format};
    }
    return std::nullopt;
}

StoreReadResult ReadThumbsDb(platform::InputFile& store, StoredPictureSink& sink, RunControl& run,
                             ProgressSink& progress) {
    StoreReadResult result;
    CompoundOpening opening = CompoundFile::open(store);
    if (opening.status != CompoundOpenStatus::Opened) {
        const bool isDamaged = opening.status == CompoundOpenStatus::Damaged;
        result.format = isDamaged ? StoreFormat::ThumbsDb : StoreFormat::Unknown;
        result.outcome = isDamaged ? StoreOutcome::Damaged : StoreOutcome::NotRecognised;
        result.messages.push_back(std::move(opening.message));
        if (store.size() > 0)
            result.leftovers.push_back({0, store.size()});
        return result;
    }
    result.format = StoreFormat::ThumbsDb;
    CompoundFile& file = *opening.file;
    result.messages = file.directoryMessages();

    std::map<uint32_t, ThumbsDbCatalogEntry> originals;
    std::vector<PictureStream> pictureStreams;
    for (const CompoundStream& stream : file.streams()) {
        if (stream.name != kCatalogName) {
            pictureStreams.push_back({&stream, ThumbsDbCatalogNumber(stream.name)});
            continue;
        }
        StreamContent content = file.readStream(stream, kLargestStoredPicture);
        if (!content.bytes) {
            result.messages.push_back("stream \"Catalog\": " + content.message);
            continue;
        }
        ThumbsDbCatalog catalog = ParseThumbsDbCatalog(*content.bytes);
        for (ThumbsDbCatalogEntry& entry : catalog.entries)
            originals.emplace(entry.number, std::move(entry));
        result.messages.insert(result.messages.end(), catalog.messages.begin(),
                               catalog.messages.end());
    }
    std::stable_sort(pictureStreams.begin(), pictureStreams.end(),
                     [](const PictureStream& a, const PictureStream& b) {
                         return a.number.value_or(UINT32_MAX) < b.number.value_or(UINT32_MAX);
                     });

    progress.setProgressMaximum(static_cast<int64_t>(pictureStreams.size()));
    for (size_t index = 0; index < pictureStreams.size(); ++index) {
        const CompoundStream& stream = *pictureStreams[index].stream;
        StreamContent content = file.readStream(stream, kLargestStoredPicture);
        std::optional<ThumbnailStreamPicture> picture;
        if (!content.bytes)
            result.messages.push_back("stream \"" + stream.name + "\": " + content.message);
        else if (!(picture = LocateThumbnailStreamPicture(*content.bytes)))
            result.messages.push_back(fmt::format("stream \"{}\": no picture in its {} bytes",
                                                  stream.name, content.bytes->size()));
        if (picture) {
            StoredPicture stored;
            stored.key = stream.name;
            stored.format = picture->format;
            stored.bytes = content.bytes->substr(picture->offset);
            if (const auto number = pictureStreams[index].number) {
                if (auto original = originals.find(*number); original != originals.end()) {
                    stored.originalName = original->second.name;
                    stored.originalTime = original->second.time;
                }
            }
            sink.addPicture(std::move(stored));
            ++result.pictureCount;
        }
        progress.setProgress(static_cast<int64_t>(index + 1));
        if ((index + 1) % 20 == 0) {
            run.yield();
            if (run.isCanceled()) {
                result.outcome = StoreOutcome::Stopped;
                return result;
            }
        }
    }
    std::optional<std::vector<ByteRange>> unused = file.unusedRanges(run);
    if (!unused) {
        result.outcome = StoreOutcome::Stopped;
        return result;
    }
    result.leftovers = std::move(*unused);
    result.outcome = StoreOutcome::Read;
    return result;
}

} // namespace vorlith
