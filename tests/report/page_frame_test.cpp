#include "report/links.h"
#include "report/page_frame.h"
#include "support/test_support.h"

#include <gtest/gtest.h>

namespace vorlith {
namespace {

using test::ReadFile;
using test::SplitCrLf;
using test::TempFolder;

std::vector<std::string> headOf(int tab, const std::string& title) {
    TempFolder folder;
    PageFile page;
    page.open(folder / "page.html");
    WritePageHeader(page, tab, title);
    page.close();
    return SplitCrLf(ReadFile(folder / "page.html"));
}

TEST(PageHead, HasItsLinesInOrderWithTheStyleSheet) {
    auto lines = headOf(4, "WEB HISTORY");
    // 6 lines up to the style element, 124 style lines, 2 closing lines, the logo table and
    // the menu.
    ASSERT_EQ(lines.size(), 6u + 124u + 2u + 6u + 26u);
    EXPECT_EQ(lines[0], "<!DOCTYPE HTML PUBLIC \"-//W3C//DTD HTML 4.01 Transitional//EN\">");
    EXPECT_EQ(lines[3], "<title>Vorlith.example - Internet Vorlith: WEB HISTORY</title>");
    EXPECT_EQ(lines[4],
              "<meta http-equiv=\"Content-Type\" content=\"text/html; charset=iso-8859-1\">");
    EXPECT_EQ(lines[5], "<style type=\"text/css\" media=\"screen\">");
    EXPECT_EQ(lines[6], "body {");
    EXPECT_EQ(lines[6 + 123], ".headline { font-family: Tahoma, Verdana, Arial, Helvetica, "
                              "sans-serif; font-size: 20px;    line-height: 1.0em; color: "
                              "#416EC5; }");
    EXPECT_EQ(lines[130], "</style>");
    EXPECT_EQ(lines[131], "</head>");
    EXPECT_EQ(lines[132], "<body class=section-4>");
    EXPECT_EQ(lines[133], "<A NAME=TOP></A>");
    EXPECT_EQ(lines[134], "<TABLE BORDER=0><TR><TD WIDTH=300>");
    EXPECT_EQ(lines[135], "<a href=\"https://www.vorlith.example/\"><img src=\"logo.gif\" "
                          "width=253 height=74 vspace=10 border=0 alt=\"Vorlith.example\"></a>");
    EXPECT_EQ(lines[136], "</TD><TD><FONT CLASS=TEXT><BR></FONT><BR><BR>");
    EXPECT_EQ(lines[137], "</TD></TR></TABLE>");
    EXPECT_EQ(lines[138], "<ul id=\"menu\">");
    EXPECT_EQ(lines[141], "</li>");
    EXPECT_EQ(lines[143], "   <ul id=\"subnav-3\">");
    EXPECT_EQ(lines[148], "      <li><a href=Vorlith_news.html>News/Media</a></li>");
    EXPECT_EQ(lines[lines.size() - 2], "<div id=\"contents\">");
    EXPECT_EQ(lines.back(), "<P>");
}

TEST(PageHead, StyleSheetKeepsItsExactBlanks) {
    auto lines = headOf(1, "SUMMARY");
    const std::vector<std::pair<size_t, std::string>> expected = {
        {6 + 12, "#menu ul, #menu li  {"},
        {6 + 18, "#menu a:link, #menu a:visited   {"},
        {6 + 35, "#menu a:hover   {"},
        {6 + 38, "a:link  {color:#0000FF;}"},
        {6 + 39, "a:visited   {color:#0000CC;}"},
        {6 + 113, ".text  { font-family: Tahoma, Verdana, Arial, Helvetica, sans-serif; "
                  "font-size: 13px;  color: #000000; font-variant: small-caps; }"},
        {6 + 121, ".textalert A:hover {color:#F00000;} "},
    };
    for (const auto& [index, text] : expected) {
        SCOPED_TRACE(index);
        ASSERT_LT(index, lines.size());
        EXPECT_EQ(lines[index], text);
    }
}

TEST(PageHead, TabChoosesBodyClassAndLogoRow) {
    struct Case {
        int tab;
        std::string bodyLine;
        std::string logoRow;
    };
    const std::string plain = "</TD><TD><FONT CLASS=TEXT><BR></FONT><BR><BR>";
    const Case cases[] = {
        {0, "<body class=section-1>", plain},
        {9, "<body class=section-1>", plain},
        {-3, "<body class=section-1>", plain},
        {8, "<body class=section-8>", plain},
        {6, "<body class=section-6>",
         "</TD><TD ALIGN=MIDDLE><IMG SRC=video_tab_clickhere.gif><BR><BR>"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.tab);
        auto lines = headOf(c.tab, "T");
        EXPECT_EQ(lines[132], c.bodyLine);
        EXPECT_EQ(lines[136], c.logoRow);
    }
}

TEST(PageHead, EmptyTitleStillGivesTheWholeTitleLine) {
    EXPECT_EQ(headOf(1, "")[3], "<title>Vorlith.example - Internet Vorlith: </title>");
}

std::vector<std::string> footOf(const std::string& number, PurchaseCounts counts) {
    TempFolder folder;
    ReportPages pages(folder.path());
    pages.open(std::stoi(number), "page.html");
    WritePageFooter(pages, number, counts);
    return SplitCrLf(ReadFile(folder / "page.html"));
}

TEST(PageFoot, AudioPageGetsAudioWarningAndUmbrafileLink) {
    auto lines = footOf("10", {1234, 17});
    ASSERT_EQ(lines.size(), 8u);
    EXPECT_EQ(lines[0], "<BR><BR><TABLE BGCOLOR=#000000><TR><TD><FONT SIZE=+1 COLOR=#FF0000><B>"
                        "WARNING:</B></FONT> <FONT SIZE=+1 COLOR=#FFFFFF><B>The above DRM-Free "
                        "audio files are potentially ILLEGAL if you did not purchase them!</B>"
                        "</FONT></TD></TR></TABLE>");
    EXPECT_EQ(lines[1], "<H3><A HREF=https://secure.vorlith.example/"
                        "secure_umf_audit_clean_2013.php?umftraces=17 TARGET=_BLANK><B>Use "
                        "Umbrafile to Securely HIDE the above Files Now!</B></a></H3>");
    EXPECT_EQ(lines[2], "</P>");
    EXPECT_EQ(lines[3], "</div><BR>");
    EXPECT_EQ(lines[4], "<A HREF=#TOP><B>BACK TO TOP</B></A><BR>");
    EXPECT_EQ(lines[5].substr(0, 3), "<p>");
    EXPECT_EQ(lines[6], "</body>");
    EXPECT_EQ(lines[7], "</html>");
}

TEST(PageFoot, EveryOtherPageGetsTracesWarningAndErazentLink) {
    for (const char* number : {"1", "14", "15", "16"}) {
        SCOPED_TRACE(number);
        auto lines = footOf(number, {0, 5});
        ASSERT_EQ(lines.size(), 8u);
        EXPECT_EQ(lines[0], "<BR><BR><TABLE BGCOLOR=#000000><TR><TD><FONT SIZE=+1 "
                            "COLOR=#FF0000><B>WARNING:</B></FONT> <FONT SIZE=+1 COLOR=#FFFFFF><B>"
                            "Manually removing these traces yourself will NOT protect you.  They "
                            "are easily recoverable when you do this.</B></FONT></TD></TR>"
                            "</TABLE>");
        EXPECT_EQ(lines[1], "<H3><A HREF=https://secure.vorlith.example/"
                            "secure_erazent_audit_clean_2013.php?traces=0 TARGET=_BLANK><B>Use "
                            "Erazent to Securely Delete these Traces Now!</B></a></H3>");
    }
}

TEST(PageFiles, EndLinesInCrLfAndReopeningANumberClosesTheOldPage) {
    TempFolder folder;
    ReportPages pages(folder.path());
    pages.open(14, "Vorlith_thumbnails.html").writeLine("left open by a cancelled run");
    pages.open(14, "Vorlith_gay.html").writeLine("second");
    pages.closeAll();
    EXPECT_EQ(ReadFile(folder / "Vorlith_thumbnails.html"), "left open by a cancelled run\r\n");
    EXPECT_EQ(ReadFile(folder / "Vorlith_gay.html"), "second\r\n");
}

TEST(PageFiles, PageThatCannotBeCreatedSwallowsItsLines) {
    TempFolder folder;
    ReportPages pages(folder / "missing-folder");
    PageFile& page = pages.open(2, "Vorlith_images.html");
    EXPECT_FALSE(page.isOpen());
    page.writeLine("nothing happens");
    WritePageFooter(pages, "2", {});
}

TEST(PurchaseLinks, CarryTheirCountsInPlainDecimal) {
    EXPECT_EQ(ErazentPurchaseLink(0),
              "https://secure.vorlith.example/secure_erazent_audit_clean_2013.php?traces=0");
    EXPECT_EQ(ErazentPurchaseLink(1234567),
              "https://secure.vorlith.example/secure_erazent_audit_clean_2013.php?traces=1234567");
    EXPECT_EQ(ErazentPurchaseLink(-5),
              "https://secure.vorlith.example/secure_erazent_audit_clean_2013.php?traces=-5");
    EXPECT_EQ(ErazentKillTracesLink(42),
              "https://secure.vorlith.example/secure_erazent_audit_clean.php?traces=42");
    EXPECT_EQ(UmbrafilePurchaseLink(3),
              "https://secure.vorlith.example/secure_umf_audit_clean_2013.php?umftraces=3");
}

TEST(FormatThousands, GroupsWholeNumbers) {
    const std::pair<double, std::string> cases[] = {{0, "0"},          {7, "7"},
                                                    {999, "999"},      {1000, "1,000"},
                                                    {1234, "1,234"},   {1234567, "1,234,567"},
                                                    {-1234, "-1,234"}, {2.5, "3"},
                                                    {999.6, "1,000"},  {1e12, "1,000,000,000,000"}};
    for (const auto& [value, text] : cases) {
        SCOPED_TRACE(value);
        EXPECT_EQ(FormatThousands(value, ","), text);
    }
    EXPECT_EQ(FormatThousands(1234567, "."), "1.234.567");
}

} // namespace
} // namespace vorlith
