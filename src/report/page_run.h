#pragma once
// What a page writer is given: the run's control (yield, cancel test), where its progress shows,
// the open pages and the totals the purchase links carry.

#include "base/progress.h"
#include "base/run_control.h"
#include "report/page_file.h"

#include <cstdint>

namespace vorlith {

/// Totals of the URL-cache audit that outlive it (the results window and the purchase links of
/// the next audit's first pages read them).
struct TraceTotals {
    int64_t TotalTraces = 0;   // entries of the three URL-cache lists
    int64_t SuspectFiles = 0;  // pictures listed on the five category pages
    int64_t SuspectTraces = 0; // SuspectFiles + suspect history + suspect cookies
};

struct PageRun {
    RunControl& run;
    ProgressSink& progress;
    ReportPages& pages;
    const TraceTotals& totals; // read by the purchase links as they stand when a line is written
};

} // namespace vorlith
