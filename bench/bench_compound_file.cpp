// Reading a large generated Thumbs.db by its structure: the compound file's header, FAT, mini
// FAT and directory, then every thumbnail stream whole (the small ones through the mini
// stream), handed to a sink that only counts. Prints the throughput in MB/s and the peak memory
// of the read, for 512-byte sectors (as Windows XP writes them) and 4096-byte sectors; the store
// is generated in a temporary folder and removed at the end.

#include "bench_memory.h"
#include "platform/file_access.h"
#include "platform/file_system.h"
#include "platform/folders.h"
#include "scan/compound_bytes.h"
#include "scan/thumbnail_store.h"

#include <benchmark/benchmark.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
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

// 128 MB; VORLITH_BENCH_COMPOUND_MB sets another size.
const uint64_t kStoreSize = [] {
    const char* megabytes = std::getenv("VORLITH_BENCH_COMPOUND_MB");
    return (megabytes ? std::strtoull(megabytes, nullptr, 10) : 128ull) << 20;
}(); // bytes of thumbnails

struct Store {
    std::string path;
    uint64_t size = 0; // bytes of the file
    int64_t thumbnails = 0;
};
std::string g_folder;
Store g_stores[2]; // 512- and 4096-byte sectors

// Thumbnails of 1.5 to 12 kB, as a folder of photos gives: most in the mini stream, the larger
// in sectors of their own, each with its Catalog entry.
// The thumbnails' sizes, drawn the same way for every store.
std::vector<size_t> thumbnailSizes() {
    std::mt19937_64 random(42);
    std::vector<size_t> coded;
    uint64_t total = 0;
    while (total < kStoreSize) {
        coded.push_back(1200 + random() % 10800);
        total += test::SmallJpeg(96, 72, coded.back()).size();
    }
    return coded;
}

Store describe(uint32_t, const std::string& name) {
    Store store;
    store.path = platform::JoinPath(g_folder, name);
    store.size = platform::FileSize(store.path).value_or(0);
    store.thumbnails = static_cast<int64_t>(thumbnailSizes().size());
    return store;
}

void generate(uint32_t sectorShift, const std::string& name) {
    test::CompoundSpec spec;
    spec.sectorShift = sectorShift;
    std::vector<test::CatalogItem> catalog;
    uint32_t number = 0;
    for (size_t coded : thumbnailSizes()) {
        std::string streamName = std::to_string(++number);
        std::reverse(streamName.begin(), streamName.end());
        spec.streams.push_back({streamName, test::ThumbnailStream(test::SmallJpeg(96, 72, coded))});
        catalog.push_back({number, 0, "photo " + std::to_string(number) + ".jpg"});
    }
    spec.streams.insert(spec.streams.begin(), {"Catalog", test::CatalogStream(catalog)});
    platform::WriteWholeFile(platform::JoinPath(g_folder, name),
                             test::BuildCompoundFile(spec).bytes);
}

class NoCancel final : public RunControl {
public:
    void yield() override {}
    bool isCanceled() const override { return false; }
};

class CountingSink final : public StoredPictureSink {
public:
    int64_t pictures = 0;
    uint64_t bytes = 0;
    void addPicture(StoredPicture picture) override {
        ++pictures;
        bytes += picture.bytes.size();
    }
};

void BM_ReadThumbsDb(benchmark::State& state) {
    const Store& store = g_stores[state.range(0)];
    for (auto _ : state) {
        state.PauseTiming();
        bench::ResetPeakMemory();
        const int64_t before = bench::MemoryKilobytes("VmRSS");
        state.ResumeTiming();
        auto file = platform::OpenRegularFile(store.path);
        CountingSink sink;
        NoCancel run;
        NoProgress progress;
        const StoreReadResult result = ReadThumbnailStore(*file, sink, run, progress);
        state.PauseTiming();
        if (result.outcome != StoreOutcome::Read || sink.pictures != store.thumbnails)
            state.SkipWithError("the store was not read whole");
        state.counters["pictures"] = static_cast<double>(sink.pictures);
        // What the read added to the memory the process already held.
        state.counters["peak_added_MB"] = static_cast<double>(bench::MemoryKilobytes("VmHWM") - before) / 1024.0;
        state.ResumeTiming();
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * store.size));
    state.SetLabel(state.range(0) == 0 ? "512-byte sectors" : "4096-byte sectors");
}

} // namespace

BENCHMARK(BM_ReadThumbsDb)
    ->Arg(0)
    ->Arg(1)
    ->Iterations(3)
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond);

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    g_folder =
        platform::JoinPath(platform::TemporaryFolder(),
                           "vorlith-bench-compound-" + std::to_string(std::random_device{}()));
    std::filesystem::create_directories(g_folder);
    const auto started = std::chrono::steady_clock::now();
    // The stores are built in memory by a child process, so that none of their bytes stay in
    // this process's memory while it reads them.
    const pid_t child = fork();
    if (child == 0) {
        generate(9, "Thumbs-512.db");
        generate(12, "Thumbs-4096.db");
        _exit(0);
    }
    int status = 0;
    waitpid(child, &status, 0);
    g_stores[0] = describe(9, "Thumbs-512.db");
    g_stores[1] = describe(12, "Thumbs-4096.db");
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    for (const Store& store : g_stores)
        std::printf("store: %s, %llu bytes, %lld thumbnails\n", store.path.c_str(),
                    static_cast<unsigned long long>(store.size),
                    static_cast<long long>(store.thumbnails));
    std::printf("(generated in %.1f s)\n", seconds);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    std::filesystem::remove_all(g_folder);
    std::printf("removed %s\n", g_folder.c_str());
    return 0;
}
