#pragma once
// The Windows headers as the platform layer uses them, and the text conversions at its
// boundary: the program keeps text as UTF-8, Windows' wide ("W") functions take UTF-16.

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

// windows.h maps these names to their "A" or "W" functions; the program's own functions of the
// same names (platform/file_system.h) must keep theirs.
#undef CopyFile
#undef DeleteFile

#include <cstdint>
#include <string>
#include <string_view>

namespace vorlith::platform::win32 {

/// UTF-8 to UTF-16. Bytes that are no valid UTF-8 become U+FFFD.
std::wstring Widen(std::string_view text);
/// UTF-16 to UTF-8. A lone surrogate becomes U+FFFD.
std::string Narrow(std::wstring_view text);

/// A path for the wide file functions: "/" turned into "\", and a long absolute path given the
/// "\\?\" prefix that lifts the limit of 260 characters.
std::wstring WidePath(std::string_view path);

/// The text of a system error number ("" when the system has none).
std::string ErrorText(uint32_t number);

/// The file time as one 64-bit count of 100-nanosecond ticks.
inline uint64_t Ticks(const FILETIME& time) {
    return (static_cast<uint64_t>(time.dwHighDateTime) << 32) | time.dwLowDateTime;
}

/// Closes a handle when it goes.
class UniqueHandle {
public:
    UniqueHandle() = default;
    explicit UniqueHandle(HANDLE handle) : m_handle(handle) {}
    ~UniqueHandle() { reset(); }
    UniqueHandle(UniqueHandle&& other) noexcept : m_handle(other.release()) {}
    UniqueHandle& operator=(UniqueHandle&& other) noexcept {
        if (this != &other)
            reset(other.release());
        return *this;
    }
    UniqueHandle(const UniqueHandle&) = delete;
    UniqueHandle& operator=(const UniqueHandle&) = delete;

    HANDLE get() const { return m_handle; }
    bool valid() const { return m_handle != nullptr && m_handle != INVALID_HANDLE_VALUE; }
    HANDLE release() {
        HANDLE handle = m_handle;
        m_handle = INVALID_HANDLE_VALUE;
        return handle;
    }
    void reset(HANDLE handle = INVALID_HANDLE_VALUE) {
        if (valid())
            ::CloseHandle(m_handle);
        m_handle = handle;
    }

private:
    HANDLE m_handle = INVALID_HANDLE_VALUE;
};

/// The security identifier of the user running the program, as text ("S-1-5-21-..."); "" when
/// it cannot be read.
std::string CurrentUserSid();

} // namespace vorlith::platform::win32
