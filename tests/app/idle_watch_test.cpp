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

    int keyPressesSinceLastQuery() override { return std::exchange(pendingPresses, 0); }
    std::optional<platform::CursorPosition> cursorPosition() override {
        return cursorReadable ? std::optional(cursor) : std::nullopt;
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
    EXPECT_TRUE(run(119s).empty());
    EXPECT_EQ(run(10min), std::vector<int>{120}) << "one quiet period gives one report";
    EXPECT_TRUE(state.IsIdle);
}

TEST_F(IdleWatch, InputRestartsTheQuietPeriod) {
    struct Case {
        const char* name;
        std::chrono::milliseconds quietBefore;
        int presses;
        platform::CursorPosition cursor;
    };
    const Case cases[] = {
        {"a tap", 100s, 1, {0, 0}},
        {"a cursor move by one pixel", 100s, 0, {0, 1}},
        {"presses after a report", 125s, 2, {0, 0}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        state = IdleState{};
        input.cursor = {0, 0};
        run(c.quietBefore);
        input.pendingPresses = c.presses;
        input.cursor = c.cursor;
        EXPECT_TRUE(run(1s).empty());
        EXPECT_FALSE(state.IsIdle);
        EXPECT_EQ(state.LastY, c.cursor.y);
        EXPECT_TRUE(run(119s).empty()) << "the quiet period began again at the input";
        EXPECT_EQ(run(2s).size(), 1u);
    }
}

TEST_F(IdleWatch, HeldKeyUnreadableCursorMidnightAndFastPollingStillGiveOneReport) {
    // A held key is counted once, when it went down; an unreadable cursor counts as resting; the
    // wall clock passing midnight (and jumping back an hour) does not matter, as only the
    // monotonic clock measures the quiet period; polling every 25 ms changes nothing.
    input.pendingPresses = 1;
    input.cursorReadable = false;
    run(1s);
    clock.now = DateTime{2026, 12, 6, 23, 59, 30};
    std::vector<int> reports = run(60s);
    clock.now = DateTime{2026, 12, 7, 0, 0, 30};
    EXPECT_TRUE(run(30s).empty() && reports.empty());
    clock.now = DateTime{2026, 12, 6, 23, 30, 0};
    reports = run(40s, 25ms);
    EXPECT_EQ(reports, std::vector<int>{120});
}

} // namespace
} // namespace vorlith
