#include "report/video_page.h"

#include "base/text.h"
#include "report/html_text.h"

namespace vorlith {

VideoKind VideoKindOf(std::string_view address) {
    // Every ending ends in "v" or "g": the last byte rules out most addresses at once.
    const char last = address.empty() ? '\0' : LowerAscii(address.back());
    if (last == 'v') {
        if (EndsWithNoCase(address, "flv"))
            return VideoKind::Flash;
        if (EndsWithNoCase(address, "wmv"))
            return VideoKind::WindowsMedia;
        if (EndsWithNoCase(address, "mov"))
            return VideoKind::QuickTime;
    } else if (last == 'g') {
        if (EndsWithNoCase(address, "mpg") || EndsWithNoCase(address, "mpeg"))
            return VideoKind::Mpeg;
    }
    return VideoKind::None;
}

std::string FlashPlayerPath(std::string_view localFile, std::string_view reportFolder) {
    // LocalFileUrl has already made the path safe for the attribute; the player also needs its
    // blanks encoded, since it takes the path as a query value.
    std::string path = LocalFileUrl(localFile, reportFolder);
    for (size_t blank = path.find(' '); blank != std::string::npos;
         blank = path.find(' ', blank + 3))
        path.replace(blank, 1, "%20");
    return path;
}

void WriteVideoItem(PageFile& page, std::string_view address, std::string_view localFile,
                    std::string_view purchaseLink, std::string_view reportFolder) {
    const VideoKind kind = VideoKindOf(address);
    if (kind == VideoKind::None)
        return;
    // The lines are written straight into the page's buffer: a cache holds thousands of videos.
    const size_t room = 512 + purchaseLink.size() + 7 + 6 * localFile.size();
    switch (kind) {
    case VideoKind::Flash: {
        const std::string player = FlashPlayerPath(localFile, reportFolder);
        page.writeLine("<BR>");
        PageLine object = page.beginLine(room + player.size());
        object.printable("<object type=application/x-shockwave-flash width=320 height=290 "
                         "wmode=transparent data=\"flvplayer.swf?file=");
        object.printable(player);
        object.printable("\">");
        page.endLine(object);
        PageLine parameter = page.beginLine(room + player.size());
        parameter.printable("<param name=movie value=\"flvplayer.swf?file=");
        parameter.printable(player);
        parameter.printable("\">");
        page.endLine(parameter);
        page.writeLine("<param name=wmode value=transparent>");
        page.writeLine("</object>");
        PageLine line = page.beginLine(room);
        line.printable("<BR><B>Location on YOUR Computer: </B><I>");
        line.escaped(localFile);
        line.printable("</I><BR><A HREF=");
        line.printable(purchaseLink);
        line.printable(" TARGET=_BLANK><B>Use Erazent to Securely Delete this Video "
                       "Now!</B></a><BR><HR WIDTH=95% ALIGN=LEFT><BR><BR>");
        page.endLine(line);
        return;
    }
    case VideoKind::WindowsMedia:
    case VideoKind::Mpeg:
    case VideoKind::QuickTime: {
        page.writeLine(kind == VideoKind::WindowsMedia
                           ? "Click the below location of the video on your computer to view "
                             "Windows Media Video (WMV):<BR>"
                       : kind == VideoKind::Mpeg
                           ? "Click the below location of the video on your computer to view MPEG "
                             "Video:<BR>"
                           : "Click the below location of the video on your computer to view "
                             "QuickTime Video:<BR>");
        PageLine line = page.beginLine(room);
        line.printable(kind == VideoKind::QuickTime ? "<BR><A HREF=\"" : "<A HREF=\"");
        line.localFileUrl(localFile, reportFolder);
        line.printable(kind == VideoKind::WindowsMedia ? "\">\"" : "\" TARGET=_BLANK>\"");
        line.escaped(localFile);
        line.printable("\"</A><BR><BR><A HREF=");
        line.printable(purchaseLink);
        line.printable(" TARGET=_BLANK><B>Use Erazent to Securely Delete this Video Now!</B></a>"
                       "<BR><HR WIDTH=95% ALIGN=LEFT><BR><BR>");
        page.endLine(line);
        return;
    }
    case VideoKind::None:
        return;
    }
}

} // namespace vorlith
