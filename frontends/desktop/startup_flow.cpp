#include "startup_flow.h"

#include <cstdio>

namespace vorlith::desktop {

AfterStartup ContinueStartup(Program& program, DesktopWindowSystem& windows, StartupOutcome outcome,
                             const InputOpener& openInput, bool trayAvailable) {
    switch (outcome) {
    case StartupOutcome::AnotherCopyRunning:
    case StartupOutcome::Ended:
        return AfterStartup::Ended;
    case StartupOutcome::WaitingInTray: {
        std::string reason;
        windows.watchInput(openInput(reason));
        if (!windows.isWatchingInput()) {
            std::fprintf(stderr,
                         "vorlith: %s; the idle watch cannot run, so the audit that is due "
                         "starts now.\n",
                         reason.c_str());
            program.IdleAuditStart(0);
        } else if (!trayAvailable) {
            // A hidden window could not be found again without a tray: it waits minimised.
            program.mainWindow().frame.visible = true;
        }
        break;
    }
    case StartupOutcome::WaitingForCommand:
    case StartupOutcome::AuditRan:
        break;
    }
    windows.renderAll();
    return windows.hasEnded() ? AfterStartup::Ended : AfterStartup::Running;
}

} // namespace vorlith::desktop
