#pragma once
// Small text helpers every layer shares: ASCII case folding, comparisons without regard to case,
// trimming.

#include <string>
#include <string_view>

namespace vorlith {

/// The ASCII letter in lower case; every other byte as it is.
inline char LowerAscii(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

/// The text with its ASCII letters in lower case (other bytes, UTF-8 included, unchanged).
std::string ToLowerAscii(std::string_view text);

/// Equal when ASCII letters are compared without regard to case.
bool EqualsNoCase(std::string_view left, std::string_view right);

/// Whether the text ends in `lowerSuffix` (ASCII, in lower case) without regard to case.
/// Inline: the audit asks it of every cached address several times.
inline bool EndsWithNoCase(std::string_view text, std::string_view lowerSuffix) {
    if (text.size() < lowerSuffix.size())
        return false;
    const char* tail = text.data() + (text.size() - lowerSuffix.size());
    for (size_t i = 0; i < lowerSuffix.size(); ++i)
        if (LowerAscii(tail[i]) != lowerSuffix[i])
            return false;
    return true;
}

/// Whether the text holds `lowerText` (ASCII, in lower case) anywhere, without regard to case.
bool ContainsNoCase(std::string_view text, std::string_view lowerText);

/// The text without blanks, tabs, CR and LF at either end.
std::string_view TrimBlanks(std::string_view text);

} // namespace vorlith
