#include "startup_flow.h"

namespace vorlith::win32ui {

AfterStartup ContinueStartup(Program& program, Win32WindowSystem& windows, StartupOutcome outcome,
                             const InputOpener& openInput) {
    switch (outcome) {
    case StartupOutcome::AnotherCopyRunning:
    case StartupOutcome::Ended:
        return AfterStartup::Ended;
    case StartupOutcome::WaitingInTray: {
        std::string reason;
        windows.watchInput(openInput(reason));
        if (!windows.isWatchingInput()) {
            // The program has no console to say why; the audit that is due runs now.
            program.IdleAuditStart(0);
        } else if (!windows.isTrayIconShown()) {
            // A hidden window could not be found again without the tray: it waits minimised.
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

} // namespace vorlith::win32ui
