// The whole URL-cache audit on a synthetic cache of 100,000 cached files (a third of them
// pictures), 100,000 history entries and 20,000 cookies, written into a temporary folder; beside
// it the floor: the same page bytes written line by line with no logic. Rounds are paired (the
// audit, then the floor) and repeated; prints the medians of processor and wall time, their
// spread, the ratio to the floor and the peak memory (VmHWM).
//
//   bench_url_cache_audit [--rounds N] [--pages DIR]
//
// --pages keeps a copy of the audit's pages in DIR (which must not exist), so that two builds'
// pages can be compared.

#include "bench_memory.h"
#include "classify/keywords.h"
#include "platform/clock.h"
#include "report/page_file.h"
#include "report/page_set.h"
#include "report/url_cache_audit.h"
#include "sources/url_cache.h"

#include <sys/resource.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <string>
#include <utility>
#include <vector>

namespace {

using namespace vorlith;

constexpr size_t kCachedFiles = 100'000;
constexpr size_t kHistoryEntries = 100'000;
constexpr size_t kCookies = 20'000;

uint64_t SplitMix(uint64_t value) {
    value += 0x9E3779B97F4A7C15ULL;
    value = (value ^ (value >> 30)) * 0xBF58476D1CE4E5B9ULL;
    value = (value ^ (value >> 27)) * 0x94D049BB133111EBULL;
    return value ^ (value >> 31);
}

// A small deterministic random source per entry, so that the cache is the same on every run and
// needs no memory of its own.
class Dice {
public:
    explicit Dice(uint64_t seed) : m_state(seed) {}
    uint64_t next() { return m_state = SplitMix(m_state); }
    size_t below(size_t bound) { return static_cast<size_t>(next() % bound); }
    bool chance(double probability) {
        return static_cast<double>(next() % 1'000'000) < probability * 1e6;
    }
    template <size_t N> const char* pick(const char* const (&items)[N]) { return items[below(N)]; }

private:
    uint64_t m_state;
};

const char* const kHosts[] = {"www.google-analytics.com", "i.ytimg.com",
                              "static.xx.fbcdn.net",      "images.search.example",
                              "cdn.shop-example.com",     "media.blog-host.example",
                              "ads.adserver.example",     "www.weather.example",
                              "upload.wikimedia.org",     "pbs.twimg.example",
                              "www.bank-portal.example",  "news.regional.example"};
const char* const kWords[] = {"images", "static", "assets",  "photos",     "user",    "content",
                              "thumb",  "large",  "v2",      "gallery",    "article", "2026",
                              "12",     "home",   "profile", "b7f3a9c2e1", "uploads", "cache"};

// About one address in eight carries a keyword: explicit and news most often, teen and gay
// rarely.
void MaybeAddKeyword(Dice& dice, std::string& address) {
    struct Rate {
        KeywordList list;
        double probability;
    };
    static const Rate kRates[] = {{KeywordList::Explicit, 0.03},  {KeywordList::Teen, 0.004},
                                  {KeywordList::Gay, 0.003},      {KeywordList::Gambling, 0.01},
                                  {KeywordList::Personals, 0.04}, {KeywordList::Sports, 0.015},
                                  {KeywordList::News, 0.025}};
    for (const Rate& rate : kRates) {
        if (dice.chance(rate.probability)) {
            const auto entries = KeywordEntries(rate.list);
            address += '/';
            address += entries[dice.below(entries.size())];
            return;
        }
    }
}

std::string Address(Dice& dice, const char* ending) {
    std::string address = dice.below(5) ? "http://" : "https://";
    address += dice.pick(kHosts);
    for (size_t segments = 1 + dice.below(5); segments > 0; --segments) {
        address += '/';
        address += dice.pick(kWords);
    }
    MaybeAddKeyword(dice, address);
    address += '/';
    address += dice.pick(kWords);
    address += std::to_string(dice.below(1'000'000));
    address += ending;
    if (dice.chance(0.15))
        address += "?w=" + std::to_string(dice.below(2000));
    return address;
}

platform::RawUrlCacheEntry CachedFile(size_t index) {
    static const char* const kPictures[] = {".jpg", ".jpg", ".jpg", ".jpeg", ".png", ".gif"};
    static const char* const kOthers[] = {".js",   ".css",   ".html", ".htm", "",     ".php",
                                          ".json", ".woff2", ".flv",  ".wmv", ".swf", ".txt"};
    Dice dice(index * 3 + 1);
    platform::RawUrlCacheEntry raw;
    raw.type = dice.chance(0.02) ? 0x00000041 : 0x00000001;
    const bool picture = index % 3 == 0;
    raw.sourceUrlName = Address(dice, picture ? dice.pick(kPictures) : dice.pick(kOthers));
    raw.localFileName = "/home/anna/.cache/browser/Content.IE5/" +
                        std::to_string(dice.below(1'000'000)) + "/" + std::to_string(index) +
                        (picture ? "[1].jpg" : "[1].bin");
    raw.size = 200 + dice.below(picture ? 400'000 : 80'000);
    raw.hitRate = static_cast<int32_t>(dice.below(20));
    raw.lastAccessTime = 134'000'000'000'000'000ULL + dice.below(1'000'000'000'000'000ULL);
    raw.headerInfo = "HTTP/1.1 200 OK\r\nContent-Type: image/jpeg\r\n";
    return raw;
}

