#include "app/main_window/close_request.h"

#include "app/startup.h"
#include "platform/file_system.h"

namespace vorlith {
namespace {
// The thumbnails page links the extracted pictures, so they stay until the window goes.
void RemoveExtractedThumbnails(WindowFrame& frame, platform::WindowSystem& windows,
                               const std::string& reportFolder) {
    frame.visible = false;
    // Without a report folder the path would be relative to wherever the program was started.
    if (!reportFolder.empty())
        EmptyFolder(windows, platform::JoinPath(reportFolder, "thumbs"));
}
} // namespace

platform::MessageRequest DoneViewingQuestion() {
    return {platform::MessageButtons::YesNo, platform::MessageIcon::Question,
            "Vorlith - Are you done viewing results?",
            "Are you done viewing your Vorlith results in your web browser?\r\n\r\nVorlith needs "
            "to remain open to view your Thumbnail results."};
}

CloseDecision Form_QueryUnload(RunState& run, WindowFrame& frame, platform::WindowSystem& windows,
                               const std::string& reportFolder) {
    if (run.Scanning) {
        // The run tests the flag at its next check and cancels itself there.
        run.ScanCanceled =
            windows.showMessage(CancelScanQuestion()) == platform::MessageAnswer::Yes;
        return CloseDecision::Refuse;
    }
    if (run.ScanCanceled) {
        RemoveExtractedThumbnails(frame, windows, reportFolder);
        return CloseDecision::Proceed;
    }
    if (run.AuditStarted) {
        if (windows.showMessage(DoneViewingQuestion()) != platform::MessageAnswer::Yes)
            return CloseDecision::Refuse;
        RemoveExtractedThumbnails(frame, windows, reportFolder);
        return CloseDecision::Proceed;
    }
    return CloseDecision::Proceed;
}

} // namespace vorlith
