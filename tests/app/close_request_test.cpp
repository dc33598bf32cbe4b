#include "app/main_window/close_request.h"
#include "platform/file_system.h"
#include "support/test_support.h"

#include <gtest/gtest.h>

namespace vorlith {
namespace {

using platform::MessageAnswer;

const char kCancelTitle[] = "Vorlith - Cancel Scan";
const char kDoneTitle[] = "Vorlith - Are you done viewing results?";

TEST(CloseRequest, AsksTheRightQuestionAndKeepsOrRemovesTheThumbnails) {
    struct Case {
        const char* name;
        RunState run;
        MessageAnswer answer;
        CloseDecision decision;
        const char* question; // the title, "" when nothing is asked
        bool thumbnailsRemoved;
        bool canceledAfter;
    };
    using enum CloseDecision;
    const MessageAnswer yes = MessageAnswer::Yes, no = MessageAnswer::No;
    const Case cases[] = {
        {"scanning, Yes", {false, true, true}, yes, Refuse, kCancelTitle, false, true},
        {"scanning, No", {true, true, true}, no, Refuse, kCancelTitle, false, false},
        {"after a cancel", {true, false, true}, yes, Proceed, "", true, true},
        {"after an audit, Yes", {false, false, true}, yes, Proceed, kDoneTitle, true, false},
        {"after an audit, No", {false, false, true}, no, Refuse, kDoneTitle, false, false},
        {"no audit yet", {false, false, false}, yes, Proceed, "", false, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        test::TempFolder report;
        const std::string picture = report.write("thumbs/store1/1.jpg", "jpeg bytes");
        const std::string page = report.write("Vorlith_summary.html", "page");
        test::FakeWindowSystem windows;
        windows.answers = {c.answer};
        RunState run = c.run;
        WindowFrame frame;
        frame.visible = true;

        EXPECT_EQ(Form_QueryUnload(run, frame, windows, report.path()), c.decision);
        std::vector<std::string> titles;
        for (const auto& message : windows.messages)
            titles.push_back(message.title);
        EXPECT_EQ(titles,
                  *c.question ? std::vector<std::string>{c.question} : std::vector<std::string>{});
        EXPECT_EQ(platform::FileExists(picture), !c.thumbnailsRemoved);
        EXPECT_TRUE(platform::FileExists(page)) << "only the thumbs folder is emptied";
        EXPECT_TRUE(platform::FolderExists(report / "thumbs/store1")) << "folders stay";
        EXPECT_EQ(frame.visible, !c.thumbnailsRemoved);
        EXPECT_EQ(run.ScanCanceled, c.canceledAfter);
        EXPECT_EQ(run.Scanning, c.run.Scanning) << "the close never ends the run itself";
    }
}

TEST(CloseRequest, QuestionsHaveTheirTexts) {
    test::TempFolder report;
    test::FakeWindowSystem windows;
    for (RunState run : {RunState{false, true, true}, RunState{false, false, true}}) {
        WindowFrame frame;
        windows.answers = {MessageAnswer::No};
        Form_QueryUnload(run, frame, windows, report.path());
    }
    ASSERT_EQ(windows.messages.size(), 2u);
    EXPECT_EQ(windows.messages[0].text,
              "Are you sure you want to cancel Vorlith Scan?\r\n\r\nThe scan will take less than "
              "5 minutes and is essential for knowing what traces are on your computer!");
    EXPECT_EQ(windows.messages[1].text,
              "Are you done viewing your Vorlith results in your web browser?\r\n\r\nVorlith "
              "needs to remain open to view your Thumbnail results.");
    for (const auto& message : windows.messages) {
        EXPECT_EQ(message.buttons, platform::MessageButtons::YesNo);
        EXPECT_EQ(message.icon, platform::MessageIcon::Question);
    }
}

TEST(CloseRequest, WithoutAReportFolderNothingIsEmptied) {
    RunState run{true, false, true};
    WindowFrame frame;
    test::FakeWindowSystem windows;
    EXPECT_EQ(Form_QueryUnload(run, frame, windows, ""), CloseDecision::Proceed);
    EXPECT_EQ(windows.yields, 0) << "no folder was listed";
}

} // namespace
} // namespace vorlith