platform::RawUrlCacheEntry HistoryEntry(size_t index) {
    static const char* const kEndings[] = {"/",    ".html", "",     ".php",       ".aspx",
                                           ".jpg", ".gif",  ".zip", "/index.html"};
    Dice dice(index * 3 + 2);
    platform::RawUrlCacheEntry raw;
    raw.type = kHistoryEntryType;
    std::string address = Address(dice, dice.pick(kEndings));
    if (dice.chance(0.05))
        address = "file:///C:/Users/anna/Documents/report" + std::to_string(index) + ".pdf";
    raw.sourceUrlName = "Visited: anna@" + address;
    raw.hitRate = static_cast<int32_t>(1 + dice.below(50));
    raw.size = 0;
    raw.lastAccessTime = 134'000'000'000'000'000ULL + dice.below(1'000'000'000'000'000ULL);
    return raw;
}

platform::RawUrlCacheEntry Cookie(size_t index) {
    Dice dice(index * 3 + 3);
    platform::RawUrlCacheEntry raw;
    raw.type = kCookieEntryType;
    std::string host = dice.pick(kHosts);
    MaybeAddKeyword(dice, host);
    raw.sourceUrlName = "Cookie:anna@" + host + "/";
    raw.localFileName =
        "/home/anna/.cache/browser/Cookies/anna@cookie" + std::to_string(index) + "[1].txt";
    raw.hitRate = static_cast<int32_t>(dice.below(200));
    raw.size = 100 + dice.below(4000);
    raw.lastAccessTime = 134'000'000'000'000'000ULL + dice.below(1'000'000'000'000'000ULL);
    return raw;
}

// The synthetic cache, built outside the timed part and lent entry by entry from compact
// storage, as the system's cache enumeration lends each entry from its one buffer: the texts of
// all entries in one block, the entries as views into it.
class SyntheticCache final : public platform::UrlCacheSource {
public:
    SyntheticCache() {
        // Made twice, one entry at a time, so that no more than the cache itself is ever held:
        // once to size the block of texts, once to fill it.
        size_t textBytes = 0;
        forEachEntry([&textBytes](const platform::RawUrlCacheEntry& entry) {
            for (const auto* text : {&entry.sourceUrlName, &entry.localFileName, &entry.headerInfo,
                                     &entry.fileExtension})
                textBytes += text->value_or("").size();
        });
        m_texts.reserve(textBytes); // never grows, so the views stay valid
        m_entries.reserve(kCachedFiles + kHistoryEntries + kCookies);
        const auto keep = [this](const std::optional<std::string>& text) -> std::string_view {
            if (!text)
                return {};
            const size_t start = m_texts.size();
            m_texts += *text;
            return std::string_view(m_texts).substr(start);
        };
        forEachEntry([&](const platform::RawUrlCacheEntry& entry) {
            platform::RawUrlCacheEntryView view = platform::RawUrlCacheEntryView::Of(entry);
            view.sourceUrlName = keep(entry.sourceUrlName);
            view.localFileName = keep(entry.localFileName);
            view.headerInfo = keep(entry.headerInfo);
            view.fileExtension = keep(entry.fileExtension);
            m_entries.push_back(view);
        });
    }
    bool begin() override {
        m_next = 0;
        return true;
    }
    std::optional<platform::RawUrlCacheEntry> next() override {
        if (m_next >= m_entries.size())
            return std::nullopt;
        const platform::RawUrlCacheEntryView& view = m_entries[m_next++];
        platform::RawUrlCacheEntry entry;
        entry.type = view.type;
        entry.sourceUrlName = std::string(view.sourceUrlName);
        entry.localFileName = std::string(view.localFileName);
        entry.headerInfo = std::string(view.headerInfo);
        entry.fileExtension = std::string(view.fileExtension);
        entry.useCount = view.useCount;
        entry.hitRate = view.hitRate;
        entry.size = view.size;
        entry.lastModifiedTime = view.lastModifiedTime;
        entry.expireTime = view.expireTime;
        entry.lastAccessTime = view.lastAccessTime;
        entry.lastSyncTime = view.lastSyncTime;
        return entry;
    }
    bool readNext(platform::RawUrlCacheEntryView& entry) override {
        if (m_next >= m_entries.size())
            return false;
        entry = m_entries[m_next++]; // lent, not copied
        return true;
    }
    void end() override {}

private:
    // The entries interleaved the way a cache reports them: a mix of the three kinds.
    template <typename Visit> static void forEachEntry(Visit visit) {
        size_t files = 0, history = 0, cookies = 0;
        for (size_t index = 0;
             files + history + cookies < kCachedFiles + kHistoryEntries + kCookies; ++index) {
            const size_t kind = index % 11;
            if (kind < 5 && files < kCachedFiles)
                visit(CachedFile(files++));
            else if (kind < 10 && history < kHistoryEntries)
                visit(HistoryEntry(history++));
            else if (cookies < kCookies)
                visit(Cookie(cookies++));
            else if (files < kCachedFiles)
                visit(CachedFile(files++));
            else
                visit(HistoryEntry(history++));
        }
    }

