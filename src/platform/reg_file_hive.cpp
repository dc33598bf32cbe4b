#include "platform/reg_file_hive.h"

#include "platform/file_system.h"

#include <algorithm>
#include <cctype>

namespace vorlith::platform {
namespace {

std::string upper(std::string text) {
    for (char& c : text)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return text;
}

bool sameName(const std::string& a, const std::string& b) {
    return a.size() == b.size() && upper(a) == upper(b);
}

std::string trimKeyPath(std::string path) {
    while (!path.empty() && path.back() == '\\')
        path.pop_back();
    while (!path.empty() && path.front() == '\\')
        path.erase(path.begin());
    return path;
}

std::string escapeRegString(const std::string& text) {
    std::string out;
    for (char c : text) {
        switch (c) {
        case '\\':
            out += "\\\\";
            break;
        case '"':
            out += "\\\"";
            break;
        case '\n':
            out += "\\n";
            break;
        case '\r':
            out += "\\r";
            break;
        default:
            out += c;
        }
    }
    return out;
}

// Reads a quoted REGEDIT4 string starting at text[pos] == '"'; pos ends after the closing quote.
std::optional<std::string> readQuoted(const std::string& text, size_t& pos) {
    if (pos >= text.size() || text[pos] != '"')
        return std::nullopt;
    std::string out;
    for (++pos; pos < text.size(); ++pos) {
        char c = text[pos];
        if (c == '"') {
            ++pos;
            return out;
        }
        if (c == '\\' && pos + 1 < text.size()) {
            char next = text[++pos];
            out += next == 'n' ? '\n' : next == 'r' ? '\r' : next;
        } else {
            out += c;
        }
    }
    return std::nullopt;
}

RegLine parseLine(const std::string& raw, const std::string& rootName, bool inOwnRoot) {
    RegLine line;
    line.raw = raw;
    if (raw.size() >= 2 && raw.front() == '[' && raw.back() == ']') {
        std::string path = raw.substr(1, raw.size() - 2);
        std::string prefix = rootName + "\\";
        if (sameName(path, rootName)) {
            line.kind = RegLine::Kind::KeyHeader;
        } else if (path.size() > prefix.size() && sameName(path.substr(0, prefix.size()), prefix)) {
            line.kind = RegLine::Kind::KeyHeader;
            line.keyPath = trimKeyPath(path.substr(prefix.size()));
        }
        // A header of another root stays an Other line; its values are kept untouched too.
        return line;
    }
    if (!inOwnRoot)
        return line;
    size_t pos = 0;
    std::string name;
    if (raw.rfind("@=", 0) == 0) {
        pos = 1;
    } else {
        auto quoted = readQuoted(raw, pos);
        if (!quoted)
            return line;
        name = *quoted;
        if (name.empty())
            return line;
    }
    if (pos >= raw.size() || raw[pos] != '=')
        return line;
    ++pos;
    auto data = readQuoted(raw, pos);
    if (!data || pos != raw.size())
        return line; // dword:, hex: and other types are kept as they are, but not read
    line.kind = RegLine::Kind::Value;
    line.valueName = name;
    line.data = *data;
    return line;
}

std::string formatValue(const std::string& name, const std::string& data) {
    return (name.empty() ? std::string("@") : "\"" + escapeRegString(name) + "\"") + "=\"" +
           escapeRegString(data) + "\"";
}

// Index of the header line of a key, or lines.size().
size_t findKey(const std::vector<RegLine>& lines, const std::string& keyPath) {
    for (size_t i = 0; i < lines.size(); ++i)
        if (lines[i].kind == RegLine::Kind::KeyHeader && sameName(lines[i].keyPath, keyPath))
            return i;
    return lines.size();
}

// One past the last line of the section that starts at header.
size_t sectionEnd(const std::vector<RegLine>& lines, size_t header) {
    size_t end = header + 1;
    while (end < lines.size() && !(lines[end].raw.size() >= 2 && lines[end].raw.front() == '[' &&
                                   lines[end].raw.back() == ']'))
        ++end;
    return end;
}

size_t findValue(const std::vector<RegLine>& lines, size_t header, const std::string& name) {
    size_t end = sectionEnd(lines, header);
    for (size_t i = header + 1; i < end; ++i)
        if (lines[i].kind == RegLine::Kind::Value && sameName(lines[i].valueName, name))
            return i;
    return lines.size();
}

} // namespace

std::vector<RegLine> ParseRegFile(const std::string& text, const std::string& rootName) {
    std::vector<RegLine> lines;
    bool inOwnRoot = false;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        std::string raw =
            text.substr(start, end == std::string::npos ? std::string::npos : end - start);
        if (!raw.empty() && raw.back() == '\r')
            raw.pop_back();
        RegLine line = parseLine(raw, rootName, inOwnRoot);
        if (raw.size() >= 2 && raw.front() == '[' && raw.back() == ']')
            inOwnRoot = line.kind == RegLine::Kind::KeyHeader;
        lines.push_back(std::move(line));
        if (end == std::string::npos)
            break;
        start = end + 1;
    }
    return lines;
}

