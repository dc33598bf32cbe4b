#include "sources/png_text.h"

#include "base/byte_cursor.h"
#include "base/text_encoding.h"

#include <fmt/format.h>
#include <zlib.h>

namespace vorlith {
namespace {

constexpr std::string_view kPngSignature{"\x89PNG\r\n\x1A\n", 8};
constexpr size_t kChunkHeaderSize = 8; // length, type
constexpr size_t kChunkCrcSize = 4;
constexpr uint32_t kLargestChunkLength = 0x7FFFFFFF; // the format's own limit
constexpr size_t kLongestKeyword = 79;
// A preview has a handful of chunks; a file of tiny chunks could otherwise cost a read per
// twelve bytes of it.
constexpr int kMostChunks = 100000;

// Inflates zlib data; std::nullopt when it is damaged, does not end, or inflates to more than
// kLargestPngText bytes.
std::optional<std::string> inflateText(std::string_view compressed) {
    z_stream stream{};
    if (inflateInit(&stream) != Z_OK)
        return std::nullopt;
    std::string text(kLargestPngText + 1, '\0');
    stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(compressed.data()));
    stream.avail_in = static_cast<uInt>(compressed.size());
    stream.next_out = reinterpret_cast<Bytef*>(text.data());
    stream.avail_out = static_cast<uInt>(text.size());
    const int status = inflate(&stream, Z_FINISH);
    const size_t produced = text.size() - stream.avail_out;
    inflateEnd(&stream);
    if (status != Z_STREAM_END || produced > kLargestPngText)
        return std::nullopt;
    text.resize(produced);
    return text;
}

} // namespace

std::optional<PngTextEntry> ParsePngTextChunk(std::string_view type, std::string_view body) {
    ByteCursor cursor(body);
    const std::string_view keyword = cursor.takeUntilNul();
    if (!cursor.ok() || keyword.empty() || keyword.size() > kLongestKeyword)
        return std::nullopt;
    const std::string_view rest = body.substr(cursor.position());
    PngTextEntry entry;
    entry.keyword = Latin1ToUtf8(keyword);
    if (type == "tEXt") {
        if (rest.size() > kLargestPngText)
            return std::nullopt;
        entry.text = Latin1ToUtf8(rest);
        return entry;
    }
    if (type == "zTXt") {
        if (rest.empty() || rest[0] != 0)
            return std::nullopt; // method 0 (deflate) is the only one
        auto text = inflateText(rest.substr(1));
        if (!text)
            return std::nullopt;
        entry.text = Latin1ToUtf8(*text);
        return entry;
    }
    if (type == "iTXt") {
        const uint8_t isCompressed = cursor.u8();
        const uint8_t method = cursor.u8();
        cursor.takeUntilNul(); // language tag
        cursor.takeUntilNul(); // translated keyword
        if (!cursor.ok() || isCompressed > 1 || (isCompressed && method != 0))
            return std::nullopt;
        const std::string_view text = body.substr(cursor.position());
        if (!isCompressed) {
            if (text.size() > kLargestPngText)
                return std::nullopt;
            entry.text = std::string(text);
            return entry;
        }
        auto inflated = inflateText(text);
        if (!inflated)
            return std::nullopt;
        entry.text = std::move(*inflated);
        return entry;
    }
    return std::nullopt;
}

PngText ReadPngText(platform::InputFile& file) {
    PngText result;
    const uint64_t size = file.size();
    char signature[8];
    if (file.readAt(0, signature, sizeof signature) != sizeof signature ||
        std::string_view(signature, sizeof signature) != kPngSignature) {
        result.problem = "no PNG signature";
        return result;
    }
    uint64_t offset = kPngSignature.size();
    for (int chunks = 0;; ++chunks) {
        const bool isFirst = chunks == 0;
        if (chunks == kMostChunks) {
            result.problem = fmt::format("more than {} chunks; the rest is not read", kMostChunks);
            return result;
        }
        char header[kChunkHeaderSize];
        if (offset == size) {
            result.problem = "the file ends without an IEND chunk";
            return result;
        }
        if (file.readAt(offset, header, sizeof header) != sizeof header) {
            result.problem =
                fmt::format("the file ends inside the chunk header at byte {}", offset);
            return result;
        }
        ByteCursor cursor(std::string_view(header, sizeof header));
        const uint32_t length = cursor.u32be();
        const std::string type(cursor.take(4));
        if (isFirst && type != "IHDR") {
            result.problem = "the first chunk is not IHDR";
            return result;
        }
        if (type == "IEND")
            return result;
        const uint64_t bodyAt = offset + kChunkHeaderSize;
        if (length > kLargestChunkLength || length + kChunkCrcSize > size - bodyAt) {
            result.problem = fmt::format("chunk {} at byte {}: {} bytes run past the end of the "
                                         "file ({} bytes)",
                                         type, offset, length, size);
            return result;
        }
        const bool isText = type == "tEXt" || type == "zTXt" || type == "iTXt";
        if (isText && length <= kLargestPngText) {
            std::string body(length, '\0');
            if (file.readAt(bodyAt, body.data(), length) == length)
                if (auto entry = ParsePngTextChunk(type, body))
                    result.entries.push_back(std::move(*entry));
        }
        offset = bodyAt + length + kChunkCrcSize;
    }
}

} // namespace vorlith
