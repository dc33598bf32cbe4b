#pragma once
// The terminal a console front-end runs in.

#include <atomic>
#include <string>
#include <vector>

namespace vorlith::platform {

enum class ConsoleStream { Input, Output, Error };

/// True when the stream is a terminal.
bool IsTerminal(ConsoleStream stream);
/// Columns of the terminal on standard error (80 when unknown).
int TerminalColumns();

/// The program's arguments as UTF-8 text, argv[0] first. On Windows they are read again from the
/// wide command line, so that arguments outside the system's code page survive.
std::vector<std::string> CommandLineArguments(int argc, char** argv);

/// Makes the console show the program's UTF-8 text and the control sequences that redraw the
/// progress line; what it changes is put back when the program ends. Nothing to do where the
/// terminal does so already.
void PrepareConsole();

/// Ctrl-C raises the flag instead of ending the program. A second Ctrl-C while the flag is still
/// raised ends the program at once with status 130.
void InstallInterruptHandler(std::atomic<bool>& interrupted);

} // namespace vorlith::platform
