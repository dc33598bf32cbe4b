#pragma once
// What the tests of the URL-cache pages share: a run control they script, the open pages in a
// temporary folder, and the lines of a page once it is closed.

#include "app/phase_context.h"
#include "report/page_file.h"
#include "report/page_set.h"
#include "sources/url_cache.h"
#include "support/test_support.h"

#include <functional>
#include <string>
#include <vector>

namespace vorlith::test {

/// A run control that raises the cancel flag when the test's condition first holds at a cancel
/// test, counts the tests, yields and Do_Cancel calls, and lets a test look on at each of them.
class ScriptedRun final : public RunControl {
public:
    std::function<bool()> cancelWhen; // asked at every cancel test until it holds
    std::function<void()> onYield, onCancelTest;
    int cancelTests = 0;
    int cancels = 0;
    int yields = 0;
    bool canceled = false;

    void yield() override {
        ++yields;
        if (onYield)
            onYield();
    }
    bool isCanceled() const override {
        auto& self = const_cast<ScriptedRun&>(*this);
        ++self.cancelTests;
        if (onCancelTest)
            onCancelTest();
        if (!canceled && cancelWhen && cancelWhen())
            self.canceled = true;
        return canceled;
    }
    void Do_Cancel() override {
        ++cancels;
        canceled = true;
    }
};

struct PageHarness {
    TempFolder folder;
    MainWindow window;
    ReportPages pages{folder.path()};
    std::string reportFolder = folder.path();
    TraceTotals totals;
    ScriptedRun run;
    PhaseContext context{run, window, pages, reportFolder, totals};

    PageHarness() = default;
    explicit PageHarness(std::initializer_list<PageInfo> opened) {
        for (const PageInfo& info : opened)
            pages.open(info.number, info.fileName);
    }

    /// Closes the page and returns its lines.
    std::vector<std::string> lines(const PageInfo& info) {
        pages.page(info.number).close();
        return SplitCrLf(ReadFile(folder / info.fileName));
    }
};

inline UrlCacheEntry Entry(std::string address, std::string localFile = "", int32_t hitRate = 0,
                           int64_t size = 0) {
    UrlCacheEntry entry;
    entry.SourceUrlName = std::move(address);
    entry.LocalFileName = std::move(localFile);
    entry.HitRate = hitRate;
    entry.Size = size;
    entry.LastAccessTime = DateTime{2026, 12, 1, 9, 30, 5};
    return entry;
}

inline std::string PurchaseLink(int64_t traces) {
    return "https://secure.vorlith.example/secure_erazent_audit_clean_2013.php?traces=" +
           std::to_string(traces);
}

inline constexpr char kWarningLine[] =
    "<TABLE BGCOLOR=#000000><TR><TD><FONT SIZE=+1 COLOR=#FF0000><B>WARNING:</B></FONT> <FONT "
    "SIZE=+1 COLOR=#FFFFFF><B>Manually removing these traces yourself will NOT protect you.  They "
    "are easily recoverable when you do this.</B></FONT></TD></TR></TABLE>";

} // namespace vorlith::test
