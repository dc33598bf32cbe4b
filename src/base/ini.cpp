#include "base/ini.h"

#include "base/text.h"

namespace vorlith {
namespace {
constexpr size_t kIniValueLimit = 254; // characters a looked-up value keeps
} // namespace

std::vector<IniSection> ParseIni(std::string_view text) {
    if (text.substr(0, 3) == "\xEF\xBB\xBF")
        text.remove_prefix(3);
    std::vector<IniSection> sections;
    while (!text.empty()) {
        const size_t end = text.find('\n');
        const std::string_view line = TrimBlanks(text.substr(0, end));
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
        if (line.empty() || line.front() == ';' || line.front() == '#')
            continue;
        if (line.front() == '[') {
            const size_t close = line.find(']');
            const std::string_view name = line.substr(1, close == std::string_view::npos
                                                             ? std::string_view::npos
                                                             : close - 1);
            sections.push_back({std::string(TrimBlanks(name)), {}});
            continue;
        }
        const size_t equals = line.find('=');
        if (sections.empty() || equals == std::string_view::npos)
            continue;
        sections.back().entries.push_back({std::string(TrimBlanks(line.substr(0, equals))),
                                           std::string(TrimBlanks(line.substr(equals + 1)))});
    }
    return sections;
}

std::string FindIniValue(std::string_view text, std::string_view section, std::string_view key) {
    for (const IniSection& candidate : ParseIni(text)) {
        if (!EqualsNoCase(candidate.name, section))
            continue;
        for (const IniEntry& entry : candidate.entries) {
            if (!EqualsNoCase(entry.key, key))
                continue;
            std::string_view value = entry.value;
            if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
                value.back() == value.front())
                value = value.substr(1, value.size() - 2);
            return std::string(value.substr(0, kIniValueLimit));
        }
        return ""; // only the first section of that name counts
    }
    return "";
}

} // namespace vorlith
