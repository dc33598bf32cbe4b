#pragma once
// Text of other encodings turned into UTF-8, the program's own text encoding.

#include <string>
#include <string_view>

namespace vorlith {

/// UTF-16 little-endian code units (two bytes each; an odd last byte is ignored) as UTF-8. A
/// surrogate without its partner becomes U+FFFD; NUL units are kept.
std::string Utf16LeToUtf8(std::string_view bytes);

/// ISO 8859-1 bytes as UTF-8: every byte is the code point of its value.
std::string Latin1ToUtf8(std::string_view bytes);

} // namespace vorlith
