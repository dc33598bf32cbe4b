#include "report/html_text.h"

#include "base/byte_words.h"
#include "base/text_encoding.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>

namespace vorlith {

namespace {

// What each byte needs: an HTML character reference, a percent-encoding in a file address, and
// whether it is printable ASCII at all (see isPlain in page_file.cpp).
enum ByteNeed : uint8_t { kEscape = 1, kPercent = 2, kNotPrintable = 4 };

constexpr std::array<uint8_t, 256> kByteNeeds = [] {
    std::array<uint8_t, 256> needs{};
    for (int byte = 0; byte < 256; ++byte) {
        if (byte == '&' || byte == '<' || byte == '>' || byte == '"')
            needs[byte] |= kEscape;
        if (byte == '%' || byte == '#' || byte == '?' || byte < 0x20 || byte >= 0x7F)
            needs[byte] |= kPercent;
        if (byte < 0x20 || byte > 0x7E)
            needs[byte] |= kNotPrintable;
    }
    return needs;
}();

using words::BytesLike;

// '"' and '&' are 0x22 and 0x26, '<' and '>' 0x3C and 0x3E: two tests find all four.
uint64_t escapedBytes(uint64_t word) {
    return BytesLike(word, 0x04, 0x22) | BytesLike(word, 0x02, 0x3C);
}
words::Block escapedBytes(words::Block block) {
    return BytesLike(block, 0x04, 0x22) | BytesLike(block, 0x02, 0x3C);
}

// A superset of the bytes a file address encodes or escapes: 0x20 to 0x27 (the blank, "!", "$"
// and "'" among them), "<", ">", "?", and every byte outside printable ASCII.
uint64_t fileUrlBytes(uint64_t word) {
    return BytesLike(word, 0x07, 0x20) | BytesLike(word, 0x02, 0x3C) | BytesLike(word, 0x00, 0x3F) |
           words::UnprintableBytes(word);
}
words::Block fileUrlBytes(words::Block block) {
    return BytesLike(block, 0x07, 0x20) | BytesLike(block, 0x02, 0x3C) |
           BytesLike(block, 0x00, 0x3F) | words::UnprintableBytes(block);
}

// Whether the text (at least 8 bytes) holds none of the bytes `test` finds, sixteen bytes at a
// time (eight in a text shorter than sixteen), the last look overlapping the one before; `test`
// takes a word or a block.
template <typename Test> bool noneOf(const char* data, size_t size, Test test) {
    if (size >= 16)
        return !words::AnyFound(
            words::AnyOfBlocks(data, size, [&test](words::Block block) { return test(block); }));
    return words::AnyOf(data, size, [&test](uint64_t word) { return test(word); }) == 0;
}

const char* escapeOf(char c) {
    switch (c) {
    case '&':
        return "&amp;";
    case '<':
        return "&lt;";
    case '>':
        return "&gt;";
    case '"':
        return "&quot;";
    default:
        return nullptr;
    }
}

} // namespace

char* WriteHtmlEscaped(char* out, std::string_view text, bool& printable) {
    // Most addresses hold none of the four characters at all: sixteen bytes at a time (eight in
    // a shorter text), the last look overlapping the one before, say so with no branch per look,
    // and the text is copied whole. The same looks tell whether every byte is printable ASCII.
    const char* const data = text.data();
    const size_t size = text.size();
    if (size >= 16) {
        words::Block unprintable{};
        const words::Block found =
            words::AnyOfBlocks(data, size, [&unprintable](words::Block block) {
                unprintable |= words::UnprintableBytes(block);
                return escapedBytes(block);
            });
        if (!words::AnyFound(found)) {
            std::memcpy(out, data, size);
            printable = !words::AnyFound(unprintable);
            return out + size;
        }
    } else if (size >= 8) {
        uint64_t unprintable = 0;
        const uint64_t found = words::AnyOf(data, size, [&unprintable](uint64_t word) {
            unprintable |= words::UnprintableBytes(word);
            return escapedBytes(word);
        });
        if (found == 0) {
            std::memcpy(out, data, size);
            printable = unprintable == 0;
            return out + size;
        }
    }
    // Otherwise eight bytes at a time while they need nothing, then byte by byte.
    uint64_t unprintable = 0;
    size_t from = 0; // the first byte not yet written
    size_t pos = 0;
    uint8_t seen = 0;
    const auto copy = [&out](const char* bytes, size_t count) {
        if (count > 0)
            std::memcpy(out, bytes, count);
        out += count;
    };
    while (pos < size) {
        if (pos + 8 <= size) {
            const uint64_t word = words::At(data + pos);
            unprintable |= words::UnprintableBytes(word);
            if (!escapedBytes(word)) {
                pos += 8;
                continue;
            }
        }
        const size_t stop = std::min(size, pos + 8);
        for (; pos < stop; ++pos) {
            seen |= kByteNeeds[static_cast<unsigned char>(data[pos])];
            if (const char* escaped = escapeOf(data[pos])) {
                copy(data + from, pos - from);
                copy(escaped, std::strlen(escaped));
                from = pos + 1;
            }
        }
    }
    copy(data + from, size - from);
    printable = unprintable == 0 && !(seen & kNotPrintable);
    return out;
}

bool AppendHtmlEscaped(std::string& out, std::string_view text) {
    const size_t before = out.size();
    out.resize(before + 6 * text.size());
    bool printable = true;
    const char* end = WriteHtmlEscaped(out.data() + before, text, printable);
    out.resize(static_cast<size_t>(end - out.data()));
    return printable;
}

std::string HtmlEscape(std::string_view text) {
    std::string out;
    AppendHtmlEscaped(out, text);
    return out;
}

namespace {

// Writes the path with '%', '#', '?', control characters and bytes outside ASCII
// percent-encoded and then HTML-escaped. Percent-encoding and HTML escaping touch different
// bytes, so one pass does both.
char* writeUrlPath(char* out, std::string_view path) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    const char* const data = path.data();
    // A path with none of those bytes (most are) is copied whole, found so as in
    // WriteHtmlEscaped.
    if (path.size() >= 8 &&
        noneOf(data, path.size(), [](auto bytes) { return fileUrlBytes(bytes); })) {
        std::memcpy(out, data, path.size());
        return out + path.size();
    }
    size_t plainStart = 0;
    const auto copy = [&out](const char* bytes, size_t count) {
        if (count > 0)
            std::memcpy(out, bytes, count);
        out += count;
    };
    for (size_t i = 0; i < path.size();) {
        if (i + 8 <= path.size() && !fileUrlBytes(words::At(data + i))) {
            i += 8;
            continue;
        }
        const size_t stop = std::min(path.size(), i + 8);
        for (; i < stop; ++i) {
            const auto byte = static_cast<unsigned char>(data[i]);
            const uint8_t needs = kByteNeeds[byte];
            if (!(needs & (kEscape | kPercent)))
                continue;
            copy(data + plainStart, i - plainStart);
            if (needs & kPercent) {
                const char encoded[3] = {'%', kHex[byte >> 4], kHex[byte & 0x0F]};
                copy(encoded, 3);
            } else {
                const char* escaped = escapeOf(data[i]);
                copy(escaped, std::strlen(escaped));
            }
            plainStart = i + 1;
        }
    }
    copy(data + plainStart, path.size() - plainStart);
    return out;
}

bool isSeparator(char c) {
    return c == '/' || c == '\\';
}

// Where the name of a file directly in reportFolder's thumbs folder starts in its path; 0 when
// the path names no such file.
size_t thumbsNameStart(std::string_view path, std::string_view reportFolder) {
    constexpr std::string_view kThumbs = "thumbs";
    while (reportFolder.size() > 1 && isSeparator(reportFolder.back()))
        reportFolder.remove_suffix(1);
    const size_t nameStart = reportFolder.size() + 1 + kThumbs.size() + 1;
    const bool isInThumbs = !reportFolder.empty() && path.size() > nameStart &&
                            path.starts_with(reportFolder) &&
                            isSeparator(path[reportFolder.size()]) &&
                            path.substr(reportFolder.size() + 1, kThumbs.size()) == kThumbs &&
                            isSeparator(path[nameStart - 1]) &&
                            path.find_first_of("/\\", nameStart) == std::string_view::npos;
    return isInThumbs ? nameStart : 0;
}

} // namespace

