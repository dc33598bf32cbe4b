#pragma once
// Byte signatures of the picture formats the scans look for.

#include <string_view>

namespace vorlith {

/// The JPEG start marker thumbnail stores are cut at and cached files are tested for: start of
/// image followed by the JFIF marker.
inline constexpr std::string_view kJpegStartMarker{"\xFF\xD8\xFF\xE0", 4};

} // namespace vorlith
