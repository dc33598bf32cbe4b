#include "platform/output_folder.h"

#include "platform/buffered_output_file.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <random>

namespace vorlith::platform {
namespace {

constexpr mode_t kFolderMode = 0700;
constexpr mode_t kFileMode = 0600;

void setError(SystemError* error, int number) {
    if (error) {
        error->number = static_cast<uint32_t>(number);
        error->description = std::strerror(number);
    }
}

std::string nameOf(std::string_view name) {
    return std::string(name);
}

// Six characters no two calls of one program share, and that other programs are unlikely to
// guess.
std::string randomSuffix() {
    static std::atomic<uint64_t> counter{0};
    static const uint64_t seed = std::random_device{}();
    uint64_t value =
        seed ^ (counter.fetch_add(1) * 0x9E3779B97F4A7C15ull) ^ static_cast<uint64_t>(::getpid());
    static constexpr char kLetters[] =
        "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    std::string suffix;
    for (int i = 0; i < 6; ++i) {
        suffix += kLetters[value % 62];
        value /= 62;
    }
    return suffix;
}

EntryKind kindOfMode(mode_t mode) {
    if (S_ISREG(mode))
        return EntryKind::File;
    if (S_ISDIR(mode))
        return EntryKind::Folder;
    if (S_ISLNK(mode))
        return EntryKind::SymbolicLink;
    return EntryKind::Other;
}

int openFolderAt(int parent, const char* name, SystemError* error) {
    int fd = ::openat(parent, name, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0)
        setError(error, errno == ELOOP ? ENOTDIR : errno);
    return fd;
}

// A file written under a temporary name in its folder and renamed to its own name on close.
class RenamedOutputFile final : public BufferedOutputFile {
public:
    RenamedOutputFile(int folder, int fd, std::string temporary, std::string name)
        : m_folder(folder), m_fd(fd), m_temporary(std::move(temporary)), m_name(std::move(name)) {}
    ~RenamedOutputFile() override {
        if (m_fd >= 0) {
            ::close(m_fd);
            ::unlinkat(m_folder, m_temporary.c_str(), 0);
        }
    }
    bool close() override {
        if (m_fd < 0)
            return !failed();
        flush();
        if (::close(m_fd) != 0)
            setFailed();
        m_fd = -1;
        if (!failed() && ::renameat(m_folder, m_temporary.c_str(), m_folder, m_name.c_str()) != 0)
            setFailed();
        if (failed())
            ::unlinkat(m_folder, m_temporary.c_str(), 0);
        return !failed();
    }

private:
    bool isOpen() const override { return m_fd >= 0; }
    bool writeAll(std::string_view bytes) override {
        while (!bytes.empty()) {
            ssize_t n = ::write(m_fd, bytes.data(), bytes.size());
            if (n < 0 && errno == EINTR)
                continue;
            if (n <= 0)
                return false;
            bytes.remove_prefix(static_cast<size_t>(n));
        }
        return true;
    }

    int m_folder; // owned by the folder, which outlives the file in every use
    int m_fd;
    std::string m_temporary;
    std::string m_name;
};

class PosixOutputFolder final : public OutputFolder {
public:
    PosixOutputFolder(int fd, std::string path) : m_fd(fd), m_path(std::move(path)) {}
    ~PosixOutputFolder() override { ::close(m_fd); }

    const std::string& path() const override { return m_path; }

    std::optional<EntryKind> kindOf(std::string_view name) override {
        struct stat info {};
        if (::fstatat(m_fd, nameOf(name).c_str(), &info, AT_SYMLINK_NOFOLLOW) != 0)
            return std::nullopt;
        return kindOfMode(info.st_mode);
    }

