// Text from the machine made safe for a page: escaping, file addresses and the encoding of
// characters outside ASCII.

#include "report/html_text.h"

#include <gtest/gtest.h>

namespace vorlith {
namespace {

TEST(HtmlEscape, ReplacesTheFourMarkupCharacters) {
    EXPECT_EQ(HtmlEscape("a&b<c>d\"e'f"), "a&amp;b&lt;c&gt;d&quot;e'f");
    EXPECT_EQ(HtmlEscape("plain"), "plain");
}

TEST(FileUrl, PercentEncodesWhatWouldBreakTheLink) {
    EXPECT_EQ(FileUrl("/home/a/b c.jpg"), "file:///home/a/b c.jpg");
    EXPECT_EQ(FileUrl("/x/100%#1?.jpg"), "file:///x/100%25%231%3F.jpg");
    EXPECT_EQ(FileUrl("/x/caf\xC3\xA9\x01.jpg"), "file:///x/caf%C3%A9%01.jpg");
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
    };
    for (const auto& [in, out] : cases)
        EXPECT_EQ(EncodeForPage(in), out) << out;
}

} // namespace
} // namespace vorlith
