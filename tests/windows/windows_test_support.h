#pragma once
// Helpers of the tests that run on Windows (under Wine in CI): temporary folders, the program
// run as a child process, the registry key the tests keep their values under.

#include <string>
#include <vector>

namespace vorlith::test {

/// True when the tests run under Wine rather than on Windows itself.
bool RunningUnderWine();

/// A path of the host's file system as Windows programs under Wine see it ("/work/x" is
/// "Z:\work\x"); the path unchanged when it does not start with "/".
std::string HostPathForWine(const std::string& hostPath);

/// A fresh folder below the temporary folder, removed with everything in it at the end (links
/// are removed themselves, never followed).
class WindowsTempFolder {
public:
    WindowsTempFolder();
    ~WindowsTempFolder();
    WindowsTempFolder(const WindowsTempFolder&) = delete;
    WindowsTempFolder& operator=(const WindowsTempFolder&) = delete;

    const std::string& path() const { return m_path; }
    /// path + "\" + relative
    std::string operator/(const std::string& relative) const;
    /// Writes a file (UTF-8 name) below the folder, creating its folders.
    std::string write(const std::string& relative, const std::string& bytes) const;
    /// Creates a folder below the folder (and its parents).
    std::string makeFolder(const std::string& relative) const;

private:
    std::string m_path;
};

/// Reads a whole file through the wide functions ("" when it cannot be read).
std::string ReadWindowsFile(const std::string& path);

struct ProgramOutcome {
    unsigned status = 0;
    std::string out;
    std::string err;
};

/// Runs a program built beside the tests ("vorlith-cli.exe", "Vlith.exe") with the arguments
/// (each quoted for its command line), standard input from a file holding input, and waits for
/// it. Its output's CR LF line ends are given as LF.
ProgramOutcome RunProgram(const std::string& program, const std::vector<std::string>& arguments,
                          const std::string& input = "");

/// RunProgram of the console program.
inline ProgramOutcome RunConsoleProgram(const std::vector<std::string>& arguments,
                                        const std::string& input = "") {
    return RunProgram("vorlith-cli.exe", arguments, input);
}

/// A key of its own below HKEY_CURRENT_USER\Software\VorlithTests for one test, deleted with
/// everything below it at the end.
class ScratchRegistryKey {
public:
    ScratchRegistryKey();
    ~ScratchRegistryKey();
    ScratchRegistryKey(const ScratchRegistryKey&) = delete;
    ScratchRegistryKey& operator=(const ScratchRegistryKey&) = delete;
    /// The key's path below HKEY_CURRENT_USER.
    const std::string& path() const { return m_path; }

private:
    std::string m_path;
};

} // namespace vorlith::test
