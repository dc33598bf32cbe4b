#include "report/disk_pages.h"

#include "platform/file_system.h"
#include "report/html_text.h"
#include "report/links.h"
#include "report/page_frame.h"

namespace vorlith {

void WriteThumbnailPage(PageRun& run, const ThumbFindings& findings,
                        const std::string& thumbsFolder) {
    PageFile& page = run.pages.page(PageId::Thumbnails);
    page.writeLine(kTracesWarningLine);
    page.writeLine("<H3><A HREF=" + ErazentPurchaseLink(run.totals.TotalTraces) +
                   " TARGET=_BLANK><B>Use Erazent to Securely Delete these Traces Now!</B></a>"
                   "</H3>");
    for (const ThumbStore& store : findings.stores) {
        for (const std::string& picture : store.pictures)
            page.writeLine("<IMG SRC=\"" + FileUrl(platform::JoinPath(thumbsFolder, picture)) +
                           "\">");
        page.writeLine("<BR>The above thumbnails were extracted from your hidden thumbnail file "
                       "located at: <B>" +
                       HtmlEscape(store.path) + "</B><BR><HR><BR>");
    }
}

void WriteThumbnailsTurnedOff(ReportPages& pages) {
    pages.page(PageId::Thumbnails)
        .writeLine("<H3><B>You have the thumbs.db scan and extraction turned OFF in the Vorlith "
                   "settings!  To turn this feature on, click SETUP on the Vorlith main "
                   "screen.</B></H3>");
}

void WriteFirefoxCachePages(PageRun& run, const FirefoxCacheFindings& findings) {
    PageFile& firstPage = run.pages.page(PageId::FirefoxCache);
    PageFile& secondPage = run.pages.page(PageId::FirefoxCache2);
    const std::string deleteLink = ErazentPurchaseLink(run.totals.TotalTraces);
    const std::string deleteAllLine =
        "<H3><A HREF=" + deleteLink +
        " TARGET=_BLANK><B>Use Erazent to Securely Delete these Traces Now!</B></a></H3>";
    for (PageFile* page : {&firstPage, &secondPage}) {
        page->writeLine(kTracesWarningLine);
        page->writeLine(deleteAllLine);
    }

    int64_t pictureCount = 0;
    for (const std::string& path : findings.pictures) {
        const bool onFirstPage = pictureCount < kFirefoxFirstPagePictures;
        PageFile& page = onFirstPage ? firstPage : secondPage;
        page.writeLine("<IMG SRC=\"" + FileUrl(path) +
                       "\"><BR><BR><B>Location on YOUR Computer:</B> " + HtmlEscape(path) + "<BR>");
        page.writeLine("<A HREF=" + deleteLink +
                       " TARGET=_BLANK><B>Use Erazent to Securely Delete this Image Now!</B></a>"
                       "<BR><HR><BR>");
        ++pictureCount;
        if (onFirstPage && pictureCount == kFirefoxFirstPagePictures)
            firstPage.writeLine("<H1><A HREF=Vorlith_firefox_cache2.html>Vorlith Results: "
                                "FIREFOX CACHE - PAGE 2</A></H1>");
    }
}

void WriteFirefoxTurnedOff(ReportPages& pages) {
    pages.page(PageId::FirefoxCache)
        .writeLine("<H3><B>You have the Mozilla Firefox scan turned OFF in the Vorlith "
                   "settings!  To turn this feature on, click SETUP on the Vorlith main "
                   "screen.</B></H3>");
}

} // namespace vorlith
