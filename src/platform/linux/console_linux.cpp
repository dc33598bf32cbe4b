#include "platform/console.h"

#include <signal.h>
#include <sys/ioctl.h>
#include <unistd.h>

namespace vorlith::platform {
namespace {
std::atomic<bool>* g_interrupted = nullptr;

extern "C" void onInterrupt(int) {
    if (g_interrupted->exchange(true))
        ::_exit(130);
}
} // namespace

std::vector<std::string> CommandLineArguments(int argc, char** argv) {
    return std::vector<std::string>(argv, argv + argc);
}

void PrepareConsole() {}

bool IsTerminal(ConsoleStream stream) {
    const int fd = stream == ConsoleStream::Input    ? STDIN_FILENO
                   : stream == ConsoleStream::Output ? STDOUT_FILENO
                                                     : STDERR_FILENO;
    return ::isatty(fd) == 1;
}

int TerminalColumns() {
    winsize size{};
    if (::ioctl(STDERR_FILENO, TIOCGWINSZ, &size) == 0 && size.ws_col > 0)
        return size.ws_col;
    return 80;
}

void InstallInterruptHandler(std::atomic<bool>& interrupted) {
    g_interrupted = &interrupted;
    struct sigaction action {};
    action.sa_handler = onInterrupt;
    sigemptyset(&action.sa_mask);
    ::sigaction(SIGINT, &action, nullptr);
}

} // namespace vorlith::platform
