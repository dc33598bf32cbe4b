#pragma once
// UTF-8, the program's text inside, and Windows-1252, the code page of ID3v1 tags and of the
// pages' declared character set.

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

} // namespace vorlith
