// The caller's window under X: runs under xvfb-run, on windows the test makes on its own connection.
#include "platform/CallerWindow.h"

#include <gtest/gtest.h>

#include <X11/Xlib.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>

namespace {

int g_testErrors = 0;

int CountError(Display*, XErrorEvent*) {
    ++g_testErrors;
    return 0;
}

class CallerWindowX11 : public ::testing::Test {
protected:
    void SetUp() override {
        // The virtual display may still be starting on a busy machine: ask again for a while.
        for (int i = 0; i < 100 && !m_display; ++i) {
            m_display = XOpenDisplay(nullptr);
            if (!m_display)
                std::this_thread::sleep_for(std::chrono::milliseconds(100));
        }
        ASSERT_NE(m_display, nullptr) << "no X display: this test runs under xvfb-run";
        m_sheet = MakeWindow(DefaultRootWindow(m_display), 40, 30);
        m_page = MakeWindow(m_sheet, 5, 5);
    }
    void TearDown() override {
        if (m_display)
            XCloseDisplay(m_display);
    }

    Window MakeWindow(Window parent, int x, int y) {
        const Window window = XCreateSimpleWindow(m_display, parent, x, y, 300, 200, 0, 0, 0);
        XMapWindow(m_display, window);
        XSync(m_display, False);
        return window;
    }
    int MapState(Window window) {
        XWindowAttributes attributes{};
        XGetWindowAttributes(m_display, window, &attributes);
        return attributes.map_state;
    }

    Display* m_display = nullptr;
    Window m_sheet = None;
    Window m_page = None;
};

TEST_F(CallerWindowX11, ThePagesParentIsTheCallerAndTakesEveryStep) {
    qv::CallerWindow caller(m_page);
    ASSERT_TRUE(caller.Exists());
    EXPECT_EQ(caller.Parent(), m_sheet);
    EXPECT_EQ(caller.ScreenRect().top, 30);
    EXPECT_EQ(caller.ScreenRect().right, 340);
    caller.Hide();
    EXPECT_EQ(MapState(m_sheet), IsUnmapped);
    const Window other = MakeWindow(DefaultRootWindow(m_display), 0, 0);
    caller.ShowNormal();
    EXPECT_EQ(MapState(m_sheet), IsViewable);
    caller.BringToTop();
    Window root = None, parent = None, *children = nullptr;
    unsigned count = 0;
    XQueryTree(m_display, DefaultRootWindow(m_display), &root, &parent, &children, &count);
    ASSERT_GE(count, 2u);
    EXPECT_EQ(children[count - 1], m_sheet);
    EXPECT_EQ(children[count - 2], other);
    XFree(children);
}

TEST_F(CallerWindowX11, TitlePrefersNetWmNameAndFallsBackToLatin1WmName) {
    const Atom netWmName = XInternAtom(m_display, "_NET_WM_NAME", False);
    const Atom utf8 = XInternAtom(m_display, "UTF8_STRING", False);
    const std::string both = "Sites: Caf\u00e9 \u65e5\u672c \u2014 Shop";
    const struct {
        const char* netWmName; // UTF-8; nullptr: not set
        const char* wmName;    // Latin-1; nullptr: not set
        std::string expected;
    } cases[] = {
        {both.c_str(), "Latin", both}, {nullptr, "Caf\xe9 Shop", "Caf\u00e9 Shop"}, {nullptr, nullptr, ""}};
    for (const auto& c : cases) {
        const Window sheet = MakeWindow(DefaultRootWindow(m_display), 0, 0);
        const Window page = MakeWindow(sheet, 0, 0);
        if (c.netWmName != nullptr)
            XChangeProperty(m_display, sheet, netWmName, utf8, 8, PropModeReplace,
                            reinterpret_cast<const unsigned char*>(c.netWmName), std::strlen(c.netWmName));
        if (c.wmName != nullptr)
            XStoreName(m_display, sheet, c.wmName);
        XSync(m_display, False);
        EXPECT_EQ(qv::CallerWindow(page).Title(), c.expected);
    }
}

// A top-level window, a number naming nothing, no display, or a sheet closed while the manager runs: no
// caller or a quiet failure, never the end of the process.
TEST_F(CallerWindowX11, NothingToCallEndsNothing) {
    const std::uint64_t handles[] = {0, m_sheet, 0x1ffffff0, std::uint64_t{1} << 32};
    for (std::uint64_t handle : handles) {
        qv::CallerWindow caller(handle);
        EXPECT_FALSE(caller.Exists()) << handle;
        EXPECT_EQ(caller.Parent(), 0u);
        caller.Hide();
    }
    const std::string display = std::getenv("DISPLAY");
    unsetenv("DISPLAY");
    EXPECT_FALSE(qv::CallerWindow(m_page).Exists());
    setenv("DISPLAY", display.c_str(), 1);
    EXPECT_EQ(MapState(m_sheet), IsViewable);

    qv::CallerWindow caller(m_page);
    XDestroyWindow(m_display, m_sheet);
    XSync(m_display, False);
    EXPECT_EQ(caller.Title(), "");
    EXPECT_EQ(caller.ScreenRect().right, 0);
    caller.Hide();
    caller.ShowNormal();
    caller.BringToTop();
    caller.Focus();
}

// Errors on other connections still reach the handler that was there before, which is put back at the end.
TEST_F(CallerWindowX11, OtherConnectionsKeepTheirErrorHandler) {
    XSetErrorHandler(CountError);
    {
        qv::CallerWindow caller(m_page);
        ASSERT_TRUE(caller.Exists());
        XUnmapWindow(m_display, 0x1ffffff0);
        XSync(m_display, False);
        EXPECT_EQ(g_testErrors, 1);
    }
    EXPECT_EQ(XSetErrorHandler(nullptr), &CountError);
}

} // namespace
