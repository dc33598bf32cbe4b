#pragma once
// What the idle watch asks of the desktop: were keys pressed since the last question, and where
// is the mouse cursor.

#include <memory>
#include <optional>

namespace vorlith::platform {

struct CursorPosition {
    int x = 0; // screen pixels
    int y = 0;
};

class InputState {
public:
    virtual ~InputState() = default;
    /// Number of new key presses since the previous call (the first call counts from the
    /// creation of the object); mouse buttons count as keys. A key held down with its repeats
    /// counts once, when it went down, so a held key alone does not look like activity. A press
    /// shorter than the time between two calls is still counted.
    virtual int keyPressesSinceLastQuery() = 0;
    /// The cursor's position on the screen; std::nullopt when it cannot be read.
    virtual std::optional<CursorPosition> cursorPosition() = 0;
};

} // namespace vorlith::platform