char* WriteFileUrl(char* out, std::string_view path) {
    std::memcpy(out, "file://", 7);
    return writeUrlPath(out + 7, path);
}

char* WriteLocalFileUrl(char* out, std::string_view path, std::string_view reportFolder) {
    const size_t nameStart = thumbsNameStart(path, reportFolder);
    if (nameStart == 0)
        return WriteFileUrl(out, path);
    std::memcpy(out, "thumbs/", 7);
    return writeUrlPath(out + 7, path.substr(nameStart));
}

void AppendFileUrl(std::string& out, std::string_view path) {
    const size_t before = out.size();
    out.resize(before + 7 + 6 * path.size());
    const char* end = WriteFileUrl(out.data() + before, path);
    out.resize(static_cast<size_t>(end - out.data()));
}

std::string FileUrl(std::string_view path) {
    std::string out;
    AppendFileUrl(out, path);
    return out;
}

std::string LocalFileUrl(std::string_view path, std::string_view reportFolder) {
    std::string out(7 + 6 * path.size(), '\0');
    const char* end = WriteLocalFileUrl(out.data(), path, reportFolder);
    out.resize(static_cast<size_t>(end - out.data()));
    return out;
}

std::string EncodeForPage(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (size_t pos = 0; pos < text.size();) {
        auto byte = static_cast<unsigned char>(text[pos]);
        if (byte < 0x80) {
            // A control character (a CR or LF above all) would break the line the page keeps
            // it on; as a reference it stays inside it.
            if (byte < 0x20 || byte == 0x7F)
                out += "&#" + std::to_string(byte) + ";";
            else
                out += static_cast<char>(byte);
            ++pos;
            continue;
        }
        uint32_t codePoint = 0;
        size_t length = Utf8SequenceAt(text, pos, codePoint);
        if (length == 0) {
            codePoint = Windows1252CodePoint(byte);
            length = 1;
        }
        out += "&#" + std::to_string(codePoint) + ";";
        pos += length;
    }
    return out;
}

} // namespace vorlith
