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

/// Security that lets in only the user running the program, the counterpart of mode 0700/0600:
/// a protected access list (nothing inherited from the parent) with one entry for the user,
/// which files and folders created inside inherit. Administrators can still take ownership, as
/// root can read a private file elsewhere.
class PrivateSecurity {
public:
    PrivateSecurity();
    ~PrivateSecurity();
    PrivateSecurity(const PrivateSecurity&) = delete;
    PrivateSecurity& operator=(const PrivateSecurity&) = delete;

    /// nullptr when it could not be made.
    PSECURITY_DESCRIPTOR descriptor() const { return m_descriptor; }
    /// For the create functions; nullptr (the parent's access inherited) when it could not be
    /// made.
    SECURITY_ATTRIBUTES* attributes() { return m_descriptor ? &m_attributes : nullptr; }

private:
    PSECURITY_DESCRIPTOR m_descriptor = nullptr;
    SECURITY_ATTRIBUTES m_attributes{};
};

/// What an open handle tells about its file.
struct HandleFacts {
    DWORD attributes = 0;
    DWORD reparseTag = 0; // when attributes hold FILE_ATTRIBUTE_REPARSE_POINT
    uint64_t volume = 0;
    uint64_t fileIndex = 0; // with volume: the file's identity
    uint64_t size = 0;
};
/// false when the handle cannot be examined.
bool FactsOf(HANDLE handle, HandleFacts& facts);

/// Opens the path's own entry (a reparse point at the last name is opened as itself) and keeps
/// it only when it is a regular file on a disk whose data can be read there: never a link
/// (a junction, a symbolic link), a folder, a device, or a file whose data lies elsewhere (an
/// offline or cloud file that reading would fetch). On failure an invalid handle and the system
/// error in error; the size when opened in size.
UniqueHandle OpenRegularHandle(const std::string& path, DWORD access, DWORD share, DWORD& error,
                               uint64_t& size);

} // namespace vorlith::platform::win32
