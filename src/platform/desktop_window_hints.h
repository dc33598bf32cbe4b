#pragma once
// Window hints the desktop program gives the window manager, where the toolkit has no word for
// them. Built into the display library with the input state.

#include <cstdint>

namespace vorlith::platform {

enum class TaskbarEntry { Shown, Skipped };

/// Asks the window manager to show or leave out a mapped top-level window's entry in the task
/// list (on X11 the _NET_WM_STATE_SKIP_TASKBAR state). nativeWindow is the toolkit's native id
/// of the window. False when there is no display or no window manager that understands it.
bool SetTaskbarEntry(uintptr_t nativeWindow, TaskbarEntry entry);

} // namespace vorlith::platform