    std::string m_texts;
    std::vector<platform::RawUrlCacheEntryView> m_entries;
    size_t m_next = 0;
};

class NeverCancel final : public RunControl {
public:
    void yield() override {}
    bool isCanceled() const override { return false; }
};

class Utc final : public platform::Clock {
public:
    DateTime localNow() const override { return {}; }
    std::chrono::steady_clock::time_point monotonicNow() const override {
        return std::chrono::steady_clock::now();
    }
    DateTime toLocal(FileTime utc) const override { return platform::SystemClock().toLocal(utc); }
};

// Processor time of this process so far: in the program itself and in the system for it.
std::pair<double, double> CpuSeconds() {
    struct rusage usage {};
    ::getrusage(RUSAGE_SELF, &usage);
    const auto seconds = [](const timeval& time) {
        return static_cast<double>(time.tv_sec) + static_cast<double>(time.tv_usec) / 1e6;
    };
    return {seconds(usage.ru_utime), seconds(usage.ru_stime)};
}

struct Timing {
    double wall = 0;   // seconds
    double cpu = 0;    // seconds of this process's processor time
    double system = 0; // the part of it spent in the system
};

template <typename Work> Timing Timed(Work work) {
    const auto start = std::chrono::steady_clock::now();
    const auto [userStart, systemStart] = CpuSeconds();
    work();
    const auto [user, system] = CpuSeconds();
    return {std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count(),
            user - userStart + system - systemStart, system - systemStart};
}

struct AuditResult {
    int64_t totalTraces = 0;
    int64_t suspectTraces = 0;
};

// The audit run's URL-cache phase: the pages opened, the cache read once, the bodies and the feet
// written.
[[gnu::noinline]] AuditResult RunAudit(platform::UrlCacheSource& cache, const std::string& folder) {
    Utc clock;
    NeverCancel run;
    NoProgress progress;
    ReportPages pages(folder);
    TraceTotals totals;
    PageRun pageRun{run, progress, pages, totals};
    DiskScanCounts disk;
    OpenUrlCachePages(pages);
    UrlCacheLists lists;
    EnumerateUrlCache(cache, clock, lists);
    totals.TotalTraces = lists.total();
    UrlCachePageCounts counts;
    WriteUrlCachePages(pageRun, UrlCachePagesInput{lists, disk, 0, false}, totals, counts);
    CloseUrlCachePages(pages, PurchaseCounts{totals.TotalTraces, 0});
    return {totals.TotalTraces, totals.SuspectTraces};
}

using PageLines = std::vector<std::vector<std::string>>;

PageLines ReadPageLines(const std::filesystem::path& folder) {
    PageLines pageLines;
    for (PageId id : kUrlCachePages) {
        std::ifstream in(folder / InfoOf(id).fileName, std::ios::binary);
        std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        std::vector<std::string> lines;
        for (size_t start = 0; start < text.size();) {
            size_t end = text.find("\r\n", start);
            if (end == std::string::npos)
                end = text.size();
            lines.push_back(text.substr(start, end - start));
            start = end + 2;
        }
        pageLines.push_back(std::move(lines));
    }
    return pageLines;
}

// The floor: the audit's page lines written again through PageFile, with nothing computed.
[[gnu::noinline]] void WriteFloor(const PageLines& pageLines, const std::filesystem::path& folder) {
    size_t index = 0;
    for (PageId id : kUrlCachePages) {
        PageFile page;
        page.open((folder / InfoOf(id).fileName).string());
        for (const std::string& line : pageLines[index])
            page.writeLine(line);
        page.close();
        ++index;
    }
}

