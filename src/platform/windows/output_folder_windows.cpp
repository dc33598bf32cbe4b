// Folders the program writes into, on Windows. Each folder is held by a handle, and every name in
// it is looked up relative to that handle with the system's native calls (NtCreateFile with a
// root folder, renames and deletions by handle, listings of the handle), so a folder renamed or
// replaced meanwhile is never reached through its old path. Entries are opened as themselves
// (FILE_OPEN_REPARSE_POINT): a reparse point (a junction, a symbolic link) is never entered or
// written through, only replaced or deleted as an entry. New files are created under a temporary
// name that no existing entry has (FILE_CREATE) and renamed into place when complete; what the
// program creates gets an access list for this user alone.

#include "platform/output_folder.h"

#include "platform/buffered_output_file.h"
#include "platform/windows/win32.h"

#include <winternl.h>

#include <algorithm>
#include <atomic>
#include <random>
#include <vector>

// Declared by the driver kit's headers only; part of ntdll like the calls winternl.h declares.
extern "C" NTSTATUS NTAPI NtQueryDirectoryFile(HANDLE file, HANDLE event, PIO_APC_ROUTINE routine,
                                               PVOID context, PIO_STATUS_BLOCK status, PVOID buffer,
                                               ULONG length, FILE_INFORMATION_CLASS kind,
                                               BOOLEAN single, PUNICODE_STRING pattern,
                                               BOOLEAN restart);

namespace vorlith::platform {
namespace {

using win32::UniqueHandle;

constexpr NTSTATUS kNoMoreFiles = static_cast<NTSTATUS>(0x80000006);
constexpr NTSTATUS kNameCollision = static_cast<NTSTATUS>(0xC0000035);
constexpr ULONG kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
// What a held folder handle may do: list, and serve as the root of relative opens.
constexpr ACCESS_MASK kFolderAccess = FILE_LIST_DIRECTORY | FILE_TRAVERSE | FILE_READ_ATTRIBUTES;

void setError(SystemError* error, DWORD number) {
    if (error) {
        error->number = number;
        error->description = win32::ErrorText(number);
    }
}

// One name inside a folder: no separator, no stream (":"), no pattern character, not "." or "..".
bool isPlainName(std::wstring_view name) {
    if (name.empty() || name == L"." || name == L"..")
        return false;
    for (wchar_t c : name)
        if (c < 32 || std::wstring_view(L"\\/:*?\"<>|").find(c) != std::wstring_view::npos)
            return false;
    return true;
}

// Six characters no two calls of one program share, and that other programs are unlikely to
// guess.
std::wstring randomSuffix() {
    static std::atomic<uint64_t> counter{0};
    static const uint64_t seed = std::random_device{}();
    uint64_t value =
        seed ^ (counter.fetch_add(1) * 0x9E3779B97F4A7C15ull) ^ ::GetCurrentProcessId();
    static constexpr wchar_t kLetters[] =
        L"abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    std::wstring suffix;
    for (int i = 0; i < 6; ++i) {
        suffix += kLetters[value % 62];
        value /= 62;
    }
    return suffix;
}

// Opens the entry `name` of the folder (the folder itself for an empty name) as itself,
// never through a reparse point. On failure an invalid handle and the system error.
UniqueHandle openAt(HANDLE folder, std::wstring_view name, ACCESS_MASK access, ULONG disposition,
                    ULONG options, DWORD& error, PSECURITY_DESCRIPTOR security = nullptr,
                    ULONG share = kShareAll) {
    const USHORT bytes = static_cast<USHORT>(name.size() * sizeof(wchar_t));
    UNICODE_STRING text{bytes, bytes, const_cast<wchar_t*>(name.data())};
    OBJECT_ATTRIBUTES attributes;
    InitializeObjectAttributes(&attributes, &text, OBJ_CASE_INSENSITIVE, folder, security);
    IO_STATUS_BLOCK io{};
    HANDLE handle = nullptr;
    const NTSTATUS status = ::NtCreateFile(
        &handle, access | SYNCHRONIZE, &attributes, &io, nullptr, FILE_ATTRIBUTE_NORMAL, share,
        disposition, options | FILE_SYNCHRONOUS_IO_NONALERT | FILE_OPEN_REPARSE_POINT, nullptr, 0);
    if (status < 0) {
        error = status == kNameCollision ? ERROR_ALREADY_EXISTS : ::RtlNtStatusToDosError(status);
        return {};
    }
    return UniqueHandle(handle);
}

// Gives the open entry the name `name` in `folder`, replacing a file (or a link) there.
bool renameHandle(HANDLE entry, HANDLE folder, std::wstring_view name, DWORD& error) {
    const size_t bytes = name.size() * sizeof(wchar_t);
    std::vector<unsigned char> buffer(sizeof(FILE_RENAME_INFORMATION) + bytes);
    auto* info = reinterpret_cast<FILE_RENAME_INFORMATION*>(buffer.data());
    info->ReplaceIfExists = TRUE;
    info->RootDirectory = folder;
    info->FileNameLength = static_cast<ULONG>(bytes);
    std::copy(name.begin(), name.end(), info->FileName);
    IO_STATUS_BLOCK io{};
    const NTSTATUS status = ::NtSetInformationFile(
        entry, &io, info, static_cast<ULONG>(buffer.size()), FileRenameInformation);
    if (status < 0)
        error = ::RtlNtStatusToDosError(status);
    return status >= 0;
}

// Deletes the open entry (opened with DELETE access) when its last handle closes.
bool deleteHandle(HANDLE entry) {
    FILE_DISPOSITION_INFORMATION disposition{TRUE};
    IO_STATUS_BLOCK io{};
    return ::NtSetInformationFile(entry, &io, &disposition, sizeof disposition,
                                  FileDispositionInformation) >= 0;
}

// A handle's folder that is no reparse point.
bool isRealFolder(HANDLE handle) {
    win32::HandleFacts facts;
    return win32::FactsOf(handle, facts) && (facts.attributes & FILE_ATTRIBUTE_DIRECTORY) &&
           !(facts.attributes & FILE_ATTRIBUTE_REPARSE_POINT);
}

// A file written under a temporary name in its folder and renamed to its own name on close.
class RenamedOutputFile final : public BufferedOutputFile {
public:
    RenamedOutputFile(HANDLE folder, UniqueHandle file, std::wstring name)
        : m_folder(folder), m_file(std::move(file)), m_name(std::move(name)) {}
    ~RenamedOutputFile() override {
        if (m_file.valid())
            deleteHandle(m_file.get());
    }
    bool close() override {
        if (!m_file.valid())
            return !failed();
        flush();
        DWORD error = 0;
        if (failed() || !renameHandle(m_file.get(), m_folder, m_name, error)) {
            setFailed();
            deleteHandle(m_file.get());
        }
        if (!::CloseHandle(m_file.release()))
            setFailed();
        return !failed();
    }

private:
    bool isOpen() const override { return m_file.valid(); }
    bool writeAll(std::string_view bytes) override {
        while (!bytes.empty()) {
            const DWORD chunk = static_cast<DWORD>(std::min<size_t>(bytes.size(), 1u << 30));
            DWORD done = 0;
            if (!::WriteFile(m_file.get(), bytes.data(), chunk, &done, nullptr) || done == 0)
                return false;
            bytes.remove_prefix(done);
        }
        return true;
    }

