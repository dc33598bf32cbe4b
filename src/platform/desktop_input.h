#pragma once
// The desktop's keyboard and cursor state for the idle watch. On Linux built into a library of
// its own (it needs the display server's client libraries), linked only by the desktop program
// and the tests of it; on Windows part of the platform layer (the system's own input calls).

#include "platform/input_state.h"

#include <memory>
#include <string>

namespace vorlith::platform {

/// Opens the desktop's input state. std::nullptr with a reason (for the user's standard error)
/// when there is no display to watch, as on a pure Wayland session without X.
std::unique_ptr<InputState> OpenDesktopInputState(std::string& reason);

} // namespace vorlith::platform
