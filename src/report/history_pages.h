#pragma once
// The web-history page (page 12) and the web-cookies page (page 13): one table each, the
// entries of one URL-cache list grouped by content category in six coloured passes (explicit,
// gambling, personals, sports, news, then every entry none of those five lists matches).

#include "base/calendar.h"
#include "classify/keywords.h"
#include "report/page_run.h"
#include "report/url_cache_counts.h"
#include "sources/url_cache.h"

#include <string>
#include <string_view>
#include <vector>

namespace vorlith {

/// The visited address of a history entry's name: the part after its first "@", or the whole
/// name when it holds none.
std::string_view HistoryAddress(std::string_view sourceUrlName);

/// True when the history page lists the address at all: it begins with "http" and its last
/// three characters are none of "gif", "jpg" and "zip" (both tests exact and case-sensitive).
bool IsHistoryCandidate(std::string_view address);

/// Writes the body of the history page from the history list. Adds every entry's Size to
/// counts.CacheSizeTotal and its HitRate to counts.HistoryHits, and 1 to counts.SuspectHistory
/// for every row of the five category passes. The cancel flag is looked at only at the start of
/// each of the six passes: when it is raised there, nothing more is written and Stopped comes
/// back. Text from the entries is escaped for HTML; a link shows at most the first
/// 100 characters of its address. The searches keep search.MatchedKeywordLength as the five
/// keyword operations would leave it.
PhaseEnd WriteHistoryPage(PageRun& run, const UrlCacheList& history, KeywordSearch& search,
                          UrlCachePageCounts& counts);

/// Writes the body of the cookie page from the cookie list, with no cancel test: the same six passes
/// over every cookie's whole name (no "@" cut, no address filter), each row linking to the cookie
/// file. Adds every entry's Size to counts.CacheSizeTotal and its HitRate to counts.CookieReads,
/// and 1 to counts.SuspectCookies for every row of the five category passes.
void WriteCookiePage(PageRun& run, const UrlCacheList& cookies, KeywordSearch& search,
                     UrlCachePageCounts& counts);

} // namespace vorlith
