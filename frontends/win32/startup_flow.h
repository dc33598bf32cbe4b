#pragma once
// What the Windows desktop program does after start-up has chosen how to go on.

#include "app/desktop_startup.h"
#include "app/program.h"
#include "win32_window_system.h"

namespace vorlith::win32ui {

enum class AfterStartup { Running, Ended };

/// A log-in start that must wait watches the input (opened only now); without an input state
/// it audits at once; without a tray icon the window waits minimised, with its button on the
/// task bar, instead of hidden. Ended when start-up ended the program.
AfterStartup ContinueStartup(Program& program, Win32WindowSystem& windows, StartupOutcome outcome,
                             const InputOpener& openInput);

} // namespace vorlith::win32ui
