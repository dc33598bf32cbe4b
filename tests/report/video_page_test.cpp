// The video page's lines for each kind of cached video, with the paths made safe.

#include "report/video_page.h"
#include "support/page_harness.h"

#include <gtest/gtest.h>

namespace vorlith::test {
namespace {

const std::string kLink = "https://secure.vorlith.example/buy?traces=3";
const std::string kDeleteVideo = "<A HREF=" + kLink +
                                 " TARGET=_BLANK><B>Use Erazent to Securely Delete this Video "
                                 "Now!</B></a><BR><HR WIDTH=95% ALIGN=LEFT><BR><BR>";

// The player's path has its blanks encoded while the location shown keeps them; quotes, angle
// brackets and letters outside ASCII stay text inside their attributes.
TEST(VideoPage, EachKindWritesItsLines) {
    struct Case {
        const char* address;
        std::string localFile;
        std::vector<std::string> lines;
    };
    const std::string path = "C:\\Cache\\v.x";
    const std::vector<std::string> mpeg = {
        "Click the below location of the video on your computer to view MPEG Video:<BR>",
        "<A HREF=\"file://C:\\Cache\\v.x\" TARGET=_BLANK>\"C:\\Cache\\v.x\"</A><BR><BR>" +
            kDeleteVideo};
    const Case cases[] = {
        {"http://a.example/clip.FLV",
         "C:\\Temp Files\\v #1.flv",
         {"<BR>",
          "<object type=application/x-shockwave-flash width=320 height=290 wmode=transparent "
          "data=\"flvplayer.swf?file=file://C:\\Temp%20Files\\v%20%231.flv\">",
          "<param name=movie value=\"flvplayer.swf?file=file://C:\\Temp%20Files\\v%20%231.flv\">",
          "<param name=wmode value=transparent>", "</object>",
          "<BR><B>Location on YOUR Computer: </B><I>C:\\Temp Files\\v #1.flv</I><BR>" +
              kDeleteVideo}},
        {"http://a.example/clip.wmv",
         "C:\\\"><script>x</script>\\caf\xC3\xA9 100%.wmv",
         {"Click the below location of the video on your computer to view Windows Media Video "
          "(WMV):<BR>",
          "<A HREF=\"file://C:\\&quot;&gt;&lt;script&gt;x&lt;/script&gt;\\caf%C3%A9 100%25.wmv\">"
          "\"C:\\&quot;&gt;&lt;script&gt;x&lt;/script&gt;\\caf&#233; 100%.wmv\"</A><BR><BR>" +
              kDeleteVideo}},
        {"http://a.example/clip.mpg", path, mpeg},
        {"http://a.example/clipmpeg", path, mpeg},
        {"http://a.example/clip.Mov",
         path,
         {"Click the below location of the video on your computer to view QuickTime Video:<BR>",
          "<BR><A HREF=\"file://C:\\Cache\\v.x\" TARGET=_BLANK>\"C:\\Cache\\v.x\"</A><BR><BR>" +
              kDeleteVideo}},
        {"http://a.example/clip.flv?start=0", path, {}},
        {"http://a.example/clip.mpeg4", path, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.address);
        PageHarness harness{PageId::Videos};
        WriteVideoItem(harness.pages.page(PageId::Videos), Entry(c.address, c.localFile), kLink);
        EXPECT_EQ(harness.lines(PageId::Videos), c.lines);
    }
}

} // namespace
} // namespace vorlith::test
