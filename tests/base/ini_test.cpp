// The INI reader: sections and entries in file order, value look-up as profile lists need it,
// and the profile sections of Firefox's profiles.ini.

#include "base/ini.h"
#include "sources/browser_profiles.h"

#include <gtest/gtest.h>

namespace vorlith {
namespace {

const std::string kLongValue(300, 'v');
const std::string kIni =
    "\xEF\xBB\xBForphan=before any section\r\n; comment\r\n# comment\r\n"
    "[General]\r\nPath=general\r\nno equals sign\r\n\r\n"
    "[ profile0 ]\r\n  PATH  =  spaced value  \r\nUrl=http://a/?b=c\r\n"
    "Quoted=\"in quotes\"\r\nSingle='x'\r\nHalf=\"open\r\nEmpty=\r\nLong=" +
    kLongValue +
    "\r\nPath=second key\r\n[Profile0]\r\nSecond=ignored\r\n"
    "[Profile1]\nIsRelative=1\nPath=b.work\n[Profile2]\nPath=/ff\nIsRelative=0";

TEST(Ini, SectionsAndEntriesInFileOrder) {
    std::vector<std::string> flat;
    for (const IniSection& section : ParseIni(kIni)) {
        flat.push_back("[" + section.name + "]");
        for (const IniEntry& entry : section.entries)
            flat.push_back(entry.key + "=" + entry.value);
    }
    const std::vector<std::string> expected = {
        "[General]",          "Path=general",      "[profile0]",
        "PATH=spaced value",  "Url=http://a/?b=c", "Quoted=\"in quotes\"",
        "Single='x'",         "Half=\"open",       "Empty=",
        "Long=" + kLongValue, "Path=second key",   "[Profile0]",
        "Second=ignored",     "[Profile1]",        "IsRelative=1",
        "Path=b.work",        "[Profile2]",        "Path=/ff",
        "IsRelative=0"};
    EXPECT_EQ(flat, expected);

    // The profile list: sections named "Profile..." that have a path, in file order.
    const auto profiles = ParseProfilesIni(kIni);
    ASSERT_EQ(profiles.size(), 2u);
    EXPECT_EQ(profiles[0].path + (profiles[0].isRelative ? " relative" : ""), "b.work relative");
    EXPECT_EQ(profiles[1].path + (profiles[1].isRelative ? " relative" : ""), "/ff");
}

TEST(Ini, ValuesLookedUpWithoutRegardToCaseInTheFirstSectionOfTheName) {
    const std::tuple<const char*, const char*, std::string> cases[] = {
        {"Profile0", "Path", "spaced value"}, // the first key of that name
        {"PROFILE0", "path", "spaced value"},
        {"General", "Path", "general"},
        {"Profile0", "Url", "http://a/?b=c"},
        {"Profile0", "Quoted", "in quotes"},
        {"Profile0", "Single", "x"},
        {"Profile0", "Half", "\"open"},
        {"Profile0", "Empty", ""},
        {"Profile0", "Long", std::string(254, 'v')},
        {"Profile0", "Second", ""}, // only the first section of a name counts
        {"Profile0", "Missing", ""},
        {"Missing", "Path", ""}};
    for (const auto& [section, key, value] : cases)
        EXPECT_EQ(FindIniValue(kIni, section, key), value) << section << "/" << key;
}

} // namespace
} // namespace vorlith
