// Opening files for the scans on Windows: files on a disk only (never a console, a pipe or
// another device that carries a file's name), shared so that the user's programs are not
// disturbed.

#include "platform/file_access.h"

#include "platform/windows/win32.h"

namespace vorlith::platform {
namespace {

void setError(SystemError* error, DWORD number) {
    if (error) {
        error->number = number;
        error->description = win32::ErrorText(number);
    }
}

// Opens the path and keeps it only when it is a file on a disk; its size on success.
win32::UniqueHandle openRegular(const std::string& path, DWORD access, DWORD share,
                                SystemError* error, uint64_t& size) {
    win32::UniqueHandle handle(::CreateFileW(win32::WidePath(path).c_str(), access, share, nullptr,
                                             OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!handle.valid()) {
        setError(error, ::GetLastError());
        return {};
    }
    BY_HANDLE_FILE_INFORMATION info{};
    if (::GetFileType(handle.get()) != FILE_TYPE_DISK) {
        setError(error, ERROR_INVALID_FUNCTION);
        return {};
    }
    if (!::GetFileInformationByHandle(handle.get(), &info)) {
        setError(error, ::GetLastError());
        return {};
    }
    if (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
        setError(error, ERROR_DIRECTORY);
        return {};
    }
    size = (static_cast<uint64_t>(info.nFileSizeHigh) << 32) | info.nFileSizeLow;
    return handle;
}

size_t readAtHandle(HANDLE handle, uint64_t offset, char* buffer, size_t size) {
    size_t total = 0;
    while (total < size) {
        OVERLAPPED at{};
        const uint64_t position = offset + total;
        at.Offset = static_cast<DWORD>(position);
        at.OffsetHigh = static_cast<DWORD>(position >> 32);
        const DWORD chunk = static_cast<DWORD>(std::min<size_t>(size - total, 1u << 30));
        DWORD got = 0;
        if (!::ReadFile(handle, buffer + total, chunk, &got, &at) || got == 0)
            break;
        total += got;
    }
    return total;
}

class WindowsInputFile final : public InputFile {
public:
    WindowsInputFile(win32::UniqueHandle handle, uint64_t size)
        : m_handle(std::move(handle)), m_size(size) {}

    // Reads at a position of its own: a read with an offset moves the handle's file pointer,
    // which must not move this one.
    size_t read(char* buffer, size_t size) override {
        const size_t got = readAtHandle(m_handle.get(), m_position, buffer, size);
        m_position += got;
        return got;
    }
    size_t readAt(uint64_t offset, char* buffer, size_t size) override {
        return readAtHandle(m_handle.get(), offset, buffer, size);
    }
    uint64_t size() const override { return m_size; }

private:
    win32::UniqueHandle m_handle;
    uint64_t m_size;         // bytes, when opened
    uint64_t m_position = 0; // where read() goes on
};

class WindowsUpdateFile final : public UpdateFile {
public:
    WindowsUpdateFile(win32::UniqueHandle handle, uint64_t size)
        : m_handle(std::move(handle)), m_size(size) {}
    ~WindowsUpdateFile() override { close(); }

    uint64_t size() const override { return m_size; }
    size_t readAt(uint64_t offset, char* buffer, size_t size) override {
        return m_handle.valid() ? readAtHandle(m_handle.get(), offset, buffer, size) : 0;
    }
    bool writeAt(uint64_t offset, std::string_view bytes, SystemError* error) override {
        if (!m_handle.valid()) {
            setError(error, ERROR_INVALID_HANDLE);
            return false;
        }
        size_t written = 0;
        while (written < bytes.size()) {
            OVERLAPPED at{};
            const uint64_t position = offset + written;
            at.Offset = static_cast<DWORD>(position);
            at.OffsetHigh = static_cast<DWORD>(position >> 32);
            const DWORD chunk =
                static_cast<DWORD>(std::min<size_t>(bytes.size() - written, 1u << 30));
            DWORD done = 0;
            if (!::WriteFile(m_handle.get(), bytes.data() + written, chunk, &done, &at) ||
                done == 0) {
                setError(error, done == 0 && ::GetLastError() == ERROR_SUCCESS ? ERROR_DISK_FULL
                                                                               : ::GetLastError());
                return false;
            }
            written += done;
        }
        if (offset + written > m_size)
            m_size = offset + written;
        return true;
    }
    bool close() override {
        if (!m_handle.valid())
            return true;
        return ::CloseHandle(m_handle.release()) != 0;
    }

private:
    win32::UniqueHandle m_handle;
    uint64_t m_size; // bytes, including what this object appended
};

} // namespace

std::unique_ptr<InputFile> OpenRegularFile(const std::string& path, SystemError* error) {
    uint64_t size = 0;
    auto handle = openRegular(path, GENERIC_READ,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, error, size);
    if (!handle.valid())
        return nullptr;
    return std::make_unique<WindowsInputFile>(std::move(handle), size);
}

std::unique_ptr<UpdateFile> OpenFileForUpdate(const std::string& path, SystemError* error) {
    uint64_t size = 0;
    auto handle = openRegular(path, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, error, size);
    if (!handle.valid())
        return nullptr;
    return std::make_unique<WindowsUpdateFile>(std::move(handle), size);
}

std::optional<uint64_t> RegularFileSize(const std::string& path) {
    // The attributes of the name itself: a reparse point (a link, a junction) is not followed.
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (path.empty() ||
        !::GetFileAttributesExW(win32::WidePath(path).c_str(), GetFileExInfoStandard, &data) ||
        (data.dwFileAttributes &
         (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT | FILE_ATTRIBUTE_DEVICE)) != 0)
        return std::nullopt;
    return (static_cast<uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

} // namespace vorlith::platform
