#include "app/main_window/close_request.h"
#include "platform/file_system.h"
#include "support/test_support.h"

#include <gtest/gtest.h>

namespace vorlith {
namespace {

using platform::MessageAnswer;

const char kCancelText[] =
    "Are you sure you want to cancel Vorlith Scan?\r\n\r\nThe scan will take "
    "less than 5 minutes and is essential for knowing what traces are on "
    "your computer!";
const char kDoneText[] = "Are you done viewing your Vorlith results in your web browser?\r\n\r\n"
                         "Vorlith needs to remain open to view your Thumbnail results.";

const char kCancelTitle[] = "Vorlith - Cancel Scan";
const char kDoneTitle[] = "Vorlith - Are you done viewing results?";

struct CloseCase {
    const char* name;
    RunState run;
    MessageAnswer answer;
    CloseDecision decision;
    const char* questionTitle; // "" when no question is asked
    bool thumbnailsRemoved;
    bool canceledAfter;
};

TEST(CloseRequest, AsksTheRightQuestionAndKeepsOrRemovesTheThumbnails) {
    using enum CloseDecision;
    const MessageAnswer yes = MessageAnswer::Yes, no = MessageAnswer::No;
    const CloseCase cases[] = {
        {"scanning, Yes", {false, true, true}, yes, Refuse, kCancelTitle, false, true},
        {"scanning, No", {true, true, true}, no, Refuse, kCancelTitle, false, false},
        {"after a cancel", {true, false, true}, yes, Proceed, "", true, true},
        {"after an audit, Yes", {false, false, true}, yes, Proceed, kDoneTitle, true, false},
        {"after an audit, No", {false, false, true}, no, Refuse, kDoneTitle, false, false},
        {"no audit yet", {false, false, false}, yes, Proceed, "", false, false},
    };
    for (const CloseCase& test : cases) {
        SCOPED_TRACE(test.name);
        test::TempFolder report;
        const std::string picture = report.write("thumbs/store1/1.jpg", "jpeg bytes");
        const std::string page = report.write("Vorlith_summary.html", "page");
        test::FakeWindowSystem windows;
        if (*test.questionTitle)
            windows.answers = {test.answer};
        RunState run = test.run;
        WindowFrame frame;
        frame.visible = true;

        EXPECT_EQ(Form_QueryUnload(run, frame, windows, report.path()), test.decision);

        if (!*test.questionTitle) {
            EXPECT_TRUE(windows.messages.empty());
        } else {
            ASSERT_EQ(windows.messages.size(), 1u);
            EXPECT_EQ(windows.messages[0].title, test.questionTitle);
            EXPECT_EQ(windows.messages[0].buttons, platform::MessageButtons::YesNo);
            EXPECT_EQ(windows.messages[0].icon, platform::MessageIcon::Question);
            EXPECT_EQ(windows.messages[0].text, test.questionTitle == std::string(kCancelTitle)
                                                    ? std::string(kCancelText)
                                                    : std::string(kDoneText));
        }
        EXPECT_EQ(platform::FileExists(picture), !test.thumbnailsRemoved);
        EXPECT_TRUE(platform::FileExists(page)) << "only the thumbs folder is emptied";
        EXPECT_TRUE(platform::FolderExists(report / "thumbs/store1")) << "folders stay";
        EXPECT_EQ(frame.visible, !test.thumbnailsRemoved);
        EXPECT_EQ(run.ScanCanceled, test.canceledAfter);
        EXPECT_EQ(run.Scanning, test.run.Scanning) << "the close never ends the run itself";
    }
}

TEST(CloseRequest, WithoutAReportFolderNothingOutsideItIsTouched) {
    RunState run{true, false, true};
    WindowFrame frame;
    test::FakeWindowSystem windows;
    EXPECT_EQ(Form_QueryUnload(run, frame, windows, ""), CloseDecision::Proceed);
    EXPECT_EQ(windows.yields, 0) << "no folder was listed";
}

} // namespace
} // namespace vorlith
