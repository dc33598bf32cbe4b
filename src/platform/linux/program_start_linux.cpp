// Starting a program detached: fork twice so that it is not our child, start a new session so
// that it outlives a closing terminal, and learn through a close-on-exec pipe whether exec worked.

#include "platform/program_start.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>

namespace vorlith::platform {
namespace {

bool isExecutable(const std::string& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode) &&
           ::access(path.c_str(), X_OK) == 0;
}

class LinuxProgramStarter final : public ProgramStarter {
public:
    bool start(const std::vector<std::string>& arguments) override {
        if (arguments.empty())
            return false;
        auto program = FindProgram(arguments[0]);
        if (!program)
            return false;
        std::vector<char*> argv;
        for (const std::string& argument : arguments)
            argv.push_back(const_cast<char*>(argument.c_str()));
        argv.push_back(nullptr);

        int status[2];
        if (::pipe2(status, O_CLOEXEC) != 0)
            return false;
        pid_t child = ::fork();
        if (child < 0) {
            ::close(status[0]);
            ::close(status[1]);
            return false;
        }
        if (child == 0) {
            ::close(status[0]);
            ::setsid();
            pid_t grandchild = ::fork();
            if (grandchild != 0) {
                if (grandchild < 0) {
                    int error = errno;
                    (void)!::write(status[1], &error, sizeof error);
                }
                ::_exit(0);
            }
            int devnull = ::open("/dev/null", O_RDWR);
            if (devnull >= 0) {
                ::dup2(devnull, STDIN_FILENO);
                ::dup2(devnull, STDOUT_FILENO);
                ::dup2(devnull, STDERR_FILENO);
            }
            ::execv(program->c_str(), argv.data());
            int error = errno;
            (void)!::write(status[1], &error, sizeof error);
            ::_exit(127);
        }
        ::close(status[1]);
        int childStatus = 0;
        while (::waitpid(child, &childStatus, 0) < 0 && errno == EINTR) {
        }
        int error = 0;
        ssize_t got;
        do {
            got = ::read(status[0], &error, sizeof error);
        } while (got < 0 && errno == EINTR);
        ::close(status[0]);
        return got == 0; // nothing written: exec succeeded
    }

    bool isAvailable(const std::string& program) override {
        return FindProgram(program).has_value();
    }
};

} // namespace

std::optional<std::string> FindProgram(const std::string& program) {
    if (program.empty())
        return std::nullopt;
    if (program.find('/') != std::string::npos)
        return isExecutable(program) ? std::optional<std::string>(program) : std::nullopt;
    const char* path = std::getenv("PATH");
    std::string folders = path ? path : "/usr/local/bin:/usr/bin:/bin";
    size_t start = 0;
    while (start <= folders.size()) {
        size_t end = folders.find(':', start);
        std::string folder =
            folders.substr(start, end == std::string::npos ? std::string::npos : end - start);
        if (folder.empty())
            folder = ".";
        std::string candidate = folder;
        candidate += '/';
        candidate += program;
        if (isExecutable(candidate))
            return candidate;
        if (end == std::string::npos)
            break;
        start = end + 1;
    }
    return std::nullopt;
}

ProgramStarter& SystemProgramStarter() {
    static LinuxProgramStarter starter;
    return starter;
}

} // namespace vorlith::platform
