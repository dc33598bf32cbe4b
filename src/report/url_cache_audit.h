#pragma once
// The URL-cache audit: reads the URL cache once and writes the twelve pages built from it.

#include "app/phase_context.h"
#include "classify/keywords.h"
#include "platform/clock.h"
#include "platform/url_cache.h"
#include "report/url_cache_counts.h"
#include "scan/scan_counts.h"
#include "sources/url_cache.h"

namespace vorlith {

struct UrlCacheAuditInput {
    platform::UrlCacheSource& source;
    const platform::Clock& clock;
    const DiskScanCounts& diskCounts; // printed on the summary page
    bool UninstallMode;               // the summary opens with the uninstall notice
};

/// Opens the twelve pages and writes their heads, reads the cache, sets totals.TotalTraces,
/// writes the bodies and closes every page with its foot; the lists are emptied at the end. A
/// cancel leaves the open pages without their feet (the next run closes them before it creates
/// them again). The gay page (14) keeps only its head and foot.
void RunUrlCacheAudit(PhaseContext& context, const UrlCacheAuditInput& input, TraceTotals& totals);

/// Writes the bodies of the pages from the lists, in order: the image and video pages, the
/// history page, the cookie page, the summary page (which sets totals.SuspectFiles and
/// totals.SuspectTraces). counts is reset first and left as the summary printed it. False when
/// the run was cancelled (at one of the tests of the image or history pages); then nothing
/// after that test was written.
bool WriteUrlCachePages(PhaseContext& context, const UrlCacheAuditInput& input,
                        const UrlCacheLists& lists, TraceTotals& totals,
                        UrlCachePageCounts& counts);

} // namespace vorlith
