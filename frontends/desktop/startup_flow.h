#pragma once
// What the desktop program does after start-up has chosen how to go on.

#include "app/desktop_startup.h"
#include "app/program.h"
#include "desktop_window_system.h"

namespace vorlith::desktop {

enum class AfterStartup { Running, Ended };

/// A log-in start that must wait watches the input (opened only now, so no events pile up in an
/// ordinary start); without input it says why on standard error and audits at once; without a
/// tray the window waits minimised instead of hidden. Ended when start-up ended the program.
AfterStartup ContinueStartup(Program& program, DesktopWindowSystem& windows, StartupOutcome outcome,
                             const InputOpener& openInput, bool trayAvailable);

} // namespace vorlith::desktop
