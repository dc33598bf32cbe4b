#pragma once
// Opening the report, or Firefox's own cache views, in a browser.

#include "platform/program_start.h"

#include <string>

namespace vorlith {

enum class BrowserMode {
    Open,      // start the browsers
    Suppressed // the user asked for none (or there is no display): nothing is started
};

class BrowserLauncher {
public:
    explicit BrowserLauncher(platform::ProgramStarter& starter,
                             BrowserMode mode = BrowserMode::Open)
        : m_starter(starter), m_mode(mode) {}

    /// Opens the target (an address or a file path) in the desktop's default browser
    /// (xdg-open; on Windows the shell's association). False when it could not be started.
    bool OpenInInternetExplorer(const std::string& target);
    /// Opens the target in a new Firefox window ("firefox", or "firefox-esr" where that is the
    /// installed name). False when Firefox could not be started.
    bool OpenInFirefox(const std::string& target);

    BrowserMode mode() const { return m_mode; }
    void setMode(BrowserMode mode) { m_mode = mode; }

private:
    platform::ProgramStarter& m_starter;
    BrowserMode m_mode;
};

} // namespace vorlith
