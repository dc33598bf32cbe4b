#pragma once
// Whether bytes hold a whole JPEG picture, judged by its structure alone (nothing is decoded).

#include <cstddef>
#include <optional>
#include <string_view>

namespace vorlith {

/// The length of the complete JPEG picture at the start of bytes, from its start marker (FF D8)
/// through its end marker (FF D9). The marker segments are walked by their lengths and the coded
/// data after each scan header up to the next marker; a frame header (SOF0 to SOF15) must come
/// before the first scan. std::nullopt when the bytes do not begin with a start marker, a
/// segment runs past the bytes, anything but a marker stands between two segments, or the bytes
/// end before the end marker. Bytes after the end marker are not looked at.
std::optional<size_t> CompleteJpegLength(std::string_view bytes);

/// True when the bytes begin with a complete JPEG picture (CompleteJpegLength has a value): the
/// test a piece cut at markers must pass to count as a picture.
inline bool IsCompleteJpeg(std::string_view bytes) {
    return CompleteJpegLength(bytes).has_value();
}

} // namespace vorlith
