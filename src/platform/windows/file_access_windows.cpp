// Opening files for the scans on Windows: files on a disk only (never a console, a pipe or
// another device that carries a file's name, nor a link at the name), shared so that the user's
// programs are not disturbed.

#include "platform/file_access.h"

#include "platform/windows/win32.h"

namespace vorlith::platform {
using win32::WidePath;

namespace {

void setError(SystemError* error, DWORD number) {
    if (error) {
        error->number = number;
        error->description = win32::ErrorText(number);
    }
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

win32::UniqueHandle openRegular(const std::string& path, DWORD access, DWORD share,
                                SystemError* error, uint64_t& size) {
    DWORD number = 0;
    auto handle = win32::OpenRegularHandle(path, access, share, number, size);
    if (!handle.valid())
        setError(error, number);
    return handle;
}

// Attributes of files whose data is not on the disk: reading them fetches it (from a cloud
// service or a tape), which an audit must not cause.
constexpr DWORD kDataElsewhere = FILE_ATTRIBUTE_OFFLINE | 0x00040000 /* RECALL_ON_OPEN */ |
                                 0x00400000 /* RECALL_ON_DATA_ACCESS */;

} // namespace

namespace win32 {

UniqueHandle OpenRegularHandle(const std::string& path, DWORD access, DWORD share, DWORD& error,
                               uint64_t& size) {
    const std::wstring wide = WidePath(path);
    // FILE_FLAG_OPEN_REPARSE_POINT opens a link (a junction, a symbolic link) itself, so that
    // it can be refused; nothing is read through it.
    UniqueHandle handle(::CreateFileW(wide.c_str(), access, share, nullptr, OPEN_EXISTING,
                                      FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
    if (!handle.valid()) {
        error = ::GetLastError();
        return {};
    }
    HandleFacts facts;
    if (::GetFileType(handle.get()) != FILE_TYPE_DISK) {
        error = ERROR_INVALID_FUNCTION;
        return {};
    }
    if (!FactsOf(handle.get(), facts)) {
        error = ::GetLastError();
        return {};
    }
    if (facts.attributes & FILE_ATTRIBUTE_DIRECTORY) {
        error = ERROR_DIRECTORY;
        return {};
    }
    // A link names other data; a reparse point that is no link (a deduplicated or cloud file)
    // holds the file's own data, which is read when it is on the disk.
    const bool isLink = (facts.attributes & FILE_ATTRIBUTE_REPARSE_POINT) &&
                        IsReparseTagNameSurrogate(facts.reparseTag);
    // Wine opens what a host link points at even when asked for the link, but reports the
    // link as a reparse point by its name: a handle without one at a name with one is a link.
    const DWORD byName = ::GetFileAttributesW(wide.c_str());
    const bool linkByName = !(facts.attributes & FILE_ATTRIBUTE_REPARSE_POINT) &&
                            byName != INVALID_FILE_ATTRIBUTES &&
                            (byName & FILE_ATTRIBUTE_REPARSE_POINT);
    if (isLink || linkByName) {
        error = ERROR_CANT_ACCESS_FILE;
        return {};
    }
    if (facts.attributes & kDataElsewhere) {
        error = ERROR_FILE_OFFLINE;
        return {};
    }
    size = facts.size;
    return handle;
}

} // namespace win32

std::unique_ptr<InputFile> OpenRegularFile(const std::string& path, SystemError* error) {
    uint64_t size = 0;
    auto handle = openRegular(path, GENERIC_READ,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, error, size);
    if (!handle.valid())
        return nullptr;
    return std::make_unique<WindowsInputFile>(std::move(handle), size);
}

std::optional<uint64_t> ReadRegularFileTail(const std::string& path, char* out, size_t count,
                                            size_t& got) {
    got = 0;
    auto file = OpenRegularFile(path);
    if (!file)
        return std::nullopt;
    const uint64_t size = file->size();
    if (size > count)
        got = file->readAt(size - count, out, count);
    return size;
}

PathPresence ExaminePath(const std::string& path) {
    // The entry itself is looked at: a link is present even when what it names is not.
    if (!path.empty() &&
        ::GetFileAttributesW(win32::WidePath(path).c_str()) != INVALID_FILE_ATTRIBUTES)
        return PathPresence::Present;
    switch (path.empty() ? ERROR_FILE_NOT_FOUND : ::GetLastError()) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_NAME:
        return PathPresence::Absent;
    default:
        return PathPresence::Unknown;
    }
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