    HANDLE m_folder; // owned by the folder, which outlives the file in every use
    UniqueHandle m_file;
    std::wstring m_name;
};

class WindowsOutputFolder final : public OutputFolder {
public:
    WindowsOutputFolder(UniqueHandle handle, std::string path)
        : m_handle(std::move(handle)), m_path(std::move(path)) {}

    const std::string& path() const override { return m_path; }

    std::optional<EntryKind> kindOf(std::string_view name) override {
        const std::wstring wide = win32::Widen(name);
        if (!isPlainName(wide))
            return std::nullopt;
        // Asked of a listing of the folder: it reports a link as a reparse point on Windows and
        // under Wine alike (Wine opens what a host link points at even when asked for the link).
        DWORD error = 0;
        UniqueHandle listing =
            openAt(m_handle.get(), L"", FILE_LIST_DIRECTORY, FILE_OPEN, FILE_DIRECTORY_FILE, error);
        if (!listing.valid())
            return std::nullopt;
        alignas(8) unsigned char buffer[sizeof(FILE_DIRECTORY_INFORMATION) + 520 * sizeof(wchar_t)];
        const USHORT bytes = static_cast<USHORT>(wide.size() * sizeof(wchar_t));
        UNICODE_STRING pattern{bytes, bytes, const_cast<wchar_t*>(wide.data())};
        IO_STATUS_BLOCK io{};
        if (::NtQueryDirectoryFile(listing.get(), nullptr, nullptr, nullptr, &io, buffer,
                                   sizeof buffer, FileDirectoryInformation, TRUE, &pattern,
                                   TRUE) < 0)
            return std::nullopt;
        return win32::KindOfAttributes(
            reinterpret_cast<FILE_DIRECTORY_INFORMATION*>(buffer)->FileAttributes);
    }

