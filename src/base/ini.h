#pragma once
// INI text as settings files and Firefox's profile list hold it: "[Section]" lines and
// "key=value" lines.

#include <string>
#include <string_view>
#include <vector>

namespace vorlith {

struct IniEntry {
    std::string key;   // without the blanks around it
    std::string value; // without the blanks around it, as written (quotes kept)
};

struct IniSection {
    std::string name; // the text between "[" and the first "]", without blanks around it
    std::vector<IniEntry> entries;
};

/// The sections in file order, each with its entries in order. A UTF-8 byte-order mark, CR LF line
/// ends, blank lines and comment lines (";" or "#" first) are accepted; lines before the first
/// section and lines that are neither a section nor "key=value" are left out.
std::vector<IniSection> ParseIni(std::string_view text);

/// The value of key in [section], looked up as the platform's profile reader does: section and
/// key compared without regard to case, only the first section of that name and the first such
/// key in it count, enclosing quotes removed, cut to 254 characters (what a 255-character buffer
/// with its terminator holds). "" when the section or key is missing.
std::string FindIniValue(std::string_view text, std::string_view section, std::string_view key);

} // namespace vorlith
