#include "report/html_text.h"

#include "base/text_encoding.h"

#include <cstdint>

namespace vorlith {

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

namespace {

// Appends the path with '%', '#', '?', control characters and bytes outside ASCII
// percent-encoded.
void appendPercentEncoded(std::string& out, std::string_view path) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    const auto needsPercent = [](char c) {
        const auto byte = static_cast<unsigned char>(c);
        return c == '%' || c == '#' || c == '?' || byte < 0x20 || byte >= 0x7F;
    };
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
}

std::string escapedForAttribute(std::string out) {
    if (out.find_first_of("&<>\"") == std::string::npos)
        return out;
    return HtmlEscape(out);
}

bool isSeparator(char c) {
    return c == '/' || c == '\\';
}

} // namespace

std::string FileUrl(std::string_view path) {
    std::string out;
    out.reserve(7 + path.size() + 16);
    out += "file://";
    appendPercentEncoded(out, path);
    return escapedForAttribute(std::move(out));
}

std::string LocalFileUrl(std::string_view path, std::string_view reportFolder) {
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
    if (!isInThumbs)
        return FileUrl(path);
    std::string out = "thumbs/";
    appendPercentEncoded(out, path.substr(nameStart));
    return escapedForAttribute(std::move(out));
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
