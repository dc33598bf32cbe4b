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

enum class PictureKind : uint8_t { None, Jpeg, Png };

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

// One audit's walk of the cached-file list, pass after pass: the progress display, the picture
// kinds worked out once, and the keyword results through the memo.
class ImagePass {
public:
    ImagePass(PageRun& run, const ImagePagesInput& input)
        : m_run(run), m_entries(input.CacheContentList), m_keywords(input.contentKeywords),
          m_link(ErazentPurchaseLink(run.totals.TotalTraces)) {
        m_kinds.reserve(m_entries.size());
        for (const UrlCacheEntry& entry : m_entries) {
            const std::string_view address = entry.SourceUrlName;
            m_kinds.push_back(IsPicture(address)       ? PictureKind::Jpeg
                              : IsTeenPicture(address) ? PictureKind::Png
                                                       : PictureKind::None);
        }
    }

    size_t size() const { return m_entries.size(); }
    const UrlCacheEntry& entry(size_t index) const { return m_entries[index]; }
    bool isPicture(size_t index) const { return m_kinds[index] == PictureKind::Jpeg; }
    bool isTeenPicture(size_t index) const { return m_kinds[index] != PictureKind::None; }
    KeywordHit hit(KeywordList list, size_t index) {
        return m_keywords.hit(list, index, m_entries[index].SourceUrlName);
    }
    const std::string& link() const { return m_link; }
    PageFile& page(PageId id) { return m_run.pages.page(id); }
    const std::string& shownFolder() const { return m_run.pages.shownFolder(); }

    /// The status text and the progress value 0 that open every pass.
    void begin(const char* status) {
        m_run.progress.setStatus(status);
        m_run.progress.setProgress(0);
    }
    /// Set before an entry's work.
    void setMaximum(int64_t maximum) {
        m_maximum = maximum;
        m_run.progress.setProgressMaximum(maximum);
    }
    /// After the work of the entry with 1-based position `position`: a yield every 20 entries,
    /// then the progress value. A value above the maximum (the teen pass's fixed maximum) is
    /// refused by a progress bar; it keeps the maximum.
    void advance(int64_t position) {
        if (position % 20 == 0)
            m_run.run.yield();
        m_run.progress.setProgress(std::min(position, m_maximum));
    }
    /// A cancel point: true when the run was cancelled.
    bool cancelled() const { return m_run.run.isCanceled(); }

    /// A pre-count: the pictures (jpg, jpeg) that the list matches.
    int64_t countPictures(const char* status, KeywordList list) {
        begin(status);
        int64_t count = 0;
        for (size_t index = 0; index < size(); ++index) {
            setMaximum(static_cast<int64_t>(size()));
            if (isPicture(index) && hit(list, index))
                ++count;
            advance(static_cast<int64_t>(index) + 1);
        }
        return count;
    }

private:
    PageRun& m_run;
    const std::vector<UrlCacheEntry>& m_entries;
    KeywordMemo& m_keywords;
    std::vector<PictureKind> m_kinds;
    std::string m_link; // TotalTraces is fixed while these pages are written
    int64_t m_maximum = 0; // of the progress bar
};

void writeTeenPage(ImagePass& pass, UrlCachePageCounts& counts) {
    PageFile& page = pass.page(PageId::Teen);
    pass.begin("Locating Potential ILLEGAL Files on YOUR Computer...");
    for (size_t index = 0; index < pass.size(); ++index) {
        pass.setMaximum(100000);
        if (pass.isTeenPicture(index)) {
            if (KeywordHit hit = pass.hit(KeywordList::Teen, index)) {
                const UrlCacheEntry& entry = pass.entry(index);
                page.writeLine("<FONT COLOR=#FF0000><B>Potentially ILLEGAL teen image file "
                               "detected on YOUR Computer!  If there is a nude person in this "
                               "image not over 18, this image is ILLEGAL!</B></FONT><P>");
                page.writeLine(PictureLine(entry.LocalFileName, pass.shownFolder()));
                page.writeLine(SourceLine(entry.SourceUrlName, hit));
                page.writeLine("<B>Location on YOUR Computer: </B><I>" +
                               HtmlEscape(entry.LocalFileName) + "</I><BR>");
                page.writeLine("<A HREF=" + pass.link() + kPictureLink + "<BR><HR><BR>");
                ++counts.TeenImageCount;
            }
        }
        pass.advance(static_cast<int64_t>(index) + 1);
    }
}

