#include "report/html_text.h"

#include <gtest/gtest.h>

namespace vorlith {
namespace {

TEST(HtmlEscape, ReplacesTheFourMarkupCharacters) {
    EXPECT_EQ(HtmlEscape("a&b<c>d\"e'f"), "a&amp;b&lt;c&gt;d&quot;e'f");
    EXPECT_EQ(HtmlEscape("\"><script>alert(1)</script>"),
              "&quot;&gt;&lt;script&gt;alert(1)&lt;/script&gt;");
    EXPECT_EQ(HtmlEscape("plain"), "plain");
}

TEST(FileUrl, PercentEncodesWhatWouldBreakTheLink) {
    EXPECT_EQ(FileUrl("/home/a/b c.jpg"), "file:///home/a/b c.jpg");
    EXPECT_EQ(FileUrl("/x/100%#1?.jpg"), "file:///x/100%25%231%3F.jpg");
    EXPECT_EQ(FileUrl("/x/caf\xC3\xA9.jpg"), "file:///x/caf%C3%A9.jpg");
    EXPECT_EQ(FileUrl("/x/\xE9.jpg"), "file:///x/%E9.jpg");
    EXPECT_EQ(FileUrl("/x/a\"b<c>&.jpg"), "file:///x/a&quot;b&lt;c&gt;&amp;.jpg");
}

TEST(EncodeForPage, WritesCharactersOutsideAsciiAsReferences) {
    const std::pair<std::string, std::string> cases[] = {
        {"plain <B>ascii</B>", "plain <B>ascii</B>"},
        {"caf\xC3\xA9", "caf&#233;"},            // UTF-8 e acute
        {"\xE2\x82\xAC", "&#8364;"},             // euro sign
        {"\xF0\x9F\x98\x80", "&#128512;"},       // a four-byte sequence
        {"\xE9t\xE9", "&#233;t&#233;"},          // Latin-1 bytes, not UTF-8
        {"\x80", "&#8364;"},                     // Windows-1252 euro byte
        {"\xC3", "&#195;"},                      // a cut sequence
        {"\xED\xA0\x80", "&#237;&#160;&#8364;"}, // an encoded surrogate is not UTF-8
        {"a\r\nb", "a&#13;&#10;b"},              // a line break stays inside the line
        {std::string("\0\t\x1F\x7F ~", 6), "&#0;&#9;&#31;&#127; ~"},
    };
    for (const auto& [in, out] : cases) {
        SCOPED_TRACE(out);
        EXPECT_EQ(EncodeForPage(in), out);
    }
}

TEST(Windows1252ToUtf8, DecodesEveryByte) {
    EXPECT_EQ(Windows1252ToUtf8("Beyonc\xE9"), "Beyonc\xC3\xA9");
    EXPECT_EQ(Windows1252ToUtf8("\x93quoted\x94"), "\xE2\x80\x9Cquoted\xE2\x80\x9D");
    EXPECT_EQ(Windows1252ToUtf8("\x81"), "\xC2\x81"); // undefined in the code page: kept
}

} // namespace
} // namespace vorlith
