// The console on Windows: Ctrl-C (and Ctrl-Break) as the Cancel button through a console
// control handler.

#include "platform/console.h"

#include "platform/windows/win32.h"

#include <shellapi.h>

#include <cstdlib>

namespace vorlith::platform {
namespace {

std::atomic<bool>* g_interrupted = nullptr;
UINT g_originalOutputPage = 0; // the console's code page before PrepareConsole, 0 if unchanged

void restoreConsole() {
    if (g_originalOutputPage != 0)
        ::SetConsoleOutputCP(g_originalOutputPage);
}

BOOL WINAPI onControl(DWORD event) {
    if (event != CTRL_C_EVENT && event != CTRL_BREAK_EVENT)
        return FALSE; // closing the console or logging off: the system's default
    if (g_interrupted->exchange(true)) {
        restoreConsole();
        ::ExitProcess(130);
    }
    return TRUE;
}

HANDLE handleOf(ConsoleStream stream) {
    return ::GetStdHandle(stream == ConsoleStream::Input    ? STD_INPUT_HANDLE
                          : stream == ConsoleStream::Output ? STD_OUTPUT_HANDLE
                                                            : STD_ERROR_HANDLE);
}

} // namespace

std::vector<std::string> CommandLineArguments(int argc, char** argv) {
    int count = 0;
    wchar_t** wide = ::CommandLineToArgvW(::GetCommandLineW(), &count);
    if (!wide)
        return std::vector<std::string>(argv, argv + argc);
    std::vector<std::string> arguments;
    for (int i = 0; i < count; ++i)
        arguments.push_back(win32::Narrow(wide[i]));
    ::LocalFree(wide);
    return arguments;
}

void PrepareConsole() {
    // The console shows UTF-8 once its output code page says so; the page belongs to the
    // console, which outlives the program, so the old one is put back at the end.
    const UINT page = ::GetConsoleOutputCP();
    if (page != 0 && page != CP_UTF8 && ::SetConsoleOutputCP(CP_UTF8)) {
        g_originalOutputPage = page;
        std::atexit(restoreConsole);
    }
    for (DWORD stream : {STD_OUTPUT_HANDLE, STD_ERROR_HANDLE}) {
        HANDLE handle = ::GetStdHandle(stream);
        DWORD mode = 0;
        if (::GetConsoleMode(handle, &mode))
            ::SetConsoleMode(handle, mode | ENABLE_VIRTUAL_TERMINAL_PROCESSING);
    }
}

bool IsTerminal(ConsoleStream stream) {
    // A console answers GetConsoleMode; a file or a pipe does not. (_isatty also says yes for
    // the NUL device.)
    DWORD mode = 0;
    return ::GetConsoleMode(handleOf(stream), &mode) != 0;
}

int TerminalColumns() {
    CONSOLE_SCREEN_BUFFER_INFO info{};
    if (::GetConsoleScreenBufferInfo(handleOf(ConsoleStream::Error), &info)) {
        const int columns = info.srWindow.Right - info.srWindow.Left + 1;
        if (columns > 0)
            return columns;
    }
    return 80;
}

void InstallInterruptHandler(std::atomic<bool>& interrupted) {
    g_interrupted = &interrupted;
    ::SetConsoleCtrlHandler(onControl, TRUE);
}

} // namespace vorlith::platform
