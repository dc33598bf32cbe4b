#pragma once
// One phase of an audit run, set up for a test: a run control that counts yields, the main
// window's state, report pages in a temporary report folder and the trace totals.

#include "app/phase_context.h"
#include "platform/file_system.h"
#include "report/page_set.h"
#include "support/test_support.h"

#include <functional>
#include <string>
#include <vector>

namespace vorlith::test {

/// A run control whose yields are counted (and may run an action) and whose cancel flag the
/// test sets.
class FakeRun final : public RunControl {
public:
    int yields = 0;
    int cancels = 0;
    bool canceled = false;
    std::function<void(int)> onYield; // given the yield's number, from 1

    void yield() override {
        ++yields;
        if (onYield)
            onYield(yields);
    }
    bool isCanceled() const override { return canceled; }
    void Do_Cancel() override {
        canceled = true;
        ++cancels;
    }
};

class PhaseFixture {
public:
    TempFolder folder;
    std::string reportFolder = folder.path();
    MainWindow window;
    ReportPages pages{reportFolder};
    TraceTotals totals;
    FakeRun run;
    PhaseContext context{run, window, pages, reportFolder, totals};

    /// Opens a page without its head, so that it holds only what the phase writes.
    void open(const PageInfo& info) { pages.open(info.number, info.fileName); }
    /// Closes the page and returns its lines.
    std::vector<std::string> lines(const PageInfo& info) {
        pages.page(info.number).close();
        return SplitCrLf(ReadFile(platform::JoinPath(reportFolder, info.fileName)));
    }
};

} // namespace vorlith::test
