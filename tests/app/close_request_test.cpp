#include "app/main_window/close_request.h"
#include "platform/file_system.h"
#include "support/test_support.h"

#include <gtest/gtest.h>

namespace vorlith {
namespace {

using platform::MessageAnswer;

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
    // run {ScanCanceled, Scanning, AuditStarted}; the question as "title\ntext", "" for none
    const std::tuple<RunState, MessageAnswer, CloseDecision, const char*, bool> cases[] = {
        {{false, true, true}, yes, Refuse, kCancel, false},
        {{true, true, true}, no, Refuse, kCancel, false},
        {{true, false, true}, yes, Proceed, "", true},
        {{false, false, true}, yes, Proceed, kDone, true},
        {{false, false, true}, no, Refuse, kDone, false},
        {{false, false, false}, yes, Proceed, "", false}};
    for (const auto& [before, answer, decision, question, thumbnailsRemoved] : cases) {
        SCOPED_TRACE(testing::Message() << before.ScanCanceled << before.Scanning
                                        << before.AuditStarted << " answer " << int(answer));
        test::TempFolder report;
        const std::string picture = report.write("thumbs/store1/1.jpg", "jpeg bytes");
        const std::string page = report.write("Vorlith_summary.html", "page");
        test::FakeWindowSystem windows;
        windows.answers = {answer};
        RunState run = before;
        WindowFrame frame;
        frame.visible = true;
        EXPECT_EQ(Form_QueryUnload(run, frame, windows, report.path()), decision);
        std::string asked;
        for (const auto& message : windows.messages) {
            asked += message.title + "\n" + message.text;
            EXPECT_EQ(message.buttons, platform::MessageButtons::YesNo);
            EXPECT_EQ(message.icon, platform::MessageIcon::Question);
        }
        EXPECT_EQ(asked, question);
        EXPECT_EQ(platform::FileExists(picture), !thumbnailsRemoved);
        EXPECT_TRUE(platform::FileExists(page)) << "only the thumbs folder is emptied";
        EXPECT_TRUE(platform::FolderExists(report / "thumbs/store1")) << "folders stay";
        EXPECT_EQ(frame.visible, !thumbnailsRemoved);
        EXPECT_EQ(run.ScanCanceled, before.Scanning ? answer == yes : before.ScanCanceled);
        EXPECT_EQ(run.Scanning, before.Scanning) << "the close never ends the run itself";
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
