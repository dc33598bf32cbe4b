// The INI reader: sections and entries in file order, value look-up as profile lists need it,
// and the profile sections of Firefox's profiles.ini.

#include "base/ini.h"
#include "sources/browser_profiles.h"

#include <gtest/gtest.h>

namespace vorlith {
namespace {

const std::string kLongValue(300, 'v');
const std::string kIni = "\xEF\xBB\xBForphan=before any section\r\n; comment\r\n# comment\r\n"
                         "[General]\r\nPath=general\r\nno equals sign\r\n\r\n"
                         "[ profile0 ]\r\n  PATH  =  spaced value  \r\nUrl=http://a/?b=c\r\n"
                         "Quoted=\"in quotes\"\r\nSingle='x'\r\nHalf=\"open\r\nEmpty=\r\n"
                         "Long=" +
                         kLongValue +
                         "\r\nPath=second key\r\n"
                         "[Profile0]\r\nSecond=ignored";

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
        "Second=ignored"};
    EXPECT_EQ(flat, expected);
}

TEST(Ini, ValuesLookedUpWithoutRegardToCaseInTheFirstSectionOfTheName) {
    const std::pair<std::pair<const char*, const char*>, std::string> cases[] = {
        {{"Profile0", "Path"}, "spaced value"}, // the first key of that name
        {{"PROFILE0", "path"}, "spaced value"},
        {{"General", "Path"}, "general"},
        {{"Profile0", "Url"}, "http://a/?b=c"},
        {{"Profile0", "Quoted"}, "in quotes"},
        {{"Profile0", "Single"}, "x"},
        {{"Profile0", "Half"}, "\"open"},
        {{"Profile0", "Empty"}, ""},
        {{"Profile0", "Long"}, std::string(254, 'v')},
        {{"Profile0", "Second"}, ""}, // only the first section of a name counts
        {{"Profile0", "Missing"}, ""},
        {{"Missing", "Path"}, ""},
    };
    for (const auto& [where, value] : cases) {
        SCOPED_TRACE(std::string(where.first) + "/" + where.second);
        EXPECT_EQ(FindIniValue(kIni, where.first, where.second), value);
    }
}

TEST(Ini, ProfileSectionsWithAPathInFileOrder) {
    const std::string text = "[Install4F96D1932A9F858E]\nDefault=x.default\n"
                             "[Profile1]\nName=work\nIsRelative=1\nPath=b.work\n\n"
                             "[Profile0]\nName=default\nIsRelative=0\nPath=/data/ff\n"
                             "[Profile2]\nName=no path\n[General]\nPath=not-a-profile\n";
    const auto entries = ParseProfilesIni(text);
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_EQ(entries[0].path, "b.work");
    EXPECT_TRUE(entries[0].isRelative);
    EXPECT_EQ(entries[1].path, "/data/ff");
    EXPECT_FALSE(entries[1].isRelative);
}

} // namespace
} // namespace vorlith
