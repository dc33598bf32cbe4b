#include "report/html_text.h"

#include <cstdint>

namespace vorlith {
namespace {

// Code points of bytes 0x80..0x9F in Windows-1252 (0 where the code page has no character).
constexpr uint16_t kWindows1252High[32] = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

uint32_t windows1252CodePoint(unsigned char byte) {
    if (byte >= 0x80 && byte < 0xA0) {
        uint16_t mapped = kWindows1252High[byte - 0x80];
        return mapped ? mapped : byte;
    }
    return byte;
}

void appendUtf8(std::string& out, uint32_t codePoint) {
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

// Length of a valid UTF-8 sequence at text[pos] (with its code point), or 0.
size_t utf8Sequence(std::string_view text, size_t pos, uint32_t& codePoint) {
    const auto byte = [&](size_t i) { return static_cast<unsigned char>(text[i]); };
    unsigned char lead = byte(pos);
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

} // namespace

void AppendHtmlEscaped(std::string& out, std::string_view text) {
    size_t from = 0;
    for (size_t pos = text.find_first_of("&<>\""); pos != std::string_view::npos;
         pos = text.find_first_of("&<>\"", from)) {
        out.append(text.substr(from, pos - from));
        switch (text[pos]) {
        case '&':
            out += "&amp;";
            break;
        case '<':
            out += "&lt;";
            break;
        case '>':
            out += "&gt;";
            break;
        default:
            out += "&quot;";
            break;
        }
        from = pos + 1;
    }
    out.append(text.substr(from));
}

std::string HtmlEscape(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    AppendHtmlEscaped(out, text);
    return out;
}

std::string FileUrl(std::string_view path) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    const auto needsPercent = [](char c) {
        const auto byte = static_cast<unsigned char>(c);
        return c == '%' || c == '#' || c == '?' || byte < 0x20 || byte >= 0x7F;
    };
    std::string out;
    out.reserve(7 + path.size() + 16);
    out += "file://";
    size_t plainStart = 0;
    for (size_t i = 0; i < path.size(); ++i) {
        if (!needsPercent(path[i]))
            continue;
        out.append(path.substr(plainStart, i - plainStart));
        const auto byte = static_cast<unsigned char>(path[i]);
        const char encoded[3] = {'%', kHex[byte >> 4], kHex[byte & 0x0F]};
        out.append(encoded, 3);
        plainStart = i + 1;
    }
    out.append(path.substr(plainStart));
    if (out.find_first_of("&<>\"") == std::string::npos)
        return out;
    return HtmlEscape(out);
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
        size_t length = utf8Sequence(text, pos, codePoint);
        if (length == 0) {
            codePoint = windows1252CodePoint(byte);
            length = 1;
        }
        out += "&#" + std::to_string(codePoint) + ";";
        pos += length;
    }
    return out;
}

std::string Windows1252ToUtf8(std::string_view bytes) {
    std::string out;
    out.reserve(bytes.size());
    for (char c : bytes)
        appendUtf8(out, windows1252CodePoint(static_cast<unsigned char>(c)));
    return out;
}

} // namespace vorlith
