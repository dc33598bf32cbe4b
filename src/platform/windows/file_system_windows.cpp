// The file-system operations on Windows, through the wide functions so that every name is
// found, whatever the system's 8-bit code page can spell.

#include "platform/file_system.h"

#include "platform/file_access.h"
#include "platform/windows/win32.h"

#include <winioctl.h>

#include <algorithm>
#include <random>
#include <vector>

namespace vorlith::platform {

using win32::Narrow;
using win32::WidePath;

const char kPathSeparator = '\\';

std::string JoinPath(std::string_view folder, std::string_view name) {
    std::string path(folder);
    if (path.empty() || (path.back() != '\\' && path.back() != '/'))
        path += kPathSeparator;
    // Names given with "/" (Firefox writes relative profile paths so) get this platform's
    // separator, so that paths shown to the user are spelled one way.
    for (char c : name)
        path += c == '/' ? kPathSeparator : c;
    return path;
}

std::string BaseName(std::string_view path) {
    auto separator = path.find_last_of("\\/");
    return std::string(separator == std::string_view::npos ? path : path.substr(separator + 1));
}

namespace {

// The attributes of what the path names (links followed, as the wide functions do for a
// path); std::nullopt when nothing is there.
std::optional<WIN32_FILE_ATTRIBUTE_DATA> attributesOf(const std::string& path) {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (path.empty() ||
        !::GetFileAttributesExW(WidePath(path).c_str(), GetFileExInfoStandard, &data))
        return std::nullopt;
    return data;
}

// The kind of what the path names, with a symbolic link followed: opening it is the only way to
// learn what a link points at.
struct Followed {
    bool exists = false;
    bool isFolder = false;
    bool isRegular = false; // a file on a disk, not a device or pipe
    uint64_t size = 0;
};

Followed follow(const std::string& path) {
    Followed result;
    if (path.empty())
        return result;
    // No access is asked, only attributes: this opens files that others hold locked, and
    // FILE_FLAG_BACKUP_SEMANTICS lets a folder be opened at all.
    win32::UniqueHandle handle(::CreateFileW(WidePath(path).c_str(), FILE_READ_ATTRIBUTES,
                                             FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                             nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS,
                                             nullptr));
    if (!handle.valid()) {
        // A device such as "NUL" or "CON" cannot be looked at this way; it is no regular file.
        return result;
    }
    BY_HANDLE_FILE_INFORMATION info{};
    if (::GetFileType(handle.get()) != FILE_TYPE_DISK ||
        !::GetFileInformationByHandle(handle.get(), &info)) {
        result.exists = true;
        return result;
    }
    result.exists = true;
    result.isFolder = (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    result.isRegular = !result.isFolder;
    result.size = (static_cast<uint64_t>(info.nFileSizeHigh) << 32) | info.nFileSizeLow;
    return result;
}

} // namespace

bool FolderExists(const std::string& path) {
    return follow(path).isFolder;
}

bool FileExists(const std::string& path) {
    Followed found = follow(path);
    return found.exists && !found.isFolder;
}

bool RegularFileExists(const std::string& path) {
    return follow(path).isRegular;
}

bool PathExists(const std::string& path) {
    return attributesOf(path).has_value();
}

bool CreateFolder(const std::string& path, Access access) {
    // A shared folder takes the access of its parent, as every new folder does on Windows.
    std::optional<win32::PrivateSecurity> security;
    if (access == Access::Private)
        security.emplace();
    if (access == Access::Private && !security->attributes())
        return false;
    if (!path.empty() &&
        ::CreateDirectoryW(WidePath(path).c_str(), security ? security->attributes() : nullptr))
        return true;
    return ::GetLastError() == ERROR_ALREADY_EXISTS && FolderExists(path);
}

bool CreateFolders(const std::string& path, Access access) {
    if (path.empty() || FolderExists(path))
        return !path.empty();
    auto separator = path.find_last_of("\\/");
    // "C:" and "\\server\share" are no folders to create: the walk up ends there.
    if (separator != std::string::npos && separator > 0) {
        const std::string parent = path.substr(0, separator);
        const bool isDrive = parent.size() == 2 && parent[1] == ':';
        if (!isDrive && parent != "\\" && !CreateFolders(parent, access))
            return false;
    }
    return CreateFolder(path, access);
}

namespace {

class WindowsOutputFile final : public OutputFile {
public:
    explicit WindowsOutputFile(HANDLE handle) : m_handle(handle) {}
    ~WindowsOutputFile() override { close(); }

