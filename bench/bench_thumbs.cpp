// A 1 GB thumbnail store of no known structure, full of JPEG pictures each followed by other
// bytes of the store: the whole thumbnail pass (the store cut at its markers, the complete
// pictures written to the report folder, the page) and the cut alone (read and split, nothing
// written). Prints the throughput and the peak memory of each; the store is generated in a
// temporary folder and removed at the end.

#include "bench_memory.h"
#include "report/disk_pages.h"
#include "platform/file_access.h"
#include "platform/file_system.h"
#include "platform/clock.h"
#include "platform/folders.h"
#include "report/page_set.h"
#include "scan/compound_bytes.h"
#include "scan/jpeg_splitter.h"
#include "scan/thumb_stores.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

namespace {

using namespace vorlith;

// 1 GB; VORLITH_BENCH_STORE_MB sets another size for a quick run.
const uint64_t kStoreSize = [] {
    const char* megabytes = std::getenv("VORLITH_BENCH_STORE_MB");
    return (megabytes ? std::strtoull(megabytes, nullptr, 10) : 1024ull) << 20;
}(); // bytes

struct BenchFolder {
    std::string path;
    std::string store;
    uint64_t size = 0; // bytes
    int64_t markers = 0;
};
BenchFolder g_folder;

void generateStore() {
    g_folder.path =
        platform::JoinPath(platform::TemporaryFolder(),
                           "vorlith-bench-thumbs-" + std::to_string(std::random_device{}()));
    std::filesystem::create_directories(g_folder.path);
    g_folder.store = platform::JoinPath(g_folder.path, "Thumbs.db");
    auto out = platform::CreateOutputFile(g_folder.store);
    std::mt19937_64 random(42);
    // JPEG-like filler: random bytes, many 0xFF among them, so the search meets false starts.
    std::string filler(1 << 20, '\0');
    for (char& c : filler)
        c = static_cast<char>(random() % 7 == 0 ? 0xFF : random() & 0xFF);
    uint64_t written = 0;
    std::string header(2048, '\0'); // the store's own header before the first picture
    out->write(header);
    written += header.size();
    while (written < kStoreSize) {
        // Pieces of 4 to 28 kB, as thumbnails are: a whole JPEG (its start marker first) of about
        // half the piece, then other bytes of the store up to the next picture.
        const uint64_t length = std::min<uint64_t>(4096 + random() % 24576, kStoreSize - written);
        const std::string picture = test::SmallJpeg(96, 72, length / 2);
        const uint64_t rest = length > picture.size() ? length - picture.size() : 0;
        out->write(picture);
        out->write(std::string_view(filler).substr(random() % (filler.size() - rest), rest));
        written += picture.size() + rest;
        ++g_folder.markers;
    }
    out->close();
    g_folder.size = written;
}

class NoCancelRun final : public RunControl {
public:
    void yield() override {}
    bool isCanceled() const override { return false; }
};

void BM_ThumbnailPass(benchmark::State& state) {
    const std::string report = platform::JoinPath(g_folder.path, "report");
    for (auto _ : state) {
        state.PauseTiming();
        std::filesystem::remove_all(report);
        std::filesystem::create_directories(report);
        NoCancelRun run;
        NoProgress progress;
        FoundFileList stores;
        stores.AddToList(g_folder.store);
        ReportPages pages(report);
        pages.open(PageId::Thumbnails);
        TraceTotals totals;
        PageRun pageRun{run, progress, pages, totals};
        ThumbFindings findings;
        const DesktopThumbFindings previews;
        const std::string thumbs = platform::JoinPath(report, "thumbs");
        bench::ResetPeakMemory();
        state.ResumeTiming();

        ProcessThumbStores(run, progress, stores, thumbs, findings);
        WriteThumbnailPage(pageRun, {findings, previews, thumbs, platform::SystemClock()});
        pages.closeAll();

        state.PauseTiming();
        state.counters["pictures"] = static_cast<double>(findings.pictureCount);
        state.counters["peak_MB"] = static_cast<double>(bench::MemoryKilobytes()) / 1024.0;
        state.ResumeTiming();
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * g_folder.size));
    std::filesystem::remove_all(report);
}

class CountingSink final : public PictureSink {
public:
    int64_t pictures = 0;
    uint64_t bytes = 0;
    void beginPicture(int64_t) override { ++pictures; }
    void appendToPicture(std::string_view piece) override { bytes += piece.size(); }
    void endPicture() override {}
};

void BM_CutOnly(benchmark::State& state) {
    for (auto _ : state) {
        state.PauseTiming();
        bench::ResetPeakMemory();
        state.ResumeTiming();
        auto store = platform::OpenRegularFile(g_folder.store);
        CountingSink sink;
        JpegSplitter splitter(sink);
        std::vector<char> buffer(1 << 20);
        for (uint64_t offset = 0; offset < store->size();) {
            size_t got = store->readAt(offset, buffer.data(), buffer.size());
            if (got == 0)
                break;
            offset += got;
            splitter.feed(std::string_view(buffer.data(), got));
        }
        splitter.finish();
        state.PauseTiming();
        state.counters["pictures"] = static_cast<double>(sink.pictures);
        state.counters["peak_MB"] = static_cast<double>(bench::MemoryKilobytes()) / 1024.0;
        state.ResumeTiming();
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * g_folder.size));
}

} // namespace

BENCHMARK(BM_ThumbnailPass)->Iterations(1)->UseRealTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CutOnly)->Iterations(3)->UseRealTime()->Unit(benchmark::kMillisecond);

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    const auto started = std::chrono::steady_clock::now();
    generateStore();
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    std::printf("store: %s, %llu bytes, %lld markers (generated in %.1f s)\n",
                g_folder.store.c_str(), static_cast<unsigned long long>(g_folder.size),
                static_cast<long long>(g_folder.markers), seconds);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    std::filesystem::remove_all(g_folder.path);
    std::printf("removed %s\n", g_folder.path.c_str());
    return 0;
}
