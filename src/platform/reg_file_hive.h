#pragma once
// A settings hive kept as a text file in the REGEDIT4 export format.

#include "platform/file_system.h"
#include "platform/settings_hive.h"

#include <functional>
#include <string>
#include <vector>

namespace vorlith::platform {

/// One parsed line of a REGEDIT4 file. Lines that are not understood stay as they were.
struct RegLine {
    enum class Kind { Other, KeyHeader, Value } kind = Kind::Other;
    std::string raw;       // the line as read (kept for Other lines)
    std::string keyPath;   // KeyHeader: the path below the root key
    std::string valueName; // Value: "" for the default value "@"
    std::string data;      // Value: the unescaped string
};

/// Parses the text of a REGEDIT4 file; every line is kept. Lines under a header of another
/// root key than rootName are kept as Other lines.
std::vector<RegLine> ParseRegFile(const std::string& text, const std::string& rootName);
/// Writes the lines back; CR LF line ends as regedit writes them.
std::string FormatRegFile(const std::vector<RegLine>& lines, const std::string& rootName);

/// Reads the file on every call (another copy of the program may have changed it) and replaces
/// it atomically on every change. A change holds the lock of the file's folder from reading to
/// renaming, so that changes made at once by several processes all arrive; it also removes the
/// temporaries a killed writer left. Key paths and value names compare without regard to case.
class RegFileHive final : public SettingsHive {
public:
    /// rootName is the root key written in headers, such as "HKEY_CURRENT_USER". A Private hive
    /// creates its missing folders 0700 and writes its file 0600.
    RegFileHive(std::string filePath, std::string rootName, Access access = Access::Private);

    std::optional<std::string> getValue(const std::string& keyPath,
                                        const std::string& valueName) override;
    bool keyExists(const std::string& keyPath) override;
    bool setValue(const std::string& keyPath, const std::string& valueName,
                  const std::string& data) override;
    bool deleteValue(const std::string& keyPath, const std::string& valueName) override;
    bool deleteKey(const std::string& keyPath) override;

    const std::string& filePath() const { return m_filePath; }

private:
    enum class MissingFolder { Create, Leave };
    std::vector<RegLine> load() const;
    bool store(const std::vector<RegLine>& lines) const;
    /// Reads the lines under the folder's lock, lets change edit them and stores them when it
    /// returns true.
    bool update(MissingFolder missing, const std::function<bool(std::vector<RegLine>&)>& change);

    std::string m_filePath;
    std::string m_rootName;
    Access m_access;
};

/// The per-user start-up list ("Software\Microsoft\Windows\CurrentVersion\Run") mapped onto the
/// desktop's autostart folder: value NAME is the file NAME.desktop whose Exec line carries the
/// value's data. Every other key goes to the wrapped hive.
class AutostartHive final : public SettingsHive {
public:
    AutostartHive(SettingsHive& inner, std::string autostartFolder);

    std::optional<std::string> getValue(const std::string& keyPath,
                                        const std::string& valueName) override;
    bool keyExists(const std::string& keyPath) override;
    bool setValue(const std::string& keyPath, const std::string& valueName,
                  const std::string& data) override;
    bool deleteValue(const std::string& keyPath, const std::string& valueName) override;
    bool deleteKey(const std::string& keyPath) override;

    static bool IsRunKey(const std::string& keyPath);

private:
    std::string desktopFilePath(const std::string& valueName) const;

    SettingsHive& m_inner;
    std::string m_autostartFolder;
};

/// Reads the Exec line's command of a desktop entry file's text; std::nullopt without one.
std::optional<std::string> DesktopEntryExec(const std::string& text);
/// The text of a desktop entry file that starts command at log-in.
std::string MakeAutostartDesktopEntry(const std::string& name, const std::string& command);

} // namespace vorlith::platform
