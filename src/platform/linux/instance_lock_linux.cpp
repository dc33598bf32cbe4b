// The one-copy lock: an flock on a per-user file, released by the kernel when the process ends,
// so a crashed copy never leaves a stale lock behind.

#include "platform/instance_lock.h"

#include "platform/file_system.h"
#include "platform/folders.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace vorlith::platform {
namespace {

class FileLock final : public InstanceLock {
public:
    explicit FileLock(int fd) : m_fd(fd) {}
    ~FileLock() override {
        if (m_fd >= 0)
            ::close(m_fd);
    }

private:
    int m_fd;
};

} // namespace

std::unique_ptr<InstanceLock> AcquireInstanceLock(const std::string& name) {
    const std::string path =
        JoinPath(RuntimeFolder(), name + "-" + std::to_string(::getuid()) + ".lock");
    int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (fd < 0)
        return std::make_unique<FileLock>(-1);
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        ::close(fd);
        return nullptr;
    }
    return std::make_unique<FileLock>(fd);
}

} // namespace vorlith::platform
