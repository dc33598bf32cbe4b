#include "scan/thumbcache.h"

#include "base/byte_cursor.h"

#include <fmt/format.h>

#include <string>

namespace vorlith {
namespace {

constexpr std::string_view kEntrySignature = "CMMM";
constexpr size_t kFileHeaderSize = 28;     // the longest file header, Windows 8 on
constexpr size_t kShortestFileHeader = 24; // Windows Vista and 7

struct FileHeader {
    uint32_t version = 0;
    uint64_t firstEntry = 0;   // offset of the first entry
    uint64_t endOfEntries = 0; // offset of the first free byte after the used entries
};

bool hasEntrySignature(platform::InputFile& store, uint64_t offset) {
    char signature[4];
    return store.readAt(offset, signature, sizeof signature) == sizeof signature &&
           std::string_view(signature, sizeof signature) == kEntrySignature;
}

// Windows Vista and 7 keep the offsets of the first entry and of the free space at bytes 12 and
// 16; Windows 8 on put another word before them. The offset that leads to an entry decides.
std::optional<FileHeader> findEntries(platform::InputFile& store, std::string_view header) {
    ByteCursor cursor(header);
    cursor.skip(4);
    FileHeader found;
    found.version = cursor.u32le();
    cursor.skip(4); // cache type
    const uint32_t at12 = cursor.u32le();
    const uint32_t at16 = cursor.u32le();
    const uint32_t at20 = cursor.u32le();
    if (!cursor.ok())
        return std::nullopt;
    const bool isVistaOr7 = found.version == 20 || found.version == 21;
    const std::pair<uint32_t, uint32_t> layouts[] = {{at12, at16}, {at16, at20}};
    for (int choice = 0; choice < 2; ++choice) {
        const auto& [first, free] = layouts[isVistaOr7 ? choice : 1 - choice];
        if (hasEntrySignature(store, first)) {
            found.firstEntry = first;
            found.endOfEntries = free;
            return found;
        }
    }
    // No entry where either layout points: an empty cache, or entries lost.
    found.firstEntry = isVistaOr7 ? at12 : at16;
    found.endOfEntries = isVistaOr7 ? at16 : at20;
    return found;
}

std::string hexHash(uint64_t hash) {
    return fmt::format("{:016x}", hash);
}

} // namespace

std::optional<uint32_t> ThumbcacheEntryHeaderSize(uint32_t formatVersion) {
    switch (formatVersion) {
    case 20:
        return 56; // with the file's extension in UTF-16
    case 21:
        return 48;
    case 26:
    case 28:
    case 30:
    case 31:
    case 32:
        return 56; // with the picture's width and height
    default:
        return std::nullopt;
    }
}

std::optional<ThumbcacheEntryHeader> ParseThumbcacheEntryHeader(std::string_view bytes,
                                                                uint32_t formatVersion) {
    const std::optional<uint32_t> headerSize = ThumbcacheEntryHeaderSize(formatVersion);
    if (!headerSize || bytes.size() < *headerSize)
        return std::nullopt;
    ByteCursor cursor(bytes);
    if (cursor.take(4) != kEntrySignature)
        return std::nullopt;
    ThumbcacheEntryHeader header;
    header.headerSize = *headerSize;
    header.entrySize = cursor.u32le();
    header.hash = cursor.u64le();
    if (formatVersion == 20)
        cursor.skip(8); // the extension
    header.identifierSize = cursor.u32le();
    header.paddingSize = cursor.u32le();
    header.dataSize = cursor.u32le();
    if (!cursor.ok())
        return std::nullopt;
    return header;
}

StoreReadResult ReadThumbcache(platform::InputFile& store, StoredPictureSink& sink, RunControl& run,
                               ProgressSink& progress) {
    StoreReadResult result;
    const uint64_t size = store.size();
    auto leaveRest = [&](uint64_t from) {
        if (from < size)
            result.leftovers.push_back({from, size - from});
    };
    std::string header(kFileHeaderSize, '\0');
    header.resize(store.readAt(0, header.data(), header.size()));
    std::optional<FileHeader> file;
    if (header.substr(0, 4) == kEntrySignature)
        file = findEntries(store, header);
    const std::optional<uint32_t> entryHeaderSize =
        file ? ThumbcacheEntryHeaderSize(file->version) : std::nullopt;
    if (!entryHeaderSize) {
        result.messages.push_back(
            file ? fmt::format("thumbcache format version {} is not known", file->version)
                 : std::string("no thumbcache header"));
        leaveRest(0);
        return result;
    }
    result.format = StoreFormat::ThumbCache;
    result.outcome = StoreOutcome::Read;
    progress.setProgressMaximum(static_cast<int64_t>(size));

    uint64_t offset = file->firstEntry;
    if (offset < kShortestFileHeader || offset > size) {
        result.outcome = StoreOutcome::Damaged;
        result.messages.push_back(
            fmt::format("the first entry's offset {} lies outside the file's entries", offset));
        leaveRest(kShortestFileHeader);
        return result;
    }
    std::string entryBytes;
    for (int64_t number = 1; offset < size; ++number) {
        entryBytes.resize(*entryHeaderSize);
        entryBytes.resize(store.readAt(offset, entryBytes.data(), entryBytes.size()));
        const std::optional<ThumbcacheEntryHeader> entry =
            ParseThumbcacheEntryHeader(entryBytes, file->version);
        if (!entry) {
            if (offset < file->endOfEntries && file->endOfEntries <= size)
                result.messages.push_back(fmt::format(
                    "entry {} at byte {}: no entry header, before the end of the used entries "
                    "(byte {}); the rest is left over",
                    number, offset, file->endOfEntries));
            break;
        }
        if (entry->entrySize < entry->headerSize || entry->entrySize > size - offset) {
            result.outcome = StoreOutcome::Damaged;
            result.messages.push_back(fmt::format(
                "entry {} at byte {}: its size of {} bytes {}", number, offset, entry->entrySize,
                entry->entrySize < entry->headerSize
                    ? fmt::format("is less than its {}-byte header", entry->headerSize)
                    : fmt::format("runs past the end of the file ({} bytes)", size)));
            break;
        }
        const std::string key = hexHash(entry->hash);
        if (entry->dataSize == 0) {
            // an entry kept for a file that has no thumbnail
        } else if (entry->dataOffset() + entry->dataSize > entry->entrySize) {
            result.messages.push_back(fmt::format(
                "entry {} ({}) at byte {}: {} bytes of data at +{} run past its {} bytes", number,
                key, offset, entry->dataSize, entry->dataOffset(), entry->entrySize));
        } else if (entry->dataSize > kLargestStoredPicture) {
            result.messages.push_back(fmt::format("entry {} ({}) at byte {}: {} bytes of data, "
                                                  "more than the {} taken",
                                                  number, key, offset, entry->dataSize,
                                                  kLargestStoredPicture));
        } else {
            StoredPicture picture;
            picture.bytes.resize(entry->dataSize);
            picture.bytes.resize(
                store.readAt(offset + entry->dataOffset(), picture.bytes.data(), entry->dataSize));
            const std::optional<PictureFormat> format = DetectPictureFormat(picture.bytes);
            if (picture.bytes.size() != entry->dataSize || !format) {
                result.messages.push_back(
                    fmt::format("entry {} ({}) at byte {}: its data is no JPEG, PNG or BMP", number,
                                key, offset));
            } else {
                picture.key = key;
                picture.format = *format;
                picture.entryHash = entry->hash;
                sink.addPicture(std::move(picture));
                ++result.pictureCount;
            }
        }
        offset += entry->entrySize;
        progress.setProgress(static_cast<int64_t>(offset));
        if (number % 20 == 0) {
            run.yield();
            if (run.isCanceled()) {
                result.outcome = StoreOutcome::Stopped;
                result.leftovers.clear();
                return result;
            }
        }
    }
    leaveRest(offset);
    return result;
}

} // namespace vorlith