std::filesystem::path Folder(const char* name) {
    // One name per run of the program, so that two runs side by side do not share a folder.
    static const std::string run =
        std::to_string(std::chrono::system_clock::now().time_since_epoch().count());
    auto path = std::filesystem::temp_directory_path() / ("vorlith-bench-" + run + name);
    std::filesystem::create_directories(path);
    return path;
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

double Spread(const std::vector<double>& values) {
    const auto [low, high] = std::minmax_element(values.begin(), values.end());
    return *high / std::max(*low, 1e-9);
}

} // namespace

int main(int argc, char** argv) {
    int rounds = 7;
    std::string keepPages;
    for (int i = 1; i < argc; ++i) {
        const std::string argument = argv[i];
        if (argument == "--rounds" && i + 1 < argc)
            rounds = std::max(1, std::atoi(argv[++i]));
        else if (argument == "--pages" && i + 1 < argc)
            keepPages = argv[++i];
    }
    SyntheticCache cache;
    const int64_t cacheKilobytes = bench::MemoryKilobytes();
    const auto auditFolder = Folder("-audit");
    const auto floorFolder = Folder("-floor");

    // Rounds in pairs, the audit then the floor, so that both see the same load of the machine.
    std::vector<double> auditWall, auditCpu, floorWall, floorCpu, ratioCpu, ratioWall;
    std::vector<double> auditSystem, floorSystem;
    int64_t auditKilobytes = 0;
    AuditResult result;
    PageLines pageLines;
    for (int round = 0; round < rounds; ++round) {
        const Timing audit = Timed([&] { result = RunAudit(cache, auditFolder.string()); });
        if (round == 0) {
            auditKilobytes = bench::MemoryKilobytes(); // before the floor's lines are held
            pageLines = ReadPageLines(auditFolder);
        }
        const Timing floor = Timed([&] { WriteFloor(pageLines, floorFolder); });
        auditWall.push_back(audit.wall);
        auditCpu.push_back(audit.cpu);
        auditSystem.push_back(audit.system);
        floorSystem.push_back(floor.system);
        floorWall.push_back(floor.wall);
        floorCpu.push_back(floor.cpu);
        ratioCpu.push_back(audit.cpu / floor.cpu);
        ratioWall.push_back(audit.wall / floor.wall);
    }
    uint64_t pageBytes = 0;
    for (PageId id : kUrlCachePages)
        pageBytes += std::filesystem::file_size(auditFolder / InfoOf(id).fileName);
    if (!keepPages.empty())
        std::filesystem::copy(auditFolder, keepPages, std::filesystem::copy_options::recursive);
    std::filesystem::remove_all(auditFolder);
    std::filesystem::remove_all(floorFolder);

    std::printf("URL-cache audit: %zu cached files, %zu history entries, %zu cookies; "
                "%lld traces, %lld suspect; %.1f MB of pages\n",
                kCachedFiles, kHistoryEntries, kCookies, static_cast<long long>(result.totalTraces),
                static_cast<long long>(result.suspectTraces), static_cast<double>(pageBytes) / 1e6);
    std::printf("  %d paired rounds, medians; the spread is the slowest round over the fastest\n",
                rounds);
    std::printf("  audit  %7.3f s CPU (%.3f in the system)  %7.3f s wall  (spread %.2f, %.2f)\n",
                Median(auditCpu), Median(auditSystem), Median(auditWall), Spread(auditCpu),
                Spread(auditWall));
    std::printf("  floor  %7.3f s CPU (%.3f in the system)  %7.3f s wall  (spread %.2f, %.2f)  the "
                "same page bytes written line by line, nothing computed\n",
                Median(floorCpu), Median(floorSystem), Median(floorWall), Spread(floorCpu),
                Spread(floorWall));
    std::printf("  audit / floor  %.2f CPU  %.2f wall  (median of the rounds' ratios; aim: at most "
                "2)\n",
                Median(ratioCpu), Median(ratioWall));
    const double cacheMegabytes = static_cast<double>(cacheKilobytes) / 1024;
    const double auditMegabytes = static_cast<double>(auditKilobytes) / 1024;
    std::printf("  peak memory  %.1f MB after the audit, %.1f MB with only the synthetic cache "
                "built (VmHWM; aim: at most 150, and 60 above the cache)\n",
                auditMegabytes, cacheMegabytes);
    // One row of the table scripts/bench prints at its end.
    std::printf("@row\tURL-cache audit, 220,000 entries (CPU)\t%.3f s\tpage bytes written, no "
                "logic\t%.3f s\t%.2f\t<= 2\t%.0f MB (cache alone %.0f MB)\n",
                Median(auditCpu), Median(floorCpu), Median(ratioCpu), auditMegabytes,
                cacheMegabytes);
    std::printf("@row\tURL-cache audit, 220,000 entries (wall)\t%.3f s\tpage bytes written, no "
                "logic\t%.3f s\t%.2f\t<= 2\t\n",
                Median(auditWall), Median(floorWall), Median(ratioWall));
    return 0;
}
