// POSIX implementation of the file-system operations.

#include "platform/file_system.h"

#include "platform/file_access.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <random>
#include <vector>

namespace vorlith::platform {

const char kPathSeparator = '/';

std::string JoinPath(std::string_view folder, std::string_view name) {
    std::string path(folder);
    if (path.empty() || path.back() != kPathSeparator)
        path += kPathSeparator;
    path += name;
    return path;
}

std::string BaseName(std::string_view path) {
    auto slash = path.rfind(kPathSeparator);
    return std::string(slash == std::string_view::npos ? path : path.substr(slash + 1));
}

bool FolderExists(const std::string& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

bool FileExists(const std::string& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 && !S_ISDIR(info.st_mode);
}

bool RegularFileExists(const std::string& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

bool PathExists(const std::string& path) {
    struct stat info {};
    return ::lstat(path.c_str(), &info) == 0;
}

bool CreateFolder(const std::string& path, Access access) {
    if (::mkdir(path.c_str(), access == Access::Private ? 0700 : 0755) == 0)
        return true;
    return errno == EEXIST && FolderExists(path);
}

bool CreateFolders(const std::string& path, Access access) {
    if (path.empty() || FolderExists(path))
        return !path.empty();
    auto slash = path.find_last_of(kPathSeparator);
    if (slash != std::string::npos && slash > 0 && !CreateFolders(path.substr(0, slash), access))
        return false;
    return CreateFolder(path, access);
}

namespace {

class PosixOutputFile final : public OutputFile {
public:
    explicit PosixOutputFile(std::FILE* file) : m_file(file) {}
    ~PosixOutputFile() override { close(); }
    void write(std::string_view bytes) override {
        if (m_file && !m_failed && !bytes.empty() &&
            std::fwrite(bytes.data(), 1, bytes.size(), m_file) != bytes.size())
            m_failed = true;
    }
    bool close() override {
        if (m_file) {
            if (std::fclose(m_file) != 0)
                m_failed = true;
            m_file = nullptr;
        }
        return !m_failed;
    }

private:
    std::FILE* m_file;
    bool m_failed = false;
};

} // namespace

std::unique_ptr<InputFile> OpenInputFile(const std::string& path) {
    // Only regular files: a pipe or a device named like a file must never block or feed an
    // audit without end.
    return OpenRegularFile(path);
}

std::unique_ptr<OutputFile> CreateOutputFile(const std::string& path) {
    std::FILE* file = std::fopen(path.c_str(), "wbe");
    if (!file)
        return nullptr;
    std::setvbuf(file, nullptr, _IOFBF, 1 << 16);
    return std::make_unique<PosixOutputFile>(file);
}

std::optional<uint64_t> FileSize(const std::string& path) {
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0)
        return std::nullopt;
    return static_cast<uint64_t>(info.st_size);
}

namespace {

bool writeAll(int fd, std::string_view bytes) {
    size_t written = 0;
    while (written < bytes.size()) {
        ssize_t n = ::write(fd, bytes.data() + written, bytes.size() - written);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        written += static_cast<size_t>(n);
    }
    return true;
}

// Fills an open file, gives it its permissions and puts it on the disk.
bool fillFile(int fd, std::string_view bytes, mode_t mode) {
    bool ok = writeAll(fd, bytes) && ::fchmod(fd, mode) == 0 && ::fsync(fd) == 0;
    return ::close(fd) == 0 && ok;
}

// Writes the bytes into a file without a name in the folder and only then links it in as
// temporary: until the link, a process killed midway leaves nothing on the disk. False when the
// file system has no unnamed files (or /proc is missing); temporary then does not exist.
bool writeUnnamed(const std::string& folder, const std::string& temporary, std::string_view bytes,
                  mode_t mode) {
    int fd = ::open(folder.c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0600);
    if (fd < 0)
        return false;
    bool ok = writeAll(fd, bytes) && ::fchmod(fd, mode) == 0 && ::fsync(fd) == 0;
    // Linking a descriptor through /proc needs no privilege (AT_EMPTY_PATH would).
    const std::string self = "/proc/self/fd/" + std::to_string(fd);
    ok =
        ok && ::linkat(AT_FDCWD, self.c_str(), AT_FDCWD, temporary.c_str(), AT_SYMLINK_FOLLOW) == 0;
    ::close(fd);
    return ok;
}

bool writeNamed(const std::string& temporary, std::string_view bytes, mode_t mode) {
    int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (fd < 0)
        return false;
    if (fillFile(fd, bytes, mode))
        return true;
    ::unlink(temporary.c_str());
    return false;
}

mode_t modeFor(const std::string& path, Access access) {
    if (access == Access::Private)
        return 0600;
    // Keep the permissions of the file being replaced, but never let others write it.
    struct stat old {};
    if (::stat(path.c_str(), &old) == 0)
        return (old.st_mode & 0777) & ~static_cast<mode_t>(S_IWOTH);
    return 0644;
}

} // namespace

bool ReplaceFileAtomically(const std::string& path, std::string_view bytes, Access access) {
    std::random_device random;
    const std::string temporary = path + kTemporaryInfix + std::to_string(random() % 1000000);
    const mode_t mode = modeFor(path, access);
    if (!writeUnnamed(FolderOfPath(path), temporary, bytes, mode) &&
        !writeNamed(temporary, bytes, mode))
        return false;
    if (::rename(temporary.c_str(), path.c_str()) == 0)
        return true;
    ::unlink(temporary.c_str());
    return false;
}

namespace {
class FlockedFolder final : public FolderLock {
public:
    explicit FlockedFolder(int fd) : m_fd(fd) {}
    ~FlockedFolder() override { ::close(m_fd); } // closing releases the lock

private:
    int m_fd;
};
} // namespace

std::unique_ptr<FolderLock> LockFolder(const std::string& path) {
    int fd = ::open(path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return nullptr;
    int result;
    do
        result = ::flock(fd, LOCK_EX);
    while (result != 0 && errno == EINTR);
    if (result != 0) {
        ::close(fd);
        return nullptr;
    }
    return std::make_unique<FlockedFolder>(fd);
}

bool CopyFile(const std::string& from, const std::string& to, CopyMode mode) {
    if (mode == CopyMode::KeepExisting && PathExists(to))
        return false;
    auto bytes = ReadWholeFile(from);
    return bytes && WriteWholeFile(to, *bytes);
}

namespace {

// Copies bytes [offset, end) from one descriptor to the same place in the other.
bool copyPart(int from, int to, uint64_t offset, uint64_t end, std::vector<char>& buffer) {
    while (offset < end) {
        const size_t want = static_cast<size_t>(std::min<uint64_t>(buffer.size(), end - offset));
        ssize_t got = ::pread(from, buffer.data(), want, static_cast<off_t>(offset));
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            return false; // the file shrank meanwhile, or cannot be read
        for (ssize_t done = 0; done < got;) {
            ssize_t n = ::pwrite(to, buffer.data() + done, static_cast<size_t>(got - done),
                                 static_cast<off_t>(offset) + done);
            if (n < 0 && errno == EINTR)
                continue;
            if (n <= 0)
                return false;
            done += n;
        }
        offset += static_cast<uint64_t>(got);
    }
    return true;
}

// Copies the data parts of the first size bytes; where the file system cannot tell data from
// holes, all of it.
bool copyDataParts(int from, int to, uint64_t size) {
    std::vector<char> buffer(1 << 20);
    uint64_t offset = 0;
    while (offset < size) {
        off_t data = ::lseek(from, static_cast<off_t>(offset), SEEK_DATA);
        if (data < 0) {
            if (errno == ENXIO)
                return true; // nothing but a hole up to the end
            return copyPart(from, to, offset, size, buffer);
        }
        if (static_cast<uint64_t>(data) >= size)
            return true;
        off_t hole = ::lseek(from, data, SEEK_HOLE);
        const uint64_t end =
            hole < 0 ? size : std::min<uint64_t>(static_cast<uint64_t>(hole), size);
        if (!copyPart(from, to, static_cast<uint64_t>(data), end, buffer))
            return false;
        offset = end;
    }
    return true;
}

} // namespace

bool CopySparseFile(const std::string& from, const std::string& to) {
    int source = ::open(from.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (source < 0)
        return false;
    struct stat info {};
    if (::fstat(source, &info) != 0 || !S_ISREG(info.st_mode)) {
        ::close(source);
        return false;
    }
    int target = ::open(to.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (target < 0) {
        ::close(source);
        return false;
    }
    const uint64_t size = static_cast<uint64_t>(info.st_size);
    // The length first: what is not written stays a hole.
    bool ok = ::ftruncate(target, info.st_size) == 0 && copyDataParts(source, target, size);
    ::close(source);
    ok = ::close(target) == 0 && ok;
    if (!ok)
        ::unlink(to.c_str());
    return ok;
}

std::optional<uint64_t> AllocatedSize(const std::string& path) {
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0)
        return std::nullopt;
    return static_cast<uint64_t>(info.st_blocks) * 512; // st_blocks counts 512-byte units
}

std::optional<uint64_t> FreeSpace(const std::string& folder) {
    struct statvfs info {};
    if (::statvfs(folder.c_str(), &info) != 0)
        return std::nullopt;
    return static_cast<uint64_t>(info.f_bavail) * info.f_frsize;
}

bool DeleteFile(const std::string& path) {
    struct stat info {};
    if (::lstat(path.c_str(), &info) == 0 && !S_ISLNK(info.st_mode))
        ::chmod(path.c_str(), (info.st_mode & 07777) | S_IWUSR);
    return ::unlink(path.c_str()) == 0;
}

namespace {

class PosixFolderListing final : public FolderListing {
public:
    PosixFolderListing(DIR* dir, std::string path) : m_dir(dir), m_path(std::move(path)) {}
    ~PosixFolderListing() override { ::closedir(m_dir); }

    std::optional<FolderEntry> next() override {
        errno = 0;
        struct dirent* entry = ::readdir(m_dir);
        if (!entry)
            return std::nullopt;
        FolderEntry result;
        result.name = entry->d_name;
        switch (entry->d_type) {
        case DT_REG:
            result.kind = EntryKind::File;
            break;
        case DT_DIR:
            result.kind = EntryKind::Folder;
            break;
        case DT_LNK:
            result.kind = EntryKind::SymbolicLink;
            break;
        case DT_UNKNOWN:
            result.kind = kindByStat(result.name);
            break;
        default:
            result.kind = EntryKind::Other;
            break;
        }
        if (result.kind == EntryKind::Folder)
            result.attributes |= kAttributeFolder;
        if (!result.name.empty() && result.name[0] == '.')
            result.attributes |= kAttributeHidden;
        return result;
    }

private:
    // Only file systems that do not report the type in the listing cost a stat per entry.
    EntryKind kindByStat(const std::string& name) const {
        struct stat info {};
        if (::fstatat(::dirfd(m_dir), name.c_str(), &info, AT_SYMLINK_NOFOLLOW) != 0)
            return EntryKind::Other;
        if (S_ISREG(info.st_mode))
            return EntryKind::File;
        if (S_ISDIR(info.st_mode))
            return EntryKind::Folder;
        if (S_ISLNK(info.st_mode))
            return EntryKind::SymbolicLink;
        return EntryKind::Other;
    }

    DIR* m_dir;
    std::string m_path;
};

} // namespace

std::unique_ptr<FolderListing> ListFolder(const std::string& path) {
    DIR* dir = ::opendir(path.c_str());
    if (!dir)
        return nullptr;
    return std::make_unique<PosixFolderListing>(dir, path);
}

} // namespace vorlith::platform
