#pragma once
// What the tests of a phase or a page writer share: a run control they script, a progress sink
// that records what it was shown, the open pages in a temporary report folder, and the lines of a
// page once it is closed.

#include "base/progress.h"
#include "base/run_control.h"
#include "report/page_file.h"
#include "report/page_run.h"
#include "report/page_set.h"
#include "sources/url_cache.h"
#include "support/test_support.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <initializer_list>
#include <string>
#include <vector>

namespace vorlith::test {

/// A run control that raises the cancel flag when the test's condition first holds at a cancel
/// test (or when the test sets `canceled`), and counts the tests and the yields.
class ScriptedRun final : public RunControl {
public:
    std::function<bool()> cancelWhen;   // asked at every cancel test until it holds
    std::function<void(int)> onYield;   // given the yield's number, from 1
    std::function<void()> onCancelTest; // looks on at every cancel test
    int cancelTests = 0;
    int yields = 0;
    bool canceled = false;

    void yield() override {
        ++yields;
        if (onYield)
            onYield(yields);
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
};

/// A progress sink that keeps what it was last shown and every status text in order.
class RecordingProgress final : public ProgressSink {
public:
    std::vector<std::string> statuses;
    std::string detail;
    std::string count;
    int64_t maximum = 0;
    int64_t value = 0;

    void setStatus(std::string_view text) override { statuses.emplace_back(text); }
    void setDetail(std::string_view text) override { detail.assign(text); }
    void setCount(std::string_view text) override { count.assign(text); }
    void setProgressMaximum(int64_t newMaximum) override { maximum = newMaximum; }
    void setProgress(int64_t newValue) override { value = newValue; }
    std::string status() const { return statuses.empty() ? "" : statuses.back(); }
};

struct PageHarness {
    TempFolder folder;
    std::string reportFolder = folder.path();
    ReportPages pages{reportFolder};
    TraceTotals totals;
    ScriptedRun run;
    RecordingProgress progress;
    PageRun pageRun{run, progress, pages, totals};

    PageHarness() = default;
    /// Opens the pages without their heads, so that they hold only what the test writes.
    explicit PageHarness(std::initializer_list<PageId> opened) {
        for (PageId id : opened)
            pages.open(id);
    }

    /// Closes the page and returns its lines.
    std::vector<std::string> lines(PageId id) {
        pages.page(id).close();
        return SplitCrLf(ReadFile(folder / InfoOf(id).fileName));
    }
};

/// The lines of a page, or the expected ones.
using Lines = std::vector<std::string>;

/// Up to `count` lines from `from` on.
inline Lines Slice(const Lines& lines, size_t from, size_t count) {
    from = std::min(from, lines.size());
    return {lines.begin() + static_cast<std::ptrdiff_t>(from),
            lines.begin() + static_cast<std::ptrdiff_t>(std::min(from + count, lines.size()))};
}

/// The lines of the parts one after the other.
inline Lines Joined(std::initializer_list<Lines> parts) {
    Lines lines;
    for (const auto& part : parts)
        lines.insert(lines.end(), part.begin(), part.end());
    return lines;
}

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

/// The deletion product's purchase link as the pages carry it.
inline std::string PurchaseLink(int64_t traces) {
    return "https://secure.vorlith.example/secure_erazent_audit_clean_2013.php?traces=" +
           std::to_string(traces);
}

/// The line under the warning on most pages: the purchase link for all traces.
inline std::string DeleteTracesLine(int64_t traces) {
    return "<H3><A HREF=" + PurchaseLink(traces) +
           " TARGET=_BLANK><B>Use Erazent to Securely Delete these Traces Now!</B></a></H3>";
}

inline constexpr char kWarningLine[] =
    "<TABLE BGCOLOR=#000000><TR><TD><FONT SIZE=+1 COLOR=#FF0000><B>WARNING:</B></FONT> <FONT "
    "SIZE=+1 COLOR=#FFFFFF><B>Manually removing these traces yourself will NOT protect you.  They "
    "are easily recoverable when you do this.</B></FONT></TD></TR></TABLE>";

} // namespace vorlith::test
