// The frame every page shares (head, style sheet, menu, foot), checked here once; the page files;
// text from the machine made safe for a page; the number format of the totals.

#include "report/html_text.h"
#include "report/links.h"
#include "report/page_frame.h"
#include "support/page_harness.h"

#include <gtest/gtest.h>

namespace vorlith::test {
namespace {

Lines HeadOf(int tab) {
    PageHarness harness{PageId::History};
    WritePageHeader(harness.pages.page(PageId::History), tab, "WEB HISTORY");
    return harness.lines(PageId::History);
}

// Spot lines of the head, the style sheet's odd blanks among them. Tab 6 (the video page) has
// its own logo row; a tab outside 1 to 8 gives the first section.
TEST(PageHead, HasItsLinesInOrderAndTheStyleSheetKeepsItsBlanks) {
    const auto lines = HeadOf(6);
    // Six opening lines, 124 style lines, two closing lines, the logo table and the menu.
    ASSERT_EQ(lines.size(), 6u + 124u + 2u + 6u + 26u);
    const std::pair<size_t, std::string> expected[] = {
        {0, "<!DOCTYPE HTML PUBLIC \"-//W3C//DTD HTML 4.01 Transitional//EN\">"},
        {3, "<title>Vorlith.example - Internet Vorlith: WEB HISTORY</title>"},
        {4, "<meta http-equiv=\"Content-Type\" content=\"text/html; charset=iso-8859-1\">"},
        {127, ".textalert A:hover {color:#F00000;} "},
        {130, "</style>"},
        {132, "<body class=section-6>"},
        {135, "<a href=\"https://www.vorlith.example/\"><img src=\"logo.gif\" width=253 height=74 "
              "vspace=10 border=0 alt=\"Vorlith.example\"></a>"},
        {136, "</TD><TD ALIGN=MIDDLE><IMG SRC=video_tab_clickhere.gif><BR><BR>"},
        {159, "<li id=\"nav-8\"><a href=Vorlith_firefox_cache.html>Firefox</a>"},
        {163, "<P>"},
    };
    for (const auto& [index, text] : expected)
        EXPECT_EQ(lines[index], text) << index;
    const auto outside = HeadOf(9);
    EXPECT_EQ(outside[132], "<body class=section-1>");
    EXPECT_EQ(outside[136], "</TD><TD><FONT CLASS=TEXT><BR></FONT><BR><BR>");
}

// The audio page's foot carries the audio warning and the audio count, every other page's the
// traces warning and the trace total.
TEST(PageFoot, WarningAndPurchaseLinkDependOnThePage) {
    const std::tuple<PageId, std::string, std::string> cases[] = {
        {PageId::Illegal,
         "<BR><BR><TABLE BGCOLOR=#000000><TR><TD><FONT SIZE=+1 "
         "COLOR=#FF0000><B>WARNING:</B></FONT> "
         "<FONT SIZE=+1 COLOR=#FFFFFF><B>The above DRM-Free audio files are potentially ILLEGAL if "
         "you did not purchase them!</B></FONT></TD></TR></TABLE>",
         "<H3><A HREF=https://secure.vorlith.example/secure_umf_audit_clean_2013.php?umftraces=17 "
         "TARGET=_BLANK><B>Use Umbrafile to Securely HIDE the above Files Now!</B></a></H3>"},
        {PageId::FirefoxCache2, std::string("<BR><BR>") + kWarningLine, DeleteTracesLine(1234)}};
    for (const auto& [id, warning, link] : cases) {
        PageHarness harness{id};
        WritePageFooter(harness.pages, id, PurchaseCounts{1234, 17});
        EXPECT_EQ(
            harness.lines(id),
            (Lines{warning, link, "</P>", "</div><BR>", "<A HREF=#TOP><B>BACK TO TOP</B></A><BR>",
                   "<p>Copyright &copy; 2008-2026 Vorlith.example. All rights reserved.</p>",
                   "</body>", "</html>"}));
    }
}

// A page left open by a cancelled run is started afresh; lines end in CR LF, and a character
// outside ASCII after the first eight bytes still becomes a reference. A page that cannot be
// created swallows its lines.
TEST(PageFiles, ReopeningStartsThePageAfreshAndLinesEndInCrLf) {
    TempFolder folder;
    ReportPages pages(folder.path());
    pages.open(PageId::Thumbnails).writeLine("left open by a cancelled run");
    pages.open(PageId::Thumbnails).writeLine("12345678caf\xC3\xA9");
    pages.page(PageId::Thumbnails).writeLine("");
    pages.closeAll();
    EXPECT_EQ(ReadFile(folder / "Vorlith_thumbnails.html"), "12345678caf&#233;\r\n\r\n");

    pages.setFolder(folder / "missing-folder");
    EXPECT_FALSE(pages.open(PageId::Images).isOpen());
    pages.page(PageId::Images).writeLine("nothing happens");
    WritePageFooter(pages, PageId::Images, {});
}

// Bytes that are not UTF-8 are taken as Windows-1252 characters, so that no byte reaches a page
// undeclared; a control character in a path is percent-encoded.
TEST(PageText, CharactersOutsideAsciiBecomeReferences) {
    const std::pair<std::string, std::string> cases[] = {{"\xF0\x9F\x98\x80", "&#128512;"},

                                                         {"\x80", "&#8364;"},
                                                         {"\xC3", "&#195;"},
                                                         {"\xED\xA0\x80", "&#237;&#160;&#8364;"}};
    for (const auto& [in, out] : cases)
        EXPECT_EQ(EncodeForPage(in), out) << out;
}

TEST(FormatThousands, RoundsAndGroupsWholeNumbers) {
    EXPECT_EQ(FormatThousands(999.6, ","), "1,000");
    EXPECT_EQ(FormatThousands(1e12, ","), "1,000,000,000,000");
    EXPECT_EQ(FormatThousands(1234567, "."), "1.234.567");
}

} // namespace
} // namespace vorlith::test
