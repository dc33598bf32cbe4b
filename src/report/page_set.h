#pragma once
// The report file set: which pages there are, their file names, titles and menu tabs.

#include <array>
#include <cstddef>
#include <cstdint>

namespace vorlith {

/// One page of the report.
enum class PageId : uint8_t {
    Summary,
    Images,
    Gambling,
    Social,
    Sports,
    News,
    Images2,
    Teen,
    Illegal,
    Videos,
    History,
    Cookies,
    Thumbnails,
    Gay,
    FirefoxCache,
    FirefoxCache2,
};
inline constexpr size_t kPageCount = 16;

struct PageInfo {
    const char* fileName; // in the report folder
    const char* title;    // given to the head
    int tab;              // menu tab the page belongs to, 1 to 8
};

namespace detail {
inline constexpr std::array<PageInfo, kPageCount> kPageInfos = {{
    {"Vorlith_summary.html", "SUMMARY", 1},
    {"Vorlith_images.html", "EXPLICIT Site Images", 3},
    {"Vorlith_gambling.html", "GAMBLING Site Images", 3},
    {"Vorlith_social.html", "SOCIAL Site Images", 3},
    {"Vorlith_sports.html", "SPORTS Site Images", 3},
    {"Vorlith_news.html", "NEWS Site Images", 3},
    {"Vorlith_images2.html", "EXPLICIT Site Images - Page 2", 3},
    {"Vorlith_teen.html", "TEEN Site Images", 3},
    {"Vorlith_illegal.html", "POTENTIALLY ILLEGAL", 2},
    {"Vorlith_videos.html", "VIDEOS", 6},
    {"Vorlith_history.html", "WEB HISTORY", 4},
    {"Vorlith_cookies.html", "WEB COOKIES", 5},
    {"Vorlith_thumbnails.html", "THUMBNAILS", 7},
    {"Vorlith_gay.html", "GAY Site Images", 3},
    {"Vorlith_firefox_cache.html", "FIREFOX CACHE", 8},
    {"Vorlith_firefox_cache2.html", "FIREFOX CACHE - PAGE 2", 8},
}};
} // namespace detail

constexpr const PageInfo& InfoOf(PageId page) {
    return detail::kPageInfos[static_cast<size_t>(page)];
}

/// The twelve pages of the URL-cache phase, in the order they are opened and given their heads.
inline constexpr std::array<PageId, 12> kUrlCachePages = {
    PageId::Summary, PageId::Images,  PageId::Gambling, PageId::Social,
    PageId::Sports,  PageId::News,    PageId::Images2,  PageId::Teen,
    PageId::Videos,  PageId::History, PageId::Cookies,  PageId::Gay};

/// Every page, in the order the audit opens them.
inline constexpr std::array<PageId, kPageCount> kAllPages = {
    PageId::Illegal, PageId::Thumbnails, PageId::FirefoxCache, PageId::FirefoxCache2,
    PageId::Summary, PageId::Images,     PageId::Gambling,     PageId::Social,
    PageId::Sports,  PageId::News,       PageId::Images2,      PageId::Teen,
    PageId::Videos,  PageId::History,    PageId::Cookies,      PageId::Gay};

} // namespace vorlith
