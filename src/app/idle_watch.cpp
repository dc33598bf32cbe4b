#include "app/idle_watch.h"

#include <cmath>

namespace vorlith {

int IdleTick(IdleState& state, platform::InputState& input, const platform::Clock& clock) {
    const auto now = clock.monotonicNow();
    if (!state.Started) {
        state.IdleStart = now;
        state.Started = true;
    }
    state.NoInput = true;
    // The input source counts presses, not held keys, so a key resting on the keyboard does not
    // keep the computer from becoming idle.
    if (input.keyPressesSinceLastQuery() > 0)
        state.NoInput = false;
    if (auto cursor = input.cursorPosition()) {
        if (cursor->x != state.LastX || cursor->y != state.LastY) {
            state.NoInput = false;
            state.LastX = cursor->x;
            state.LastY = cursor->y;
        }
    }
    if (state.IsIdle && !state.NoInput) {
        state.IsIdle = false;
        state.IdleSeconds = 0;
        state.IdleStart = now;
    }
    int reported = -1;
    if (state.IdleSeconds >= kIdleLimitSeconds && !state.IsIdle && state.NoInput) {
        state.IsIdle = true;
        reported = static_cast<int>(std::lround(state.IdleSeconds));
    }
    if (state.NoInput) {
        state.IdleSeconds = std::chrono::duration<double>(now - state.IdleStart).count();
    } else {
        state.IdleStart = now;
        state.IdleSeconds = 0;
    }
    return reported;
}

} // namespace vorlith
