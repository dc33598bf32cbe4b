#pragma once
// The terminal a console front-end runs in.

#include <atomic>

namespace vorlith::platform {

enum class ConsoleStream { Input, Output, Error };

/// True when the stream is a terminal.
bool IsTerminal(ConsoleStream stream);
/// Columns of the terminal on standard error (80 when unknown).
int TerminalColumns();

/// Ctrl-C raises the flag instead of ending the program. A second Ctrl-C while the flag is still
/// raised ends the program at once with status 130.
void InstallInterruptHandler(std::atomic<bool>& interrupted);

} // namespace vorlith::platform
