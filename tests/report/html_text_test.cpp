#include "report/html_text.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <random>
#include <string>

namespace vorlith {
namespace {

// Escaping and file addresses look at sixteen bytes at a time (eight in a shorter text), the last
// look overlapping the one before: compared with byte-by-byte forms on texts of every length
// around those looks, with the bytes that need something at every place (the first, the last,
// in the overlap).
TEST(HtmlText, EscapingAndFileAddressesAgreeWithTheirByteByByteForms) {
    const std::string specials = std::string("&<>\"%#?' !$\t\r\n\x7F\x80\xC3\xA9\x1F", 19) + '\0';
    const std::string plain = "abcXYZ019/._-:=";
    std::mt19937 random(7);
    for (int round = 0; round < 20000; ++round) {
        std::string text(random() % 72, 'a');
        const int odds = 1 + static_cast<int>(random() % 40); // one byte in `odds` is special
        for (char& c : text)
            c = random() % odds == 0 ? specials[random() % specials.size()]
                                     : plain[random() % plain.size()];
        SCOPED_TRACE(testing::PrintToString(text));

        std::string escaped;
        bool printable = true;
        std::string url = "file://";
        for (const char c : text) {
            const auto byte = static_cast<unsigned char>(c);
            printable = printable && byte >= 0x20 && byte <= 0x7E;
            const char* reference = c == '&'   ? "&amp;"
                                    : c == '<' ? "&lt;"
                                    : c == '>' ? "&gt;"
                                    : c == '"' ? "&quot;"
                                               : nullptr;
            escaped += reference ? std::string(reference) : std::string(1, c);
            if (c == '%' || c == '#' || c == '?' || byte < 0x20 || byte >= 0x7F) {
                char encoded[4];
                std::snprintf(encoded, sizeof encoded, "%%%02X", byte);
                url += encoded;
            } else {
                url += reference ? std::string(reference) : std::string(1, c);
            }
        }
        std::string appended = "x";
        EXPECT_EQ(AppendHtmlEscaped(appended, text), printable);
        EXPECT_EQ(appended, "x" + escaped);
        EXPECT_EQ(HtmlEscape(text), escaped);
        EXPECT_EQ(FileUrl(text), url);
        if (HasFailure())
            return;
    }
}

} // namespace
} // namespace vorlith
