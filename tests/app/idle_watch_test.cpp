#include "app/idle_watch.h"
#include "support/program_fixture.h"

#include <gtest/gtest.h>

namespace vorlith {
namespace {

using namespace std::chrono_literals;

// Input the test scripts: presses queued for the next tick, a cursor that stays where it is put.
class ScriptedInput final : public platform::InputState {
public:
    int pendingPresses = 0;
    std::optional<platform::CursorPosition> cursor = platform::CursorPosition{0, 0};

    int keyPressesSinceLastQuery() override { return std::exchange(pendingPresses, 0); }
    std::optional<platform::CursorPosition> cursorPosition() override { return cursor; }
};

class IdleWatch : public ::testing::Test {
protected:
    // Ticks every step for the given time; returns every idle report.
    std::vector<int> run(std::chrono::milliseconds duration, std::chrono::milliseconds step = 1s) {
        std::vector<int> reports;
        for (auto elapsed = 0ms; elapsed < duration; elapsed += step) {
            clock.advance(step);
            if (int seconds = IdleTick(state, input, clock); seconds >= 0)
                reports.push_back(seconds);
        }
        return reports;
    }

    test::FakeClock clock;
    ScriptedInput input;
    IdleState state;
};

TEST_F(IdleWatch, InputRestartsTheQuietPeriodAndEachPeriodReportsOnce) {
    const std::tuple<const char*, std::chrono::milliseconds, int, platform::CursorPosition>
        cases[] = {{"a tap", 100s, 1, {0, 0}},
                   {"a cursor move by one pixel", 100s, 0, {0, 1}},
                   {"presses after a report", 10min, 2, {0, 0}}};
    for (const auto& [name, quietBefore, presses, cursor] : cases) {
        SCOPED_TRACE(name);
        state = IdleState{};
        input.cursor = platform::CursorPosition{0, 0};
        EXPECT_EQ(run(quietBefore).size(), quietBefore > 120s ? 1u : 0u);
        input.pendingPresses = presses;
        input.cursor = cursor;
        EXPECT_TRUE(run(1s).empty());
        EXPECT_FALSE(state.IsIdle);
        EXPECT_TRUE(run(119s).empty()) << "the quiet period began again at the input";
        EXPECT_EQ(run(2s), std::vector<int>{120});
        EXPECT_TRUE(state.IsIdle);
    }
}

TEST_F(IdleWatch, HeldKeyUnreadableCursorMidnightAndFastPollingStillGiveOneReport) {
    // A held key is counted once, when it went down; an unreadable cursor counts as resting; the
    // wall clock passing midnight (and jumping back an hour) does not matter, as only the
    // monotonic clock measures the quiet period; polling every 25 ms changes nothing.
    input.pendingPresses = 1;
    input.cursor = std::nullopt;
    run(1s);
    clock.now = DateTime{2026, 12, 6, 23, 59, 30};
    EXPECT_TRUE(run(60s).empty());
    clock.now = DateTime{2026, 12, 7, 0, 0, 30};
    EXPECT_TRUE(run(30s).empty());
    clock.now = DateTime{2026, 12, 6, 23, 30, 0};
    EXPECT_EQ(run(40s, 25ms), std::vector<int>{120});
}

class IdleStart : public ::testing::Test, public test::ProgramFixture {};

TEST_F(IdleStart, ALogInStartAuditsOnceAfterTwoQuietMinutes) {
    ScriptedInput input;
    store(keys::kLastAudit, "2026-11-01");
    ASSERT_EQ(program().Form_Load("/startup"), StartupOutcome::WaitingInTray);
    EXPECT_TRUE(program().tray().bRunningInTray());
    EXPECT_LE(program().mainWindow().Idle_Timer.intervalMs, 50);
    for (int second = 0; second < 300; ++second) {
        clock.advance(1s);
        program().Idle_Timer_Tick(input);
        EXPECT_EQ(windows.resultsShown, second <= 120 ? 0 : 1) << second;
    }
    EXPECT_FALSE(program().mainWindow().Idle_Timer.enabled);
    EXPECT_TRUE(program().mainWindow().frame.visible);
    EXPECT_EQ(program().mainWindow().frame.state, WindowState::Normal);
    EXPECT_EQ(setting(keys::kLastAudit), "2026-12-06");
}

} // namespace
} // namespace vorlith
