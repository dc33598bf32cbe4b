// Vlith.exe: the desktop program on Windows. Lives in the tray, audits on start (or, started at
// log-in with "/STARTUP", once the user has been idle for two minutes) and shows the results.

#include "app/program.h"
#include "command_line.h"
#include "platform/desktop_input.h"
#include "platform/drives.h"
#include "platform/folders.h"
#include "sources/system_url_cache.h"
#include "startup_flow.h"
#include "win32_window_system.h"

#include <sstream>
#include <string>
#include <variant>
#include <vector>

namespace {

using vorlith::platform::win32::Narrow;
using vorlith::platform::win32::Widen;

// The words of the command line in UTF-8, read through the wide function so that a folder named
// outside the system's code page arrives as it is.
std::vector<std::string> Arguments() {
    std::vector<std::string> arguments;
    int count = 0;
    wchar_t** words = ::CommandLineToArgvW(::GetCommandLineW(), &count);
    for (int index = 0; words && index < count; ++index)
        arguments.push_back(Narrow(words[index]));
    if (words)
        ::LocalFree(words);
    if (arguments.empty())
        arguments.push_back("Vlith");
    return arguments;
}

// The help, the version and a refused command line. A program of the Windows subsystem has no
// console of its own: the text goes to the standard stream its starter gave it (a pipe, a file,
// a redirection), else to the console it was started from, else into a message box.
void Tell(const std::string& text, bool isError) {
    if (text.empty())
        return;
    std::string lines;
    for (char c : text) {
        if (c == '\n')
            lines += '\r';
        lines += c;
    }
    HANDLE stream = ::GetStdHandle(isError ? STD_ERROR_HANDLE : STD_OUTPUT_HANDLE);
    DWORD written = 0;
    if (stream && stream != INVALID_HANDLE_VALUE && ::GetFileType(stream) != FILE_TYPE_UNKNOWN) {
        const std::wstring wide = Widen(lines);
        if (::GetFileType(stream) == FILE_TYPE_CHAR &&
            ::WriteConsoleW(stream, wide.data(), static_cast<DWORD>(wide.size()), &written,
                            nullptr))
            return;
        ::WriteFile(stream, lines.data(), static_cast<DWORD>(lines.size()), &written, nullptr);
        return;
    }
    if (::AttachConsole(ATTACH_PARENT_PROCESS)) {
        HANDLE console = ::CreateFileW(L"CONOUT$", GENERIC_WRITE, FILE_SHARE_WRITE, nullptr,
                                       OPEN_EXISTING, 0, nullptr);
        // The console's prompt came back when the program started: a new line first.
        const std::wstring wide = Widen("\r\n" + lines);
        const bool shown = console != INVALID_HANDLE_VALUE &&
                           ::WriteConsoleW(console, wide.data(), static_cast<DWORD>(wide.size()),
                                           &written, nullptr);
        if (console != INVALID_HANDLE_VALUE)
            ::CloseHandle(console);
        ::FreeConsole();
        if (shown)
            return;
    }
    ::MessageBoxW(nullptr, Widen(text).c_str(), L"Vorlith",
                  MB_OK | (isError ? MB_ICONWARNING : MB_ICONINFORMATION));
}

} // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    using namespace vorlith;
    const std::vector<std::string> arguments = Arguments();
    std::vector<const char*> argv;
    for (const std::string& argument : arguments)
        argv.push_back(argument.c_str());
    std::ostringstream out, err;
    const auto parsed = frontend::ParseDesktopCommandLine(static_cast<int>(argv.size()),
                                                          argv.data(), out, err, "Vlith");
    if (const int* status = std::get_if<int>(&parsed)) {
        Tell(out.str(), false);
        Tell(err.str(), true);
        return *status;
    }
    const auto& line = std::get<frontend::DesktopCommandLine>(parsed);
    ProgramOptions options;
    options.driveRoots = line.audit.drives;
    options.reportFolder = line.audit.reportDir;
    if (line.audit.noBrowser || !platform::HasDisplay())
        options.browsers = BrowserMode::Suppressed;
    auto urlCache = ChooseUrlCacheSource(line.audit.urlCache);

    win32ui::Win32WindowSystem windows(
        win32ui::Win32Options{std::chrono::milliseconds(15), [] { ::PostQuitMessage(0); }});
    Program program(ProgramServices{windows, platform::SystemClock(), platform::SystemDrives(),
                                    *urlCache, platform::SystemProgramStarter(),
                                    platform::SystemHive(platform::HiveScope::User),
                                    platform::SystemHive(platform::HiveScope::Machine)},
                    options);
    windows.attach(program);
    const StartupOutcome outcome = program.Form_Load(line.argumentText);
    if (outcome == StartupOutcome::AnotherCopyRunning)
        return 3;
    if (win32ui::ContinueStartup(program, windows, outcome, platform::OpenDesktopInputState) ==
        win32ui::AfterStartup::Ended)
        return 0;
    windows.run();
    return 0;
}
