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
bool EndsWithNoCase(std::string_view text, std::string_view lowerSuffix);

/// Whether the text holds `lowerText` (ASCII, in lower case) anywhere, without regard to case.
bool ContainsNoCase(std::string_view text, std::string_view lowerText);

/// The text without blanks, tabs, CR and LF at either end.
std::string_view TrimBlanks(std::string_view text);

} // namespace vorlith
