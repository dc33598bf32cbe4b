#include "sources/chromium_simple_cache.h"

#include "sources/browser_time.h"
#include "base/byte_cursor.h"

#include <cctype>

namespace vorlith {
namespace {

constexpr uint32_t kLowestKnownVersion = 5;
constexpr uint32_t kHighestKnownVersion = 9;
// Keys are addresses with an isolation prefix; data: addresses make long ones, but not this long.
constexpr uint32_t kMaxKeyLength = 1024 * 1024;
constexpr uint32_t kMaxHeadersSize = 1024 * 1024;
constexpr uint32_t kHasExtraFlags = 0x80000000u;

std::optional<std::string> readExactly(platform::InputFile& file, uint64_t offset, size_t size) {
    std::string bytes(size, '\0');
    if (file.readAt(offset, bytes.data(), size) != size)
        return std::nullopt;
    return bytes;
}

struct EndRecord {
    uint32_t flags = 0;
    uint32_t streamSize = 0;
};

std::optional<EndRecord> parseEndRecord(std::string_view bytes) {
    ByteCursor cursor(bytes);
    uint64_t magic = cursor.u64le();
    EndRecord record;
    record.flags = cursor.u32le();
    cursor.skip(4); // CRC of the stream
    record.streamSize = cursor.u32le();
    if (!cursor.ok() || magic != kSimpleCacheFinalMagic)
        return std::nullopt;
    return record;
}

// The raw headers keep one line per NUL; the page shows them as the usual CR LF lines.
std::string headLines(std::string_view raw) {
    std::string head;
    size_t start = 0;
    while (start < raw.size()) {
        size_t end = raw.find('\0', start);
        if (end == std::string_view::npos)
            end = raw.size();
        if (end > start) {
            head.append(raw.substr(start, end - start));
            head += "\r\n";
        }
        start = end + 1;
    }
    return head;
}

} // namespace

void ParseSimpleCacheHeaders(std::string_view stream0, SimpleCacheEntry& entry) {
    ByteCursor cursor(stream0);
    uint32_t payloadSize = cursor.u32le();
    if (!cursor.ok() || payloadSize > cursor.remaining())
        return;
    ByteCursor payload(stream0.substr(4, payloadSize));
    uint32_t flags = payload.u32le();
    if (flags & kHasExtraFlags)
        payload.skip(4);
    int64_t requestTime = payload.i64le();
    int64_t responseTime = payload.i64le();
    if (!payload.ok())
        return;
    entry.requestTime = FileTimeFromWebKitTime(requestTime);
    entry.responseTime = FileTimeFromWebKitTime(responseTime);
    // Newer versions keep one more time before the headers; the headers are the string that
    // starts with a status line.
    const size_t payloadEnd = 4 + size_t{payloadSize};
    const size_t afterTimes = 4 + payload.position();
    for (size_t extra : {size_t{0}, size_t{8}}) {
        size_t start = afterTimes + extra;
        if (start > payloadEnd)
            break;
        ByteCursor attempt(stream0.substr(start, payloadEnd - start));
        uint32_t length = attempt.u32le();
        std::string_view raw = attempt.take(length);
        if (attempt.ok() && raw.substr(0, 5) == "HTTP/") {
            entry.responseHead = headLines(raw);
            return;
        }
    }
}

std::optional<SimpleCacheEntry> ReadSimpleCacheEntry(platform::InputFile& file) {
    const uint64_t fileSize = file.size();
    if (fileSize < kSimpleCacheHeaderSize + 2 * kSimpleCacheEndRecordSize)
        return std::nullopt;
    auto header = readExactly(file, 0, kSimpleCacheHeaderSize);
    if (!header)
        return std::nullopt;
    ByteCursor cursor(*header);
    uint64_t magic = cursor.u64le();
    uint32_t version = cursor.u32le();
    uint32_t keyLength = cursor.u32le();
    if (!cursor.ok() || magic != kSimpleCacheInitialMagic || version < kLowestKnownVersion ||
        version > kHighestKnownVersion || keyLength == 0 || keyLength > kMaxKeyLength)
        return std::nullopt;
    const uint64_t bodyOffset = kSimpleCacheHeaderSize + uint64_t{keyLength};
    if (bodyOffset + 2 * kSimpleCacheEndRecordSize > fileSize)
        return std::nullopt;

    auto lastRecord =
        readExactly(file, fileSize - kSimpleCacheEndRecordSize, kSimpleCacheEndRecordSize);
    auto stream0End = lastRecord ? parseEndRecord(*lastRecord) : std::nullopt;
    if (!stream0End)
        return std::nullopt;
    uint64_t keyHashSize = (stream0End->flags & kSimpleCacheHasKeySha256) ? 32 : 0;
    uint64_t tail = kSimpleCacheEndRecordSize + keyHashSize + stream0End->streamSize;
    // Stream 0 and its records must lie after the key and the end record of the body.
    if (stream0End->streamSize > kMaxHeadersSize ||
        tail + kSimpleCacheEndRecordSize + bodyOffset > fileSize)
        return std::nullopt;
    const uint64_t stream0Offset = fileSize - tail;
    const uint64_t bodyEndRecordOffset = stream0Offset - kSimpleCacheEndRecordSize;
    auto bodyRecord = readExactly(file, bodyEndRecordOffset, kSimpleCacheEndRecordSize);
    if (!bodyRecord || !parseEndRecord(*bodyRecord))
        return std::nullopt;

    SimpleCacheEntry entry;
    auto key = readExactly(file, kSimpleCacheHeaderSize, keyLength);
    if (!key)
        return std::nullopt;
    entry.key = std::move(*key);
    entry.bodyOffset = bodyOffset;
    entry.bodySize = bodyEndRecordOffset - bodyOffset;
    if (auto stream0 = readExactly(file, stream0Offset, stream0End->streamSize))
        ParseSimpleCacheHeaders(*stream0, entry);
    return entry;
}

bool IsSimpleCacheEntryName(std::string_view name) {
    if (name.size() != 18 || name.substr(16) != "_0")
        return false;
    for (char c : name.substr(0, 16))
        if (!std::isxdigit(static_cast<unsigned char>(c)))
            return false;
    return true;
}

} // namespace vorlith