void writeExplicitPages(ImagePass& pass, UrlCachePageCounts& counts) {
    PageFile& first = pass.page(PageId::Images);
    PageFile& second = pass.page(PageId::Images2);
    PageFile& videos = pass.page(PageId::Videos);
    pass.begin("Locating Explicit Files on YOUR Computer...");
    for (size_t index = 0; index < pass.size(); ++index) {
        pass.setMaximum(static_cast<int64_t>(pass.size()));
        const UrlCacheEntry& entry = pass.entry(index);
        counts.CacheSizeTotal += static_cast<double>(entry.Size);
        if (!pass.isPicture(index)) {
            WriteVideoItem(videos, entry, pass.link(), pass.shownFolder());
        } else {
            const KeywordHit explicitHit = pass.hit(KeywordList::Explicit, index);
            const KeywordHit gayHit = pass.hit(KeywordList::Gay, index);
            if (explicitHit || gayHit) {
                const int64_t number = ++counts.ExplicitImageCount;
                // A picture listed through the gay list alone shows that list's match.
                const KeywordHit shown = explicitHit ? explicitHit : gayHit;
                const std::string location = "<B>Location on YOUR Computer: </B><I>" +
                                             HtmlEscape(entry.LocalFileName) +
                                             "</I><BR><A HREF=" + pass.link() + kPictureLink;
                if (number < 500) {
                    first.writeLine(PictureLine(entry.LocalFileName, pass.shownFolder()));
                    first.writeLine(SourceLine(entry.SourceUrlName, shown));
                    first.writeLine(location + "<BR><HR WIDTH=95% ALIGN=LEFT><BR>");
                    if (number % 25 == 0)
                        first.writeLine(NavigationBar(NavigationOwner::Explicit));
                    if (number == 499)
                        first.writeLine("<H2><A HREF=Vorlith_images2.html>Goto Page 2!</A></H2>");
                } else {
                    if (number % 25 == 0)
                        second.writeLine(NavigationBar(NavigationOwner::None));
                    second.writeLine(PictureLine(entry.LocalFileName, pass.shownFolder()));
                    second.writeLine(SourceLine(entry.SourceUrlName, shown));
                    second.writeLine(location + "<BR><HR><BR>");
                }
            }
        }
        pass.advance(static_cast<int64_t>(index) + 1);
    }
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
    pass.begin(category.status);
    if (pass.cancelled())
        return false;
    int64_t& counter = counts.*category.counter;
    for (size_t index = 0; index < pass.size(); ++index) {
        pass.setMaximum(static_cast<int64_t>(pass.size()));
        if (pass.isPicture(index)) {
            if (KeywordHit hit = pass.hit(category.list, index)) {
                const UrlCacheEntry& entry = pass.entry(index);
                if (++counter % 25 == 0)
                    page.writeLine(NavigationBar(category.owner));
                page.writeLine(PictureLine(entry.LocalFileName, pass.shownFolder()));
                page.writeLine(SourceLine(entry.SourceUrlName, hit));
                page.writeLine("<B>Location on Your Computer: </B><I>" +
                               HtmlEscape(entry.LocalFileName) + "</I><BR><A HREF=" + pass.link() +
                               kPictureLink + category.lineEnding);
            }
        }
        pass.advance(static_cast<int64_t>(index) + 1);
    }
    return true;
}

} // namespace

bool IsPicture(std::string_view address) {
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
