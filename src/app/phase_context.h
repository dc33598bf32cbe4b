#pragma once
// What every phase of an audit run is given: the run's control (yield, cancel), the main
// window's labels, progress bar and lists, the open report pages and the report folder.

#include "app/main_window/main_window.h"
#include "report/page_file.h"

#include <cstdint>
#include <string>

namespace vorlith {

/// The run's control as the phases see it.
class RunControl {
public:
    virtual ~RunControl() = default;
    /// Lets pending window events run: the Cancel button, the progress timer, a close request.
    virtual void yield() = 0;
    /// The cancel flag ScanCanceled.
    virtual bool isCanceled() const = 0;
    /// Ends the run's visible state and raises the cancel flag; safe to call several times.
    virtual void Do_Cancel() = 0;
};

/// Totals of the URL-cache audit that outlive it (the results window and the purchase links of
/// the next audit's first pages read them).
struct TraceTotals {
    int64_t TotalTraces = 0;   // entries of the three URL-cache lists
    int64_t SuspectFiles = 0;  // pictures listed on the five category pages
    int64_t SuspectTraces = 0; // SuspectFiles + suspect history + suspect cookies
};

struct PhaseContext {
    RunControl& run;
    MainWindow& window;
    ReportPages& pages;
    const std::string& reportFolder;
    const TraceTotals& totals; // read by the purchase links as they stand when a line is written
};

} // namespace vorlith
