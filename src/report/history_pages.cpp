#include "report/history_pages.h"

#include "report/html_text.h"
#include "report/links.h"
#include "report/page_frame.h"
#include "report/page_set.h"

#include <algorithm>
#include <array>
#include <iterator>
#include <optional>

namespace vorlith {
namespace {

// The five category passes ask one list each, in this order; the sixth ("Other") lists the
// entries none of them matches.
constexpr size_t kCategoryPasses = 5;
constexpr size_t kOtherPass = 5;
constexpr std::array<KeywordList, kCategoryPasses> kPassLists{
    KeywordList::Explicit, KeywordList::Gambling, KeywordList::Personals, KeywordList::Sports,
    KeywordList::News};
constexpr std::array<const char*, kCategoryPasses> kPassColors{"#FF0000", "#FF00FF", "#800000",
                                                               "#808000", "#008000"};
constexpr std::array<const char*, kCategoryPasses + 1> kPassNames{
    "Explicit", "Gambling", "Personals", "Sports", "News", "Other"};

constexpr size_t kLinkTextCharacters = 100;

// The entries each pass lists, worked out once, since an entry's results never change within an
// audit: category pass p lists the entries whose address the list of pass p matches, the other
// pass the listed entries none of them matches. Each pass then walks its own entries, in list
// order, without asking every entry again. Also what each pass's searches leave in the shared
// match state: a category pass asks its own list, the other pass all five in order, and each
// successful search leaves its keyword's length there. Only the last one of a pass counts.
struct PageClasses {
    std::array<std::vector<uint32_t>, kCategoryPasses + 1> members; // per pass, entry indexes
    std::vector<uint32_t> addressStart; // where the address begins in the entry's name
    std::array<int32_t, kCategoryPasses + 1> lastLength; // per pass; -1: no search succeeded

    // `address(i)` is entry i's address, a part of its name from `start` on, or std::nullopt
    // when the page does not list it; it is asked once for each entry, in list order.
    template <typename Address> PageClasses(size_t count, Address address) {
        addressStart.assign(count, 0);
        lastLength.fill(-1);
        for (size_t i = 0; i < count; ++i) {
            uint32_t start = 0;
            const std::optional<std::string_view> text = address(i, start);
            if (!text)
                continue;
            addressStart[i] = start;
            const KeywordHits all = FindKeywords(*text); // one pass over the address for every list
            bool any = false;
            for (size_t pass = 0; pass < kCategoryPasses; ++pass) {
                const KeywordHit hit = all[kPassLists[pass]];
                if (!hit)
                    continue;
                any = true;
                members[pass].push_back(static_cast<uint32_t>(i));
                lastLength[pass] = hit.length;
                lastLength[kOtherPass] = hit.length;
            }
            if (!any)
                members[kOtherPass].push_back(static_cast<uint32_t>(i));
        }
    }

