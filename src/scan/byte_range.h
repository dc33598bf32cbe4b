#pragma once
// A span of a file's bytes.

#include <cstdint>

namespace vorlith {

struct ByteRange {
    uint64_t offset = 0; // bytes from the start of the file
    uint64_t length = 0; // bytes

    uint64_t end() const { return offset + length; }
    bool operator==(const ByteRange&) const = default;
};

} // namespace vorlith
