// The idle watch polls while the program waits in the tray: one tick must cost next to nothing
// (at one tick every 25 ms, a microsecond per tick is 0.004% of a core).

#include "app/idle_watch.h"

#include <benchmark/benchmark.h>

#include <chrono>

namespace {

class StillInput final : public vorlith::platform::InputState {
public:
    int keyPressesSinceLastQuery() override { return 0; }
    std::optional<vorlith::platform::CursorPosition> cursorPosition() override {
        return vorlith::platform::CursorPosition{640, 400};
    }
};

class SteppingClock final : public vorlith::platform::Clock {
public:
    mutable std::chrono::steady_clock::time_point now{};
    vorlith::DateTime localNow() const override { return {}; }
    std::chrono::steady_clock::time_point monotonicNow() const override {
        now += std::chrono::milliseconds(25);
        return now;
    }
    vorlith::DateTime toLocal(vorlith::FileTime) const override { return {}; }
};

void IdleTickQuiet(benchmark::State& state) {
    StillInput input;
    SteppingClock clock;
    vorlith::IdleState idle;
    for (auto _ : state)
        benchmark::DoNotOptimize(vorlith::IdleTick(idle, input, clock));
}
BENCHMARK(IdleTickQuiet);

} // namespace

BENCHMARK_MAIN();
