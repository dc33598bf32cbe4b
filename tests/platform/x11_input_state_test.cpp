// The X11 input state against a real X server (Xvfb under CTest); skipped without a display.

#include "support/test_support.h"

#include <gtest/gtest.h>

#ifdef VORLITH_HAVE_X11_INPUT
#include "platform/desktop_input.h"

#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>

#include <chrono>
#include <thread>

namespace vorlith {
namespace {

using namespace std::chrono_literals;

// A tap between two polls counts; a held key counts once and the repeats it sends do not.
TEST(X11InputState, EachKeyGoingDownCountsOnceAndTheCursorIsReadInScreenPixels) {
    std::unique_ptr<Display, int (*)(Display*)> display(XOpenDisplay(nullptr), XCloseDisplay);
    int unused = 0;
    if (!display || !XTestQueryExtension(display.get(), &unused, &unused, &unused, &unused))
        GTEST_SKIP() << "no X display that can simulate keys";
    std::string reason;
    auto input = platform::OpenDesktopInputState(reason);
    ASSERT_TRUE(input) << reason;
    const KeyCode keycode = XKeysymToKeycode(display.get(), XStringToKeysym("a"));
    // Polls like the idle watch for 300 ms, after the key event, and adds up the presses seen.
    auto pressesAfter = [&](std::optional<bool> down) {
        if (down) {
            XTestFakeKeyEvent(display.get(), keycode, *down ? True : False, 0);
            XSync(display.get(), False);
        }
        int total = 0;
        for (auto waited = 0ms; waited < 300ms; waited += 25ms) {
            std::this_thread::sleep_for(25ms);
            total += input->keyPressesSinceLastQuery();
        }
        return total;
    };
    pressesAfter(std::nullopt); // what came before the test
    XTestFakeKeyEvent(display.get(), keycode, True, 0);
    EXPECT_EQ(pressesAfter(false), 1) << "a tap";
    EXPECT_EQ(pressesAfter(true), 1) << "a key held down";
    EXPECT_EQ(pressesAfter(true), 0) << "what auto-repeat sends: a press without a release";
    EXPECT_EQ(pressesAfter(false), 0);
    for (unsigned int button : {1u, 3u}) { // mouse buttons count as keys do
        XTestFakeButtonEvent(display.get(), button, True, 0);
        XTestFakeButtonEvent(display.get(), button, False, 0);
        XSync(display.get(), False);
        EXPECT_EQ(pressesAfter(std::nullopt), 1) << "button " << button;
    }

    XWarpPointer(display.get(), None, DefaultRootWindow(display.get()), 0, 0, 0, 0, 123, 45);
    XSync(display.get(), False);
    auto cursor = input->cursorPosition();
    ASSERT_TRUE(cursor);
    EXPECT_EQ(std::pair(cursor->x, cursor->y), std::pair(123, 45));
}

TEST(X11InputStateWithoutDisplay, SaysWhyInsteadOfFailing) {
    test::ScopedEnv noDisplay("DISPLAY", std::nullopt);
    std::string reason;
    EXPECT_EQ(platform::OpenDesktopInputState(reason), nullptr);
    EXPECT_NE(reason.find("no X display"), std::string::npos);
}

} // namespace
} // namespace vorlith
#endif
