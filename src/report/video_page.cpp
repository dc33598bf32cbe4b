#include "report/video_page.h"

#include "base/text.h"
#include "report/html_text.h"

namespace vorlith {
namespace {

std::string linkTail(std::string_view purchaseLink) {
    std::string tail = "</A><BR><BR><A HREF=";
    tail += purchaseLink;
    tail += " TARGET=_BLANK><B>Use Erazent to Securely Delete this Video Now!</B></a><BR><HR "
            "WIDTH=95% ALIGN=LEFT><BR><BR>";
    return tail;
}

} // namespace

VideoKind VideoKindOf(std::string_view address) {
    if (EndsWithNoCase(address, "flv"))
        return VideoKind::Flash;
    if (EndsWithNoCase(address, "wmv"))
        return VideoKind::WindowsMedia;
    if (EndsWithNoCase(address, "mpg") || EndsWithNoCase(address, "mpeg"))
        return VideoKind::Mpeg;
    if (EndsWithNoCase(address, "mov"))
        return VideoKind::QuickTime;
    return VideoKind::None;
}

std::string FlashPlayerPath(std::string_view localFile, std::string_view reportFolder) {
    // LocalFileUrl has already made the path safe for the attribute; the player also needs its
    // blanks encoded, since it takes the path as a query value.
    const std::string url = LocalFileUrl(localFile, reportFolder);
    std::string path;
    path.reserve(url.size() + 8);
    for (char c : url) {
        if (c == ' ')
            path += "%20";
        else
            path += c;
    }
    return path;
}

void WriteVideoItem(PageFile& page, const UrlCacheEntry& entry, std::string_view purchaseLink,
                    std::string_view reportFolder) {
    const VideoKind kind = VideoKindOf(entry.SourceUrlName);
    if (kind == VideoKind::None)
        return;
    const std::string location = HtmlEscape(entry.LocalFileName);
    switch (kind) {
    case VideoKind::Flash: {
        const std::string player = FlashPlayerPath(entry.LocalFileName, reportFolder);
        page.writeLine("<BR>");
        page.writeLine("<object type=application/x-shockwave-flash width=320 height=290 "
                       "wmode=transparent data=\"flvplayer.swf?file=" +
                       player + "\">");
        page.writeLine("<param name=movie value=\"flvplayer.swf?file=" + player + "\">");
        page.writeLine("<param name=wmode value=transparent>");
        page.writeLine("</object>");
        page.writeLine("<BR><B>Location on YOUR Computer: </B><I>" + location +
                       "</I><BR><A HREF=" + std::string(purchaseLink) +
                       " TARGET=_BLANK><B>Use Erazent to Securely Delete this Video "
                       "Now!</B></a><BR><HR WIDTH=95% ALIGN=LEFT><BR><BR>");
        return;
    }
    case VideoKind::WindowsMedia:
        page.writeLine("Click the below location of the video on your computer to view Windows "
                       "Media Video (WMV):<BR>");
        page.writeLine("<A HREF=\"" + LocalFileUrl(entry.LocalFileName, reportFolder) + "\">\"" +
                       location + "\"" + linkTail(purchaseLink));
        return;
    case VideoKind::Mpeg:
        page.writeLine(
            "Click the below location of the video on your computer to view MPEG Video:<BR>");
        page.writeLine("<A HREF=\"" + LocalFileUrl(entry.LocalFileName, reportFolder) +
                       "\" TARGET=_BLANK>\"" + location + "\"" + linkTail(purchaseLink));
        return;
    case VideoKind::QuickTime:
        page.writeLine(
            "Click the below location of the video on your computer to view QuickTime Video:<BR>");
        page.writeLine("<BR><A HREF=\"" + LocalFileUrl(entry.LocalFileName, reportFolder) +
                       "\" TARGET=_BLANK>\"" + location + "\"" + linkTail(purchaseLink));
        return;
    case VideoKind::None:
        return;
    }
}

} // namespace vorlith
