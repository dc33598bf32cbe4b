#pragma once
// A bounds-checked reader over a block of bytes for the binary parsers.

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace vorlith {

/// Takes bytes from the front of a block. Asking for more than is left takes nothing and sets an
/// error that stays set, so a parser can take all its fields and check ok() once.
class ByteCursor {
public:
    explicit ByteCursor(std::string_view bytes) : m_bytes(bytes) {}

    /// The next count bytes; empty (and the error set) when fewer are left.
    std::string_view take(size_t count) {
        if (!m_ok || count > m_bytes.size() - m_position) {
            m_ok = false;
            return {};
        }
        std::string_view piece = m_bytes.substr(m_position, count);
        m_position += count;
        return piece;
    }
    /// The next byte; 0 (and the error set) when none is left.
    uint8_t takeByte() {
        std::string_view piece = take(1);
        return piece.empty() ? 0 : static_cast<uint8_t>(piece[0]);
    }
    void skip(size_t count) { take(count); }

    bool ok() const { return m_ok; }
    size_t remaining() const { return m_bytes.size() - m_position; }

private:
    std::string_view m_bytes;
    size_t m_position = 0;
    bool m_ok = true;
};

} // namespace vorlith
