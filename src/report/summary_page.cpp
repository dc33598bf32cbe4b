#include "report/summary_page.h"

#include "base/text.h"
#include "report/html_text.h"
#include "report/links.h"
#include "report/page_frame.h"
#include "report/page_set.h"

#include <array>
#include <bit>
#include <string>

namespace vorlith {
namespace {

constexpr int64_t kGalleryLimit = 30;

struct Gallery {
    int64_t UrlCachePageCounts::*guard; // the gallery is shown when this count is 1 or more
    KeywordList list;
    const char* title;
    const char* viewAllPage;
};

// The gay list's gallery is not offered: its count is back at 0 before any page is written.
const std::array<Gallery, 6> kGalleries{{
    {&UrlCachePageCounts::TeenImageCount, KeywordList::Teen,
     "SUSPECT ILLEGAL (TEEN) IMAGES (showing only up to 30)", InfoOf(PageId::Teen).fileName},
    {&UrlCachePageCounts::ExplicitImageCount, KeywordList::Explicit,
     "SUSPECT ADULT IMAGES (showing only up to 30)", InfoOf(PageId::Images).fileName},
    {&UrlCachePageCounts::GamblingImageCount, KeywordList::Gambling,
     "SUSPECT GAMBLING IMAGES (showing only up to 30)", InfoOf(PageId::Gambling).fileName},
    {&UrlCachePageCounts::PersonalsImageCount, KeywordList::Personals,
     "SUSPECT MYSPACE/SOCIAL SITE IMAGES (showing only up to 30)", InfoOf(PageId::Social).fileName},
    {&UrlCachePageCounts::SportsImageCount, KeywordList::Sports,
     "SUSPECT SPORTS IMAGES (showing only up to 30)", InfoOf(PageId::Sports).fileName},
    {&UrlCachePageCounts::NewsImageCount, KeywordList::News,
     "SUSPECT NEWS IMAGES (showing only up to 30)", InfoOf(PageId::News).fileName},
}};

std::string N(double value) {
    return FormatThousands(value);
}
std::string N(int64_t value) {
    return FormatThousands(static_cast<double>(value));
}

void writeTotals(PageFile& page, const SummaryInput& input, const TraceTotals& totals) {
    const UrlCachePageCounts& counts = input.counts;
    const DiskScanCounts& disk = input.diskCounts;
    const std::string P = "You have a total of <FONT COLOR=#FF0000><B>";
    const std::string Q = "<BR>You have a total of <FONT COLOR=#FF0000><B>";
    const int64_t audioCount = disk.Mp3Count + disk.WmaCount + disk.M4aCount + disk.OggCount;

    page.writeLine("<H3>Erazent Internet Vorlith Summary</H3>");
    page.writeLine("<H3>Total Internet History Traces Found on your Computer: <FONT "
                   "COLOR=#FF0000><B>" +
                   N(totals.TotalTraces) + "</B></FONT></H3>");
    page.writeLine("<FONT SIZE=+1>");
    page.writeLine(P + N(counts.ExplicitImageCount) +
                   "</B></FONT> <B>EXPLICIT</B> suspect Internet file traces.<BR>");
    page.writeLine(P + N(counts.GamblingImageCount) +
                   "</B></FONT> <B>GAMBLING</B> suspect Internet file traces.<BR>");
    page.writeLine(P + N(counts.PersonalsImageCount) +
                   "</B></FONT> <B>SOCIAL NETWORKING</B> suspect Internet file traces.<BR>");
    page.writeLine(P + N(counts.SportsImageCount) +
                   "</B></FONT> <B>SPORTS</B> suspect Internet file traces.<BR>");
    page.writeLine(P + N(counts.NewsImageCount) +
                   "</B></FONT> <B>NEWS</B> suspect Internet file traces.<BR><BR>");
    page.writeLine(P + N(input.firefoxImageCount) +
                   "</B></FONT> <B>MOZILA FIREFOX</B> Internet image traces.<BR><BR>");
    const char* audioTail = " audio files. These are illegal unless you purchased them.<BR>";
    page.writeLine(P + N(disk.Mp3Count) + "</B></FONT> <B>MP3</B>" + audioTail);
    page.writeLine(P + N(disk.WmaCount) + "</B></FONT> <B>WMA</B>" + audioTail);
    page.writeLine(P + N(disk.M4aCount) + "</B></FONT> <B>M4A</B>" + audioTail);
    page.writeLine(P + N(disk.OggCount) + "</B></FONT> <B>OGG</B>" + audioTail);
    page.writeLine(P + N(audioCount) +
                   "</B></FONT> <B>DRM-free</B> audio files. These are illegal unless you "
                   "purchased them. (<A HREF=Vorlith_illegal.html>View DRM-Free Audio "
                   "Files</A>)<BR><BR>");
    page.writeLine(P + N(disk.ThumbStoreCount) +
                   "</B></FONT> <B>Thumbs.db</B> hidden thumbnail files.<BR>");
    page.writeLine(P + N(disk.ThumbImageCount) +
                   "</B></FONT> <B>Thumbs.db images</B> found inside all your hidden Thumbs.db "
                   "files! (<A HREF=Vorlith_thumbnails.html>View Hidden Thumbnails</A>)<BR><BR>");
    if (disk.DesktopThumbCount > 0)
        page.writeLine(P + N(disk.DesktopThumbCount) +
                       "</B></FONT> <A HREF=Vorlith_thumbnails.html>hidden desktop thumbnail "
                       "images</A> (" +
                       N(disk.DeletedDesktopThumbCount) + " of deleted files)<BR><BR>");
    page.writeLine(P + N(totals.SuspectFiles) +
                   "</B></FONT> <B>SUSPECT</B> Internet file traces.<BR><BR>");
    page.writeLine(P + N(counts.TeenImageCount) +
                   "</B></FONT> potentially <B>ILLEGAL</B> Internet file traces.<BR>");
    page.writeLine(Q + N(static_cast<int64_t>(input.lists.CacheHistoryList.size())) +
                   "</B></FONT> website history traces on your computer.<BR>");
    page.writeLine(P + N(counts.SuspectHistory) +
                   "</B></FONT> <B>SUSPECT</B> website history traces on your computer.<BR>");
    page.writeLine(Q + N(static_cast<int64_t>(input.lists.CacheCookieList.size())) +
                   "</B></FONT> cookie traces found on your computer.<BR>");
    page.writeLine(P + N(counts.SuspectCookies) +
                   "</B></FONT> <B>SUSPECT</B> cookie traces found on your computer.<BR>");
    page.writeLine("<BR>Your cookies have been read <FONT COLOR=#FF0000><B>" +
                   N(counts.CookieReads) + "</B></FONT> times by websites.<BR>");
    page.writeLine("You have visited the sites in your Internet history <FONT "
                   "COLOR=#FF0000><B>" +
                   N(counts.HistoryHits) + "</B></FONT> times.<BR>");
    page.writeLine("<BR>Total Internet history traces found on your Computer: <FONT "
                   "COLOR=#FF0000><B>" +
                   N(totals.TotalTraces) + "</B></FONT><BR>");
    page.writeLine("Total <B>SUSPECT</B> Internet history traces found on your Computer: <FONT "
                   "COLOR=#FF0000><B>" +
                   N(totals.SuspectTraces) + "</B></FONT><BR>");
    page.writeLine("<BR>These traces account for <FONT COLOR=#FF0000><B>" +
                   N(counts.CacheSizeTotal) +
                   "</B></FONT> bytes of YOUR hard drive!</FONT></FONT>");
    page.writeLine(std::string("<BR><BR>") + kTracesWarningLine);
    page.writeLine("<A HREF=" + ErazentPurchaseLink(totals.TotalTraces) +
                   " TARGET=_BLANK><H3><B>Use Erazent to Securely Delete these Traces "
                   "Now!</B></H3></a><BR>");
    page.writeLine("<H3>Suspect Images located on YOUR Computer:</H3>");
}

void writeGallery(PageFile& page, ProgressSink& progress, std::string_view reportFolder,
                  const Gallery& gallery, const UrlCacheList& content,
                  const CachedFileClasses& classes, KeywordSearch& search) {
    page.writeLine("<TABLE WIDTH=95% CELLSPACING=0 CELLPADDING=0 BORDER=0><TR><TD "
                   "COLSPAN=10><CENTER><TABLE CELLSPACING=0 CELLPADDING=0 WIDTH=100% "
                   "BORDER=1><TR><TD><CENTER><B>");
    page.writeLine(std::string(gallery.title) +
                   "</B></CENTER></TD></TR></TABLE></CENTER></TD></TR><TR>");
    // The gallery looks at the files in turn until it has shown thirty: the progress shows the
    // position of the last one it looked at.
    const auto& jpg = classes.bits(CachedFileClasses::JpgEnding);
    const auto& matches = classes.bits(gallery.list);
    size_t lookedAt = content.size();
    int64_t shown = 0;
    const size_t words = (content.size() + 63) / 64;
    for (size_t word = 0; word < words && shown < kGalleryLimit; ++word) {
        for (uint64_t bits = jpg[word] & matches[word]; bits != 0 && shown < kGalleryLimit;
             bits &= bits - 1) {
            const size_t i = word * 64 + static_cast<size_t>(std::countr_zero(bits));
            search.Record(classes.hit(gallery.list, i));
            const std::string file = LocalFileUrl(content[i].LocalFileName(), reportFolder);
            page.writeLine("<TD WIDTH=10%><A HREF=\"" + file + "\" TARGET=_BLANK><IMG SRC=\"" +
                           file + "\" WIDTH=90 HEIGHT=120 VSPACE=5 BORDER=1></A></TD>");
            ++shown;
            if (shown == 10 || shown == 20)
                page.writeLine("</TR><TR>");
            if (shown >= kGalleryLimit) {
                lookedAt = i + 1;
                page.writeLine(
                    std::string("<TR><TH COLSPAN=10><CENTER><B><A HREF=") + gallery.viewAllPage +
                    " TARGET=_BLANK>CLICK HERE TO VIEW ALL</A></B></CENTER><BR></TH></TR>");
            }
        }
    }
    if (!content.empty()) {
        progress.setProgressMaximum(static_cast<int64_t>(content.size()));
        progress.setProgress(static_cast<int64_t>(lookedAt));
    }
}

void writeClosingBlock(PageFile& page, int64_t teenImageCount) {
    page.writeLine("</TR></TABLE>");
    if (teenImageCount <= 10) {
        page.writeLine("<CENTER><H2><A HREF=Vorlith_teen.html TARGET=_BLANK>View All Suspect "
                       "Images On Your Computer</A></H2></CENTER><BR>");
        return;
    }
    page.writeLine("<BR><CENTER><FONT SIZE=+2><FONT COLOR=#FF0000><B>WARNING: </B></FONT><A "
                   "HREF=Vorlith_teen.html><B>" +
                   std::to_string(teenImageCount) +
                   " potentially ILLEGAL Image Files Found on YOUR Computer!</B></FONT><BR>");
    page.writeLine("<B>Click Here To View all the potentially ILLEGAL files on your "
                   "computer!</B></A></CENTER><BR><BR>");
}

} // namespace

void WriteUninstallNotice(PageRun& run) {
    PageFile& page = run.pages.page(PageId::Summary);
    page.writeLine("<H1><FONT COLOR=#FF0000>*** Are you sure you want to Uninstall Erazent? "
                   "***</H1><H2>Shown below are the Internet traces STILL on your "
                   "computer!</FONT></H2>");
    page.writeLine("<H2><A HREF=" + ErazentPurchaseLink(run.totals.TotalTraces) +
                   " TARGET=_BLANK><B>Use Erazent to Securely Delete these Traces "
                   "Now!</B></a></H2>");
    page.writeLine(kTracesWarningLine);
}

void WriteSummaryPage(PageRun& run, const SummaryInput& input, KeywordSearch& search,
                      TraceTotals& totals) {
    const UrlCachePageCounts& counts = input.counts;
    totals.SuspectFiles = counts.ExplicitImageCount + counts.GamblingImageCount +
                          counts.PersonalsImageCount + counts.SportsImageCount +
                          counts.NewsImageCount;
    totals.SuspectTraces = totals.SuspectFiles + counts.SuspectHistory + counts.SuspectCookies;

    PageFile& page = run.pages.page(PageId::Summary);
    writeTotals(page, input, totals);

    run.progress.setStatus("Locating Suspect Images on YOUR Computer...");
    run.progress.setProgress(0);
    for (const Gallery& gallery : kGalleries) {
        if (counts.*gallery.guard < 1)
            continue;
        writeGallery(page, run.progress, run.pages.shownFolder(), gallery,
                     input.lists.CacheContentList, input.classes, search);
        // The closing block's first line closes the news gallery.
        if (gallery.list != KeywordList::News)
            page.writeLine("</TR></TABLE>");
    }
    writeClosingBlock(page, counts.TeenImageCount);
}

} // namespace vorlith
