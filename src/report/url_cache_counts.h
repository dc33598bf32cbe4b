#pragma once
// Counters of the URL-cache audit: set to 0 when it starts, filled by the image pages and the
// history and cookie pages, and printed by the summary page.

#include <cstdint>

namespace vorlith {

struct UrlCachePageCounts {
    // Pictures listed on each category's pages (the explicit and teen counts are the page counts
    // once the pages are written; the gay count is set back to 0 before the pages).
    int64_t ExplicitImageCount = 0;
    int64_t TeenImageCount = 0;
    int64_t GamblingImageCount = 0;
    int64_t PersonalsImageCount = 0;
    int64_t SportsImageCount = 0;
    int64_t NewsImageCount = 0;
    int64_t GayImageCount = 0;

    // History and cookie rows written in a suspect category (one per category that listed the
    // entry), and the visits and reads of every history and cookie entry.
    int64_t SuspectHistory = 0;
    int64_t SuspectCookies = 0;
    int64_t HistoryHits = 0;
    int64_t CookieReads = 0;

    // Bytes of the cached files, then of the history and cookie entries, as a double like the
    // summary prints it.
    double CacheSizeTotal = 0;
};

} // namespace vorlith
