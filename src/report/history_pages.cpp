#include "report/history_pages.h"

#include "report/html_text.h"
#include "report/links.h"
#include "report/page_frame.h"
#include "report/page_set.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <iterator>

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

// The five lists' results for one address. An entry's results never change within an audit, so
// they are searched once and read by all six passes.
using ListMatches = std::array<KeywordHit, kCategoryPasses>;

ListMatches searchLists(std::string_view address) {
    const KeywordHits all = FindKeywords(address); // one pass over the address for every list
    ListMatches matches;
    for (size_t list = 0; list < kCategoryPasses; ++list)
        matches[list] = all[kPassLists[list]];
    return matches;
}

bool passHolds(const ListMatches& matches, size_t pass) {
    if (pass < kCategoryPasses)
        return static_cast<bool>(matches[pass]);
    return std::none_of(matches.begin(), matches.end(),
                        [](const KeywordHit& hit) { return static_cast<bool>(hit); });
}

// A category pass asks its own list, the other pass all five in order; each successful search
// leaves its keyword's length in the shared match state.
void noteSearches(KeywordSearch& search, const ListMatches& matches, size_t pass) {
    if (pass < kCategoryPasses) {
        search.Record(matches[pass]);
        return;
    }
    for (const KeywordHit& hit : matches)
        search.Record(hit);
}

// The first characters of UTF-8 text, never cutting a character in two (a byte that continues
// a sequence belongs to the character before it).
std::string_view firstCharacters(std::string_view text, size_t count) {
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

void appendNumber(std::string& out, int64_t value) {
    char digits[24];
    const auto result = std::to_chars(std::begin(digits), std::end(digits), value);
    out.append(digits, result.ptr);
}

void writeDateCell(PageFile& page, std::string& line, const DateTime& lastAccess) {
    line.assign("<TR WIDTH=95%><TD WIDTH=12%><FONT SIZE=-1>");
    AppendGeneralDate(line, lastAccess);
    line += "</FONT></TD>";
    page.writeLine(line);
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

PhaseEnd WriteHistoryPage(PageRun& run, const std::vector<UrlCacheEntry>& history,
                          KeywordSearch& search, UrlCachePageCounts& counts) {
    ProgressSink& progress = run.progress;
    PageFile& page = run.pages.page(PageId::History);
    progress.setStatus("Locating Internet History on YOUR Computer...");
    progress.setProgress(0);
    writeTableHead(page, run.totals.TotalTraces, kHistoryTexts);

    // Entries the page never lists (not an http address, or a picture or archive) are not
    // searched at all.
    std::vector<std::string_view> addresses(history.size());
    std::vector<ListMatches> matches(history.size());
    std::vector<bool> candidates(history.size());
    for (size_t i = 0; i < history.size(); ++i) {
        addresses[i] = HistoryAddress(history[i].SourceUrlName);
        candidates[i] = IsHistoryCandidate(addresses[i]);
        if (candidates[i])
            matches[i] = searchLists(addresses[i]);
    }

    const auto entryCount = static_cast<int64_t>(history.size());
    std::string line;
    for (size_t pass = 0; pass <= kOtherPass; ++pass) {
        startPass(progress, kHistoryTexts, pass);
        if (run.run.isCanceled())
            return PhaseEnd::Stopped;
        const std::string opening = rowOpening(pass);
        const char* closing = pass < kCategoryPasses ? "</B></FONT></A> - Site visited <B>"
                                                     : "</FONT></A> - Site visited <B>";
        const char* end =
            pass < kCategoryPasses ? "</B> time(s).</TD></TR>" : "</B> time(s).</FONT></TD></TR>";
        for (size_t i = 0; i < history.size(); ++i) {
            const UrlCacheEntry& entry = history[i];
            progress.setProgressMaximum(entryCount);
            if (pass == 0) {
                counts.CacheSizeTotal += static_cast<double>(entry.Size);
                counts.HistoryHits += entry.HitRate;
            }
            if (candidates[i]) {
                noteSearches(search, matches[i], pass);
                if (passHolds(matches[i], pass)) {
                    const std::string_view address = addresses[i];
                    writeDateCell(page, line, entry.LastAccessTime);
                    line.assign("<TD WIDTH=83%><A HREF=\"");
                    AppendHtmlEscaped(line, address);
                    line += '"';
                    line += opening;
                    AppendHtmlEscaped(line, firstCharacters(address, kLinkTextCharacters));
                    line += closing;
                    appendNumber(line, entry.HitRate);
                    line += end;
                    page.writeLine(line);
                    if (pass < kCategoryPasses)
                        ++counts.SuspectHistory;
                }
            }
            progress.setProgress(static_cast<int64_t>(i + 1));
        }
    }
    page.writeLine("</TABLE>");
    return PhaseEnd::Finished;
}

void WriteCookiePage(PageRun& run, const std::vector<UrlCacheEntry>& cookies, KeywordSearch& search,
                     UrlCachePageCounts& counts) {
    ProgressSink& progress = run.progress;
    PageFile& page = run.pages.page(PageId::Cookies);
    writeTableHead(page, run.totals.TotalTraces, kCookieTexts);

    std::vector<ListMatches> matches(cookies.size());
    for (size_t i = 0; i < cookies.size(); ++i)
        matches[i] = searchLists(cookies[i].SourceUrlName);

    const auto entryCount = static_cast<int64_t>(cookies.size());
    std::string line;
    for (size_t pass = 0; pass <= kOtherPass; ++pass) {
        startPass(progress, kCookieTexts, pass);
        const std::string opening = rowOpening(pass);
        const char* closing = pass < kCategoryPasses ? "</B></FONT></A> - Cookie read <B>"
                                                     : "</FONT></A> - Cookie read <B>";
        for (size_t i = 0; i < cookies.size(); ++i) {
            const UrlCacheEntry& entry = cookies[i];
            progress.setProgressMaximum(entryCount);
            if (pass == 0) {
                counts.CacheSizeTotal += static_cast<double>(entry.Size);
                counts.CookieReads += entry.HitRate;
            }
            noteSearches(search, matches[i], pass);
            if (passHolds(matches[i], pass)) {
                writeDateCell(page, line, entry.LastAccessTime);
                line.assign("<TD WIDTH=83%><A HREF=\"");
                line += FileUrl(entry.LocalFileName);
                line += '"';
                line += opening;
                AppendHtmlEscaped(line, entry.SourceUrlName);
                line += closing;
                appendNumber(line, entry.HitRate);
                line += "</B> time(s).</TD></TR>";
                page.writeLine(line);
                if (pass < kCategoryPasses)
                    ++counts.SuspectCookies;
            }
            progress.setProgress(static_cast<int64_t>(i + 1));
        }
    }
    page.writeLine("</TABLE>");
}

} // namespace vorlith