std::string FormatRegFile(const std::vector<RegLine>& lines, const std::string& rootName) {
    std::string text;
    for (const RegLine& line : lines) {
        switch (line.kind) {
        case RegLine::Kind::Other:
            text += line.raw;
            break;
        case RegLine::Kind::KeyHeader:
            text += "[" + rootName + (line.keyPath.empty() ? "" : "\\" + line.keyPath) + "]";
            break;
        case RegLine::Kind::Value:
            text += formatValue(line.valueName, line.data);
            break;
        }
        text += "\r\n";
    }
    return text;
}

RegFileHive::RegFileHive(std::string filePath, std::string rootName, Access access)
    : m_filePath(std::move(filePath)), m_rootName(std::move(rootName)), m_access(access) {}

std::vector<RegLine> RegFileHive::load() const {
    auto text = ReadWholeFile(m_filePath);
    if (!text || text->empty())
        return {};
    return ParseRegFile(*text, m_rootName);
}

bool RegFileHive::store(const std::vector<RegLine>& lines) const {
    std::vector<RegLine> out = lines;
    if (out.empty() || out.front().raw != "REGEDIT4") {
        RegLine signature;
        signature.raw = "REGEDIT4";
        RegLine blank;
        out.insert(out.begin(), {signature, blank});
    }
    return ReplaceFileAtomically(m_filePath, FormatRegFile(out, m_rootName), m_access);
}

bool RegFileHive::update(MissingFolder missing,
                         const std::function<bool(std::vector<RegLine>&)>& change) {
    auto slash = m_filePath.find_last_of(kPathSeparator);
    const std::string folder = slash == std::string::npos ? "."
                               : slash == 0               ? "/"
                                                          : m_filePath.substr(0, slash);
    if (missing == MissingFolder::Create)
        CreateFolders(folder, m_access);
    // Without the lock a second copy could read the file before this one renames its new
    // version into place, and write its own change over this one.
    auto lock = LockFolder(folder);
    auto lines = load();
    if (!change(lines))
        return false;
    if (lock)
        RemoveStaleTemporaries(m_filePath);
    return store(lines);
}

std::optional<std::string> RegFileHive::getValue(const std::string& keyPath,
                                                 const std::string& valueName) {
    auto lines = load();
    size_t header = findKey(lines, trimKeyPath(keyPath));
    if (header == lines.size())
        return std::nullopt;
    size_t value = findValue(lines, header, valueName);
    if (value == lines.size())
        return std::nullopt;
    return lines[value].data;
}

bool RegFileHive::keyExists(const std::string& keyPath) {
    const std::string path = trimKeyPath(keyPath);
    if (path.empty())
        return true;
    const std::string prefix = upper(path) + "\\";
    for (const RegLine& line : load())
        if (line.kind == RegLine::Kind::KeyHeader &&
            (sameName(line.keyPath, path) || upper(line.keyPath).rfind(prefix, 0) == 0))
            return true;
    return false;
}

bool RegFileHive::setValue(const std::string& keyPath, const std::string& valueName,
                           const std::string& data) {
    const std::string path = trimKeyPath(keyPath);
    RegLine value;
    value.kind = RegLine::Kind::Value;
    value.valueName = valueName;
    value.data = data;
    return update(MissingFolder::Create, [&](std::vector<RegLine>& lines) {
        size_t header = findKey(lines, path);
        if (header == lines.size()) {
            if (!lines.empty() && !lines.back().raw.empty())
                lines.push_back(RegLine{});
            RegLine key;
            key.kind = RegLine::Kind::KeyHeader;
            key.keyPath = path;
            lines.push_back(key);
            lines.push_back(value);
            lines.push_back(RegLine{});
            return true;
        }
        size_t existing = findValue(lines, header, valueName);
        if (existing != lines.size()) {
            lines[existing] = value;
            return true;
        }
        // Append after the section's last non-blank line.
        size_t end = sectionEnd(lines, header);
        while (end > header + 1 && lines[end - 1].kind == RegLine::Kind::Other &&
               lines[end - 1].raw.empty())
            --end;
        lines.insert(lines.begin() + static_cast<long>(end), value);
        return true;
    });
}

bool RegFileHive::deleteValue(const std::string& keyPath, const std::string& valueName) {
    const std::string path = trimKeyPath(keyPath);
    return update(MissingFolder::Leave, [&](std::vector<RegLine>& lines) {
        size_t header = findKey(lines, path);
        if (header == lines.size())
            return false;
        size_t value = findValue(lines, header, valueName);
        if (value == lines.size())
            return false;
        lines.erase(lines.begin() + static_cast<long>(value));
        return true;
    });
}

