// Keyword search throughput on realistic web addresses: the one-pass search of all seven lists,
// the plain search it replaces (each entry of each list looked for in a lower-cased copy), the
// classes of 10,000 cached files worked out once, and the image pages of 100,000 cached files
// written to a temporary folder.

#include "classify/keywords.h"
#include "report/cached_file_classes.h"
#include "report/image_pages.h"
#include "report/page_set.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

namespace {

using namespace vorlith;

// Addresses shaped like a browser cache's: common hosts, a few path segments, ids, an extension,
// sometimes a query; about one in twelve carries a keyword of some list.
std::vector<std::string> MakeAddresses(size_t count, uint32_t seed) {
    static const char* const kHosts[] = {
        "www.google-analytics.com", "i.ytimg.com",          "static.xx.fbcdn.net",
        "images.search.example",    "cdn.shop-example.com", "media.blog-host.example",
        "ads.adserver.example",     "www.weather.example",  "upload.wikimedia.org",
        "s.imgur-like.example",     "pbs.twimg.example",    "www.bank-portal.example"};
    static const char* const kWords[] = {"images",  "static", "assets", "photos", "user",
                                         "content", "thumb",  "large",  "v2",     "gallery",
                                         "article", "2026",   "12",     "home",   "profile"};
    static const char* const kExtensions[] = {".jpg",  ".jpg",  ".png", ".gif", ".js", ".css",
                                              ".html", ".jpeg", ".flv", ".swf", ""};
    std::mt19937 random(seed);
    auto pick = [&](auto& array) { return array[random() % (sizeof(array) / sizeof(array[0]))]; };
    std::vector<std::string> addresses;
    addresses.reserve(count);
    for (size_t i = 0; i < count; ++i) {
        std::string address = random() % 5 ? "http://" : "https://";
        address += pick(kHosts);
        for (int segments = 1 + static_cast<int>(random() % 4); segments > 0; --segments) {
            address += '/';
            address += pick(kWords);
        }
        if (random() % 12 == 0) {
            const auto list = static_cast<KeywordList>(random() % kKeywordListCount);
            const auto entries = KeywordEntries(list);
            address += '/';
            address += entries[random() % entries.size()];
        }
        address += '/';
        for (int digits = 0; digits < 12; ++digits)
            address += "0123456789abcdef"[random() % 16];
        address += pick(kExtensions);
        if (random() % 6 == 0)
            address += "?w=640&h=480";
        addresses.push_back(std::move(address));
    }
    return addresses;
}

int64_t TotalBytes(const std::vector<std::string>& texts) {
    int64_t bytes = 0;
    for (const std::string& text : texts)
        bytes += static_cast<int64_t>(text.size());
    return bytes;
}

void BM_FindKeywordsAllLists(benchmark::State& state) {
    const auto addresses = MakeAddresses(10000, 1);
    int64_t matches = 0;
    for (auto _ : state) {
        for (const std::string& address : addresses) {
            KeywordHits hits = FindKeywords(address);
            matches += hits[KeywordList::Explicit].position > 0;
            benchmark::DoNotOptimize(hits);
        }
    }
    state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(addresses.size()));
    state.SetBytesProcessed(state.iterations() * TotalBytes(addresses));
    state.counters["explicit_hit_rate"] =
        static_cast<double>(matches) /
        static_cast<double>(state.iterations() * static_cast<int64_t>(addresses.size()));
}
BENCHMARK(BM_FindKeywordsAllLists);

// The search as a plain loop: lower-case a copy, then each entry of each list in list order.
void BM_PlainSearchAllLists(benchmark::State& state) {
    const auto addresses = MakeAddresses(10000, 1);
    for (auto _ : state) {
        for (const std::string& address : addresses) {
            std::string lower = address;
            std::transform(lower.begin(), lower.end(), lower.begin(),
                           [](char c) { return c >= 'A' && c <= 'Z' ? c + 32 : c; });
            for (size_t list = 0; list < kKeywordListCount; ++list) {
                size_t found = std::string::npos;
                for (std::string_view entry : KeywordEntries(static_cast<KeywordList>(list))) {
                    found = lower.find(entry);
                    if (found != std::string::npos)
                        break;
                }
                benchmark::DoNotOptimize(found);
            }
        }
    }
    state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(addresses.size()));
    state.SetBytesProcessed(state.iterations() * TotalBytes(addresses));
}
BENCHMARK(BM_PlainSearchAllLists);

// The image pages and galleries ask up to two lists per picture in each of nineteen passes; the
// classes work out every fact of every cached file once, searching only the pictures.
void BM_ClassifyCachedFiles(benchmark::State& state) {
    const auto addresses = MakeAddresses(10000, 2);
    UrlCacheList files;
    for (const std::string& address : addresses) {
        UrlCacheEntry entry;
        entry.SourceUrlName = address;
        files.push_back(entry);
    }
    for (auto _ : state) {
        CachedFileClasses classes(files);
        benchmark::DoNotOptimize(classes.matchedPictures(KeywordList::Explicit));
    }
    state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(addresses.size()));
}
BENCHMARK(BM_ClassifyCachedFiles);

class QuietRun final : public RunControl {
public:
    void yield() override {}
    bool isCanceled() const override { return false; }
};

// The whole image-page step for 100,000 cached files (about a third of them pictures) into a
// temporary folder: thirteen passes, the pictures and videos written.
void BM_WriteImagePages100k(benchmark::State& state) {
    const auto addresses = MakeAddresses(100000, 3);
    UrlCacheList cache;
    for (size_t i = 0; i < addresses.size(); ++i) {
        UrlCacheEntry entry;
        entry.SourceUrlName = addresses[i];
        entry.LocalFileName = "C:\\Users\\me\\AppData\\Local\\Cache\\Content.IE5\\X" +
                              std::to_string(i % 97) + "\\file" + std::to_string(i) + ".bin";
        entry.Size = 20000 + static_cast<int64_t>(i % 5000);
        cache.push_back(entry);
    }
    const std::filesystem::path folder =
        std::filesystem::temp_directory_path() / "vorlith_bench_keywords";
    std::filesystem::create_directories(folder);
    NoProgress progress;
    QuietRun run;
    TraceTotals totals;
    totals.TotalTraces = static_cast<int64_t>(cache.size());
    const std::string folderText = folder.string();
    int64_t bytes = 0;
    for (auto _ : state) {
        ReportPages pages(folderText);
        for (PageId id : kUrlCachePages)
            pages.open(id);
        PageRun pageRun{run, progress, pages, totals};
        const CachedFileClasses classes(cache);
        UrlCachePageCounts counts;
        WriteImagePages(pageRun, ImagePagesInput{cache, classes, nullptr}, counts);
        pages.closeAll();
        state.counters["explicit_pictures"] = static_cast<double>(counts.ExplicitImageCount);
        bytes = 0;
        for (PageId id : kUrlCachePages)
            bytes += static_cast<int64_t>(std::filesystem::file_size(folder / InfoOf(id).fileName));
    }
    state.counters["page_bytes"] = static_cast<double>(bytes);
    state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(cache.size()));
    std::filesystem::remove_all(folder);
}
BENCHMARK(BM_WriteImagePages100k)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
