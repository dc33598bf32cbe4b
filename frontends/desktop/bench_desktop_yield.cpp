// What the desktop's yields cost the audit: a yield with no pump due, a yield that pumps Qt's
// events with nothing pending (state unchanged), and the progress bar fed a value that moves
// within one shown step versus one that moves the bar. Runs on Qt's offscreen platform.

#include "desktop_window_system.h"
#include "platform/reg_file_hive.h"
#include "platform/url_cache.h"

#include <QApplication>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

#include <cstdlib>

namespace {

using namespace vorlith;

struct NoStarter final : platform::ProgramStarter {
    bool start(const std::vector<std::string>&) override { return true; }
    bool isAvailable(const std::string&) override { return false; }
};
struct NoDrives final : platform::DriveSource {
    std::vector<std::string> roots() override { return {}; }
    vorlith::platform::DriveType typeOf(const std::string&) override { return vorlith::platform::DriveType::Unknown; }
};

struct Desktop {
    explicit Desktop(std::chrono::milliseconds interval)
        : user(folder.filePath("user.reg").toStdString(), "HKEY_CURRENT_USER"),
          machine(folder.filePath("machine.reg").toStdString(), "HKEY_LOCAL_MACHINE"),
          windows(desktop::DesktopOptions{interval, {}}),
          program(ProgramServices{windows, platform::SystemClock(), drives, cache, starter, user,
                                  machine},
                  ProgramOptions{}) {
        windows.attach(program);
        program.mainWindow().frame.visible = true;
        windows.renderAll();
    }
    QTemporaryDir folder;
    platform::RegFileHive user, machine;
    NoDrives drives;
    platform::EmptyUrlCacheSource cache;
    NoStarter starter;
    desktop::DesktopWindowSystem windows;
    Program program;
};

void YieldNotDue(benchmark::State& state) {
    Desktop desktop(std::chrono::hours(1));
    desktop.windows.yield();
    for (auto _ : state)
        desktop.windows.yield();
}
BENCHMARK(YieldNotDue);

void YieldPumpingNothingPending(benchmark::State& state) {
    Desktop desktop(std::chrono::milliseconds(0));
    for (auto _ : state)
        desktop.windows.yield();
}
BENCHMARK(YieldPumpingNothingPending);

void ProgressWithinOneShownStep(benchmark::State& state) {
    Desktop desktop(std::chrono::hours(1));
    ProgressBar& bar = desktop.program.mainWindow().pBar;
    bar.max = 1'000'000'000;
    int64_t value = 0;
    for (auto _ : state) {
        bar.value = ++value % 1000; // the shown per mille stays 0
        desktop.windows.mainForm().render();
    }
}
BENCHMARK(ProgressWithinOneShownStep);

void ProgressMovingTheBar(benchmark::State& state) {
    Desktop desktop(std::chrono::hours(1));
    ProgressBar& bar = desktop.program.mainWindow().pBar;
    bar.max = 1000;
    int64_t value = 0;
    for (auto _ : state) {
        bar.value = ++value % 1000;
        desktop.windows.mainForm().render(); // a new shown value repaints the bar
    }
}
BENCHMARK(ProgressMovingTheBar);

} // namespace

int main(int argc, char** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
