#pragma once
// The idle watch: one tick of Idle_Timer decides whether the user has left keyboard and mouse
// alone long enough for the log-in audit to start.

#include "platform/clock.h"
#include "platform/input_state.h"

#include <chrono>
#include <cstdint>

namespace vorlith {

/// The quiet time after which the user counts as idle.
inline constexpr double kIdleLimitSeconds = 120.0;
/// How often the desktop delivers Idle_Timer ticks: often enough not to lag, rare enough to cost
/// well under 1% of a core.
inline constexpr int kIdlePollIntervalMs = 25;

/// The idle record of the main window.
struct IdleState {
    int32_t LastX = 0; // cursor position at the previous tick, screen pixels
    int32_t LastY = 0;
    bool NoInput = false; // no key press and no cursor movement in the current tick
    bool IsIdle = false;  // the limit was reached and reported; cleared by the next input
    /// When the current quiet period began, on the monotonic clock: a quiet period over
    /// midnight or over a change of the wall clock keeps counting.
    std::chrono::steady_clock::time_point IdleStart{};
    double IdleSeconds = 0; // length of the current quiet period, seconds
    bool Started = false;   // the record has been initialised
};

/// One Idle_Timer tick. Returns the whole idle seconds when the user has just become idle (the
/// caller starts the audit then), or -1. Reports idleness once per quiet period: the next report
/// needs input and another full quiet period. A cursor that cannot be read counts as unmoved.
int IdleTick(IdleState& state, platform::InputState& input, const platform::Clock& clock);

} // namespace vorlith
