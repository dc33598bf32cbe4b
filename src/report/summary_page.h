#pragma once
// The summary page: the optional uninstall notice, every total in its order, the
// galleries of suspect pictures and the closing link or warning about the teen pictures.

#include "classify/keywords.h"
#include "report/cached_file_classes.h"
#include "report/page_run.h"
#include "report/url_cache_counts.h"
#include "scan/scan_counts.h"
#include "sources/url_cache.h"

namespace vorlith {

/// Writes the three lines of the uninstall notice to the summary page.
void WriteUninstallNotice(PageRun& run);

/// What the summary prints besides the URL-cache audit's own counters.
struct SummaryInput {
    const UrlCacheLists& lists;       // the galleries walk the cached files; the list sizes
    const CachedFileClasses& classes; // what the cached files' addresses name and match
    const UrlCachePageCounts& counts; // pictures, history and cookie counters, bytes
    const DiskScanCounts& diskCounts; // audio and thumbnail counts
    int64_t firefoxImageCount;        // pictures on the Firefox cache pages
};

/// Sets totals.SuspectFiles (the pictures of the five category pages, teen pictures not among
/// them) and totals.SuspectTraces (SuspectFiles plus the suspect history and cookie rows), then
/// writes the rest of page 1: the totals, the warning with the purchase link, a gallery of up to
/// 30 "jpg" thumbnails for each category with pictures (teen, adult, gambling, social, sports,
/// news; ten to a row, a "view all" row once 30 are shown) and the closing block. No cancel
/// test: once begun, the summary is completed. Local files are linked with LocalFileUrl.
void WriteSummaryPage(PageRun& run, const SummaryInput& input, KeywordSearch& search,
                      TraceTotals& totals);

} // namespace vorlith