bool RegFileHive::deleteKey(const std::string& keyPath) {
    const std::string path = trimKeyPath(keyPath);
    if (path.empty())
        return false;
    return update(MissingFolder::Leave, [&](std::vector<RegLine>& lines) {
        size_t header = findKey(lines, path);
        if (header == lines.size())
            return false;
        const std::string prefix = upper(path) + "\\";
        for (const RegLine& line : lines)
            if (line.kind == RegLine::Kind::KeyHeader && upper(line.keyPath).rfind(prefix, 0) == 0)
                return false; // the registry refuses to delete a key that still has sub-keys
        size_t end = sectionEnd(lines, header);
        lines.erase(lines.begin() + static_cast<long>(header),
                    lines.begin() + static_cast<long>(end));
        return true;
    });
}

// ---- The start-up list as autostart desktop entries ----

namespace {
const char kRunKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";

std::string escapeDesktopString(const std::string& text) {
    std::string out;
    for (char c : text) {
        switch (c) {
        case '\\':
            out += "\\\\";
            break;
        case '\n':
            out += "\\n";
            break;
        case '\r':
            out += "\\r";
            break;
        case '\t':
            out += "\\t";
            break;
        default:
            out += c;
        }
    }
    return out;
}

std::string unescapeDesktopString(const std::string& text) {
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\\' && i + 1 < text.size()) {
            char next = text[++i];
            out += next == 'n'   ? '\n'
                   : next == 'r' ? '\r'
                   : next == 't' ? '\t'
                   : next == 's' ? ' '
                                 : next;
        } else {
            out += text[i];
        }
    }
    return out;
}
} // namespace

std::optional<std::string> DesktopEntryExec(const std::string& text) {
    bool inMainGroup = false;
    size_t start = 0;
    while (start <= text.size()) {
        size_t end = text.find('\n', start);
        std::string line =
            text.substr(start, end == std::string::npos ? std::string::npos : end - start);
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (!line.empty() && line.front() == '[')
            inMainGroup = line == "[Desktop Entry]";
        else if (inMainGroup && line.rfind("Exec=", 0) == 0)
            return unescapeDesktopString(line.substr(5));
        if (end == std::string::npos)
            break;
        start = end + 1;
    }
    return std::nullopt;
}

std::string MakeAutostartDesktopEntry(const std::string& name, const std::string& command) {
    return "[Desktop Entry]\n"
           "Type=Application\n"
           "Name=" +
           escapeDesktopString(name == "Vlith" ? "Vorlith" : name) +
           "\n"
           "Comment=Audits this computer for traces of Internet use when the computer is idle\n"
           "Exec=" +
           escapeDesktopString(command) +
           "\n"
           "Terminal=false\n"
           "X-GNOME-Autostart-enabled=true\n";
}

AutostartHive::AutostartHive(SettingsHive& inner, std::string autostartFolder)
    : m_inner(inner), m_autostartFolder(std::move(autostartFolder)) {}

bool AutostartHive::IsRunKey(const std::string& keyPath) {
    return sameName(trimKeyPath(keyPath), kRunKey);
}

std::string AutostartHive::desktopFilePath(const std::string& valueName) const {
    return JoinPath(m_autostartFolder, valueName + ".desktop");
}

std::optional<std::string> AutostartHive::getValue(const std::string& keyPath,
                                                   const std::string& valueName) {
    if (!IsRunKey(keyPath))
        return m_inner.getValue(keyPath, valueName);
    if (valueName.empty() || valueName.find(kPathSeparator) != std::string::npos)
        return std::nullopt;
    auto text = ReadWholeFile(desktopFilePath(valueName));
    if (!text)
        return std::nullopt;
    return DesktopEntryExec(*text);
}

bool AutostartHive::keyExists(const std::string& keyPath) {
    return IsRunKey(keyPath) || m_inner.keyExists(keyPath);
}

bool AutostartHive::setValue(const std::string& keyPath, const std::string& valueName,
                             const std::string& data) {
    if (!IsRunKey(keyPath))
        return m_inner.setValue(keyPath, valueName, data);
    if (valueName.empty() || valueName.find(kPathSeparator) != std::string::npos)
        return false;
    CreateFolders(m_autostartFolder);
    return ReplaceFileAtomically(desktopFilePath(valueName),
                                 MakeAutostartDesktopEntry(valueName, data));
}

bool AutostartHive::deleteValue(const std::string& keyPath, const std::string& valueName) {
    if (!IsRunKey(keyPath))
        return m_inner.deleteValue(keyPath, valueName);
    if (valueName.empty() || valueName.find(kPathSeparator) != std::string::npos)
        return false;
    return DeleteFile(desktopFilePath(valueName));
}

bool AutostartHive::deleteKey(const std::string& keyPath) {
    if (IsRunKey(keyPath))
        return false; // the desktop's autostart folder is not ours to remove
    return m_inner.deleteKey(keyPath);
}

} // namespace vorlith::platform
