#pragma once
// UTF-8, the program's text inside, and the encodings text from outside comes in: Windows-1252
// (ID3v1 tags, the pages' declared character set), UTF-16LE and Latin-1 (thumbnail stores).

#include <cstdint>
#include <string>
#include <string_view>

namespace vorlith {

/// The length of the valid UTF-8 sequence at text[pos] with its code point, or 0 when the byte
/// there starts none (a lone continuation byte, an overlong form, a surrogate, a cut sequence).
size_t Utf8SequenceAt(std::string_view text, size_t pos, uint32_t& codePoint);

/// Appends the code point encoded as UTF-8.
void AppendUtf8(std::string& out, uint32_t codePoint);

/// The character a Windows-1252 byte stands for; a byte the code page leaves undefined (0x81,
/// 0x8D, 0x8F, 0x90, 0x9D) stands for itself.
uint32_t Windows1252CodePoint(unsigned char byte);

/// Decodes Windows-1252 bytes to UTF-8.
std::string Windows1252ToUtf8(std::string_view bytes);

/// Encodes UTF-8 text to Windows-1252: characters the code page lacks become "?"; a byte that
/// starts no valid UTF-8 sequence is taken as a Windows-1252 byte already and kept, so that text
/// decoded from the code page and encoded again keeps its bytes.
std::string Utf8ToWindows1252(std::string_view text);

/// UTF-16 little-endian code units (two bytes each; an odd last byte is ignored) as UTF-8. A
/// surrogate without its partner becomes U+FFFD; NUL units are kept.
std::string Utf16LeToUtf8(std::string_view bytes);

/// ISO 8859-1 bytes as UTF-8: every byte is the code point of its value.
std::string Latin1ToUtf8(std::string_view bytes);

} // namespace vorlith
