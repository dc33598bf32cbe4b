#include "base/text_encoding.h"

namespace vorlith {
namespace {

// Code points of bytes 0x80..0x9F in Windows-1252 (0 where the code page has no character).
constexpr uint16_t kWindows1252High[32] = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

char windows1252Byte(uint32_t codePoint) {
    if (codePoint < 0x80 || (codePoint >= 0xA0 && codePoint <= 0xFF))
        return static_cast<char>(codePoint);
    // A byte the code page leaves undefined decodes to itself, and so goes back to itself.
    if (codePoint >= 0x80 && codePoint < 0xA0 && kWindows1252High[codePoint - 0x80] == 0)
        return static_cast<char>(codePoint);
    for (size_t i = 0; i < 32; ++i)
        if (kWindows1252High[i] == codePoint)
            return static_cast<char>(0x80 + i);
    return '?';
}

} // namespace

size_t Utf8SequenceAt(std::string_view text, size_t pos, uint32_t& codePoint) {
    const auto byte = [&](size_t i) { return static_cast<unsigned char>(text[i]); };
    const unsigned char lead = byte(pos);
    size_t length;
    uint32_t minimum;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2, codePoint = lead & 0x1F, minimum = 0x80;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3, codePoint = lead & 0x0F, minimum = 0x800;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4, codePoint = lead & 0x07, minimum = 0x10000;
    } else {
        return 0;
    }
    if (pos + length > text.size())
        return 0;
    for (size_t i = 1; i < length; ++i) {
        if ((byte(pos + i) & 0xC0) != 0x80)
            return 0;
        codePoint = (codePoint << 6) | (byte(pos + i) & 0x3F);
    }
    if (codePoint < minimum || codePoint > 0x10FFFF || (codePoint >= 0xD800 && codePoint < 0xE000))
        return 0;
    return length;
}

void AppendUtf8(std::string& out, uint32_t codePoint) {
    if (codePoint < 0x80) {
        out += static_cast<char>(codePoint);
    } else if (codePoint < 0x800) {
        out += static_cast<char>(0xC0 | (codePoint >> 6));
        out += static_cast<char>(0x80 | (codePoint & 0x3F));
    } else if (codePoint < 0x10000) {
        out += static_cast<char>(0xE0 | (codePoint >> 12));
        out += static_cast<char>(0x80 | ((codePoint >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (codePoint & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (codePoint >> 18));
        out += static_cast<char>(0x80 | ((codePoint >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((codePoint >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (codePoint & 0x3F));
    }
}

uint32_t Windows1252CodePoint(unsigned char byte) {
    if (byte >= 0x80 && byte < 0xA0) {
        const uint16_t mapped = kWindows1252High[byte - 0x80];
        return mapped ? mapped : byte;
    }
    return byte;
}

std::string Windows1252ToUtf8(std::string_view bytes) {
    std::string out;
    out.reserve(bytes.size());
    for (char c : bytes)
        AppendUtf8(out, Windows1252CodePoint(static_cast<unsigned char>(c)));
    return out;
}

std::string Utf8ToWindows1252(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (size_t pos = 0; pos < text.size();) {
        const auto lead = static_cast<unsigned char>(text[pos]);
        uint32_t codePoint = lead;
        size_t length = lead < 0x80 ? 1 : Utf8SequenceAt(text, pos, codePoint);
        if (length == 0) {
            out += static_cast<char>(lead);
            ++pos;
            continue;
        }
        out += windows1252Byte(codePoint);
        pos += length;
    }
    return out;
}

std::string Utf16LeToUtf8(std::string_view bytes) {
    constexpr uint32_t kReplacementCharacter = 0xFFFD;
    std::string text;
    text.reserve(bytes.size());
    const size_t units = bytes.size() / 2;
    auto unitAt = [&](size_t index) {
        return static_cast<uint32_t>(static_cast<uint8_t>(bytes[2 * index])) |
               static_cast<uint32_t>(static_cast<uint8_t>(bytes[2 * index + 1])) << 8;
    };
    for (size_t index = 0; index < units; ++index) {
        const uint32_t unit = unitAt(index);
        if (unit >= 0xD800 && unit <= 0xDBFF && index + 1 < units) {
            const uint32_t low = unitAt(index + 1);
            if (low >= 0xDC00 && low <= 0xDFFF) {
                AppendUtf8(text, 0x10000 + ((unit - 0xD800) << 10) + (low - 0xDC00));
                ++index;
                continue;
            }
        }
        AppendUtf8(text, unit >= 0xD800 && unit <= 0xDFFF ? kReplacementCharacter : unit);
    }
    return text;
}

std::string Latin1ToUtf8(std::string_view bytes) {
    std::string text;
    text.reserve(bytes.size());
    for (char byte : bytes)
        AppendUtf8(text, static_cast<uint8_t>(byte));
    return text;
}

} // namespace vorlith
