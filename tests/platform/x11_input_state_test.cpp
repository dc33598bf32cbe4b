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

class X11InputState : public ::testing::Test {
protected:
    void SetUp() override {
        m_display = XOpenDisplay(nullptr);
        int unused = 0;
        if (!m_display || !XTestQueryExtension(m_display, &unused, &unused, &unused, &unused))
            GTEST_SKIP() << "no X display that can simulate keys";
        std::string reason;
        input = platform::OpenDesktopInputState(reason);
        ASSERT_TRUE(input) << reason;
        m_keycode = XKeysymToKeycode(m_display, XStringToKeysym("a"));
        presses(100ms);
    }
    void TearDown() override {
        if (m_display)
            XCloseDisplay(m_display);
    }

    void key(bool down) {
        XTestFakeKeyEvent(m_display, m_keycode, down ? True : False, 0);
        XSync(m_display, False);
    }
    // Polls like the idle watch for a while and adds up the presses seen.
    int presses(std::chrono::milliseconds during) {
        int total = 0;
        for (auto waited = 0ms; waited < during; waited += 25ms) {
            std::this_thread::sleep_for(25ms);
            total += input->keyPressesSinceLastQuery();
        }
        return total;
    }

    std::unique_ptr<platform::InputState> input;
    Display* m_display = nullptr;
    KeyCode m_keycode = 0;
};

// A tap between two polls counts; a held key counts once and the repeats it sends do not.
TEST_F(X11InputState, EachKeyGoingDownCountsOnceAndTheCursorIsReadInScreenPixels) {
    key(true);
    key(false);
    EXPECT_EQ(presses(300ms), 1);
    key(true);
    EXPECT_EQ(presses(300ms), 1);
    key(true); // what auto-repeat sends: another press without a release
    EXPECT_EQ(presses(300ms), 0);
    key(false);
    EXPECT_EQ(presses(300ms), 0);

    XWarpPointer(m_display, None, DefaultRootWindow(m_display), 0, 0, 0, 0, 123, 45);
    XSync(m_display, False);
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
