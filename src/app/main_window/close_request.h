#pragma once
// The main window's close request: refused during a scan (the cancel question is asked instead),
// after an audit only when the user confirms, and the extracted thumbnails are removed when the
// window goes.

#include "app/audit_run.h"
#include "app/main_window/main_window.h"
#include "platform/window_system.h"

#include <string>

namespace vorlith {

enum class CloseDecision { Refuse, Proceed };

/// The question a close after an audit asks.
platform::MessageRequest DoneViewingQuestion();

/// Handles a request to close the main window, for any reason. During a scan: the cancel
/// question (Yes raises ScanCanceled, No clears it), and the close is refused either way. After
/// a cancelled scan: the window is hidden and the files below ReportFolder/thumbs are deleted.
/// After an audit: the done-viewing question; Yes as after a cancel, No refuses. Otherwise the
/// close goes on.
CloseDecision Form_QueryUnload(RunState& run, WindowFrame& frame, platform::WindowSystem& windows,
                               const std::string& reportFolder);

} // namespace vorlith
