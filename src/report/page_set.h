#pragma once
// The report file set: page numbers, file names, titles and tabs.

#include <vector>

namespace vorlith {

struct PageInfo {
    int number;           // identifies the open page while it is written; 9 is not used
    const char* fileName; // in the report folder
    const char* title;    // given to the head
    int tab;              // menu tab the page belongs to, 1 to 8
};

namespace pages {
inline constexpr PageInfo kIllegal{10, "Vorlith_illegal.html", "POTENTIALLY ILLEGAL", 2};
inline constexpr PageInfo kThumbnails{14, "Vorlith_thumbnails.html", "THUMBNAILS", 7};
inline constexpr PageInfo kFirefoxCache{15, "Vorlith_firefox_cache.html", "FIREFOX CACHE", 8};
inline constexpr PageInfo kFirefoxCache2{16, "Vorlith_firefox_cache2.html",
                                         "FIREFOX CACHE - PAGE 2", 8};
inline constexpr PageInfo kSummary{1, "Vorlith_summary.html", "SUMMARY", 1};
inline constexpr PageInfo kImages{2, "Vorlith_images.html", "EXPLICIT Site Images", 3};
inline constexpr PageInfo kGambling{3, "Vorlith_gambling.html", "GAMBLING Site Images", 3};
inline constexpr PageInfo kSocial{4, "Vorlith_social.html", "SOCIAL Site Images", 3};
inline constexpr PageInfo kSports{5, "Vorlith_sports.html", "SPORTS Site Images", 3};
inline constexpr PageInfo kNews{6, "Vorlith_news.html", "NEWS Site Images", 3};
inline constexpr PageInfo kImages2{7, "Vorlith_images2.html", "EXPLICIT Site Images - Page 2", 3};
inline constexpr PageInfo kTeen{8, "Vorlith_teen.html", "TEEN Site Images", 3};
inline constexpr PageInfo kVideos{11, "Vorlith_videos.html", "VIDEOS", 6};
inline constexpr PageInfo kHistory{12, "Vorlith_history.html", "WEB HISTORY", 4};
inline constexpr PageInfo kCookies{13, "Vorlith_cookies.html", "WEB COOKIES", 5};
inline constexpr PageInfo kGay{14, "Vorlith_gay.html", "GAY Site Images", 3};
} // namespace pages

/// The twelve pages of the URL-cache phase, in the order they are opened and given their heads.
const std::vector<PageInfo>& UrlCachePages();

} // namespace vorlith
