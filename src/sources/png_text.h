#pragma once
// The text chunks of a PNG file (tEXt, zTXt, iTXt), read without decoding the picture: the
// chunks are walked by their lengths and only the text chunks' bodies are read.

#include "platform/file_system.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vorlith {

struct PngTextEntry {
    std::string keyword; // UTF-8
    std::string text;    // UTF-8
};

struct PngText {
    std::vector<PngTextEntry> entries; // in file order
    std::string problem; // why the walk stopped before the end chunk ("" when it reached it)
};

/// The largest text a chunk may hold, stored or inflated (bytes); larger ones are skipped.
inline constexpr size_t kLargestPngText = 64 * 1024;

/// Parses the body of one text chunk: tEXt (keyword, NUL, Latin-1 text), zTXt (keyword, NUL,
/// method 0, zlib-compressed Latin-1 text) or iTXt (keyword, NUL, compression flag, method,
/// language tag, NUL, translated keyword, NUL, UTF-8 text, compressed when the flag is 1).
/// std::nullopt for another chunk type, a keyword of 0 or more than 79 bytes, a missing NUL,
/// an unknown compression method, compressed data that does not inflate, or a text longer than
/// kLargestPngText.
std::optional<PngTextEntry> ParsePngTextChunk(std::string_view type, std::string_view body);

/// Reads the text chunks of a PNG file: the signature and an IHDR chunk first, then every chunk
/// header up to IEND or the end of the file; the bodies of text chunks are read (those over
/// kLargestPngText skipped), all others are stepped over unread. Stops with a problem at a
/// missing signature or IHDR, a chunk that runs past the end of the file, or after 100,000
/// chunks.
PngText ReadPngText(platform::InputFile& file);

} // namespace vorlith
