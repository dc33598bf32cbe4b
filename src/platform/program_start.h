#pragma once
// Starting other programs.

#include <optional>
#include <string>
#include <vector>

namespace vorlith::platform {

class ProgramStarter {
public:
    virtual ~ProgramStarter() = default;
    /// Starts the program detached from this one (it outlives us, we never wait for it).
    /// arguments[0] is the program, looked up in PATH when it has no separator. True when the
    /// program was started.
    virtual bool start(const std::vector<std::string>& arguments) = 0;
    /// True when a program of that name can be found in PATH (or exists, for a path).
    virtual bool isAvailable(const std::string& program) = 0;
    /// Opens a page (a file or an address) in the desktop's default browser, detached from this
    /// program. True when it was started. This default starts the desktop's opener, xdg-open,
    /// through start(); a platform whose shell opens pages by their association overrides it.
    virtual bool openInDefaultBrowser(const std::string& target) {
        return start({"xdg-open", target});
    }
};

ProgramStarter& SystemProgramStarter();

/// The full path of a program found in PATH (on Windows also by its registered application
/// path, and with ".exe" added to a name without one).
std::optional<std::string> FindProgram(const std::string& program);

} // namespace vorlith::platform
