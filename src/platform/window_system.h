#pragma once
// What only a front-end can do for the logic: run pending window events, ask the user, show a
// window modally. The desktop program, the console program and the tests each implement it.

#include <string>

namespace vorlith {
class ResultsWindow;
}

namespace vorlith::platform {

enum class MessageButtons { Ok, YesNo };
enum class MessageIcon { None, Critical, Question, Exclamation, Information };
enum class MessageAnswer { Ok, Yes, No };

/// A modal message box: its buttons, icon, title and text (lines separated by CR LF).
struct MessageRequest {
    MessageButtons buttons = MessageButtons::Ok;
    MessageIcon icon = MessageIcon::None;
    std::string title;
    std::string text;
};

/// The windows the logic asks to place.
enum class WindowId { Main, Results, Setup };

class WindowSystem {
public:
    virtual ~WindowSystem() = default;

    /// Lets pending window events run (clicks, timer ticks, close requests), each through the
    /// logic's handlers. A front-end may pump only when some milliseconds have passed since the
    /// last pump; the logic behaves as if every call pumped.
    virtual void yield() = 0;

    /// Shows a modal message box and returns the user's answer.
    virtual MessageAnswer showMessage(const MessageRequest& request) = 0;

    /// Shows the results window modally: returns when the user has closed it. The window's
    /// handlers (timer ticks, clicks) run meanwhile.
    virtual void showResultsModal(ResultsWindow& window) = 0;

    /// Centres a window on the screen, its size unchanged.
    virtual void centerWindow(WindowId window) = 0;

    /// Brings a shown window in front of the others and gives it the focus, its content as it
    /// is. A front-end without windows has nothing to raise.
    virtual void raiseWindow(WindowId) {}

    /// Puts the program's icon into the desktop's notification area (tray).
    virtual void showTrayIcon() = 0;
};

} // namespace vorlith::platform
