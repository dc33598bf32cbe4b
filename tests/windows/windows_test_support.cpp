#include "windows_test_support.h"

#include "platform/file_system.h"
#include "platform/folders.h"
#include "platform/windows/win32.h"

#include <random>

namespace vorlith::test {
namespace {

using platform::win32::Narrow;
using platform::win32::Widen;
using platform::win32::WidePath;

// Removes a folder with everything below it; a link (a reparse point) is removed itself.
void removeTree(const std::wstring& folder) {
    WIN32_FIND_DATAW data{};
    HANDLE find = ::FindFirstFileW((folder + L"\\*").c_str(), &data);
    if (find != INVALID_HANDLE_VALUE) {
        do {
            const std::wstring name = data.cFileName;
            if (name == L"." || name == L"..")
                continue;
            const std::wstring path = folder + L"\\" + name;
            const bool isFolder = data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY;
            const bool isLink = data.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT;
            ::SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
            if (isFolder && !isLink)
                removeTree(path);
            else if (isFolder)
                ::RemoveDirectoryW(path.c_str());
            else
                ::DeleteFileW(path.c_str());
        } while (::FindNextFileW(find, &data));
        ::FindClose(find);
    }
    ::RemoveDirectoryW(folder.c_str());
}

// The program's standard streams are in text mode: each line ends in CR LF, as Windows' text
// does.
std::string withoutCarriageReturns(std::string text) {
    std::string plain;
    for (size_t i = 0; i < text.size(); ++i)
        if (!(text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n'))
            plain += text[i];
    return plain;
}

} // namespace

bool RunningUnderWine() {
    HMODULE ntdll = ::GetModuleHandleW(L"ntdll.dll");
    return ntdll && ::GetProcAddress(ntdll, "wine_get_version") != nullptr;
}

std::string HostPathForWine(const std::string& hostPath) {
    if (hostPath.empty() || hostPath[0] != '/')
        return hostPath;
    std::string path = "Z:" + hostPath;
    for (char& c : path)
        if (c == '/')
            c = '\\';
    return path;
}

WindowsTempFolder::WindowsTempFolder() {
    std::random_device random;
    for (;;) {
        std::string candidate = platform::JoinPath(platform::TemporaryFolder(),
                                                   "vorlith-test-" + std::to_string(random()));
        if (::CreateDirectoryW(WidePath(candidate).c_str(), nullptr)) {
            m_path = candidate;
            return;
        }
    }
}

WindowsTempFolder::~WindowsTempFolder() {
    removeTree(WidePath(m_path));
}

std::string WindowsTempFolder::operator/(const std::string& relative) const {
    return platform::JoinPath(m_path, relative);
}

std::string WindowsTempFolder::makeFolder(const std::string& relative) const {
    const std::string path = *this / relative;
    platform::CreateFolders(path);
    return path;
}

std::string WindowsTempFolder::write(const std::string& relative, const std::string& bytes) const {
    const std::string path = *this / relative;
    const auto separator = path.find_last_of('\\');
    platform::CreateFolders(path.substr(0, separator));
    platform::WriteWholeFile(path, bytes);
    return path;
}

std::string ReadWindowsFile(const std::string& path) {
    return platform::ReadWholeFile(path).value_or("");
}

ProgramOutcome RunProgram(const std::string& programName, const std::vector<std::string>& arguments,
                          const std::string& input) {
    WindowsTempFolder streams;
    const std::string in = streams.write("in.txt", input);
    const std::string out = streams / "out.txt";
    const std::string err = streams / "err.txt";
    SECURITY_ATTRIBUTES inheritable{sizeof inheritable, nullptr, TRUE};
    auto open = [&](const std::string& path, DWORD access, DWORD disposition) {
        return ::CreateFileW(WidePath(path).c_str(), access, FILE_SHARE_READ | FILE_SHARE_WRITE,
                             &inheritable, disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
    };
    HANDLE inHandle = open(in, GENERIC_READ, OPEN_EXISTING);
    HANDLE outHandle = open(out, GENERIC_WRITE, CREATE_ALWAYS);
    HANDLE errHandle = open(err, GENERIC_WRITE, CREATE_ALWAYS);

    const std::wstring program =
        WidePath(platform::JoinPath(platform::ProgramFolder(), programName));
    std::wstring commandLine = L"\"" + program + L"\"";
    for (const std::string& argument : arguments)
        commandLine += L" \"" + Widen(argument) + L"\"";
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = inHandle;
    startup.hStdOutput = outHandle;
    startup.hStdError = errHandle;
    PROCESS_INFORMATION process{};
    ProgramOutcome outcome;
    outcome.status = 9999;
    if (::CreateProcessW(program.c_str(), commandLine.data(), nullptr, nullptr, TRUE,
                         CREATE_NO_WINDOW, nullptr, nullptr, &startup, &process)) {
        ::WaitForSingleObject(process.hProcess, INFINITE);
        DWORD status = 0;
        ::GetExitCodeProcess(process.hProcess, &status);
        outcome.status = status;
        ::CloseHandle(process.hThread);
        ::CloseHandle(process.hProcess);
    }
    ::CloseHandle(inHandle);
    ::CloseHandle(outHandle);
    ::CloseHandle(errHandle);
    outcome.out = withoutCarriageReturns(ReadWindowsFile(out));
    outcome.err = withoutCarriageReturns(ReadWindowsFile(err));
    return outcome;
}

ScratchRegistryKey::ScratchRegistryKey() {
    std::random_device random;
    m_path = "Software\\VorlithTests\\" + std::to_string(random());
}

ScratchRegistryKey::~ScratchRegistryKey() {
    ::RegDeleteTreeW(HKEY_CURRENT_USER, Widen(m_path).c_str());
    ::RegDeleteKeyW(HKEY_CURRENT_USER, Widen(m_path).c_str());
    ::RegDeleteKeyW(HKEY_CURRENT_USER, L"Software\\VorlithTests");
}

} // namespace vorlith::test
