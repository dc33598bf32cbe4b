#include "base/text.h"

namespace vorlith {

std::string ToLowerAscii(std::string_view text) {
    std::string lower(text);
    for (char& c : lower)
        c = LowerAscii(c);
    return lower;
}

bool EqualsNoCase(std::string_view left, std::string_view right) {
    if (left.size() != right.size())
        return false;
    for (size_t i = 0; i < left.size(); ++i)
        if (LowerAscii(left[i]) != LowerAscii(right[i]))
            return false;
    return true;
}

bool ContainsNoCase(std::string_view text, std::string_view lowerText) {
    if (lowerText.empty())
        return true;
    for (size_t at = 0; at + lowerText.size() <= text.size(); ++at) {
        size_t i = 0;
        while (i < lowerText.size() && LowerAscii(text[at + i]) == lowerText[i])
            ++i;
        if (i == lowerText.size())
            return true;
    }
    return false;
}

std::string_view TrimBlanks(std::string_view text) {
    const size_t first = text.find_first_not_of(" \t\r\n");
    if (first == std::string_view::npos)
        return {};
    return text.substr(first, text.find_last_not_of(" \t\r\n") - first + 1);
}

} // namespace vorlith