    void write(std::string_view bytes) override {
        if (!m_handle.valid() || m_failed || bytes.empty())
            return;
        if (m_buffer.size() + bytes.size() < kBufferSize) {
            m_buffer.append(bytes);
            return;
        }
        flush();
        writeAll(bytes); // a large piece goes out without a copy
    }

    bool close() override {
        if (m_handle.valid()) {
            flush();
            if (!::CloseHandle(m_handle.release()))
                m_failed = true;
        }
        return !m_failed;
    }

private:
    static constexpr size_t kBufferSize = 1 << 16;

    void flush() {
        writeAll(m_buffer);
        m_buffer.clear();
    }

    void writeAll(std::string_view bytes) {
        size_t written = 0;
        while (!m_failed && written < bytes.size()) {
            const DWORD chunk =
                static_cast<DWORD>(std::min<size_t>(bytes.size() - written, 1u << 30));
            DWORD done = 0;
            if (!::WriteFile(m_handle.get(), bytes.data() + written, chunk, &done, nullptr) ||
                done == 0)
                m_failed = true;
            written += done;
        }
    }

    win32::UniqueHandle m_handle;
    std::string m_buffer; // bytes not yet written, up to kBufferSize
    bool m_failed = false;
};

} // namespace

std::unique_ptr<InputFile> OpenInputFile(const std::string& path) {
    // Only regular files: a device named like a file must never block or feed an audit without
    // end.
    return OpenRegularFile(path);
}

std::unique_ptr<OutputFile> CreateOutputFile(const std::string& path) {
    const std::wstring widePath = WidePath(path);
    // A link (or a junction) where the file should be is left alone: writing would go through it
    // to whatever it names.
    const DWORD existing = ::GetFileAttributesW(widePath.c_str());
    if (existing != INVALID_FILE_ATTRIBUTES && (existing & FILE_ATTRIBUTE_REPARSE_POINT))
        return nullptr;
    HANDLE handle = ::CreateFileW(widePath.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                                  CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE)
        return nullptr;
    if (::GetFileType(handle) != FILE_TYPE_DISK) {
        ::CloseHandle(handle);
        return nullptr;
    }
    return std::make_unique<WindowsOutputFile>(handle);
}

std::optional<uint64_t> FileSize(const std::string& path) {
    Followed found = follow(path);
    if (!found.exists)
        return std::nullopt;
    return found.size;
}

std::optional<std::string> ReadWholeFile(const std::string& path) {
    auto file = OpenInputFile(path);
    if (!file)
        return std::nullopt;
    std::string bytes;
    char buffer[1 << 16];
    for (;;) {
        size_t got = file->read(buffer, sizeof buffer);
        if (got == 0)
            break;
        bytes.append(buffer, got);
    }
    return bytes;
}

bool WriteWholeFile(const std::string& path, std::string_view bytes) {
    auto file = CreateOutputFile(path);
    if (!file)
        return false;
    file->write(bytes);
    return file->close();
}

namespace {

const char kTemporaryInfix[] = ".tmp";

std::string folderOf(const std::string& path) {
    auto separator = path.find_last_of("\\/");
    return separator == std::string::npos ? "." : path.substr(0, separator);
}

bool writeAllAt(HANDLE handle, uint64_t offset, std::string_view bytes) {
    size_t written = 0;
    while (written < bytes.size()) {
        OVERLAPPED at{};
        at.Offset = static_cast<DWORD>(offset + written);
        at.OffsetHigh = static_cast<DWORD>((offset + written) >> 32);
        const DWORD chunk = static_cast<DWORD>(std::min<size_t>(bytes.size() - written, 1u << 30));
        DWORD done = 0;
        if (!::WriteFile(handle, bytes.data() + written, chunk, &done, &at) || done == 0)
            return false;
        written += done;
    }
    return true;
}

// Marks an open file (opened with DELETE access) to be deleted when its last handle closes.
bool deleteOnClose(HANDLE handle) {
    FILE_DISPOSITION_INFO disposition{TRUE};
    return ::SetFileInformationByHandle(handle, FileDispositionInfo, &disposition,
                                        sizeof disposition) != 0;
}

} // namespace

bool ReplaceFileAtomically(const std::string& path, std::string_view bytes, Access access) {
    // A private file gets an access list of its own; a shared one takes the folder's, as every
    // new file does (the file it replaces keeps nothing on Windows).
    std::optional<win32::PrivateSecurity> security;
    if (access == Access::Private) {
        security.emplace();
        if (!security->attributes())
            return false;
    }
    std::random_device random;
    const std::string temporary = path + kTemporaryInfix + std::to_string(random() % 1000000);
    const std::wstring wideTemporary = WidePath(temporary);
    // CREATE_NEW: a name that is taken (a file or a link someone put there) is never opened.
    win32::UniqueHandle handle(::CreateFileW(wideTemporary.c_str(), GENERIC_WRITE | DELETE, 0,
                                             security ? security->attributes() : nullptr,
                                             CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!handle.valid())
        return false;
    if (!writeAllAt(handle.get(), 0, bytes) || !::FlushFileBuffers(handle.get())) {
        deleteOnClose(handle.get());
        return false;
    }
    handle.reset();
    // MoveFileEx replaces the target in one step on the same volume; a link at the target is
    // replaced itself, never written through.
    if (::MoveFileExW(wideTemporary.c_str(), WidePath(path).c_str(),
                      MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        return true;
    ::DeleteFileW(wideTemporary.c_str());
    return false;
}

void RemoveStaleTemporaries(const std::string& path) {
    const std::string folder = folderOf(path);
    const std::string prefix = BaseName(path) + kTemporaryInfix;
    auto listing = ListFolder(folder);
    if (!listing)
        return;
    while (auto entry = listing->next()) {
        const std::string& name = entry->name;
        if (entry->kind != EntryKind::File || name.size() <= prefix.size() ||
            name.compare(0, prefix.size(), prefix) != 0 ||
            name.find_first_not_of("0123456789", prefix.size()) != std::string::npos)
            continue;
        ::DeleteFileW(WidePath(JoinPath(folder, name)).c_str());
    }
}

namespace {

// A named mutex per folder, named by the folder's identity (volume and file index), so that
// every path to the folder finds the same lock. The system releases it when its holder ends.
// It belongs to the thread that took it, which must also let it go.
class MutexFolderLock final : public FolderLock {
public:
    explicit MutexFolderLock(HANDLE mutex) : m_mutex(mutex) {}
    ~MutexFolderLock() override { ::ReleaseMutex(m_mutex.get()); }

private:
    win32::UniqueHandle m_mutex;
};

} // namespace

std::unique_ptr<FolderLock> LockFolder(const std::string& path) {
    win32::UniqueHandle folder(::CreateFileW(WidePath(path).c_str(), FILE_READ_ATTRIBUTES,
                                             FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                             nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS,
                                             nullptr));
    win32::HandleFacts facts;
    if (!folder.valid() || !win32::FactsOf(folder.get(), facts) ||
        !(facts.attributes & FILE_ATTRIBUTE_DIRECTORY))
        return nullptr;
    const std::wstring name = L"Local\\Vorlith-folder-" + std::to_wstring(facts.volume) + L"-" +
                              std::to_wstring(facts.fileIndex);
    win32::UniqueHandle mutex(::CreateMutexW(nullptr, FALSE, name.c_str()));
    if (!mutex.valid())
        return nullptr;
    // An abandoned mutex (its holder ended without letting go) is taken over.
    const DWORD waited = ::WaitForSingleObject(mutex.get(), INFINITE);
    if (waited != WAIT_OBJECT_0 && waited != WAIT_ABANDONED)
        return nullptr;
    return std::make_unique<MutexFolderLock>(mutex.release());
}

bool CopyFile(const std::string& from, const std::string& to, CopyMode mode) {
    if (mode == CopyMode::KeepExisting && PathExists(to))
        return false;
    auto bytes = ReadWholeFile(from);
    return bytes && WriteWholeFile(to, *bytes);
}

namespace {

// The parts of the first size bytes that hold data, as (offset, length); std::nullopt when the
// file system cannot tell.
std::optional<std::vector<FILE_ALLOCATED_RANGE_BUFFER>> dataParts(HANDLE file, uint64_t size) {
    std::vector<FILE_ALLOCATED_RANGE_BUFFER> parts;
    FILE_ALLOCATED_RANGE_BUFFER query{};
    query.Length.QuadPart = static_cast<LONGLONG>(size);
    FILE_ALLOCATED_RANGE_BUFFER found[64];
    for (;;) {
        DWORD bytes = 0;
        const BOOL ok = ::DeviceIoControl(file, FSCTL_QUERY_ALLOCATED_RANGES, &query, sizeof query,
                                          found, sizeof found, &bytes, nullptr);
        if (!ok && ::GetLastError() != ERROR_MORE_DATA)
            return std::nullopt;
        const size_t count = bytes / sizeof found[0];
        parts.insert(parts.end(), found, found + count);
        if (ok || count == 0)
            return parts;
        // Asks again from the end of the last part given.
        const LONGLONG next =
            found[count - 1].FileOffset.QuadPart + found[count - 1].Length.QuadPart;
        query.Length.QuadPart -= next - query.FileOffset.QuadPart;
        query.FileOffset.QuadPart = next;
    }
}

bool copyRange(HANDLE from, HANDLE to, uint64_t offset, uint64_t end, std::vector<char>& buffer) {
    while (offset < end) {
        OVERLAPPED at{};
        at.Offset = static_cast<DWORD>(offset);
        at.OffsetHigh = static_cast<DWORD>(offset >> 32);
        const DWORD want = static_cast<DWORD>(std::min<uint64_t>(buffer.size(), end - offset));
        DWORD got = 0;
        if (!::ReadFile(from, buffer.data(), want, &got, &at) || got == 0)
            return false; // the file shrank meanwhile, or cannot be read
        if (!writeAllAt(to, offset, std::string_view(buffer.data(), got)))
            return false;
        offset += got;
    }
    return true;
}

} // namespace

bool CopySparseFile(const std::string& from, const std::string& to) {
    DWORD error = 0;
    uint64_t size = 0;
    auto source = win32::OpenRegularHandle(
        from, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, error, size);
    win32::PrivateSecurity security;
    if (!source.valid() || !security.attributes())
        return false;
    win32::UniqueHandle target(::CreateFileW(WidePath(to).c_str(), GENERIC_WRITE | DELETE, 0,
                                             security.attributes(), CREATE_NEW,
                                             FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!target.valid())
        return false;
    // A sparse target keeps unwritten parts as holes; where the file system has no sparse files
    // (or cannot tell the source's holes) every byte is copied.
    DWORD bytes = 0;
    std::optional<std::vector<FILE_ALLOCATED_RANGE_BUFFER>> parts;
    if (::DeviceIoControl(target.get(), FSCTL_SET_SPARSE, nullptr, 0, nullptr, 0, &bytes, nullptr))
        parts = dataParts(source.get(), size);
    if (!parts) {
        FILE_ALLOCATED_RANGE_BUFFER all{};
        all.Length.QuadPart = static_cast<LONGLONG>(size);
        parts.emplace(1, all);
    }
    // The length first: what is not written stays a hole.
    FILE_END_OF_FILE_INFO length{};
    length.EndOfFile.QuadPart = static_cast<LONGLONG>(size);
    bool ok = ::SetFileInformationByHandle(target.get(), FileEndOfFileInfo, &length, sizeof length);
    std::vector<char> buffer(1 << 20);
    for (const FILE_ALLOCATED_RANGE_BUFFER& part : *parts) {
        const uint64_t start = static_cast<uint64_t>(part.FileOffset.QuadPart);
        const uint64_t end = std::min<uint64_t>(start + part.Length.QuadPart, size);
        ok = ok && copyRange(source.get(), target.get(), start, end, buffer);
    }
    if (!ok)
        deleteOnClose(target.get());
    return ok;
}

std::optional<uint64_t> AllocatedSize(const std::string& path) {
    win32::UniqueHandle handle(::CreateFileW(WidePath(path).c_str(), FILE_READ_ATTRIBUTES,
                                             FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                             nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS,
                                             nullptr));
    FILE_STANDARD_INFO info{};
    if (!handle.valid() ||
        !::GetFileInformationByHandleEx(handle.get(), FileStandardInfo, &info, sizeof info))
        return std::nullopt;
    return static_cast<uint64_t>(info.AllocationSize.QuadPart);
}

std::optional<uint64_t> FreeSpace(const std::string& folder) {
    ULARGE_INTEGER available{};
    if (!::GetDiskFreeSpaceExW(WidePath(folder).c_str(), &available, nullptr, nullptr))
        return std::nullopt;
    return available.QuadPart;
}

bool DeleteFile(const std::string& path) {
    const std::wstring wide = WidePath(path);
    const DWORD attributes = ::GetFileAttributesW(wide.c_str());
    // A link is deleted itself; only a plain file loses its read-only flag first (changing the
    // attributes of a link could reach what it points at).
    if (attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_REPARSE_POINT) &&
        (attributes & FILE_ATTRIBUTE_READONLY))
        ::SetFileAttributesW(wide.c_str(), attributes & ~DWORD{FILE_ATTRIBUTE_READONLY});
    return ::DeleteFileW(wide.c_str()) != 0;
}

namespace {

// The attribute bits the logic keeps.
constexpr DWORD kKeptAttributes = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN |
                                  FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_DIRECTORY |
                                  FILE_ATTRIBUTE_ARCHIVE;

class WindowsFolderListing final : public FolderListing {
public:
    explicit WindowsFolderListing(std::wstring pattern) : m_pattern(std::move(pattern)) {}
    ~WindowsFolderListing() override {
        if (m_find != INVALID_HANDLE_VALUE)
            ::FindClose(m_find);
    }

    // Opens the listing; false when the folder cannot be listed.
    bool open() {
        m_find = ::FindFirstFileExW(m_pattern.c_str(), FindExInfoBasic, &m_data,
                                    FindExSearchNameMatch, nullptr, FIND_FIRST_EX_LARGE_FETCH);
        if (m_find != INVALID_HANDLE_VALUE) {
            m_hasData = true;
            return true;
        }
        // An empty folder (a drive root has no "." entry) answers "no files".
        return ::GetLastError() == ERROR_FILE_NOT_FOUND;
    }

    std::optional<FolderEntry> next() override {
        if (!m_hasData)
            return std::nullopt;
        FolderEntry entry = EntryFromFindData(m_data);
        m_hasData = ::FindNextFileW(m_find, &m_data) != 0;
        return entry;
    }

    static FolderEntry EntryFromFindData(const WIN32_FIND_DATAW& data) {
        FolderEntry entry;
        entry.name = Narrow(data.cFileName);
        entry.attributes = data.dwFileAttributes & kKeptAttributes;
        if (data.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT)
            entry.kind = EntryKind::SymbolicLink;
        else if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
            entry.kind = EntryKind::Folder;
        else if (data.dwFileAttributes & FILE_ATTRIBUTE_DEVICE)
            entry.kind = EntryKind::Other;
        else
            entry.kind = EntryKind::File;
        return entry;
    }

private:
    std::wstring m_pattern;
    HANDLE m_find = INVALID_HANDLE_VALUE;
    WIN32_FIND_DATAW m_data{};
    bool m_hasData = false; // m_data holds an entry not yet handed out
};

} // namespace

std::unique_ptr<FolderListing> ListFolder(const std::string& path) {
    if (path.empty())
        return nullptr;
    auto listing = std::make_unique<WindowsFolderListing>(WidePath(JoinPath(path, "*")));
    if (!listing->open())
        return nullptr;
    return listing;
}

std::vector<std::string> ListFolderPaths(const std::string& path) {
    std::vector<std::string> paths;
    auto listing = ListFolder(path);
    if (!listing)
        return paths;
    while (auto entry = listing->next()) {
        if (entry->name == "." || entry->name == ".." || entry->name.empty())
            continue;
        paths.push_back(JoinPath(path, entry->name));
    }
    return paths;
}

} // namespace vorlith::platform
