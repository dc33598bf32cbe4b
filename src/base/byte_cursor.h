#pragma once
// A bounds-checked reader over bytes in memory. Every read checks the bytes that are there; once
// a read fails the cursor stays failed and every later read returns zero or empty, so a parser
// reads straight on and checks ok() once.

#include <cstdint>
#include <string_view>

namespace vorlith {

class ByteCursor {
public:
    explicit ByteCursor(std::string_view bytes) : m_bytes(bytes) {}

    bool ok() const { return m_ok; }
    size_t position() const { return m_position; }
    size_t remaining() const { return m_ok ? m_bytes.size() - m_position : 0; }

    /// The next count bytes; empty (and failed) when fewer are left.
    std::string_view take(size_t count) {
        if (!m_ok || count > m_bytes.size() - m_position) {
            m_ok = false;
            return {};
        }
        std::string_view piece = m_bytes.substr(m_position, count);
        m_position += count;
        return piece;
    }
    void skip(size_t count) { take(count); }

    /// The bytes up to the next NUL, which is consumed; failed when no NUL follows.
    std::string_view takeUntilNul() {
        if (!m_ok)
            return {};
        size_t end = m_bytes.find('\0', m_position);
        if (end == std::string_view::npos) {
            m_ok = false;
            return {};
        }
        std::string_view piece = m_bytes.substr(m_position, end - m_position);
        m_position = end + 1;
        return piece;
    }

    uint8_t u8() { return static_cast<uint8_t>(number(1, Order::Little)); }
    uint16_t u16be() { return static_cast<uint16_t>(number(2, Order::Big)); }
    uint16_t u16le() { return static_cast<uint16_t>(number(2, Order::Little)); }
    uint32_t u32be() { return static_cast<uint32_t>(number(4, Order::Big)); }
    uint32_t u32le() { return static_cast<uint32_t>(number(4, Order::Little)); }
    uint64_t u64le() { return number(8, Order::Little); }
    int32_t i32le() { return static_cast<int32_t>(u32le()); }
    int64_t i64le() { return static_cast<int64_t>(u64le()); }

private:
    enum class Order { Little, Big };
    uint64_t number(size_t width, Order order) {
        std::string_view piece = take(width);
        if (piece.size() != width)
            return 0;
        uint64_t value = 0;
        for (size_t i = 0; i < width; ++i) {
            size_t index = order == Order::Big ? i : width - 1 - i;
            value = (value << 8) | static_cast<uint8_t>(piece[index]);
        }
        return value;
    }

    std::string_view m_bytes;
    size_t m_position = 0;
    bool m_ok = true;
};

} // namespace vorlith
