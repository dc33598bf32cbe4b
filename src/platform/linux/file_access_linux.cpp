#include "platform/file_access.h"
#include "platform/linux/file_tail.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace vorlith::platform {
namespace {

void setError(SystemError* error, int number) {
    if (error) {
        error->number = static_cast<uint32_t>(number);
        error->description = std::strerror(number);
    }
}

// Opens a regular file without waiting and without following a link at its name. A look before
// the open keeps devices from being opened at all (opening some has effects); O_NONBLOCK keeps
// the open of a pipe swapped in meanwhile from blocking, and the look at the open file keeps only
// a regular file. For a regular file O_NONBLOCK changes nothing, so it stays set.
int openRegular(const std::string& path, int access, SystemError* error, uint64_t& size) {
    struct stat before {};
    if (::lstat(path.c_str(), &before) != 0) {
        setError(error, errno);
        return -1;
    }
    if (!S_ISREG(before.st_mode)) {
        setError(error, S_ISDIR(before.st_mode) ? EISDIR : S_ISLNK(before.st_mode) ? ELOOP : EINVAL);
        return -1;
    }
    int fd = ::open(path.c_str(), access | O_CLOEXEC | O_NOCTTY | O_NONBLOCK | O_NOFOLLOW);
    if (fd < 0) {
        setError(error, errno);
        return -1;
    }
    struct stat info {};
    if (::fstat(fd, &info) != 0) {
        int number = errno;
        ::close(fd);
        setError(error, number);
        return -1;
    }
    if (!S_ISREG(info.st_mode)) {
        ::close(fd);
        setError(error, S_ISDIR(info.st_mode) ? EISDIR : EINVAL);
        return -1;
    }
    size = static_cast<uint64_t>(info.st_size);
    return fd;
}

size_t readAtFd(int fd, uint64_t offset, char* buffer, size_t size) {
    size_t total = 0;
    while (total < size) {
        ssize_t got = ::pread(fd, buffer + total, size - total, static_cast<off_t>(offset + total));
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            break;
        total += static_cast<size_t>(got);
    }
    return total;
}

class RegularInputFile final : public InputFile {
public:
    RegularInputFile(int fd, uint64_t size) : m_fd(fd), m_size(size) {}
    ~RegularInputFile() override { ::close(m_fd); }
    size_t read(char* buffer, size_t size) override {
        for (;;) {
            ssize_t got = ::read(m_fd, buffer, size);
            if (got >= 0)
                return static_cast<size_t>(got);
            if (errno != EINTR)
                return 0;
        }
    }
    size_t readAt(uint64_t offset, char* buffer, size_t size) override {
        return readAtFd(m_fd, offset, buffer, size);
    }
    uint64_t size() const override { return m_size; }

private:
    int m_fd;
    uint64_t m_size; // bytes, when opened
};

class PosixUpdateFile final : public UpdateFile {
public:
    PosixUpdateFile(int fd, uint64_t size) : m_fd(fd), m_size(size) {}
    ~PosixUpdateFile() override { close(); }
    uint64_t size() const override { return m_size; }
    size_t readAt(uint64_t offset, char* buffer, size_t size) override {
        return m_fd < 0 ? 0 : readAtFd(m_fd, offset, buffer, size);
    }
    bool writeAt(uint64_t offset, std::string_view bytes, SystemError* error) override {
        if (m_fd < 0) {
            setError(error, EBADF);
            return false;
        }
        size_t written = 0;
        while (written < bytes.size()) {
            ssize_t n = ::pwrite(m_fd, bytes.data() + written, bytes.size() - written,
                                 static_cast<off_t>(offset + written));
            if (n < 0 && errno == EINTR)
                continue;
            if (n <= 0) {
                setError(error, n < 0 ? errno : ENOSPC);
                return false;
            }
            written += static_cast<size_t>(n);
        }
        if (offset + written > m_size)
            m_size = offset + written;
        return true;
    }
    bool close() override {
        if (m_fd < 0)
            return true;
        int fd = m_fd;
        m_fd = -1;
        return ::close(fd) == 0;
    }

private:
    int m_fd;
    uint64_t m_size; // bytes, including what this object appended
};

} // namespace

std::unique_ptr<InputFile> OpenRegularFile(const std::string& path, SystemError* error) {
    uint64_t size = 0;
    int fd = openRegular(path, O_RDONLY, error, size);
    if (fd < 0)
        return nullptr;
    return std::make_unique<RegularInputFile>(fd, size);
}

std::optional<uint64_t> ReadRegularFileTailAt(int folder, const char* path, char* out,
                                              size_t count, size_t& got) {
    got = 0;
    const int fd =
        ::openat(folder, path, O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK | O_NOFOLLOW);
    if (fd < 0)
        return std::nullopt;
    struct stat info {};
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        ::close(fd);
        return std::nullopt;
    }
    const auto size = static_cast<uint64_t>(info.st_size);
    if (size > count) {
        ssize_t n = 0;
        do
            n = ::pread(fd, out, count, static_cast<off_t>(size - count));
        while (n < 0 && errno == EINTR);
        got = n > 0 ? static_cast<size_t>(n) : 0;
    }
    ::close(fd);
    return size;
}

std::optional<uint64_t> ReadRegularFileTail(const std::string& path, char* out, size_t count,
                                            size_t& got) {
    return ReadRegularFileTailAt(AT_FDCWD, path.c_str(), out, count, got);
}

PathPresence ExaminePath(const std::string& path) {
    struct stat info {};
    if (::lstat(path.c_str(), &info) == 0)
        return PathPresence::Present;
    return errno == ENOENT || errno == ENOTDIR ? PathPresence::Absent : PathPresence::Unknown;
}

std::optional<uint64_t> RegularFileSize(const std::string& path) {
    struct stat info {};
    if (::lstat(path.c_str(), &info) != 0 || !S_ISREG(info.st_mode))
        return std::nullopt;
    return static_cast<uint64_t>(info.st_size);
}

std::unique_ptr<UpdateFile> OpenFileForUpdate(const std::string& path, SystemError* error) {
    uint64_t size = 0;
    int fd = openRegular(path, O_RDWR, error, size);
    if (fd < 0)
        return nullptr;
    return std::make_unique<PosixUpdateFile>(fd, size);
}

} // namespace vorlith::platform
