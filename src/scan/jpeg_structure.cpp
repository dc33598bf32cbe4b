#include "scan/jpeg_structure.h"

#include <cstdint>
#include <cstring>

namespace vorlith {
namespace {

constexpr uint8_t kStartOfImage = 0xD8;
constexpr uint8_t kEndOfImage = 0xD9;
constexpr uint8_t kStartOfScan = 0xDA;
constexpr uint8_t kTemporary = 0x01; // TEM: a marker without a segment

uint8_t byteAt(std::string_view bytes, size_t position) {
    return static_cast<uint8_t>(bytes[position]);
}

bool isRestart(uint8_t marker) {
    return marker >= 0xD0 && marker <= 0xD7;
}

// SOF0 to SOF15; C4 (DHT), C8 (JPG) and CC (DAC) share the range but are tables.
bool isFrameHeader(uint8_t marker) {
    return marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC;
}

// The position of the marker that ends the coded data starting at position; npos when the
// bytes end first. In coded data FF 00 is a data byte, FF D0 to FF D7 are restart markers and
// runs of FF are fill.
size_t endOfCodedData(std::string_view bytes, size_t position) {
    while (position < bytes.size()) {
        const void* hit = std::memchr(bytes.data() + position, 0xFF, bytes.size() - position);
        if (!hit)
            return std::string_view::npos;
        position = static_cast<size_t>(static_cast<const char*>(hit) - bytes.data());
        if (position + 1 >= bytes.size())
            return std::string_view::npos;
        const uint8_t next = byteAt(bytes, position + 1);
        if (next == 0x00 || isRestart(next))
            position += 2;
        else if (next == 0xFF)
            position += 1;
        else
            return position;
    }
    return std::string_view::npos;
}

} // namespace

std::optional<size_t> CompleteJpegLength(std::string_view bytes) {
    if (bytes.size() < 4 || byteAt(bytes, 0) != 0xFF || byteAt(bytes, 1) != kStartOfImage)
        return std::nullopt;
    bool hasFrame = false;
    bool hasScan = false;
    size_t position = 2;
    for (;;) {
        if (position >= bytes.size() || byteAt(bytes, position) != 0xFF)
            return std::nullopt; // the bytes end, or something that is not a marker follows
        while (position + 1 < bytes.size() && byteAt(bytes, position + 1) == 0xFF)
            ++position; // fill bytes before a marker
        if (position + 1 >= bytes.size())
            return std::nullopt;
        const uint8_t marker = byteAt(bytes, position + 1);
        position += 2;
        if (marker == kEndOfImage) {
            if (!hasFrame || !hasScan)
                return std::nullopt;
            return position;
        }
        if (marker == 0x00 || marker == kStartOfImage)
            return std::nullopt;
        if (isRestart(marker) || marker == kTemporary)
            continue;
        if (position + 2 > bytes.size())
            return std::nullopt;
        const size_t length = static_cast<size_t>(byteAt(bytes, position)) << 8 |
                              byteAt(bytes, position + 1); // counts its own two bytes
        if (length < 2 || length > bytes.size() - position)
            return std::nullopt;
        if (isFrameHeader(marker)) {
            if (length < 8) // precision, height, width, component count
                return std::nullopt;
            hasFrame = true;
        }
        position += length;
        if (marker == kStartOfScan) {
            if (!hasFrame)
                return std::nullopt;
            hasScan = true;
            position = endOfCodedData(bytes, position);
            if (position == std::string_view::npos)
                return std::nullopt;
        }
    }
}

} // namespace vorlith