    std::vector<FolderEntry> entries() override {
        std::vector<FolderEntry> result;
        DWORD error = 0;
        UniqueHandle listing =
            openAt(m_handle.get(), L"", FILE_LIST_DIRECTORY, FILE_OPEN, FILE_DIRECTORY_FILE, error);
        if (!listing.valid())
            return result;
        std::vector<unsigned char> buffer(64 * 1024);
        for (;;) {
            IO_STATUS_BLOCK io{};
            const NTSTATUS status = ::NtQueryDirectoryFile(
                listing.get(), nullptr, nullptr, nullptr, &io, buffer.data(),
                static_cast<ULONG>(buffer.size()), FileDirectoryInformation, FALSE, nullptr, FALSE);
            if (status < 0 || status == kNoMoreFiles)
                return result;
            for (size_t offset = 0;;) {
                const auto* entry =
                    reinterpret_cast<const FILE_DIRECTORY_INFORMATION*>(buffer.data() + offset);
                const std::wstring_view name(entry->FileName,
                                             entry->FileNameLength / sizeof(wchar_t));
                if (name != L"." && name != L"..")
                    result.push_back({win32::Narrow(name),
                                      win32::KindOfAttributes(entry->FileAttributes),
                                      entry->FileAttributes & win32::kKeptAttributes});
                if (entry->NextEntryOffset == 0)
                    break;
                offset += entry->NextEntryOffset;
            }
        }
    }

    std::unique_ptr<OutputFolder> openFolder(std::string_view name, SystemError* error) override {
        const std::wstring wide = win32::Widen(name);
        if (!isPlainName(wide)) {
            setError(error, ERROR_INVALID_NAME);
            return nullptr;
        }
        const auto kind = kindOf(name);
        if (kind != EntryKind::Folder) {
            setError(error, kind ? ERROR_DIRECTORY : ERROR_FILE_NOT_FOUND);
            return nullptr;
        }
        DWORD number = 0;
        UniqueHandle handle =
            openAt(m_handle.get(), wide, kFolderAccess, FILE_OPEN, FILE_DIRECTORY_FILE, number);
        if (handle.valid() && !isRealFolder(handle.get())) {
            handle.reset();
            number = ERROR_DIRECTORY;
        }
        if (!handle.valid()) {
            setError(error, number);
            return nullptr;
        }
        return std::make_unique<WindowsOutputFolder>(std::move(handle), JoinPath(m_path, name));
    }

    std::unique_ptr<OutputFolder> createFolder(std::string_view name, SystemError* error) override {
        const std::wstring wide = win32::Widen(name);
        DWORD number = ERROR_INVALID_NAME;
        if (auto created = newFolder(wide, number))
            return created;
        if (number == ERROR_ALREADY_EXISTS)
            return openFolder(name, error);
        setError(error, number);
        return nullptr;
    }

    std::unique_ptr<OutputFolder> createUniqueFolder(std::string_view prefix,
                                                     SystemError* error) override {
        DWORD number = ERROR_ALREADY_EXISTS;
        for (int attempt = 0; attempt < 100 && number == ERROR_ALREADY_EXISTS; ++attempt)
            if (auto created = newFolder(win32::Widen(prefix) + randomSuffix(), number))
                return created;
        setError(error, number);
        return nullptr;
    }

    std::unique_ptr<OutputFile> createFile(std::string_view name, SystemError* error) override {
        const std::wstring wide = win32::Widen(name);
        DWORD number = ERROR_INVALID_NAME;
        for (int attempt = 0; attempt < 100 && isPlainName(wide); ++attempt) {
            const std::wstring temporary = L".tmp-" + randomSuffix() + L"-" + wide;
            // Nobody else may write, rename or delete it while it is written.
            UniqueHandle file =
                openAt(m_handle.get(), temporary, FILE_GENERIC_WRITE | DELETE, FILE_CREATE,
                       FILE_NON_DIRECTORY_FILE, number, m_security.descriptor(), FILE_SHARE_READ);
            if (file.valid())
                return std::make_unique<RenamedOutputFile>(m_handle.get(), std::move(file), wide);
            if (number != ERROR_ALREADY_EXISTS)
                break;
        }
        setError(error, number);
        return nullptr;
    }

    bool moveTo(std::string_view name, OutputFolder& target, std::string_view targetName,
                SystemError* error) override {
        auto& other = static_cast<WindowsOutputFolder&>(target);
        const std::wstring from = win32::Widen(name);
        const std::wstring to = win32::Widen(targetName);
        DWORD number = ERROR_INVALID_NAME;
        if (isPlainName(from) && isPlainName(to)) {
            UniqueHandle entry =
                openAt(m_handle.get(), from, DELETE | FILE_READ_ATTRIBUTES, FILE_OPEN, 0, number);
            if (entry.valid() && renameHandle(entry.get(), other.m_handle.get(), to, number))
                return true;
        }
        setError(error, number);
        return false;
    }

