#include "app/browser_launch.h"

namespace vorlith {

bool BrowserLauncher::OpenInInternetExplorer(const std::string& target) {
    if (m_mode == BrowserMode::Suppressed)
        return true;
    return m_starter.openInDefaultBrowser(target);
}

bool BrowserLauncher::OpenInFirefox(const std::string& target) {
    if (m_mode == BrowserMode::Suppressed)
        return true;
    const std::string program = m_starter.isAvailable("firefox")       ? "firefox"
                                : m_starter.isAvailable("firefox-esr") ? "firefox-esr"
                                                                       : "firefox";
    return m_starter.start({program, "-new-window", target});
}

} // namespace vorlith