    std::vector<FolderEntry> entries() override {
        std::vector<FolderEntry> result;
        int copy = ::openat(m_fd, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (copy < 0)
            return result;
        DIR* listing = ::fdopendir(copy);
        if (!listing) {
            ::close(copy);
            return result;
        }
        while (const dirent* entry = ::readdir(listing)) {
            const std::string name = entry->d_name;
            if (name == "." || name == "..")
                continue;
            FolderEntry item{name, EntryKind::Other, 0};
            if (auto kind = kindOf(name))
                item.kind = *kind;
            result.push_back(std::move(item));
        }
        ::closedir(listing);
        return result;
    }

    std::unique_ptr<OutputFolder> openFolder(std::string_view name, SystemError* error) override {
        const std::string child = nameOf(name);
        int fd = openFolderAt(m_fd, child.c_str(), error);
        if (fd < 0)
            return nullptr;
        return std::make_unique<PosixOutputFolder>(fd, JoinPath(m_path, child));
    }

    std::unique_ptr<OutputFolder> createFolder(std::string_view name, SystemError* error) override {
        const std::string child = nameOf(name);
        if (::mkdirat(m_fd, child.c_str(), kFolderMode) != 0 && errno != EEXIST) {
            setError(error, errno);
            return nullptr;
        }
        return openFolder(child, error);
    }

    std::unique_ptr<OutputFolder> createUniqueFolder(std::string_view prefix,
                                                     SystemError* error) override {
        for (int attempt = 0; attempt < 100; ++attempt) {
            const std::string child = nameOf(prefix) + randomSuffix();
            if (::mkdirat(m_fd, child.c_str(), kFolderMode) == 0)
                return openFolder(child, error);
            if (errno != EEXIST) {
                setError(error, errno);
                return nullptr;
            }
        }
        setError(error, EEXIST);
        return nullptr;
    }

    std::unique_ptr<OutputFile> createFile(std::string_view name, SystemError* error) override {
        for (int attempt = 0; attempt < 100; ++attempt) {
            const std::string temporary = ".tmp-" + randomSuffix() + "-" + nameOf(name);
            int fd = ::openat(m_fd, temporary.c_str(),
                              O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, kFileMode);
            if (fd >= 0)
                return std::make_unique<RenamedOutputFile>(m_fd, fd, temporary, nameOf(name));
            if (errno != EEXIST) {
                setError(error, errno);
                return nullptr;
            }
        }
        setError(error, EEXIST);
        return nullptr;
    }

    bool moveTo(std::string_view name, OutputFolder& target, std::string_view targetName,
                SystemError* error) override {
        auto& other = static_cast<PosixOutputFolder&>(target);
        if (::renameat(m_fd, nameOf(name).c_str(), other.m_fd, nameOf(targetName).c_str()) == 0)
            return true;
        setError(error, errno);
        return false;
    }

    bool exchange(std::string_view name, OutputFolder& target,
                  std::string_view targetName) override {
        auto& other = static_cast<PosixOutputFolder&>(target);
        return ::renameat2(m_fd, nameOf(name).c_str(), other.m_fd, nameOf(targetName).c_str(),
                           RENAME_EXCHANGE) == 0;
    }

    bool removeTree(std::string_view name) override {
        const std::string child = nameOf(name);
        struct stat info {};
        if (::fstatat(m_fd, child.c_str(), &info, AT_SYMLINK_NOFOLLOW) != 0)
            return errno == ENOENT;
        if (!S_ISDIR(info.st_mode))
            return ::unlinkat(m_fd, child.c_str(), 0) == 0;
        bool removed = true;
        if (auto folder = openFolder(child, nullptr)) {
            for (const FolderEntry& entry : folder->entries())
                removed = folder->removeTree(entry.name) && removed;
        }
        return ::unlinkat(m_fd, child.c_str(), AT_REMOVEDIR) == 0 && removed;
    }

private:
    int m_fd;
    std::string m_path;
};

} // namespace

std::unique_ptr<OutputFolder> OpenOutputFolder(const std::string& path, SystemError* error) {
    int fd = openFolderAt(AT_FDCWD, path.c_str(), error);
    if (fd < 0)
        return nullptr;
    return std::make_unique<PosixOutputFolder>(fd, path);
}

std::unique_ptr<OutputFolder> OpenChosenFolder(const std::string& path, SystemError* error) {
    int fd = ::open(path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) {
        setError(error, errno);
        return nullptr;
    }
    return std::make_unique<PosixOutputFolder>(fd, path);
}

std::unique_ptr<OutputFolder> CreateOutputFolder(const std::string& path, SystemError* error) {
    if (path.empty()) {
        setError(error, ENOENT);
        return nullptr;
    }
    // Create each missing folder of the path from the top down, private like the report.
    for (size_t end = path.find('/', 1);; end = path.find('/', end + 1)) {
        const std::string prefix = path.substr(0, end);
        if (!prefix.empty() && ::mkdir(prefix.c_str(), kFolderMode) != 0 && errno != EEXIST) {
            setError(error, errno);
            return nullptr;
        }
        if (end == std::string::npos)
            break;
    }
    return OpenOutputFolder(path, error);
}

} // namespace vorlith::platform
