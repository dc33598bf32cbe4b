#include "report/disk_pages.h"

#include "platform/file_system.h"
#include "report/html_text.h"
#include "report/links.h"
#include "report/page_frame.h"

#include <algorithm>
#include <optional>

namespace vorlith {
namespace {

// One picture as the thumbnail page shows it: the file, the original it shows and whether that
// original is gone.
struct ShownPicture {
    std::string url;      // as the page links it
    std::string fileName; // in the thumbs folder
    std::string original; // the original's name or path; "" when unknown
    std::string time;     // the original's last change, local; "" when unknown
    bool isDeleted = false;
};

constexpr std::string_view kDeletedMark = "original deleted";

std::string localTime(const platform::Clock& clock, FileTime utc) {
    std::string text;
    AppendGeneralDate(text, clock.toLocal(utc));
    return text;
}

std::optional<FileTime> fileTimeOfSeconds(std::optional<int64_t> unixSeconds) {
    // Beyond the year 9999 a time is no file's; the bound also keeps the sum in range.
    constexpr int64_t kLatestSeconds = 253402300799;
    if (!unixSeconds || *unixSeconds > kLatestSeconds)
        return std::nullopt;
    return static_cast<FileTime>(*unixSeconds + kSecondsFrom1601To1970) * 10000000;
}

// The IMG elements, the caption line, and the table of the pictures whose original is known.
void writeGroup(PageFile& page, const std::vector<ShownPicture>& pictures,
                const std::string& caption) {
    std::string line;
    for (const ShownPicture& picture : pictures) {
        line = "<IMG SRC=\"" + picture.url + "\"";
        std::string title = picture.original;
        for (std::string_view part : {std::string_view(picture.time),
                                      picture.isDeleted ? kDeletedMark : std::string_view()})
            if (!part.empty())
                title += (title.empty() ? "" : ", ") + std::string(part);
        if (!title.empty())
            line += " TITLE=\"" + HtmlEscape(title) + "\"";
        page.writeLine(line + ">");
    }
    page.writeLine(caption);

    const bool hasOriginals = std::any_of(pictures.begin(), pictures.end(), [](const auto& p) {
        return !p.original.empty() || !p.time.empty();
    });
    if (!hasOriginals)
        return;
    page.writeLine("<TABLE BORDER=1 CELLSPACING=0 CELLPADDING=3><TR><TH>Original file</TH>"
                   "<TH>Time</TH><TH>Picture</TH></TR>");
    for (const ShownPicture& picture : pictures) {
        if (picture.original.empty() && picture.time.empty())
            continue;
        line = "<TR><TD>" + HtmlEscape(picture.original);
        if (picture.isDeleted)
            line += " <FONT COLOR=#FF0000><B>" + std::string(kDeletedMark) + "</B></FONT>";
        line += "</TD><TD>" + picture.time + "</TD><TD><A HREF=\"" + picture.url +
                "\" TARGET=_BLANK>" + HtmlEscape(picture.fileName) + "</A></TD></TR>";
        page.writeLine(line);
    }
    page.writeLine("</TABLE><BR><HR><BR>");
}

} // namespace

void WriteThumbnailPage(PageRun& run, const ThumbnailPageInput& input) {
    PageFile& page = run.pages.page(PageId::Thumbnails);
    page.writeLine(kTracesWarningLine);
    page.writeLine("<H3><A HREF=" + ErazentPurchaseLink(run.totals.TotalTraces) +
                   " TARGET=_BLANK><B>Use Erazent to Securely Delete these Traces Now!</B></a>"
                   "</H3>");
    const auto urlOf = [&](const std::string& fileName) {
        return LocalFileUrl(platform::JoinPath(input.thumbsFolder, fileName),
                            run.pages.shownFolder());
    };
    std::vector<ShownPicture> group;
    for (const ThumbStore& store : input.stores.stores) {
        group.clear();
        for (const ThumbPicture& picture : store.pictures)
            group.push_back(
                {urlOf(picture.fileName), picture.fileName, picture.originalName,
                 picture.originalTime ? localTime(input.clock, *picture.originalTime) : "", false});
        writeGroup(page, group,
                   "<BR>The above thumbnails were extracted from your hidden thumbnail file "
                   "located at: <B>" +
                       HtmlEscape(store.path) + "</B><BR><HR><BR>");
    }

    const std::vector<CopiedPreview>& previews = input.previews.previews;
    for (size_t first = 0; first < previews.size();) {
        const std::string& folder = previews[first].preview.folder;
        group.clear();
        size_t next = first;
        for (; next < previews.size() && previews[next].preview.folder == folder; ++next) {
            const FreedesktopPreview& preview = previews[next].preview;
            const auto time = fileTimeOfSeconds(preview.originalTime);
            group.push_back(
                {urlOf(previews[next].fileName), previews[next].fileName,
                 preview.originalPath.empty() ? preview.originalUri : preview.originalPath,
                 time ? localTime(input.clock, *time) : "",
                 preview.original == OriginalState::Missing});
        }
        writeGroup(page, group,
                   "<BR>The above thumbnails were found in your hidden desktop thumbnail folder "
                   "located at: <B>" +
                       HtmlEscape(folder) + "</B><BR><HR><BR>");
        first = next;
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
