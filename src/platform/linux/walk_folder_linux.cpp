// Folders of a drive walk on Linux: each open folder is a file descriptor, listed with
// getdents64 and its sub-folders opened with openat relative to it.

#include "platform/walk_folder.h"

#include "platform/linux/file_tail.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <cerrno>
#include <cstddef>
#include <cstring>
#include <memory>
#include <utility>

namespace vorlith::platform {
namespace {

// One getdents64 call fills this many bytes of entries; the buffer lives only while a folder is
// being listed, so a walk holds one at a time however deep it goes.
constexpr size_t kListingBufferSize = 32 * 1024;

// statx gives the mount identity beside the device, so a bind mount of the same device counts
// as a file system of its own. Kernels without mount identities leave the mount at 0.
std::optional<FileSystemId> fileSystemOf(int folder, const char* name, int flags,
                                         mode_t* type = nullptr, uint64_t* inode = nullptr) {
    struct statx info {};
    if (::statx(folder, name, flags, STATX_TYPE | STATX_INO | STATX_MNT_ID, &info) != 0)
        return std::nullopt;
    if (type)
        *type = info.stx_mode & S_IFMT;
    if (inode)
        *inode = info.stx_ino;
    FileSystemId id;
    id.device = makedev(info.stx_dev_major, info.stx_dev_minor);
    id.mount = (info.stx_mask & STATX_MNT_ID) ? info.stx_mnt_id : 0;
    return id;
}

// The descriptor of a walked folder once the folder is shared for reading: closed when the walk
// and every reader have let it go, so sharing costs no system call.
class FolderDescriptor {
public:
    explicit FolderDescriptor(int fd) : m_fd(fd) {}
    ~FolderDescriptor() { ::close(m_fd); }
    FolderDescriptor(const FolderDescriptor&) = delete;
    FolderDescriptor& operator=(const FolderDescriptor&) = delete;
    int fd() const { return m_fd; }

private:
    int m_fd;
};

// A walked folder's files, opened relative to the folder: one name to look up instead of the
// whole path.
class LinuxReadableFolder final : public ReadableFolder {
public:
    explicit LinuxReadableFolder(std::shared_ptr<const FolderDescriptor> folder)
        : m_folder(std::move(folder)) {}

    std::optional<uint64_t> readRegularFileTail(const char* name, char* out, size_t count,
                                                size_t& got) const override {
        return ReadRegularFileTailAt(m_folder->fd(), name, out, count, got);
    }

private:
    std::shared_ptr<const FolderDescriptor> m_folder;
};

class LinuxWalkFolder final : public WalkFolder {
public:
    LinuxWalkFolder(int fd, FileSystemId id) : m_fd(fd), m_id(id) {}
    ~LinuxWalkFolder() override {
        if (!m_shared)
            ::close(m_fd);
    }
    LinuxWalkFolder(const LinuxWalkFolder&) = delete;
    LinuxWalkFolder& operator=(const LinuxWalkFolder&) = delete;

    FileSystemId fileSystem() const override { return m_id; }

    std::optional<FolderEntry> next() override {
        for (;;) {
            if (m_offset >= m_filled && !fill())
                return std::nullopt;
            const auto* record =
                reinterpret_cast<const struct dirent64*>(m_buffer.get() + m_offset);
            m_offset += record->d_reclen;
            const size_t room = record->d_reclen - offsetof(struct dirent64, d_name);
            const size_t length = ::strnlen(record->d_name, room);
            if (record->d_ino == 0) // a deleted slot some file systems still report
                continue;
            FolderEntry entry;
            entry.name.assign(record->d_name, length);
            if (!kindOf(record->d_type, entry))
                continue;
            if (entry.kind == EntryKind::Folder)
                entry.attributes |= kAttributeFolder;
            if (!entry.name.empty() && entry.name[0] == '.')
                entry.attributes |= kAttributeHidden;
            return entry;
        }
    }

    std::unique_ptr<WalkFolder> openSubFolder(const std::string& name,
                                              const FileSystemId& within) override {
        return openFolder(name, within, false).folder;
    }

    std::unique_ptr<ReadableFolder> shareForReading() const override {
        if (!m_shared)
            m_shared = std::make_shared<const FolderDescriptor>(m_fd);
        return std::make_unique<LinuxReadableFolder>(m_shared);
    }

