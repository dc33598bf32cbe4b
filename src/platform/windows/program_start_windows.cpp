// Starting programs on Windows: CreateProcessW with a command line quoted as programs read it
// back, and the shell's association (ShellExecuteExW) for the default browser.

#include "platform/program_start.h"

#include "platform/file_system.h"
#include "platform/windows/win32.h"

#include <objbase.h>
#include <shellapi.h>

#include <vector>

namespace vorlith::platform {
namespace {

using win32::Widen;

// One argument quoted so that CommandLineToArgvW and the C runtime read it back unchanged:
// backslashes double only before a quote.
std::wstring quoteArgument(const std::wstring& argument) {
    std::wstring quoted = L"\"";
    size_t backslashes = 0;
    for (wchar_t c : argument) {
        if (c == L'\\') {
            ++backslashes;
            continue;
        }
        quoted.append(c == L'"' ? backslashes * 2 + 1 : backslashes, L'\\');
        backslashes = 0;
        quoted += c;
    }
    quoted.append(backslashes * 2, L'\\');
    quoted += L'"';
    return quoted;
}

bool isProgramFile(const std::string& path) {
    return RegularFileExists(path);
}

// A program registered under "App Paths" (as browsers are) by the user or for the machine.
std::optional<std::string> registeredProgram(const std::string& fileName) {
    const std::wstring key =
        L"Software\\Microsoft\\Windows\\CurrentVersion\\App Paths\\" + Widen(fileName);
    for (HKEY root : {HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE}) {
        wchar_t buffer[MAX_PATH * 2] = {};
        DWORD size = sizeof buffer - sizeof(wchar_t);
        if (::RegGetValueW(root, key.c_str(), nullptr, RRF_RT_REG_SZ | RRF_RT_REG_EXPAND_SZ,
                           nullptr, buffer, &size) != ERROR_SUCCESS)
            continue;
        std::string path = win32::Narrow(buffer);
        if (path.size() >= 2 && path.front() == '"' && path.back() == '"')
            path = path.substr(1, path.size() - 2);
        if (isProgramFile(path))
            return path;
    }
    return std::nullopt;
}

class WindowsProgramStarter final : public ProgramStarter {
public:
    bool start(const std::vector<std::string>& arguments) override {
        if (arguments.empty())
            return false;
        auto program = FindProgram(arguments[0]);
        if (!program)
            return false;
        std::wstring commandLine = quoteArgument(Widen(*program));
        for (size_t i = 1; i < arguments.size(); ++i)
            commandLine += L" " + quoteArgument(Widen(arguments[i]));
        STARTUPINFOW startup{};
        startup.cb = sizeof startup;
        startup.dwFlags = STARTF_USESHOWWINDOW;
        startup.wShowWindow = SW_SHOWMAXIMIZED;
        PROCESS_INFORMATION process{};
        // A process group of its own: a Ctrl-C in our console does not reach it.
        if (!::CreateProcessW(Widen(*program).c_str(), commandLine.data(), nullptr, nullptr, FALSE,
                              CREATE_NEW_PROCESS_GROUP, nullptr, nullptr, &startup, &process))
            return false;
        ::CloseHandle(process.hThread);
        ::CloseHandle(process.hProcess);
        return true;
    }

    bool isAvailable(const std::string& program) override {
        return FindProgram(program).has_value();
    }

    bool openInDefaultBrowser(const std::string& target) override {
        // The shell may hand the page to a browser through COM; it asks for an apartment.
        const HRESULT com =
            ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
        const std::wstring file = Widen(target);
        SHELLEXECUTEINFOW execute{};
        execute.cbSize = sizeof execute;
        execute.fMask = SEE_MASK_NOASYNC | SEE_MASK_FLAG_NO_UI;
        execute.lpVerb = L"open";
        execute.lpFile = file.c_str();
        execute.nShow = SW_SHOWMAXIMIZED;
        const bool started = ::ShellExecuteExW(&execute) != 0;
        if (SUCCEEDED(com))
            ::CoUninitialize();
        return started;
    }
};

} // namespace

std::optional<std::string> FindProgram(const std::string& program) {
    if (program.empty())
        return std::nullopt;
    if (program.find_first_of("\\/:") != std::string::npos)
        return isProgramFile(program) ? std::optional<std::string>(program) : std::nullopt;
    const bool hasExtension = program.find('.') != std::string::npos;
    const std::string fileName = hasExtension ? program : program + ".exe";
    // PATH only: the current folder, which a plain search would try first, is not trusted.
    const DWORD needed = ::GetEnvironmentVariableW(L"PATH", nullptr, 0);
    std::wstring path(needed, L'\0');
    if (needed > 0)
        path.resize(::GetEnvironmentVariableW(L"PATH", path.data(), needed));
    const std::string folders = win32::Narrow(path);
    size_t start = 0;
    while (start < folders.size()) {
        size_t end = folders.find(';', start);
        std::string folder =
            folders.substr(start, end == std::string::npos ? std::string::npos : end - start);
        if (folder.size() >= 2 && folder.front() == '"' && folder.back() == '"')
            folder = folder.substr(1, folder.size() - 2);
        if (!folder.empty()) {
            const std::string candidate = JoinPath(folder, fileName);
            if (isProgramFile(candidate))
                return candidate;
        }
        if (end == std::string::npos)
            break;
        start = end + 1;
    }
    return registeredProgram(fileName);
}

ProgramStarter& SystemProgramStarter() {
    static WindowsProgramStarter starter;
    return starter;
}

} // namespace vorlith::platform
