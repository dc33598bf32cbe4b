#pragma once
// What the Windows desktop program does after start-up has chosen how to go on.

#include "app/program.h"
#include "win32_window_system.h"

#include <functional>
#include <memory>
#include <string>

namespace vorlith::win32ui {

/// Opens the desktop's input state, or gives the reason there is none.
using InputOpener = std::function<std::unique_ptr<platform::InputState>(std::string& reason)>;

enum class AfterStartup { Running, Ended };

/// A log-in start that must wait watches the input (opened only now); without an input state
/// it audits at once; without a tray icon the window waits minimised, with its button on the
/// task bar, instead of hidden. Ended when start-up ended the program.
AfterStartup ContinueStartup(Program& program, Win32WindowSystem& windows, StartupOutcome outcome,
                             const InputOpener& openInput);

} // namespace vorlith::win32ui
