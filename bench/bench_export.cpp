// The export of 1,000,000 browser traces (500,000 cached files, 400,000 history entries and
// 100,000 cookies from three profiles), as JSON and as CSV, into a temporary folder. Prints the
// wall time, the file's size and the peak memory (VmHWM) before and after each export: written
// as it goes, an export adds little to what the lists themselves take.

#include "bench_memory.h"
#include "report/export.h"

#include <chrono>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <string>

namespace {

using namespace vorlith;

constexpr size_t kCachedFiles = 500'000;
constexpr size_t kHistoryEntries = 400'000;
constexpr size_t kCookies = 100'000;

// One address in eight carries a category word.
std::string Address(size_t index, const char* ending) {
    static const char* const kHosts[] = {"i.ytimg.com", "static.example.net", "cdn.shop.example",
                                         "upload.wikimedia.org", "news.regional.example"};
    static const char* const kWords[] = {"poker", "myspace", "espn", "nytimes", "xxx", "teen"};
    std::string address = "https://";
    address += kHosts[index % 5];
    address += "/assets/v2/gallery/";
    if (index % 8 == 0)
        address += kWords[(index / 8) % 6];
    address += "/item" + std::to_string(index * 7919 % 1'000'003) + ending;
    return address;
}

UrlCacheEntry Entry(size_t index, std::string address, std::string localFile) {
    UrlCacheEntry entry;
    entry.SourceUrlName = std::move(address);
    entry.LocalFileName = std::move(localFile);
    entry.Size = static_cast<int64_t>(200 + index % 400'000);
    entry.HitRate = static_cast<int32_t>(index % 20);
    entry.LastAccessTime = {2026,
                            1 + static_cast<int>(index % 12),
                            1 + static_cast<int>(index % 28),
                            static_cast<int>(index % 24),
                            30,
                            0};
    entry.LastModifiedTime = {2025, 6, 1, 8, 0, 0};
    entry.Origin = static_cast<uint32_t>(1 + index % 3);
    return entry;
}

UrlCacheLists SyntheticLists() {
    static const char* const kEndings[] = {".jpg", ".jpeg", ".png", ".gif", ".js", ".html", ".flv"};
    UrlCacheLists lists;
    lists.origins.push_back({"Firefox", "/home/anna/.mozilla/firefox/k2l4m6n8.default-release"});
    lists.origins.push_back({"Chromium", "/home/anna/.config/chromium/Default"});
    lists.origins.push_back({"Google Chrome", "/home/anna/.config/google-chrome/Profile 1"});
    for (size_t i = 0; i < kCachedFiles; ++i)
        lists.CacheContentList.push_back(
            Entry(i, Address(i, kEndings[i % 7]),
                  "/home/anna/.cache/mozilla/firefox/k2l4m6n8.default-release/cache2/entries/" +
                      std::to_string(i * 2654435761u)));
    for (size_t i = 0; i < kHistoryEntries; ++i)
        lists.CacheHistoryList.push_back(
            Entry(i, "Visited: anna@" + Address(i + kCachedFiles, "/index.html"), ""));
    for (size_t i = 0; i < kCookies; ++i)
        lists.CacheCookieList.push_back(
            Entry(i, "Cookie: anna@" + Address(i, "/"), "/home/anna/.mozilla/cookies.sqlite"));
    return lists;
}

void ExportOnce(const UrlCacheLists& lists, const std::filesystem::path& file) {
    const int64_t peakBefore = bench::MemoryKilobytes();
    const auto start = std::chrono::steady_clock::now();
    const std::clock_t cpuStart = std::clock();
    std::string problem;
    auto exported = AuditExport::Begin(file.string(), {2026, 12, 6, 12, 0, 0}, &problem);
    if (!exported) {
        std::printf("cannot export: %s\n", problem.c_str());
        return;
    }
    const TraceTotals traces{lists.total(), 0, 0};
    const UrlCachePageCounts pages;
    const DiskScanCounts disk;
    exported->addBrowserTraces(lists);
    exported->addTotals(ExportTotals{lists, traces, pages, disk, 0});
    if (!exported->finish(&problem))
        std::printf("export failed: %s\n", problem.c_str());
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    const double cpuSeconds = static_cast<double>(std::clock() - cpuStart) / CLOCKS_PER_SEC;
    std::printf("%-5s %6.2f s (CPU %6.2f s, %5.0f ns a trace)  %6.1f MB written  peak %lld MB "
                "before, %lld MB after\n",
                file.extension().c_str() + 1, seconds, cpuSeconds,
                cpuSeconds * 1e9 / static_cast<double>(lists.total()),
                static_cast<double>(std::filesystem::file_size(file)) / 1e6,
                static_cast<long long>(peakBefore / 1024),
                static_cast<long long>(bench::MemoryKilobytes() / 1024));
}

} // namespace

int main() {
    const auto folder =
        std::filesystem::temp_directory_path() /
        ("vorlith-bench-export-" +
         std::to_string(std::chrono::system_clock::now().time_since_epoch().count()));
    std::filesystem::create_directories(folder);
    const UrlCacheLists lists = SyntheticLists();
    std::printf("%lld browser traces\n", static_cast<long long>(lists.total()));
    ExportOnce(lists, folder / "audit.json");
    ExportOnce(lists, folder / "traces.csv");
    std::filesystem::remove_all(folder);
    return 0;
}
