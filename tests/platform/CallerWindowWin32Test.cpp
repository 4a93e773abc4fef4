// The caller's window on Windows, on a sheet and page that the test makes (under Wine in the Windows lane).
#include "platform/CallerWindow.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <prsht.h>

#include <cstdint>
#include <vector>

namespace {

struct Message {
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
};
std::vector<Message> g_sheetMessages;

LRESULT CALLBACK SheetProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == PSM_SETCURSEL)
        g_sheetMessages.push_back(Message{message, wParam, lParam});
    return DefWindowProcA(window, message, wParam, lParam);
}

std::uint64_t HandleOf(HWND window) {
    return reinterpret_cast<std::uintptr_t>(window);
}

class CallerWindowWin32 : public ::testing::Test {
protected:
    void SetUp() override {
        WNDCLASSA sheetClass{};
        sheetClass.lpfnWndProc = SheetProcedure;
        sheetClass.hInstance = GetModuleHandleA(nullptr);
        sheetClass.lpszClassName = "QvTestSheet";
        RegisterClassA(&sheetClass); // a second registration fails harmlessly
        m_sheet = MakeSheet("Sites: Default Web Site, Shop");
        ASSERT_NE(m_sheet, nullptr) << "CreateWindowEx failed with error " << GetLastError()
                                    << ": Wine needs its null graphics driver without a display";
        m_page = CreateWindowExA(0, "STATIC", "page", WS_CHILD | WS_VISIBLE, 5, 5, 100, 50, m_sheet, nullptr,
                                 GetModuleHandleA(nullptr), nullptr);
        ASSERT_NE(m_page, nullptr) << "CreateWindowEx (child) failed with error " << GetLastError();
        g_sheetMessages.clear();
    }

    void TearDown() override {
        for (HWND window : m_made)
            DestroyWindow(window);
    }

    HWND MakeSheet(const char* title) {
        HWND window = CreateWindowExA(0, "QvTestSheet", title, WS_OVERLAPPEDWINDOW | WS_VISIBLE, 10, 20, 300,
                                      200, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
        if (window != nullptr)
            m_made.push_back(window);
        return window;
    }

    std::vector<HWND> m_made;
    HWND m_sheet = nullptr;
    HWND m_page = nullptr;
};

TEST_F(CallerWindowWin32, ThePagesParentIsTheCallerWithTitleAndRectangle) {
    qv::CallerWindow caller(HandleOf(m_page));
    ASSERT_TRUE(caller.Exists());
    EXPECT_EQ(caller.Parent(), HandleOf(m_sheet));
    EXPECT_EQ(caller.Title(), "Sites: Default Web Site, Shop");
    RECT expected{};
    GetWindowRect(m_sheet, &expected);
    const qv::CallerWindow::Rect rect = caller.ScreenRect();
    EXPECT_EQ(rect.left, expected.left);
    EXPECT_EQ(rect.top, expected.top);
    EXPECT_EQ(rect.right, expected.right);
    EXPECT_EQ(rect.bottom, expected.bottom);
    EXPECT_EQ(rect.right - rect.left, 300);

    HWND untitled = MakeSheet("");
    HWND page = CreateWindowExA(0, "STATIC", "", WS_CHILD, 0, 0, 5, 5, untitled, nullptr, nullptr, nullptr);
    EXPECT_EQ(qv::CallerWindow(HandleOf(page)).Title(), "");
}

TEST_F(CallerWindowWin32, StartAndExitStepsReachTheSheet) {
    qv::CallerWindow caller(HandleOf(m_page));
    caller.Hide();
    caller.Disable();
    EXPECT_FALSE(IsWindowVisible(m_sheet));
    EXPECT_FALSE(IsWindowEnabled(m_sheet));

    HWND other = MakeSheet("other");
    ASSERT_NE(other, nullptr);
    caller.ShowNormal();
    caller.Enable();
    caller.BringToTop();
    EXPECT_TRUE(IsWindowVisible(m_sheet));
    EXPECT_TRUE(IsWindowEnabled(m_sheet));
    bool otherBelow = false;
    for (HWND below = GetWindow(m_sheet, GW_HWNDNEXT); below != nullptr;
         below = GetWindow(below, GW_HWNDNEXT))
        otherBelow = otherBelow || below == other;
    EXPECT_TRUE(otherBelow) << "the sheet is not above the window made after it";

    caller.SelectFirstPage();
    ASSERT_EQ(g_sheetMessages.size(), 1u);
    EXPECT_EQ(g_sheetMessages[0].wParam, 0u);
    EXPECT_EQ(g_sheetMessages[0].lParam, 0);
    caller.Focus();
    EXPECT_EQ(GetFocus(), m_sheet);
}

TEST_F(CallerWindowWin32, NoCallerForATopLevelWindowOrAHandleNamingNothing) {
    HWND gone = CreateWindowExA(0, "STATIC", "", WS_CHILD, 0, 0, 5, 5, m_sheet, nullptr, nullptr, nullptr);
    DestroyWindow(gone);
    const std::uint64_t handles[] = {0, HandleOf(m_sheet), HandleOf(gone), 0x7ffffff0u};
    for (std::uint64_t handle : handles) {
        qv::CallerWindow caller(handle);
        EXPECT_FALSE(caller.Exists()) << handle;
        EXPECT_EQ(caller.Parent(), 0u);
        EXPECT_EQ(caller.Title(), "");
        caller.Hide();
        caller.Disable();
        caller.SelectFirstPage();
    }
    EXPECT_TRUE(IsWindowVisible(m_sheet));
    EXPECT_TRUE(IsWindowEnabled(m_sheet));
    EXPECT_TRUE(g_sheetMessages.empty());
}

// The calling program closes its sheet while the manager runs: the exit steps fail quietly.
TEST_F(CallerWindowWin32, ASheetThatVanishedEndsNothing) {
    qv::CallerWindow caller(HandleOf(m_page));
    ASSERT_TRUE(caller.Exists());
    DestroyWindow(m_sheet);
    EXPECT_EQ(caller.Title(), "");
    const qv::CallerWindow::Rect rect = caller.ScreenRect();
    EXPECT_EQ(rect.right - rect.left, 0);
    caller.ShowNormal();
    caller.Enable();
    caller.BringToTop();
    caller.SelectFirstPage();
    caller.Focus();
    EXPECT_TRUE(g_sheetMessages.empty());
}

} // namespace
