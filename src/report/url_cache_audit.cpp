#include "report/url_cache_audit.h"

#include "report/history_pages.h"
#include "report/image_pages.h"
#include "report/page_frame.h"
#include "report/summary_page.h"

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

    UrlCachePageCounts counts;
    if (!WriteUrlCachePages(context, input, lists, totals, counts))
        return;

    const PurchaseCounts purchase{totals.TotalTraces,
                                  static_cast<int64_t>(context.window.lists.lstResult.size())};
    for (const char* number : {"1", "2", "3", "4", "5", "6", "7", "8", "11", "12", "13", "14"})
        WritePageFooter(context.pages, number, purchase);
    lists.clear();
}

bool WriteUrlCachePages(PhaseContext& context, const UrlCacheAuditInput& input,
                        const UrlCacheLists& lists, TraceTotals& totals,
                        UrlCachePageCounts& counts) {
    counts = UrlCachePageCounts{};
    KeywordSearch search;
    search.MatchedKeywordLength = 0;
    // The image pages and the summary's galleries ask about the same cached files many times;
    // each address is searched once.
    KeywordMemo contentKeywords(lists.CacheContentList.size());

    std::function<void()> uninstallNotice;
    if (input.UninstallMode)
        uninstallNotice = [&context] { WriteUninstallNotice(context); };
    if (!WriteImagePages(context,
                         ImagePagesInput{lists.CacheContentList, contentKeywords, uninstallNotice},
                         counts))
        return false;
    if (!WriteHistoryPage(context, lists.CacheHistoryList, search, counts))
        return false;
    WriteCookiePage(context, lists.CacheCookieList, search, counts);
    WriteSummaryPage(context, SummaryInput{lists, contentKeywords, counts, input.diskCounts},
                     search, totals);
    return true;
}

} // namespace vorlith
