// Folders of a drive walk on Windows: listed with FindFirstFileExW / FindNextFileW, each held
// open by a handle that tells its volume and that it is a real folder. A reparse point (a
// junction, a symbolic link, a mounted volume) is listed like any entry but never opened, so
// the walk neither follows a link nor leaves the root's volume.

#include "platform/walk_folder.h"

#include "platform/windows/win32.h"

namespace vorlith::platform {
namespace {

using win32::Narrow;
using win32::UniqueHandle;
using win32::WidePath;

constexpr DWORD kKeptAttributes = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN |
                                  FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_DIRECTORY |
                                  FILE_ATTRIBUTE_ARCHIVE;

// Opens a folder for its facts. followLink: a link naming the folder is followed (the root of a
// walk); otherwise the entry itself is opened, and a link stays a link.
enum class LinkHandling { Follow, Refuse };

struct OpenedFolder {
    UniqueHandle handle;
    FileSystemId id;
};

// Errors that say the folder is simply not there (any more): removed or renamed meanwhile.
bool isGone(DWORD error) {
    return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ||
           error == ERROR_INVALID_NAME || error == ERROR_DIRECTORY;
}

// error: the system's error when the open itself failed, 0 when what was opened is no folder
// (or a link).
std::optional<OpenedFolder> openFolder(const std::wstring& path, LinkHandling links,
                                       DWORD* error = nullptr) {
    DWORD flags = FILE_FLAG_BACKUP_SEMANTICS; // needed to open a folder at all
    if (links == LinkHandling::Refuse)
        flags |= FILE_FLAG_OPEN_REPARSE_POINT;
    // Shared in every way: the user's programs may rename or delete while the walk goes on.
    UniqueHandle handle(::CreateFileW(path.c_str(), FILE_READ_ATTRIBUTES,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                      nullptr, OPEN_EXISTING, flags, nullptr));
    if (error)
        *error = handle.valid() ? 0 : ::GetLastError();
    if (!handle.valid())
        return std::nullopt;
    BY_HANDLE_FILE_INFORMATION info{};
    if (!::GetFileInformationByHandle(handle.get(), &info) ||
        !(info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
        return std::nullopt;
    if (links == LinkHandling::Refuse && (info.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT))
        return std::nullopt;
    OpenedFolder folder{std::move(handle), {}};
    folder.id.device = info.dwVolumeSerialNumber;
    return folder;
}

class WindowsWalkFolder final : public WalkFolder {
public:
    WindowsWalkFolder(std::string path, OpenedFolder opened)
        : m_path(std::move(path)), m_handle(std::move(opened.handle)), m_id(opened.id) {}
    ~WindowsWalkFolder() override {
        if (m_find != INVALID_HANDLE_VALUE)
            ::FindClose(m_find);
    }
    WindowsWalkFolder(const WindowsWalkFolder&) = delete;
    WindowsWalkFolder& operator=(const WindowsWalkFolder&) = delete;

    FileSystemId fileSystem() const override { return m_id; }

    std::optional<FolderEntry> next() override {
        WIN32_FIND_DATAW data{};
        if (m_ended || !fetch(data))
            return std::nullopt;
        FolderEntry entry;
        entry.name = Narrow(data.cFileName);
        // The platform's own attribute bits: a junction keeps its folder bit (it names a
        // folder), which openSubFolder then refuses to enter.
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

    std::unique_ptr<WalkFolder> openSubFolder(const std::string& name,
                                              const FileSystemId& within) override {
        return enterSubFolder(name, within).folder;
    }

    SubFolder enterSubFolder(const std::string& name, const FileSystemId& within) override {
        if (name.empty() || name == "." || name == ".." ||
            name.find_first_of("\\/") != std::string::npos)
            return {};
        std::string path = childPath(name);
        const std::wstring widePath = WidePath(path);
        // The entry's own attributes first: Wine opens what a link points at even when asked for
        // the link itself, but reports the link as a reparse point here, as Windows does.
        const DWORD attributes = ::GetFileAttributesW(widePath.c_str());
        if (attributes == INVALID_FILE_ATTRIBUTES)
            return {nullptr, !isGone(::GetLastError())};
        if ((attributes & FILE_ATTRIBUTE_REPARSE_POINT) || !(attributes & FILE_ATTRIBUTE_DIRECTORY))
            return {};
        // A folder that is no reparse point lies on its parent's volume (only a mount point, a
        // reparse point, leads to another), so one that cannot be opened belonged to the walk.
        DWORD error = 0;
        auto opened = openFolder(widePath, LinkHandling::Refuse, &error);
        if (!opened)
            return {nullptr, error != 0 && !isGone(error)};
        if (!(opened->id == within))
            return {};
        return {std::make_unique<WindowsWalkFolder>(std::move(path), std::move(*opened)), false};
    }

private:
    std::string childPath(const std::string& name) const {
        std::string path = m_path;
        if (path.empty() || (path.back() != '\\' && path.back() != '/'))
            path += '\\';
        return path + name;
    }

    // The next raw entry; false at the end or when the listing fails.
    bool fetch(WIN32_FIND_DATAW& data) {
        if (m_find == INVALID_HANDLE_VALUE) {
            // FindExInfoBasic leaves out the short 8.3 names; the large fetch asks for many
            // entries per call.
            m_find = ::FindFirstFileExW(WidePath(childPath("*")).c_str(), FindExInfoBasic, &data,
                                        FindExSearchNameMatch, nullptr, FIND_FIRST_EX_LARGE_FETCH);
            if (m_find == INVALID_HANDLE_VALUE) {
                m_ended = true; // an empty root (no "." entry) answers "no files" too
                return false;
            }
            return true;
        }
        if (!::FindNextFileW(m_find, &data)) {
            m_ended = true;
            ::FindClose(m_find);
            m_find = INVALID_HANDLE_VALUE;
            return false;
        }
        return true;
    }

    std::string m_path;    // the folder, as the walk names it
    UniqueHandle m_handle; // held while the folder is walked
    FileSystemId m_id;
    HANDLE m_find = INVALID_HANDLE_VALUE; // the listing, once begun
    bool m_ended = false;
};

} // namespace

std::unique_ptr<WalkFolder> OpenWalkFolder(const std::string& path) {
    if (path.empty())
        return nullptr;
    auto opened = openFolder(WidePath(path), LinkHandling::Follow);
    if (!opened)
        return nullptr;
    return std::make_unique<WindowsWalkFolder>(path, std::move(*opened));
}

} // namespace vorlith::platform
