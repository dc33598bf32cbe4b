#pragma once
// The twelve pages built from the URL cache: opened with their heads, written from the three
// lists, closed with their feet.

#include "classify/keywords.h"
#include "report/page_frame.h"
#include "report/page_run.h"
#include "report/url_cache_counts.h"
#include "scan/scan_counts.h"
#include "sources/url_cache.h"

namespace vorlith {

struct UrlCachePagesInput {
    const UrlCacheLists& lists;
    const DiskScanCounts& diskCounts; // printed on the summary page
    int64_t firefoxImageCount;        // printed on the summary page
    bool UninstallMode;               // the summary opens with the uninstall notice
};

/// Opens the twelve pages (a page left open by a cancelled run is closed first) and writes their
/// heads, in their order.
void OpenUrlCachePages(ReportPages& pages);

/// Writes the bodies of the pages from the lists, in order: the image and video pages, the
/// history page, the cookie page, the summary page (which sets totals.SuspectFiles and
/// totals.SuspectTraces). counts is reset first and left as the summary printed it. Stopped when
/// the run was cancelled at one of the tests of the image or history pages; nothing after that
/// test was written then. The gay page keeps only its head.
PhaseEnd WriteUrlCachePages(PageRun& run, const UrlCachePagesInput& input, TraceTotals& totals,
                            UrlCachePageCounts& counts);

/// Writes the feet of the twelve pages and closes them.
void CloseUrlCachePages(ReportPages& pages, const PurchaseCounts& purchase);

} // namespace vorlith
