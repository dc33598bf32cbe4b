// Idle watch, tray icon and window life: the quiet period that starts a log-in audit, the tray's
// mouse events and the close request with its questions.

#include "app/idle_watch.h"
#include "app/main_window/close_request.h"
#include "platform/file_system.h"
#include "support/program_fixture.h"

#include <gtest/gtest.h>

namespace vorlith {
namespace {

using namespace std::chrono_literals;
using platform::MessageAnswer;

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

// An unreadable cursor counts as resting; polling every 25 ms changes nothing.
TEST_F(IdleWatch, UnreadableCursorAndFastPollingStillGiveOneReport) {
    input.cursor = std::nullopt;
    EXPECT_EQ(run(125s, 25ms), std::vector<int>{120});
}

class WindowLife : public ::testing::Test, public test::ProgramFixture {};

TEST_F(WindowLife, ALogInStartAuditsOnceAfterTwoQuietMinutesWhateverTheWallClock) {
    ScriptedInput input;
    store(keys::kLastAudit, "2026-11-01");
    ASSERT_EQ(program().Form_Load("/startup"), StartupOutcome::WaitingInTray);
    // The wall clock passes midnight and is then set back: only the monotonic clock counts.
    for (int second = 0; second < 300; ++second) {
        clock.advance(1s);
        clock.now = second < 60    ? DateTime{2026, 12, 6, 23, 59, 30}
                    : second < 100 ? DateTime{2026, 12, 7, 0, 0, 30}
                                   : DateTime{2026, 12, 6, 23, 30, 0};
        program().Idle_Timer_Tick(input);
        EXPECT_EQ(windows.resultsShown, second <= 120 ? 0 : 1) << second;
    }
    const MainWindow& window = program().mainWindow(); // shown, and the watch is off
    EXPECT_TRUE(window.frame.visible && window.frame.state == WindowState::Normal);
    EXPECT_FALSE(window.Idle_Timer.enabled);
    EXPECT_EQ(setting(keys::kLastAudit), "2026-12-06");
}

const char kCancel[] =
    "Vorlith - Cancel Scan\nAre you sure you want to cancel Vorlith Scan?\r\n\r\n"
    "The scan will take less than 5 minutes and is essential for knowing "
    "what traces are on your computer!";
const char kDone[] = "Vorlith - Are you done viewing results?\nAre you done viewing your Vorlith "
                     "results in your web browser?\r\n\r\nVorlith needs to remain open to view "
                     "your Thumbnail results.";

TEST(CloseRequest, AsksTheRightQuestionAndKeepsOrRemovesTheThumbnails) {
    using enum CloseDecision;
    const MessageAnswer yes = MessageAnswer::Yes, no = MessageAnswer::No;
    // run {ScanCanceled, Scanning, AuditStarted}; the question as "title\ntext", "" for none;
    // the last case has no report folder: nothing is emptied, not even a relative "thumbs".
    const std::tuple<RunState, MessageAnswer, CloseDecision, const char*, bool, bool> cases[] = {
        {{false, true, true}, yes, Refuse, kCancel, false, true},
        {{true, true, true}, no, Refuse, kCancel, false, true},
        {{true, false, true}, yes, Proceed, "", true, true},
        {{false, false, true}, yes, Proceed, kDone, true, true},
        {{false, false, true}, no, Refuse, kDone, false, true},
        {{false, false, false}, yes, Proceed, "", false, true},
        {{true, false, true}, yes, Proceed, "", false, false}};
    for (const auto& [before, answer, decision, question, thumbnailsRemoved, hasFolder] : cases) {
        SCOPED_TRACE(testing::Message() << before.ScanCanceled << before.Scanning
                                        << before.AuditStarted << " answer " << int(answer));
        test::TempFolder report;
        const std::string picture = report.write("thumbs/store1/1.jpg", "jpeg bytes");
        report.write("thumbs/.vorlith", "the program's own"); // as the program marks it
        const std::string page = report.write("Vorlith_summary.html", "page");
        test::FakeWindowSystem windows;
        windows.answers = {answer};
        RunState run = before;
        WindowFrame frame;
        frame.visible = true;
        EXPECT_EQ(Form_QueryUnload(run, frame, windows, hasFolder ? report.path() : ""), decision);
        std::string asked;
        for (const auto& message : windows.messages)
            asked += message.title + "\n" + message.text +
                     (message.buttons == platform::MessageButtons::YesNo &&
                              message.icon == platform::MessageIcon::Question
                          ? ""
                          : " (not a question)");
        EXPECT_EQ(asked, question);
        EXPECT_EQ(platform::FileExists(picture), !thumbnailsRemoved);
        EXPECT_EQ(windows.yields > 0, thumbnailsRemoved) << "a folder was listed";
        EXPECT_TRUE(platform::FileExists(page)) << "only the thumbs folder is emptied";
        EXPECT_TRUE(platform::FolderExists(report / "thumbs/store1")) << "folders stay";
        EXPECT_EQ(frame.visible, !thumbnailsRemoved && hasFolder);
        EXPECT_EQ(run.ScanCanceled, before.Scanning ? answer == yes : before.ScanCanceled);
        EXPECT_EQ(run.Scanning, before.Scanning) << "the close never ends the run itself";
    }
}

TEST_F(WindowLife, SetupClickedWhileTheDialogIsOpenBringsItToTheFrontWithItsEdits) {
    store(keys::kHARunOnStart, "0");
    ASSERT_EQ(program().Form_Load(""), StartupOutcome::WaitingForCommand);
    program().cmdSetup_Click();
    SetupDialog& setup = program().setupDialog();
    setup.txtDays.text = "12";
    program().cmdSetup_Click();
    EXPECT_EQ(setup.txtDays.text, "12");
    EXPECT_EQ(windows.raised, std::vector<platform::WindowId>{platform::WindowId::Setup});
}

TEST_F(WindowLife, TrayLeftClicksShowTheWindowARightReleaseOpensTheMenu) {
    store(keys::kLastAudit, "2026-11-01");
    ASSERT_EQ(program().Form_Load("/startup"), StartupOutcome::WaitingInTray);
    EXPECT_EQ(program().tray().icon().tip, "Vorlith 5.0 - Internet Vorlith ");
    using enum TrayMouse;
    const TrayAction expected[] = {TrayAction::ShowMainWindow, TrayAction::ShowMainWindow,
                                   TrayAction::OpenMenu, TrayAction::None, TrayAction::None};
    for (TrayMouse event :
         {LeftButtonDown, LeftDoubleClick, RightButtonUp, RightButtonDown, Other}) {
        program().mainWindow().frame.visible = false;
        EXPECT_EQ(program().Tray_MouseEvent(event), expected[int(event)]) << int(event);
        EXPECT_EQ(program().mainWindow().frame.visible,
                  expected[int(event)] == TrayAction::ShowMainWindow);
    }
}

TEST_F(WindowLife, ClosingDuringARunWithNoLeavesItGoingAndYesCancelsIt) {
    drive.write("a/b/c.txt", "x");
    bool asked = false;
    windows.everyYield = [&] {
        if (!program().audit().state().Scanning || std::exchange(asked, true))
            return;
        windows.answers = {MessageAnswer::No, MessageAnswer::Yes};
        EXPECT_FALSE(program().Form_QueryUnload());
        EXPECT_TRUE(program().audit().state().Scanning);
        EXPECT_FALSE(program().Form_QueryUnload());
    };
    program().Form_Load("");
    EXPECT_TRUE(program().audit().state().ScanCanceled);
    EXPECT_EQ(windows.resultsShown, 0);
    EXPECT_EQ(program().mainWindow().lblStatus.caption, "Vorlith scan canceled...");
    EXPECT_TRUE(program().Form_QueryUnload()) << "after the cancel the close goes on";
}

} // namespace
} // namespace vorlith
