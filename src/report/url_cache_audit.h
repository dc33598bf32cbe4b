#pragma once
// The URL-cache audit: reads the URL cache once and writes the twelve pages built from it.

#include "app/phase_context.h"
#include "platform/clock.h"
#include "platform/url_cache.h"
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
/// writes the bodies and closes every page with its foot. A cancel leaves the open pages without
/// their feet (the next run closes them before it creates them again).
void RunUrlCacheAudit(PhaseContext& context, const UrlCacheAuditInput& input, TraceTotals& totals);

/// Writes the bodies of the twelve pages from the lists; false when the run was cancelled.
bool WriteUrlCachePages(PhaseContext& context, const UrlCacheAuditInput& input,
                        const UrlCacheLists& lists, TraceTotals& totals);

} // namespace vorlith
