#include "startup_flow.h"

namespace vorlith::win32ui {

AfterStartup ContinueStartup(Program& program, Win32WindowSystem& windows, StartupOutcome outcome,
                             const InputOpener& openInput) {
    // The program has no console to say why there is no idle watch.
    if (!vorlith::ContinueStartup(program, windows.idleInput(), outcome, openInput,
                                  windows.isTrayIconShown(), [](const std::string&) {}))
        return AfterStartup::Ended;
    windows.renderAll();
    return windows.hasEnded() ? AfterStartup::Ended : AfterStartup::Running;
}

} // namespace vorlith::win32ui