    // Windows has no call that swaps two entries in one step; the caller moves them in turn.
    bool exchange(std::string_view, OutputFolder&, std::string_view) override { return false; }

    bool removeTree(std::string_view name) override {
        const auto kind = kindOf(name);
        if (!kind) // nothing there (or a name no entry can have)
            return true;
        bool removed = true;
        if (*kind == EntryKind::Folder) {
            auto folder = openFolder(name, nullptr);
            if (!folder)
                return false;
            for (const FolderEntry& entry : folder->entries())
                removed = folder->removeTree(entry.name) && removed;
        }
        // A folder must be a real one by its handle too; a link (any reparse point) is deleted
        // itself, never what it names.
        DWORD error = 0;
        const ULONG options = *kind == EntryKind::Folder ? FILE_DIRECTORY_FILE : 0;
        UniqueHandle entry = openAt(m_handle.get(), win32::Widen(name),
                                    DELETE | FILE_READ_ATTRIBUTES, FILE_OPEN, options, error);
        if (!entry.valid() || (*kind == EntryKind::Folder && !isRealFolder(entry.get())))
            return false;
        return deleteHandle(entry.get()) && removed;
    }

private:
    // Creates the folder `name` (never opening an existing entry) and opens it.
    std::unique_ptr<OutputFolder> newFolder(const std::wstring& name, DWORD& error) {
        if (!isPlainName(name)) {
            error = ERROR_INVALID_NAME;
            return nullptr;
        }
        UniqueHandle handle = openAt(m_handle.get(), name, kFolderAccess, FILE_CREATE,
                                     FILE_DIRECTORY_FILE, error, m_security.descriptor());
        if (!handle.valid())
            return nullptr;
        return std::make_unique<WindowsOutputFolder>(std::move(handle),
                                                     JoinPath(m_path, win32::Narrow(name)));
    }

    UniqueHandle m_handle;
    std::string m_path;
    win32::PrivateSecurity m_security; // for what is created in the folder
};

} // namespace

std::unique_ptr<OutputFolder> OpenOutputFolder(const std::string& path, SystemError* error) {
    const std::wstring wide = win32::WidePath(path);
    // The folder itself, not what a link at its name points at (the names before it may be
    // junctions, as the report folder's own path is on Windows 8.1 and later). Wine follows a
    // host link even so, but reports it as a reparse point by its name.
    const DWORD attributes = ::GetFileAttributesW(wide.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT)) {
        setError(error, ERROR_DIRECTORY);
        return nullptr;
    }
    UniqueHandle handle(
        ::CreateFileW(wide.c_str(), kFolderAccess | SYNCHRONIZE, kShareAll, nullptr, OPEN_EXISTING,
                      FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
    if (!handle.valid()) {
        setError(error, ::GetLastError());
        return nullptr;
    }
    if (!isRealFolder(handle.get())) {
        setError(error, ERROR_DIRECTORY);
        return nullptr;
    }
    return std::make_unique<WindowsOutputFolder>(std::move(handle), path);
}

std::unique_ptr<OutputFolder> OpenChosenFolder(const std::string& path, SystemError* error) {
    // Without FILE_FLAG_OPEN_REPARSE_POINT a junction or link at the path is followed: the path
    // is the user's own choice. What it leads to must be a folder.
    UniqueHandle handle(::CreateFileW(win32::WidePath(path).c_str(), kFolderAccess | SYNCHRONIZE,
                                      kShareAll, nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS,
                                      nullptr));
    if (!handle.valid()) {
        setError(error, ::GetLastError());
        return nullptr;
    }
    win32::HandleFacts facts;
    if (!win32::FactsOf(handle.get(), facts) || !(facts.attributes & FILE_ATTRIBUTE_DIRECTORY)) {
        setError(error, ERROR_DIRECTORY);
        return nullptr;
    }
    return std::make_unique<WindowsOutputFolder>(std::move(handle), path);
}

std::unique_ptr<OutputFolder> CreateOutputFolder(const std::string& path, SystemError* error) {
    if (path.empty() || !CreateFolders(path, Access::Private)) {
        setError(error, path.empty() ? ERROR_PATH_NOT_FOUND : ::GetLastError());
        return nullptr;
    }
    return OpenOutputFolder(path, error);
}

} // namespace vorlith::platform
