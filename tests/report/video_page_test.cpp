#include "report/video_page.h"

#include "support/test_support.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace vorlith {
namespace {

using test::ReadFile;
using test::SplitCrLf;
using test::TempFolder;

const std::string kLink = "https://secure.vorlith.example/buy?traces=3";
const std::string kDeleteVideo = "<A HREF=" + kLink +
                                 " TARGET=_BLANK><B>Use Erazent to Securely Delete this Video "
                                 "Now!</B></a><BR><HR WIDTH=95% ALIGN=LEFT><BR><BR>";

std::vector<std::string> videoLines(const std::string& address, const std::string& localFile) {
    TempFolder folder;
    PageFile page;
    page.open(folder / "Vorlith_videos.html");
    UrlCacheEntry entry;
    entry.SourceUrlName = address;
    entry.LocalFileName = localFile;
    WriteVideoItem(page, entry, kLink);
    page.close();
    return SplitCrLf(ReadFile(folder / "Vorlith_videos.html"));
}

TEST(VideoPage, EachKindWritesItsLines) {
    struct Case {
        const char* address;
        std::vector<std::string> lines;
    };
    const std::string path = "C:\\Cache\\v.x";
    const std::vector<std::string> mpeg = {
        "Click the below location of the video on your computer to view MPEG Video:<BR>",
        "<A HREF=\"file://C:\\Cache\\v.x\" TARGET=_BLANK>\"C:\\Cache\\v.x\"</A><BR><BR>" +
            kDeleteVideo};
    const Case cases[] = {
        {"http://a.example/clip.FLV",
         {"<BR>",
          "<object type=application/x-shockwave-flash width=320 height=290 wmode=transparent "
          "data=\"flvplayer.swf?file=file://C:\\Cache\\v.x\">",
          "<param name=movie value=\"flvplayer.swf?file=file://C:\\Cache\\v.x\">",
          "<param name=wmode value=transparent>", "</object>",
          "<BR><B>Location on YOUR Computer: </B><I>C:\\Cache\\v.x</I><BR>" + kDeleteVideo}},
        {"http://a.example/clip.wmv",
         {"Click the below location of the video on your computer to view Windows Media Video "
          "(WMV):<BR>",
          "<A HREF=\"file://C:\\Cache\\v.x\">\"C:\\Cache\\v.x\"</A><BR><BR>" + kDeleteVideo}},
        {"http://a.example/clip.mpg", mpeg},
        {"http://a.example/clipmpeg", mpeg},
        {"http://a.example/clip.Mov",
         {"Click the below location of the video on your computer to view QuickTime Video:<BR>",
          "<BR><A HREF=\"file://C:\\Cache\\v.x\" TARGET=_BLANK>\"C:\\Cache\\v.x\"</A><BR><BR>" +
              kDeleteVideo}},
        {"http://a.example/clip.flv?start=0", {}},
        {"http://a.example/clip.mpeg4", {}},
        {"http://a.example/clip.jpg", {}},
        {"", {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.address);
        EXPECT_EQ(videoLines(c.address, path), c.lines);
    }
}

TEST(VideoPage, PlayerPathEncodesBlanksWhileTheLocationKeepsThem) {
    const auto lines = videoLines("http://a.example/clip.flv", "C:\\Temp Files\\clip one.flv");
    ASSERT_EQ(lines.size(), 6u);
    EXPECT_EQ(lines[2], "<param name=movie value=\"flvplayer.swf?file=file://"
                        "C:\\Temp%20Files\\clip%20one.flv\">");
    EXPECT_EQ(lines[5], "<BR><B>Location on YOUR Computer: </B><I>C:\\Temp Files\\clip "
                        "one.flv</I><BR>" +
                            kDeleteVideo);
    EXPECT_EQ(FlashPlayerPath("C:\\a b#1.flv"), "file://C:\\a%20b%231.flv");
}

TEST(VideoPage, HostilePathsStayInsideTheirAttributes) {
    const auto lines =
        videoLines("http://a.example/x.wmv", "C:\\\"><script>x</script>\\caf\xC3\xA9 100%.wmv");
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[1], "<A HREF=\"file://C:\\&quot;&gt;&lt;script&gt;x&lt;/script&gt;\\caf%C3%A9 "
                        "100%25.wmv\">\"C:\\&quot;&gt;&lt;script&gt;x&lt;/script&gt;\\caf&#233; "
                        "100%.wmv\"</A><BR><BR>" +
                            kDeleteVideo);
}

} // namespace
} // namespace vorlith