    SubFolder enterSubFolder(const std::string& name, const FileSystemId& within) override {
        return openFolder(name, within, true);
    }

private:
    // The sub-folder `name`, when it is a folder of the file system `within`. `toList`: the
    // folder is about to be listed, so its listing's first batch is read now.
    SubFolder openFolder(const std::string& name, const FileSystemId& within, bool toList) {
        // Looking first, without following a link or triggering an automount, keeps the walk
        // out of other file systems without even opening their mount points.
        mode_t type = 0;
        uint64_t inode = 0;
        auto id =
            fileSystemOf(m_fd, name.c_str(), AT_SYMLINK_NOFOLLOW | AT_NO_AUTOMOUNT, &type, &inode);
        if (!id || type != S_IFDIR || !(*id == within))
            return {};
        int fd = ::openat(m_fd, name.c_str(),
                          O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK);
        if (fd < 0)
            return {nullptr, errno != ENOENT && errno != ENOTDIR && errno != ELOOP};
        // The name may have been replaced between the look and the open; only the folder that
        // was looked at is walked. A folder to be listed usually settles it with the first batch
        // of its listing, whose "." entry names the folder itself, without asking the system
        // again: a folder renamed into place comes from the same file system (a rename cannot
        // cross one), so its inode tells it apart. A file system whose "." says otherwise (or
        // none) is asked.
        auto folder = std::make_unique<LinuxWalkFolder>(fd, *id);
        if (!toList || !folder->listsItselfAs(inode)) {
            struct stat opened {};
            if (::fstat(fd, &opened) != 0 || opened.st_dev != id->device || opened.st_ino != inode)
                return {};
        }
        return {std::move(folder), false};
    }

    // Whether the first batch of the listing holds "." with this inode. Reads that batch, which
    // next() then goes on from.
    bool listsItselfAs(uint64_t inode) {
        if (m_offset != 0 || (m_filled == 0 && !fill()))
            return false;
        for (size_t at = 0; at < m_filled;) {
            const auto* record = reinterpret_cast<const struct dirent64*>(m_buffer.get() + at);
            if (record->d_name[0] == '.' && record->d_name[1] == '\0')
                return record->d_ino == inode;
            at += record->d_reclen;
        }
        return false;
    }

    // Reads the next batch of entries; false at the end or on an error.
    bool fill() {
        if (m_ended)
            return false;
        if (!m_buffer)
            m_buffer = std::make_unique_for_overwrite<char[]>(kListingBufferSize);
        ssize_t got = 0;
        do
            got = ::getdents64(m_fd, m_buffer.get(), kListingBufferSize);
        while (got < 0 && errno == EINTR);
        if (got <= 0) {
            m_ended = true;
            m_buffer.reset();
            return false;
        }
        m_filled = static_cast<size_t>(got);
        m_offset = 0;
        return true;
    }

    // Sets the entry's kind from the listing's type; examines the entry only where the file
    // system does not report one. False when the entry cannot be examined.
    bool kindOf(unsigned char listedType, FolderEntry& entry) const {
        switch (listedType) {
        case DT_REG:
            entry.kind = EntryKind::File;
            return true;
        case DT_DIR:
            entry.kind = EntryKind::Folder;
            return true;
        case DT_LNK:
            entry.kind = EntryKind::SymbolicLink;
            return true;
        case DT_UNKNOWN:
            break;
        default:
            entry.kind = EntryKind::Other;
            return true;
        }
        struct stat info {};
        if (::fstatat(m_fd, entry.name.c_str(), &info, AT_SYMLINK_NOFOLLOW | AT_NO_AUTOMOUNT) != 0)
            return false;
        if (S_ISREG(info.st_mode))
            entry.kind = EntryKind::File;
        else if (S_ISDIR(info.st_mode))
            entry.kind = EntryKind::Folder;
        else if (S_ISLNK(info.st_mode))
            entry.kind = EntryKind::SymbolicLink;
        else
            entry.kind = EntryKind::Other;
        return true;
    }

    int m_fd;
    FileSystemId m_id;
    // Owns m_fd once the folder is shared for reading; until then the folder closes it itself.
    mutable std::shared_ptr<const FolderDescriptor> m_shared;
    std::unique_ptr<char[]> m_buffer; // kListingBufferSize bytes while listing
    size_t m_filled = 0;              // bytes of m_buffer holding entries
    size_t m_offset = 0;              // the next entry's position in m_buffer
    bool m_ended = false;
};

} // namespace

std::unique_ptr<WalkFolder> OpenWalkFolder(const std::string& path) {
    int fd = ::open(path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0)
        return nullptr;
    auto id = fileSystemOf(fd, "", AT_EMPTY_PATH);
    if (!id) {
        ::close(fd);
        return nullptr;
    }
    return std::make_unique<LinuxWalkFolder>(fd, *id);
}

} // namespace vorlith::platform
