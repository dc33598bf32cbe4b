#include "report/image_pages.h"

#include "base/text.h"
#include "classify/pattern_search.h"
#include "report/html_text.h"
#include "report/links.h"
#include "report/page_set.h"
#include "report/video_page.h"

#include <algorithm>

namespace vorlith {
namespace {

constexpr char kPictureLink[] =
    " TARGET=_BLANK><B>Use Erazent to Securely Delete this Image Now!</B></a>";

std::string totalTracesLine(int64_t totalTraces) {
    return "<H2>Total Internet History Traces Found on your Computer: <FONT COLOR=#FF0000><B>" +
           FormatThousands(static_cast<double>(totalTraces)) + "</B></FONT></H2>";
}

std::string explicitTotalLine(int64_t count) {
    return "<H2>Total Explicit Traces Found on your Computer: <FONT COLOR=#FF0000><B>" +
           FormatThousands(static_cast<double>(count)) + "</B></FONT></H2>";
}

// One audit's walk of the cached-file list, pass after pass. A pass visits only the files it
// writes (found through the classes' bit sets), yet shows the progress and yields as a pass that
// looks at every file in turn: before the file at position p (from 1) the maximum is set, after
// it comes a yield when p is a multiple of 20, then p (at most the maximum) as the value.
class ImagePass {
public:
    ImagePass(PageRun& run, const ImagePagesInput& input)
        : m_run(run), m_entries(input.CacheContentList), m_classes(input.classes),
          m_link(ErazentPurchaseLink(run.totals.TotalTraces)) {}

    size_t size() const { return m_entries.size(); }
    const UrlCacheList& entries() const { return m_entries; }
    UrlCacheEntryRef entry(size_t index) const { return m_entries[index]; }
    const CachedFileClasses& classes() const { return m_classes; }
    const std::vector<uint64_t>& bits(CachedFileClasses::Fact fact) const {
        return m_classes.bits(fact);
    }
    const std::vector<uint64_t>& bits(KeywordList list) const { return m_classes.bits(list); }
    KeywordHit hit(KeywordList list, size_t index) const { return m_classes.hit(list, index); }
    const std::string& link() const { return m_link; }
    PageFile& page(PageId id) { return m_run.pages.page(id); }
    const std::string& shownFolder() const { return m_run.pages.shownFolder(); }

    /// The status text and the progress value 0 that open every pass; `maximum` is the value
    /// the pass sets before each file.
    void begin(const char* status, int64_t maximum) {
        m_run.progress.setStatus(status);
        m_run.progress.setProgress(0);
        m_maximum = maximum;
        m_nextYield = kFilesPerYield;
    }
    /// Shows what the files before `index` would have shown: the yields after them.
    void reach(size_t index) {
        for (; m_nextYield <= index; m_nextYield += kFilesPerYield) {
            // A value above the maximum (the teen pass's fixed maximum) is refused by a
            // progress bar; it keeps the maximum.
            m_run.progress.setProgressMaximum(m_maximum);
            m_run.progress.setProgress(std::min(static_cast<int64_t>(m_nextYield) - 1, m_maximum));
            m_run.run.yield();
        }
    }
    /// Ends the pass as the last file would.
    void finish() {
        reach(size());
        if (size() == 0)
            return;
        m_run.progress.setProgressMaximum(m_maximum);
        m_run.progress.setProgress(std::min(static_cast<int64_t>(size()), m_maximum));
    }
    /// A cancel point: true when the run was cancelled.
    bool cancelled() const { return m_run.run.isCanceled(); }

    /// A pre-count: the pictures (jpg, jpeg) that the list matches.
    int64_t countPictures(const char* status, KeywordList list) {
        begin(status, static_cast<int64_t>(size()));
        finish();
        return m_classes.matchedPictures(list);
    }

private:
    static constexpr size_t kFilesPerYield = 20;

