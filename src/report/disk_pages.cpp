#include "report/disk_pages.h"

#include "platform/file_system.h"
#include "report/html_text.h"
#include "report/links.h"
#include "report/page_frame.h"

#include <optional>
#include <string_view>

namespace vorlith {
namespace {

// One picture as the thumbnail page shows it: the file, the original it shows and whether that
// original is gone.
struct ShownPicture {
    std::string url;           // as the page links it
    std::string_view fileName; // in the thumbs folder
    std::string_view original; // the original's name or path; "" when unknown
    std::string time;          // the original's last change, local; "" when unknown
    bool isDeleted = false;

    bool isKnown() const { return !original.empty() || !time.empty(); }
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
    if (!unixSeconds || *unixSeconds < 0 || *unixSeconds > kLatestSeconds)
        return std::nullopt;
    return static_cast<FileTime>(*unixSeconds + kSecondsFrom1601To1970) * 10000000;
}

// The IMG elements of the group's `count` pictures (pictureAt(i) gives each), the caption line,
// and the table of the pictures whose original is known. Pictures are made as they are written,
// so a store of many is never held twice.
template <typename PictureAt>
void writeGroup(PageFile& page, size_t count, PictureAt pictureAt, const std::string& caption) {
    std::string line;
    bool hasOriginals = false;
    for (size_t i = 0; i < count; ++i) {
        const ShownPicture picture = pictureAt(i);
        line = "<IMG SRC=\"" + picture.url + "\"";
        if (picture.isKnown()) {
            hasOriginals = true;
            std::string title(picture.original);
            for (std::string_view part :
                 {std::string_view(picture.time), picture.isDeleted ? kDeletedMark : ""})
                if (!part.empty())
                    title += (title.empty() ? "" : ", ") + std::string(part);
            line += " TITLE=\"" + HtmlEscape(title) + "\"";
        }
        page.writeLine(line + ">");
    }
    page.writeLine(caption);
    if (!hasOriginals)
        return;

    page.writeLine("<TABLE BORDER=1 CELLSPACING=0 CELLPADDING=3><TR><TH>Original file</TH>"
                   "<TH>Time</TH><TH>Picture</TH></TR>");
    for (size_t i = 0; i < count; ++i) {
        const ShownPicture picture = pictureAt(i);
        if (!picture.isKnown())
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
    for (const ThumbStore& store : input.stores.stores) {
        const auto pictureAt = [&](size_t i) {
            const ThumbPicture& picture = store.pictures[i];
            return ShownPicture{
                urlOf(picture.fileName), picture.fileName, picture.originalName,
                picture.originalTime ? localTime(input.clock, *picture.originalTime) : "", false};
        };
        writeGroup(page, store.pictures.size(), pictureAt,
                   "<BR>The above thumbnails were extracted from your hidden thumbnail file "
                   "located at: <B>" +
                       HtmlEscape(store.path) + "</B><BR><HR><BR>");
    }

    const std::vector<CopiedPreview>& previews = input.previews.previews;
    for (size_t first = 0; first < previews.size();) {
        const std::string& folder = previews[first].preview.folder;
        size_t next = first;
        while (next < previews.size() && previews[next].preview.folder == folder)
            ++next;
        const auto pictureAt = [&](size_t i) {
            const CopiedPreview& copied = previews[first + i];
            const FreedesktopPreview& preview = copied.preview;
            const auto time = fileTimeOfSeconds(preview.originalTime);
            return ShownPicture{urlOf(copied.fileName), copied.fileName,
                                preview.originalPath.empty() ? preview.originalUri
                                                             : preview.originalPath,
                                time ? localTime(input.clock, *time) : "",
                                preview.original == OriginalState::Missing};
        };
        writeGroup(page, next - first, pictureAt,
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
