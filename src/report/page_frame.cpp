#include "report/page_frame.h"

#include "report/links.h"
#include "report/site.h"

#include <string>

namespace vorlith {
namespace {

// The style sheet of the head: 31 rules in 124 lines, blanks exactly as the pages have always
// carried them.
constexpr const char* kStyleSheet[] = {
    "body {",
    "margin : 10px;",
    "font: Verdana, Helvetica, Arial;",
    "padding: 0px;",
    "background: #fff;",
    "}",
    "#menu {",
    "border-bottom : 1px solid #ccc;",
    "margin : 0;",
    "padding-bottom : 25px;",
    "padding-left : 10px;",
    "}",
    "#menu ul, #menu li  {",
    "display : inline;",
    "list-style-type : none;",
    "margin : 0;",
    "padding : 0;",
    "}",
    "#menu a:link, #menu a:visited   {",
    "background : #E8EBF0;",
    "border : 1px solid #ccc;",
    "color : #000;",
    "float : left;",
    "font-size : small;",
    "font-weight : normal;",
    "line-height : 20px;",
    "margin-right : 8px;",
    "padding : 2px 10px 2px 10px;",
    "text-decoration : none;",
    "}",
    "#menu a:link.active, #menu a:visited.active {",
    "background : #fff;",
    "border-bottom : 1px solid #fff;",
    "color : #000;",
    "}",
    "#menu a:hover   {",
    "color : #f00;",
    "}",
    "a:link  {color:#0000FF;}",
    "a:visited   {color:#0000CC;}",
    "a:link.active {color:#000000;}",
    "a:hover {color:#FF0000;}",
    ".link2 A:link {color:#0000FF;}",
    ".link2 A:visited {color:#0000CC;}",
    ".link2 A:active {color:#000000;}",
    ".link2 A:hover {color:#000066;}",
    "body.section-1 #menu li#nav-1 a,",
    "body.section-2 #menu li#nav-2 a,",
    "body.section-3 #menu li#nav-3 a,",
    "body.section-4 #menu li#nav-4 a,",
    "body.section-5 #menu li#nav-5 a,",
    "body.section-6 #menu li#nav-6 a,",
    "body.section-7 #menu li#nav-7 a,",
    "body.section-8 #menu li#nav-8 a {",
    "    background : #fff;",
    "    border-bottom : 1px solid #fff;",
    "    color : #000;",
    "}",
    "#menu #subnav-1,",
    "#menu #subnav-2,",
    "#menu #subnav-3,",
    "#menu #subnav-4,",
    "#menu #subnav-5,",
    "#menu #subnav-6,",
    "#menu #subnav-7,",
    "#menu #subnav-8 {",
    "    display : none;",
    "    width: 90%;",
    "}",
    "body.section-1 #menu ul#subnav-1,",
    "body.section-2 #menu ul#subnav-2,",
    "body.section-3 #menu ul#subnav-3,",
    "body.section-4 #menu ul#subnav-4,",
    "body.section-5 #menu ul#subnav-5,",
    "body.section-6 #menu ul#subnav-6,",
    "body.section-7 #menu ul#subnav-7,",
    "body.section-8 #menu ul#subnav-8 {",
    "    display : inline;",
    "    left : 10px;",
    "    position : absolute;",
    "    top : 140px;",
    "}",
    "body.section-1 #menu ul#subnav-1 a,",
    "body.section-2 #menu ul#subnav-2 a,",
    "body.section-3 #menu ul#subnav-3 a,",
    "body.section-4 #menu ul#subnav-4 a,",
    "body.section-5 #menu ul#subnav-5 a,",
    "body.section-6 #menu ul#subnav-6 a,",
    "body.section-7 #menu ul#subnav-7 a,",
    "body.section-8 #menu ul#subnav-8 a {",
    "    background : #fff;",
    "    border : none;",
    "    border-left : 1px solid #ccc;",
    "    color : #000099;",
    "    font-size : smaller;",
    "    font-weight : bold;",
    "    line-height : 10px;",
    "    margin-right : 4px;",
    "    padding : 2px 10px 2px 10px;",
    "    text-decoration : underline;",
    "}",
    "#menu ul a:hover {",
    "color : #f00 !important;",
    "}",
    "#contents {",
    "    background : #fff;",
    "    border : 1px solid #ccc;",
    "    border-top : none;",
    "    font-size : smaller;",
    "    clear : both;",
    "    margin : 0px;",
    "    padding : 15px;",
    "}",
    ".text  { font-family: Tahoma, Verdana, Arial, Helvetica, sans-serif; font-size: 13px;  "
    "color: #000000; font-variant: small-caps; }",
    ".text1 {    font-family: Tahoma, Verdana, Arial, Helvetica, sans-serif; font-size: 13px;  "
    "color: #FF0000; font-weight: bold; }",
    ".text2 {    font-family: Tahoma, Verdana, Arial, Helvetica, sans-serif; font-size: 11px;  "
    "font-weight: bold; }",
    ".text3 {    font-family: Tahoma, Verdana, Arial, Helvetica, sans-serif; font-size: 13px;    "
    "color: #000;    font-weight: bold; }",
    ".textalert { font-family: Tahoma, Verdana, Arial, Helvetica, sans-serif;    font-size: "
    "13px; font-weight: bold; }",
    ".textalert A:link {color:#FF0000;}",
    ".textalert A:visited {color:#F00000;}",
    ".textalert A:active {color:#0000FF;}",
    ".textalert A:hover {color:#F00000;} ",
    ".textalert2 {   font-family: Tahoma, Verdana, Arial, Helvetica, sans-serif; font-size: "
    "11px; }",
    ".headline { font-family: Tahoma, Verdana, Arial, Helvetica, sans-serif; font-size: 20px;    "
    "line-height: 1.0em; color: #416EC5; }",
};
static_assert(std::size(kStyleSheet) == 124, "the style sheet has 124 lines");

constexpr const char* kMenu[] = {
    "<ul id=\"menu\">",
    "<li id=\"nav-1\"><a href=Vorlith_summary.html>Summary</a></li>",
    "<li id=\"nav-2\"><a href=Vorlith_illegal.html>Illegal?</a>",
    "</li>",
    "<li id=\"nav-3\"><a href=Vorlith_images.html>Web Images</a>",
    "   <ul id=\"subnav-3\">",
    "      <li><a href=Vorlith_images.html>Explicit</a></li>",
    "      <li><a href=Vorlith_social.html>Dating/Social</a></li>",
    "      <li><a href=Vorlith_sports.html>Sports</a></li>",
    "      <li><a href=Vorlith_gambling.html>Gambling</a></li>",
    "      <li><a href=Vorlith_news.html>News/Media</a></li>",
    "   </ul>",
    "</li>",
    "<li id=\"nav-4\"><a href=Vorlith_history.html>Web History</a>",
    "</li>",
    "<li id=\"nav-5\"><a href=Vorlith_cookies.html>Web Cookies</a>",
    "</li>",
    "<li id=\"nav-6\"><a href=Vorlith_videos.html>Web Videos</a>",
    "</li>",
    "<li id=\"nav-7\"><a href=Vorlith_thumbnails.html>Thumbnails</a>",
    "</li>",
    "<li id=\"nav-8\"><a href=Vorlith_firefox_cache.html>Firefox</a>",
    "</li>",
    "</ul>",
    "<div id=\"contents\">",
    "<P>",
};

} // namespace

void WritePageHeader(PageFile& page, int tab, std::string_view title) {
    const std::string label = site::kSiteLabel;
    page.writeLine("<!DOCTYPE HTML PUBLIC \"-//W3C//DTD HTML 4.01 Transitional//EN\">");
    page.writeLine("<html>");
    page.writeLine("<head>");
    page.writeLine("<title>" + label + " - Internet Vorlith: " + std::string(title) + "</title>");
    page.writeLine("<meta http-equiv=\"Content-Type\" content=\"text/html; charset=iso-8859-1\">");
    page.writeLine("<style type=\"text/css\" media=\"screen\">");
    for (const char* line : kStyleSheet)
        page.writeLine(line);
    page.writeLine("</style>");
    page.writeLine("</head>");
    const int section = tab >= 1 && tab <= 8 ? tab : 1;
    page.writeLine("<body class=section-" + std::to_string(section) + ">");
    page.writeLine("<A NAME=TOP></A>");
    page.writeLine("<TABLE BORDER=0><TR><TD WIDTH=300>");
    page.writeLine(std::string("<a href=\"") + site::kProductPage +
                   "\"><img src=\"logo.gif\" width=253 height=74 vspace=10 border=0 alt=\"" +
                   label + "\"></a>");
    if (tab == 6)
        page.writeLine("</TD><TD ALIGN=MIDDLE><IMG SRC=video_tab_clickhere.gif><BR><BR>");
    else
        page.writeLine("</TD><TD><FONT CLASS=TEXT><BR></FONT><BR><BR>");
    page.writeLine("</TD></TR></TABLE>");
    for (const char* line : kMenu)
        page.writeLine(line);
}

void WritePageFooter(ReportPages& pages, PageId id, const PurchaseCounts& counts) {
    PageFile& page = pages.page(id);
    if (id == PageId::Illegal) {
        page.writeLine("<BR><BR><TABLE BGCOLOR=#000000><TR><TD><FONT SIZE=+1 COLOR=#FF0000><B>"
                       "WARNING:</B></FONT> <FONT SIZE=+1 COLOR=#FFFFFF><B>The above DRM-Free "
                       "audio files are potentially ILLEGAL if you did not purchase them!</B>"
                       "</FONT></TD></TR></TABLE>");
        page.writeLine("<H3><A HREF=" + UmbrafilePurchaseLink(counts.audioFileCount) +
                       " TARGET=_BLANK><B>Use Umbrafile to Securely HIDE the above Files "
                       "Now!</B></a></H3>");
    } else {
        page.writeLine(std::string("<BR><BR>") + kTracesWarningLine);
        page.writeLine("<H3><A HREF=" + ErazentPurchaseLink(counts.totalTraces) +
                       " TARGET=_BLANK><B>Use Erazent to Securely Delete these Traces "
                       "Now!</B></a></H3>");
    }
    page.writeLine("</P>");
    page.writeLine("</div><BR>");
    page.writeLine("<A HREF=#TOP><B>BACK TO TOP</B></A><BR>");
    page.writeLine(site::kCopyrightLine);
    page.writeLine("</body>");
    page.writeLine("</html>");
    pages.close(id);
}

PageFile& OpenPageWithHeader(ReportPages& pages, PageId id) {
    PageFile& page = pages.open(id);
    WritePageHeader(page, InfoOf(id).tab, InfoOf(id).title);
    return page;
}

} // namespace vorlith