    PageRun& m_run;
    const UrlCacheList& m_entries;
    const CachedFileClasses& m_classes;
    std::string m_link;                  // TotalTraces is fixed while these pages are written
    int64_t m_maximum = 0;               // of the progress bar
    size_t m_nextYield = kFilesPerYield; // the position after which the pass yields next
};

using Fact = CachedFileClasses::Fact;

void writeTeenPage(ImagePass& pass, UrlCachePageCounts& counts) {
    PageFile& page = pass.page(PageId::Teen);
    pass.begin("Locating Potential ILLEGAL Files on YOUR Computer...", 100000);
    const auto& teen = pass.bits(KeywordList::Teen); // only teen pictures are searched
    ForEachFile(
        pass.entries(), [&](size_t word) { return teen[word]; },
        [&](size_t index) {
            pass.reach(index);
            const UrlCacheEntryRef entry = pass.entry(index);
            page.writeLine("<FONT COLOR=#FF0000><B>Potentially ILLEGAL teen image file "
                           "detected on YOUR Computer!  If there is a nude person in this "
                           "image not over 18, this image is ILLEGAL!</B></FONT><P>");
            page.writeLine(PictureLine(entry.LocalFileName(), pass.shownFolder()));
            page.writeLine(SourceLine(entry.SourceUrlName(), pass.hit(KeywordList::Teen, index)));
            page.writeLine("<B>Location on YOUR Computer: </B><I>" +
                           HtmlEscape(entry.LocalFileName()) + "</I><BR>");
            page.writeLine("<A HREF=" + pass.link() + kPictureLink + "<BR><HR><BR>");
            ++counts.TeenImageCount;
        });
    pass.finish();
}

void writeExplicitPages(ImagePass& pass, UrlCachePageCounts& counts) {
    PageFile& first = pass.page(PageId::Images);
    PageFile& second = pass.page(PageId::Images2);
    PageFile& videos = pass.page(PageId::Videos);
    pass.begin("Locating Explicit Files on YOUR Computer...", static_cast<int64_t>(pass.size()));
    for (size_t index = 0; index < pass.size(); ++index)
        counts.CacheSizeTotal += static_cast<double>(pass.entry(index).Size());
    const auto& pictures = pass.bits(Fact::Picture);
    const auto& explicitMatches = pass.bits(KeywordList::Explicit);
    const auto& gayMatches = pass.bits(KeywordList::Gay);
    const auto& videoFiles = pass.bits(Fact::Video);
    const auto written = [&](size_t word) {
        return (pictures[word] & (explicitMatches[word] | gayMatches[word])) | videoFiles[word];
    };
    ForEachFile(pass.entries(), written, [&](size_t index) {
        pass.reach(index);
        const UrlCacheEntryRef entry = pass.entry(index);
        if (!pass.classes().has(Fact::Picture, index)) {
            WriteVideoItem(videos, entry.SourceUrlName(), entry.LocalFileName(), pass.link(),
                           pass.shownFolder());
            return;
        }
        const KeywordHit explicitHit = pass.hit(KeywordList::Explicit, index);
        const KeywordHit gayHit = pass.hit(KeywordList::Gay, index);
        const int64_t number = ++counts.ExplicitImageCount;
        // A picture listed through the gay list alone shows that list's match.
        const KeywordHit shown = explicitHit ? explicitHit : gayHit;
        const std::string location = "<B>Location on YOUR Computer: </B><I>" +
                                     HtmlEscape(entry.LocalFileName()) +
                                     "</I><BR><A HREF=" + pass.link() + kPictureLink;
        if (number < 500) {
            first.writeLine(PictureLine(entry.LocalFileName(), pass.shownFolder()));
            first.writeLine(SourceLine(entry.SourceUrlName(), shown));
            first.writeLine(location + "<BR><HR WIDTH=95% ALIGN=LEFT><BR>");
            if (number % 25 == 0)
                first.writeLine(NavigationBar(NavigationOwner::Explicit));
            if (number == 499)
                first.writeLine("<H2><A HREF=Vorlith_images2.html>Goto Page 2!</A></H2>");
        } else {
            if (number % 25 == 0)
                second.writeLine(NavigationBar(NavigationOwner::None));
            second.writeLine(PictureLine(entry.LocalFileName(), pass.shownFolder()));
            second.writeLine(SourceLine(entry.SourceUrlName(), shown));
            second.writeLine(location + "<BR><HR><BR>");
        }
    });
    pass.finish();
}

struct CategoryPage {
    const char* status;
    KeywordList list;
    PageId page;
    int64_t UrlCachePageCounts::*counter;
    NavigationOwner owner;
    const char* lineEnding;
};

// False when the run was cancelled at the pass's start.
bool writeCategoryPage(ImagePass& pass, const CategoryPage& category, UrlCachePageCounts& counts) {
    PageFile& page = pass.page(category.page);
    pass.begin(category.status, static_cast<int64_t>(pass.size()));
    if (pass.cancelled())
        return false;
    int64_t& counter = counts.*category.counter;
    const auto& pictures = pass.bits(Fact::Picture);
    const auto& matches = pass.bits(category.list);
    ForEachFile(
        pass.entries(), [&](size_t word) { return pictures[word] & matches[word]; },
        [&](size_t index) {
            pass.reach(index);
            const UrlCacheEntryRef entry = pass.entry(index);
            if (++counter % 25 == 0)
                page.writeLine(NavigationBar(category.owner));
            page.writeLine(PictureLine(entry.LocalFileName(), pass.shownFolder()));
            page.writeLine(SourceLine(entry.SourceUrlName(), pass.hit(category.list, index)));
            page.writeLine("<B>Location on Your Computer: </B><I>" +
                           HtmlEscape(entry.LocalFileName()) + "</I><BR><A HREF=" + pass.link() +
                           kPictureLink + category.lineEnding);
        });
    pass.finish();
    return true;
}

} // namespace

bool IsPicture(std::string_view address) {
    // Both endings end in "g": the last byte rules out most addresses at once.
    if (address.empty() || LowerAscii(address.back()) != 'g')
        return false;
    return EndsWithNoCase(address, "jpg") || EndsWithNoCase(address, "jpeg");
}

bool IsTeenPicture(std::string_view address) {
    return IsPicture(address) || EndsWithNoCase(address, "png");
}

std::string PictureLine(std::string_view localFile, std::string_view reportFolder) {
    return "<IMG SRC=\"" + LocalFileUrl(localFile, reportFolder) + "\"><BR CLEAR=LEFT>";
}

std::string SourceLine(std::string_view address, KeywordHit match) {
    // Cut the raw address first, so that the positions are those the search gave, then escape
    // each piece.
    const size_t size = address.size();
    const size_t start =
        match.position > 0 ? std::min(size, static_cast<size_t>(match.position) - 1) : size;
    const size_t end = std::min(size, start + static_cast<size_t>(std::max(match.length, 0)));
    return "<B>Where YOU Downloaded the Image: </B><I>" + HtmlEscape(address.substr(0, start)) +
           "<FONT COLOR=#FF0000><B>" + HtmlEscape(address.substr(start, end - start)) +
           "</B></FONT>" + HtmlEscape(address.substr(end)) + "</I><BR>";
}

std::string NavigationBar(NavigationOwner owner) {
    struct Item {
        NavigationOwner owner;
        const char* label;
        const char* target;
        const char* close;
    };
    static constexpr Item kItems[] = {
        {NavigationOwner::Explicit, "Explicit", "Vorlith_images.html", "</A>"},
        {NavigationOwner::Gambling, "Gambling", "Vorlith_gambling.html", "</A>"},
        {NavigationOwner::Personals, "Dating/Personals", "Vorlith_social.html", "</A>"},
        {NavigationOwner::Sports, "Sports", "Vorlith_sports.html", "</A>"},
        {NavigationOwner::News, "News/Media", "Vorlith_news.html", "</a>"}};
    std::string bar = "<B>View other Suspect Images on Your Computer:<BR>";
    bool first = true;
    for (const Item& item : kItems) {
        if (!first)
            bar += " - ";
        first = false;
        if (item.owner == owner)
            bar += std::string("[") + item.label + "]";
        else
            bar += std::string("[<A HREF=") + item.target + ">" + item.label + item.close + "]";
    }
    return bar + "</B><BR><BR>";
}

PhaseEnd WriteImagePages(PageRun& run, const ImagePagesInput& input, UrlCachePageCounts& counts) {
    ImagePass pass(run, input);
    const int64_t totalTraces = run.totals.TotalTraces;

    // Pre-counts: the totals at the top of the explicit and teen pages count jpg and jpeg
    // pictures matched by their own list only.
    counts.ExplicitImageCount = pass.countPictures(
        "Searching for Explicit Files on YOUR Computer...", KeywordList::Explicit);
    PageFile& images = pass.page(PageId::Images);
    images.writeLine(totalTracesLine(totalTraces));
    images.writeLine(explicitTotalLine(counts.ExplicitImageCount) + "<BR>");

    counts.TeenImageCount =
        pass.countPictures("Searching for Illegal Files on YOUR Computer...", KeywordList::Teen);
    PageFile& teen = pass.page(PageId::Teen);
    teen.writeLine(totalTracesLine(totalTraces));
    teen.writeLine(explicitTotalLine(counts.ExplicitImageCount));
    teen.writeLine(
        "<H2>Total potential ILLEGAL Traces Found on your Computer: <FONT COLOR=#FF0000><B>" +
        FormatThousands(static_cast<double>(counts.TeenImageCount)) + "</B></FONT></H2><BR>");

    counts.GamblingImageCount = pass.countPictures(
        "Searching for Gambling Files on YOUR Computer...", KeywordList::Gambling);
    counts.PersonalsImageCount = pass.countPictures(
        "Searching for Social Files (ie MySpace) on YOUR Computer...", KeywordList::Personals);
    counts.SportsImageCount =
        pass.countPictures("Searching for Sports Files on YOUR Computer...", KeywordList::Sports);
    counts.NewsImageCount =
        pass.countPictures("Searching for News Files on YOUR Computer...", KeywordList::News);
    counts.GayImageCount =
        pass.countPictures("Searching for Explicit Files on YOUR Computer...", KeywordList::Gay);

    if (pass.cancelled())
        return PhaseEnd::Stopped;
    if (input.writeUninstallNotice)
        input.writeUninstallNotice();
    // The page passes count again; the gay count stays 0 (its pictures are on the explicit
    // pages).
    counts.ExplicitImageCount = 0;
    counts.GamblingImageCount = 0;
    counts.PersonalsImageCount = 0;
    counts.SportsImageCount = 0;
    counts.NewsImageCount = 0;
    counts.TeenImageCount = 0;
    counts.GayImageCount = 0;

    writeTeenPage(pass, counts);
    if (pass.cancelled())
        return PhaseEnd::Stopped;

    writeExplicitPages(pass, counts);

    const CategoryPage categories[] = {
        {"Locating Gambling Files on YOUR Computer...", KeywordList::Gambling, PageId::Gambling,
         &UrlCachePageCounts::GamblingImageCount, NavigationOwner::Gambling,
         "<BR><HR WIDTH=95% ALIGN=LEFT><BR>"},
        {"Locating Personals Files on YOUR Computer...", KeywordList::Personals, PageId::Social,
         &UrlCachePageCounts::PersonalsImageCount, NavigationOwner::Personals, "<BR><HR><BR>"},
        {"Locating Sports Files on YOUR Computer...", KeywordList::Sports, PageId::Sports,
         &UrlCachePageCounts::SportsImageCount, NavigationOwner::Sports, "<BR><HR><BR>"},
        {"Locating News Files on YOUR Computer...", KeywordList::News, PageId::News,
         &UrlCachePageCounts::NewsImageCount, NavigationOwner::News, "<BR><HR><BR>"}};
    for (const CategoryPage& category : categories) {
        if (!writeCategoryPage(pass, category, counts))
            return PhaseEnd::Stopped;
    }
    return PhaseEnd::Finished;
}

} // namespace vorlith