    void noteSearches(KeywordSearch& search, size_t pass) const {
        if (lastLength[pass] >= 0)
            search.MatchedKeywordLength = lastLength[pass];
    }
};

// The entries of a pass, in list order, for VisitAhead: a category pass lists a few entries out
// of many, whose records and texts are asked for ahead.
class Members {
public:
    explicit Members(const std::vector<uint32_t>& members) : m_members(&members) {}
    bool next(size_t& index) {
        if (m_next == m_members->size())
            return false;
        index = (*m_members)[m_next++];
        return true;
    }

private:
    const std::vector<uint32_t>* m_members;
    size_t m_next = 0;
};

// The first characters of UTF-8 text, never cutting a character in two (a byte that continues
// a sequence belongs to the character before it).
std::string_view firstCharacters(std::string_view text, size_t count) {
    if (text.size() <= count)
        return text; // no more bytes, so no more characters
    size_t characters = 0;
    for (size_t pos = 0; pos < text.size(); ++pos) {
        const auto byte = static_cast<unsigned char>(text[pos]);
        if ((byte & 0xC0) == 0x80)
            continue;
        if (characters == count)
            return text.substr(0, pos);
        ++characters;
    }
    return text;
}

std::string rowOpening(size_t pass) {
    if (pass < kCategoryPasses)
        return std::string(" TARGET=_BLANK><FONT COLOR=") + kPassColors[pass] + "><B>";
    return " TARGET=_BLANK><FONT SIZE=-1 COLOR=#0000FF>";
}

// Room for the parts of a row besides its texts from the entry.
constexpr size_t kRowRoom = 256;

void writeDateCell(PageFile& page, const UrlCacheEntryRef& entry) {
    PageLine line = page.beginLine(kRowRoom);
    line.printable("<TR WIDTH=95%><TD WIDTH=12%><FONT SIZE=-1>");
    line.date(entry.LastAccessTime());
    line.printable("</FONT></TD>");
    page.endLine(line);
}

// The texts of a row that depend on its pass: the link's opening, what follows the link text,
// and the row's end.
struct RowTexts {
    std::string_view opening;
    std::string_view closing;
    std::string_view end;
};

// Starts progress for one pass over the list as a pass that looks at each entry in turn leaves
// it: the maximum and the position of its last entry.
void finishPass(ProgressSink& progress, size_t count) {
    if (count == 0)
        return;
    progress.setProgressMaximum(static_cast<int64_t>(count));
    progress.setProgress(static_cast<int64_t>(count));
}

struct TableTexts {
    const char* heading;     // "<H3>...</H3>"
    const char* legendTitle; // first cell of the colour legend
    const char* columnRow;   // the table's header row
    const char* listName;    // "History" or "Cookies" in the status texts
};

void writeTableHead(PageFile& page, int64_t totalTraces, const TableTexts& texts) {
    page.writeLine(kTracesWarningLine);
    page.writeLine("<H3><A HREF=" + ErazentPurchaseLink(totalTraces) +
                   " TARGET=_BLANK><B>Use Erazent to Securely Delete these Traces Now!</B></a>"
                   "</H3>");
    page.writeLine(texts.heading);
    page.writeLine("<TABLE CELLSPACING=0 CELLPADDING=0 WIDTH=95% BORDER=1>");
    page.writeLine(std::string("<TR><TD WIDTH=22%><CENTER><B>") + texts.legendTitle +
                   "</B></CENTER></TD></TD><TD WIDTH=12% BGCOLOR=#FF0000><FONT "
                   "COLOR=#FFFFFF><CENTER><B>Explicit</B></CENTER></FONT></TD><TD WIDTH=12% "
                   "BGCOLOR=#FF00FF><FONT COLOR=#FFFFFF><CENTER><B>Gambling<B></CENTER></FONT>"
                   "</TD>");
    page.writeLine("<TD WIDTH=12% BGCOLOR=#800000><FONT COLOR=#FFFFFF><CENTER><B>Dating/"
                   "Personals</B></CENTER></FONT></TD><TD WIDTH=12% BGCOLOR=#808000><FONT "
                   "COLOR=#FFFFFF><CENTER><B>Sports</B></CENTER></FONT></TD><TD WIDTH=12% "
                   "BGCOLOR=#008000><FONT COLOR=#FFFFFF><CENTER><B>News/Media</B></CENTER></FONT>"
                   "</TD>");
    page.writeLine("<TD WIDTH=13% BGCOLOR=#0000FF><FONT COLOR=#FFFFFF><CENTER><B>Other</B>"
                   "</CENTER></FONT></TD></TR>");
    page.writeLine("</TABLE>");
    page.writeLine("<TABLE WIDTH=95% CELLSPACING=0 CELLPADDING=0 BORDER=0>");
    page.writeLine(texts.columnRow);
}

void startPass(ProgressSink& progress, const TableTexts& texts, size_t pass) {
    progress.setStatus(std::string("Locating ") + kPassNames[pass] + " " + texts.listName +
                       " on YOUR Computer...");
    progress.setProgress(0);
}

constexpr TableTexts kHistoryTexts{
    "<H3>Internet History located on YOUR Computer:</H3>", "Internet History - Color Legend:",
    "<TR><TD><B>Last Visted</B></TD><TD><B>Web Addresses You've Visited - Explicit Web "
    "Addresses in RED</B></TD></TR>",
    "History"};

constexpr TableTexts kCookieTexts{
    "<H3>Website Cookies located on YOUR Computer:</H3>", "Internet Cookies - Color Legend:",
    "<TR><TD><B>Last Accessed</B></TD><TD><B>Cookie File on YOUR Computer - Explicit Cookie "
    "files in RED</B></TD></TR>",
    "Cookies"};

} // namespace

std::string_view HistoryAddress(std::string_view sourceUrlName) {
    const size_t at = sourceUrlName.find('@');
    return at == std::string_view::npos ? sourceUrlName : sourceUrlName.substr(at + 1);
}

bool IsHistoryCandidate(std::string_view address) {
    if (!address.starts_with("http"))
        return false;
    const std::string_view ending = address.substr(address.size() - 3);
    return ending != "gif" && ending != "jpg" && ending != "zip";
}

PhaseEnd WriteHistoryPage(PageRun& run, const UrlCacheList& history, KeywordSearch& search,
                          UrlCachePageCounts& counts) {
    ProgressSink& progress = run.progress;
    PageFile& page = run.pages.page(PageId::History);
    progress.setStatus("Locating Internet History on YOUR Computer...");
    progress.setProgress(0);
    writeTableHead(page, run.totals.TotalTraces, kHistoryTexts);

    // Entries the page never lists (not an http address, or a picture or archive) are not
    // searched at all. The one look at every entry also adds up its size and hits.
    const PageClasses classes(history.size(),
                              [&](size_t i, uint32_t& start) -> std::optional<std::string_view> {
                                  const UrlCacheEntryRef entry = history[i];
                                  counts.CacheSizeTotal += static_cast<double>(entry.Size());
                                  counts.HistoryHits += entry.HitRate();
                                  const std::string_view name = entry.SourceUrlName();
                                  const std::string_view address = HistoryAddress(name);
                                  if (!IsHistoryCandidate(address))
                                      return std::nullopt;
                                  start = static_cast<uint32_t>(address.data() - name.data());
                                  return address;
                              });

    for (size_t pass = 0; pass <= kOtherPass; ++pass) {
        startPass(progress, kHistoryTexts, pass);
        if (run.run.isCanceled())
            return PhaseEnd::Stopped;
        const std::string opening = rowOpening(pass);
        const RowTexts texts{opening,
                             pass < kCategoryPasses ? "</B></FONT></A> - Site visited <B>"
                                                    : "</FONT></A> - Site visited <B>",
                             pass < kCategoryPasses ? "</B> time(s).</TD></TR>"
                                                    : "</B> time(s).</FONT></TD></TR>"};
        VisitAhead(history, Members(classes.members[pass]), [&](size_t i) {
            const UrlCacheEntryRef entry = history[i];
            const std::string_view address = entry.SourceUrlName().substr(classes.addressStart[i]);
            writeDateCell(page, entry);
            // The link text is no longer than the address.
            PageLine line = page.beginLine(kRowRoom + 12 * address.size());
            line.printable("<TD WIDTH=83%><A HREF=\"");
            const char* before = line.end();
            line.escaped(address);
            // The link text is the address's first characters: when the address needed no
            // escaping and is printable ASCII, they are its first bytes, which go in as they are.
            const bool unchanged =
                line.isPrintable() && static_cast<size_t>(line.end() - before) == address.size();
            line.printable("\"");
            line.printable(texts.opening);
            if (unchanged)
                line.printable(address.substr(0, kLinkTextCharacters));
            else
                line.escaped(firstCharacters(address, kLinkTextCharacters));
            line.printable(texts.closing);
            line.number(entry.HitRate());
            line.printable(texts.end);
            page.endLine(line);
            if (pass < kCategoryPasses)
                ++counts.SuspectHistory;
        });
        classes.noteSearches(search, pass);
        finishPass(progress, history.size());
    }
    page.writeLine("</TABLE>");
    return PhaseEnd::Finished;
}

void WriteCookiePage(PageRun& run, const UrlCacheList& cookies, KeywordSearch& search,
                     UrlCachePageCounts& counts) {
    ProgressSink& progress = run.progress;
    PageFile& page = run.pages.page(PageId::Cookies);
    writeTableHead(page, run.totals.TotalTraces, kCookieTexts);

    const PageClasses classes(cookies.size(),
                              [&](size_t i, uint32_t&) -> std::optional<std::string_view> {
                                  const UrlCacheEntryRef entry = cookies[i];
                                  counts.CacheSizeTotal += static_cast<double>(entry.Size());
                                  counts.CookieReads += entry.HitRate();
                                  return entry.SourceUrlName();
                              });

    for (size_t pass = 0; pass <= kOtherPass; ++pass) {
        startPass(progress, kCookieTexts, pass);
        const std::string opening = rowOpening(pass);
        const std::string_view closing = pass < kCategoryPasses
                                             ? "</B></FONT></A> - Cookie read <B>"
                                             : "</FONT></A> - Cookie read <B>";
        VisitAhead(cookies, Members(classes.members[pass]), [&](size_t i) {
            const UrlCacheEntryRef entry = cookies[i];
            writeDateCell(page, entry);
            const std::string_view file = entry.LocalFileName();
            const std::string_view name = entry.SourceUrlName();
            PageLine line = page.beginLine(kRowRoom + 6 * (file.size() + name.size()));
            line.printable("<TD WIDTH=83%><A HREF=\"");
            line.fileUrl(file);
            line.printable("\"");
            line.printable(opening);
            line.escaped(name);
            line.printable(closing);
            line.number(entry.HitRate());
            line.printable("</B> time(s).</TD></TR>");
            page.endLine(line);
            if (pass < kCategoryPasses)
                ++counts.SuspectCookies;
        });
        classes.noteSearches(search, pass);
        finishPass(progress, cookies.size());
    }
    page.writeLine("</TABLE>");
}

} // namespace vorlith
