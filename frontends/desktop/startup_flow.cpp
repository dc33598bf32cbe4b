#include "startup_flow.h"

#include <cstdio>

namespace vorlith::desktop {

AfterStartup ContinueStartup(Program& program, DesktopWindowSystem& windows, StartupOutcome outcome,
                             const InputOpener& openInput, bool trayAvailable) {
    const auto sayNoIdleWatch = [](const std::string& reason) {
        std::fprintf(stderr,
                     "vorlith: %s; the idle watch cannot run, so the audit that is due starts "
                     "now.\n",
                     reason.c_str());
    };
    if (!vorlith::ContinueStartup(program, windows.idleInput(), outcome, openInput, trayAvailable,
                                  sayNoIdleWatch))
        return AfterStartup::Ended;
    windows.renderAll();
    return windows.hasEnded() ? AfterStartup::Ended : AfterStartup::Running;
}

} // namespace vorlith::desktop
