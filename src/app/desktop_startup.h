#pragma once
// What both desktop programs do after start-up has chosen how to go on, and how they feed the
// idle watch: only the rendering differs between them.

#include "app/program.h"
#include "platform/input_state.h"

#include <functional>
#include <memory>
#include <string>

namespace vorlith {

/// The input source of the idle watch while Idle_Timer is on.
class IdleInputFeed {
public:
    /// Feeds the idle watch from `input` from now on (nullptr: never fires).
    void watch(std::unique_ptr<platform::InputState> input) { m_input = std::move(input); }
    bool isWatching() const { return m_input != nullptr; }

    /// One Idle_Timer tick. The audit the idle watch starts runs inside this tick; ticks that
    /// come during its yields are not delivered again. The source is dropped (closed, so that
    /// no input piles up unread) once the watch has gone off.
    void tick(Program& program);

private:
    std::unique_ptr<platform::InputState> m_input;
    bool m_inTick = false;
};

/// Opens the desktop's input state, or gives the reason there is none.
using InputOpener = std::function<std::unique_ptr<platform::InputState>(std::string& reason)>;

/// A log-in start that must wait watches the input (opened only now, so no events pile up in an
/// ordinary start); without input `sayNoIdleWatch` gets the reason and the audit that is due runs
/// at once; without a tray icon the window waits minimised instead of hidden. False when start-up
/// ended the program.
bool ContinueStartup(Program& program, IdleInputFeed& feed, StartupOutcome outcome,
                     const InputOpener& openInput, bool trayShown,
                     const std::function<void(const std::string& reason)>& sayNoIdleWatch);

} // namespace vorlith
