#include "report/url_cache_audit.h"

#include "report/page_frame.h"

namespace vorlith {

void RunUrlCacheAudit(PhaseContext& context, const UrlCacheAuditInput& input, TraceTotals& totals) {
    totals.TotalTraces = 0;
    totals.SuspectFiles = 0;
    for (const PageInfo& info : UrlCachePages())
        context.pages.open(info.number, info.fileName);
    for (const PageInfo& info : UrlCachePages())
        WritePageHeader(context.pages, info.number, info.tab, info.title);

    UrlCacheLists lists;
    EnumerateUrlCache(input.source, input.clock, lists);
    totals.TotalTraces = lists.total();

    if (!WriteUrlCachePages(context, input, lists, totals))
        return;

    const PurchaseCounts counts{totals.TotalTraces,
                                static_cast<int64_t>(context.window.lists.lstResult.size())};
    for (const char* number : {"1", "2", "3", "4", "5", "6", "7", "8", "11", "12", "13", "14"})
        WritePageFooter(context.pages, number, counts);
}

bool WriteUrlCachePages(PhaseContext&, const UrlCacheAuditInput&, const UrlCacheLists&,
                        TraceTotals&) {
    // The page bodies come with the browser-pages work; until then the twelve pages hold only
    // their heads and feet.
    return true;
}

} // namespace vorlith
