#include "app/idle_watch.h"
#include "support/test_support.h"

#include <gtest/gtest.h>

#include <deque>

namespace vorlith {
namespace {

using namespace std::chrono_literals;

// Input the test scripts: presses queued per tick, a cursor that stays where it is put.
class ScriptedInput final : public platform::InputState {
public:
    int pendingPresses = 0;
    platform::CursorPosition cursor{0, 0};
    bool cursorReadable = true;

    int keyPressesSinceLastQuery() override {
        int presses = pendingPresses;
        pendingPresses = 0;
        return presses;
    }
    std::optional<platform::CursorPosition> cursorPosition() override {
        if (!cursorReadable)
            return std::nullopt;
        return cursor;
    }
};

class IdleWatch : public ::testing::Test {
protected:
    // Ticks every step for the given time; returns every idle report.
    std::vector<int> run(std::chrono::milliseconds duration,
                         std::chrono::milliseconds step = 1000ms) {
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

TEST_F(IdleWatch, QuietForTwoMinutesReportsOnceWithTheWholeSeconds) {
    auto reports = run(119s);
    EXPECT_TRUE(reports.empty());
    reports = run(10min);
    ASSERT_EQ(reports.size(), 1u);
    EXPECT_EQ(reports[0], 120);
    EXPECT_TRUE(state.IsIdle);
}

TEST_F(IdleWatch, AHeldKeyWithoutNewPressesStillBecomesIdle) {
    // The source counts a held key once, when it went down; afterwards it reports no presses.
    input.pendingPresses = 1;
    run(1s);
    const auto reports = run(130s);
    ASSERT_EQ(reports.size(), 1u);
    EXPECT_EQ(reports[0], 120);
}

TEST_F(IdleWatch, ANewTapRestartsTheQuietPeriod) {
    run(100s);
    input.pendingPresses = 1;
    EXPECT_TRUE(run(1s).empty());
    EXPECT_EQ(state.IdleSeconds, 0);
    EXPECT_TRUE(run(119s).empty()) << "the quiet period began again at the tap";
    EXPECT_EQ(run(2s).size(), 1u);
}

TEST_F(IdleWatch, CursorMovementRestartsTheQuietPeriodAndARestingCursorDoesNot) {
    input.cursor = {300, 200};
    run(1s);
    EXPECT_EQ(state.LastX, 300);
    EXPECT_EQ(state.LastY, 200);
    run(100s);
    input.cursor = {300, 201};
    run(1s);
    EXPECT_TRUE(run(119s).empty());
    EXPECT_EQ(run(2s).size(), 1u);
}

TEST_F(IdleWatch, ReportsAgainOnlyAfterInputAndAnotherFullQuietPeriod) {
    ASSERT_EQ(run(125s).size(), 1u);
    EXPECT_TRUE(run(30min).empty()) << "one quiet period gives one report";
    input.pendingPresses = 2;
    run(1s);
    EXPECT_FALSE(state.IsIdle);
    EXPECT_TRUE(run(119s).empty());
    EXPECT_EQ(run(2s).size(), 1u);
}

TEST_F(IdleWatch, AQuietPeriodOverMidnightStillEndsInAReport) {
    // The wall clock passes midnight (and even jumps back an hour); only the monotonic clock
    // measures the quiet period.
    clock.now = DateTime{2026, 12, 6, 23, 59, 30};
    run(60s);
    clock.now = DateTime{2026, 12, 7, 0, 0, 30};
    run(30s);
    clock.now = DateTime{2026, 12, 6, 23, 30, 0};
    const auto reports = run(40s);
    ASSERT_EQ(reports.size(), 1u);
    EXPECT_EQ(reports[0], 120);
}

TEST_F(IdleWatch, PollingEveryFewMillisecondsGivesTheSameSingleReport) {
    const auto reports = run(121s, 25ms);
    ASSERT_EQ(reports.size(), 1u);
    EXPECT_EQ(reports[0], 120);
}

TEST_F(IdleWatch, AnUnreadableCursorCountsAsResting) {
    input.cursorReadable = false;
    EXPECT_EQ(run(122s).size(), 1u);
}

} // namespace
} // namespace vorlith
