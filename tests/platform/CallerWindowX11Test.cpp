// The caller's window under X: runs under xvfb-run, on windows the test makes on its own connection.
#include "platform/CallerWindow.h"

#include <gtest/gtest.h>

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <cstdlib>
#include <string>

namespace {

int g_testErrors = 0;

int CountError(Display*, XErrorEvent*) {
    ++g_testErrors;
    return 0;
}

class CallerWindowX11 : public ::testing::Test {
protected:
    void SetUp() override {
        m_display = XOpenDisplay(nullptr);
        ASSERT_NE(m_display, nullptr) << "no X display: this test runs under xvfb-run";
        m_root = DefaultRootWindow(m_display);
        m_sheet = MakeWindow(m_root, 40, 30, 300, 200);
        m_page = MakeWindow(m_sheet, 5, 5, 100, 50);
        XSync(m_display, False);
    }

    void TearDown() override {
        if (m_display != nullptr)
            XCloseDisplay(m_display);
    }

    Window MakeWindow(Window parent, int x, int y, unsigned width, unsigned height) {
        const Window window = XCreateSimpleWindow(m_display, parent, x, y, width, height, 0, 0, 0);
        XMapWindow(m_display, window);
        return window;
    }

    void SetNetWmName(Window window, const std::string& utf8) {
        XChangeProperty(m_display, window, XInternAtom(m_display, "_NET_WM_NAME", False),
                        XInternAtom(m_display, "UTF8_STRING", False), 8, PropModeReplace,
                        reinterpret_cast<const unsigned char*>(utf8.data()), static_cast<int>(utf8.size()));
    }

    int MapState(Window window) {
        XWindowAttributes attributes{};
        XGetWindowAttributes(m_display, window, &attributes);
        return attributes.map_state;
    }

    Window TopChildOfRoot() {
        Window root = None;
        Window parent = None;
        Window* children = nullptr;
        unsigned count = 0;
        XQueryTree(m_display, m_root, &root, &parent, &children, &count);
        const Window top = count > 0 ? children[count - 1] : None;
        XFree(children);
        return top;
    }

    Display* m_display = nullptr;
    Window m_root = None;
    Window m_sheet = None;
    Window m_page = None;
};

TEST_F(CallerWindowX11, ThePagesParentIsTheCallerWithItsRectangle) {
    qv::CallerWindow caller(m_page);
    ASSERT_TRUE(caller.Exists());
    EXPECT_EQ(caller.Parent(), m_sheet);
    const qv::CallerWindow::Rect rect = caller.ScreenRect();
    EXPECT_EQ(rect.left, 40);
    EXPECT_EQ(rect.top, 30);
    EXPECT_EQ(rect.right, 340);
    EXPECT_EQ(rect.bottom, 230);
}

TEST_F(CallerWindowX11, TitlePrefersNetWmNameAndFallsBackToLatin1WmName) {
    struct Case {
        const char* netWmName; // nullptr: not set
        const char* wmName;    // Latin-1 bytes; nullptr: not set
        std::string expected;  // UTF-8
    };
    const Case cases[] = {
        {"Sites: Caf\u00e9 \u65e5\u672c \u2014 Shop", "Latin", "Sites: Caf\u00e9 \u65e5\u672c \u2014 Shop"},
        {nullptr, "Caf\xe9 Shop", "Caf\u00e9 Shop"},
        {"", "Plain", "Plain"},
        {nullptr, nullptr, ""},
    };
    for (const Case& c : cases) {
        const Window sheet = MakeWindow(m_root, 0, 0, 10, 10);
        const Window page = MakeWindow(sheet, 0, 0, 5, 5);
        if (c.netWmName != nullptr)
            SetNetWmName(sheet, c.netWmName);
        if (c.wmName != nullptr)
            XStoreName(m_display, sheet, c.wmName);
        XSync(m_display, False);
        EXPECT_EQ(qv::CallerWindow(page).Title(), c.expected) << c.expected;
    }
}

TEST_F(CallerWindowX11, HideShowRaiseAndFocusReachTheSheet) {
    qv::CallerWindow caller(m_page);
    caller.Hide();
    caller.Disable(); // nothing to disable under X; must not disturb the rest
    EXPECT_EQ(MapState(m_sheet), IsUnmapped);
    EXPECT_EQ(MapState(m_page), IsUnviewable);

    const Window other = MakeWindow(m_root, 0, 0, 50, 50);
    XSync(m_display, False);
    ASSERT_EQ(TopChildOfRoot(), other);

    caller.ShowNormal();
    caller.Enable();
    EXPECT_EQ(MapState(m_sheet), IsViewable);
    caller.BringToTop();
    EXPECT_EQ(TopChildOfRoot(), m_sheet);
    caller.SelectFirstPage();
    caller.Focus();
    Window focus = None;
    int revert = 0;
    XGetInputFocus(m_display, &focus, &revert);
    EXPECT_EQ(focus, m_sheet);
}

TEST_F(CallerWindowX11, NoCallerForATopLevelWindowOrAHandleNamingNothing) {
    const std::uint64_t handles[] = {0, m_sheet, m_root, 0x1ffffff0u, 0x100000000ull};
    for (std::uint64_t handle : handles) {
        qv::CallerWindow caller(handle);
        EXPECT_FALSE(caller.Exists()) << handle;
        EXPECT_EQ(caller.Parent(), 0u);
        EXPECT_EQ(caller.Title(), "");
        caller.Hide();
        caller.ShowNormal();
        caller.BringToTop();
        caller.Focus();
    }
    EXPECT_EQ(MapState(m_sheet), IsViewable);
}

// The caller closes its sheet while the manager runs: every later call fails quietly.
TEST_F(CallerWindowX11, ASheetThatVanishedEndsNothing) {
    qv::CallerWindow caller(m_page);
    ASSERT_TRUE(caller.Exists());
    XDestroyWindow(m_display, m_sheet);
    XSync(m_display, False);
    EXPECT_EQ(caller.Title(), "");
    const qv::CallerWindow::Rect rect = caller.ScreenRect();
    EXPECT_EQ(rect.right - rect.left, 0);
    caller.Hide();
    caller.ShowNormal();
    caller.BringToTop();
    caller.Focus();
}

// Errors on other connections still reach the handler that was there before, and it is put back at the end.
TEST_F(CallerWindowX11, OtherConnectionsKeepTheirErrorHandler) {
    XSetErrorHandler(CountError);
    g_testErrors = 0;
    {
        qv::CallerWindow caller(m_page);
        ASSERT_TRUE(caller.Exists());
        XUnmapWindow(m_display, 0x1ffffff0u);
        XSync(m_display, False);
        EXPECT_EQ(g_testErrors, 1);
    }
    EXPECT_EQ(XSetErrorHandler(nullptr), &CountError);
}

TEST_F(CallerWindowX11, WithoutADisplayThereIsNoCaller) {
    const std::string display = std::getenv("DISPLAY");
    unsetenv("DISPLAY");
    qv::CallerWindow caller(m_page);
    setenv("DISPLAY", display.c_str(), 1);
    EXPECT_FALSE(caller.Exists());
    EXPECT_EQ(caller.Title(), "");
    caller.Hide();
    caller.Focus();
    EXPECT_EQ(MapState(m_sheet), IsViewable);
}

} // namespace
