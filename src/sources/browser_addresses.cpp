#include "sources/browser_addresses.h"

#include "base/text.h"

#include <algorithm>
#include <array>
#include <cctype>

namespace vorlith {

std::optional<std::string> AddressFromFirefoxKey(std::string_view key) {
    size_t position = 0;
    while (position < key.size()) {
        if (key[position] == ':') {
            std::string_view address = key.substr(position + 1);
            if (address.empty())
                return std::nullopt;
            return std::string(address);
        }
        // A tag runs to the next comma that is not doubled.
        size_t end = position;
        for (;;) {
            end = key.find(',', end);
            if (end == std::string_view::npos)
                return std::nullopt;
            if (end + 1 < key.size() && key[end + 1] == ',') {
                end += 2;
                continue;
            }
            break;
        }
        position = end + 1;
    }
    return std::nullopt;
}

std::optional<std::string> AddressFromChromiumKey(std::string_view key) {
    // "credential/upload id/": two runs of digits, each ending in "/".
    std::string_view rest = key;
    for (int part = 0; part < 2; ++part) {
        size_t digits = 0;
        while (digits < rest.size() && std::isdigit(static_cast<unsigned char>(rest[digits])))
            ++digits;
        if (digits == 0 || digits >= rest.size() || rest[digits] != '/')
            break;
        rest.remove_prefix(digits + 1);
    }
    // An isolation key ("_dk_" followed by the top frame site and the frame site) ends at the
    // last blank; addresses themselves hold no blanks.
    if (rest.size() >= 4 && rest[0] == '_' && rest[3] == '_') {
        size_t blank = rest.rfind(' ');
        if (blank == std::string_view::npos)
            return std::nullopt;
        rest.remove_prefix(blank + 1);
    }
    if (rest.empty())
        return std::nullopt;
    return std::string(rest);
}

std::string ExtensionFromAddress(std::string_view address) {
    size_t scheme = address.find("://");
    size_t pathStart = scheme == std::string_view::npos ? 0 : scheme + 3;
    std::string_view path = address.substr(pathStart);
    path = path.substr(0, path.find_first_of("?#"));
    if (scheme != std::string_view::npos) {
        size_t slash = path.find('/');
        path = slash == std::string_view::npos ? std::string_view{} : path.substr(slash);
    }
    std::string_view name =
        path.substr(path.rfind('/') == std::string_view::npos ? 0 : path.rfind('/') + 1);
    size_t dot = name.rfind('.');
    if (dot == std::string_view::npos)
        return "";
    return std::string(name.substr(dot + 1));
}

bool IsShownMediaAddress(std::string_view address) {
    static constexpr std::array<std::string_view, 8> kEndings{"jpg", "jpeg", "png",  "flv",
                                                              "wmv", "mpg",  "mpeg", "mov"};
    return std::any_of(kEndings.begin(), kEndings.end(),
                       [&](std::string_view ending) { return EndsWithNoCase(address, ending); });
}

} // namespace vorlith
