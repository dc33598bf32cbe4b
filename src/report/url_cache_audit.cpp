#include "report/url_cache_audit.h"

#include "report/history_pages.h"
#include "report/image_pages.h"
#include "report/summary_page.h"

namespace vorlith {

void OpenUrlCachePages(ReportPages& pages) {
    for (PageId id : kUrlCachePages)
        pages.open(id);
    for (PageId id : kUrlCachePages)
        WritePageHeader(pages.page(id), InfoOf(id).tab, InfoOf(id).title);
}

PhaseEnd WriteUrlCachePages(PageRun& run, const UrlCachePagesInput& input, TraceTotals& totals,
                            UrlCachePageCounts& counts) {
    const UrlCacheLists& lists = input.lists;
    counts = UrlCachePageCounts{};
    KeywordSearch search;
    search.MatchedKeywordLength = 0;
    // The image pages and the summary's galleries ask about the same cached files many times;
    // each address is looked at and searched once.
    const CachedFileClasses contentClasses(lists.CacheContentList);

    std::function<void()> uninstallNotice;
    if (input.UninstallMode)
        uninstallNotice = [&run] { WriteUninstallNotice(run); };
    if (WriteImagePages(run,
                        ImagePagesInput{lists.CacheContentList, contentClasses, uninstallNotice},
                        counts) == PhaseEnd::Stopped)
        return PhaseEnd::Stopped;
    if (WriteHistoryPage(run, lists.CacheHistoryList, search, counts) == PhaseEnd::Stopped)
        return PhaseEnd::Stopped;
    WriteCookiePage(run, lists.CacheCookieList, search, counts);
    WriteSummaryPage(run,
                     SummaryInput{lists, contentClasses, counts, input.diskCounts,
                                  input.firefoxImageCount},
                     search, totals);
    return PhaseEnd::Finished;
}

void CloseUrlCachePages(ReportPages& pages, const PurchaseCounts& purchase) {
    for (PageId id : kUrlCachePages)
        WritePageFooter(pages, id, purchase);
}

} // namespace vorlith
