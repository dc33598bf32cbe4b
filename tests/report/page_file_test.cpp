#include "report/page_file.h"
#include "support/test_support.h"

#include <gtest/gtest.h>

namespace vorlith {
namespace {

// Machine text (an address, a header) may hold CR, LF or other control characters anywhere in a
// line, also past the first eight bytes the fast check reads at once.
TEST(PageFile, EveryLineStaysOneLineWhateverItHolds) {
    const std::pair<std::string, std::string> cases[] = {
        {"<A HREF=http://a.example/>plain</A>", "<A HREF=http://a.example/>plain</A>"},
        {"http://a.example/x\r\n<SCRIPT>", "http://a.example/x&#13;&#10;<SCRIPT>"},
        {"\nat the start", "&#10;at the start"},
        {"0123456789abcdef\x7F", "0123456789abcdef&#127;"},
        {"tab\tin the tail", "tab&#9;in the tail"},
        {"caf\xC3\xA9 and a CR\r", "caf&#233; and a CR&#13;"},
    };
    test::TempFolder folder;
    PageFile page;
    ASSERT_TRUE(page.open(folder / "page.html"));
    std::string expected;
    for (const auto& [line, stored] : cases) {
        page.writeLine(line);
        expected += stored + "\r\n";
    }
    page.close();
    EXPECT_EQ(test::ReadFile(folder / "page.html"), expected);
}

} // namespace
} // namespace vorlith
