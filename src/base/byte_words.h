#pragma once
// Eight bytes of text looked at as one word, for scans that find nothing in most texts: a test
// of a whole word costs a few operations and no branch per byte.

#include <cstdint>
#include <cstring>

namespace vorlith::words {

inline constexpr uint64_t kEveryByte = 0x0101010101010101ULL;
inline constexpr uint64_t kHighBits = 0x8080808080808080ULL;

/// The eight bytes at `data` (any alignment).
inline uint64_t At(const char* data) {
    uint64_t word;
    std::memcpy(&word, data, sizeof word);
    return word;
}

/// The high bit of each byte of the word that is zero (exact wherever a lower byte is not zero,
/// so nonzero exactly when some byte is zero).
inline uint64_t ZeroBytes(uint64_t word) {
    return (word - kEveryByte) & ~word & kHighBits;
}

/// Whether one of the eight bytes, with the bits of `ignored` cleared, equals `value`.
inline uint64_t BytesLike(uint64_t word, unsigned char ignored, unsigned char value) {
    return ZeroBytes((word & ~(kEveryByte * ignored)) ^ (kEveryByte * value));
}

/// The high bit of each byte outside printable ASCII (below 0x20, or 0x7F and above): a byte
/// below 0x20 sets it in the first term (the borrow of the subtraction), a byte above 0x7E in the
/// second or third; a carry or borrow can only add bits above a byte already found, so the
/// result is nonzero exactly when some byte is not printable.
inline uint64_t UnprintableBytes(uint64_t word) {
    return (((word - kEveryByte * 0x20) & ~word) | (word + kEveryByte) | word) & kHighBits;
}

/// ORs `test` of every word of the text together, the last word overlapping the one before
/// (size must be at least 8), so that one look at the result says whether any byte is found.
template <typename Test> uint64_t AnyOf(const char* data, size_t size, Test test) {
    uint64_t found = 0;
    for (size_t at = 0; at + 8 < size; at += 8)
        found |= test(At(data + at));
    return found | test(At(data + size - 8));
}

/// Sixteen bytes looked at as one vector (GCC's and Clang's vector types: SSE2 on x86-64, NEON
/// on ARM). A test gives each byte all ones where it finds it, zero elsewhere. Bytes are signed,
/// so that every byte from 0x80 up is below 0x20.
using Block = signed char __attribute__((vector_size(16)));

/// The sixteen bytes at `data` (any alignment).
inline Block BlockAt(const char* data) {
    Block block;
    std::memcpy(&block, data, sizeof block);
    return block;
}

/// Whether a test found some byte.
inline bool AnyFound(Block found) {
    uint64_t halves[2];
    std::memcpy(halves, &found, sizeof halves);
    return (halves[0] | halves[1]) != 0;
}

/// The bytes outside printable ASCII (below 0x20, 0x7F and above).
inline Block UnprintableBytes(Block block) {
    return (block < 0x20) | (block == 0x7F);
}

/// The bytes that, with the bits of `ignored` cleared, equal `value`.
inline Block BytesLike(Block block, signed char ignored, signed char value) {
    return (block & static_cast<signed char>(~ignored)) == value;
}

/// ORs `test` of every block of the text together, the last block overlapping the one before
/// (size must be at least 16).
template <typename Test> Block AnyOfBlocks(const char* data, size_t size, Test test) {
    Block found{};
    for (size_t at = 0; at + 16 < size; at += 16)
        found |= test(BlockAt(data + at));
    return found | test(BlockAt(data + size - 16));
}

} // namespace vorlith::words
