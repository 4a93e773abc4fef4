// The caller's window on Windows, on a sheet and page that the test makes (under Wine in the Windows lane).
#include "platform/CallerWindow.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <prsht.h>

#include <cstdint>
#include <vector>

namespace {

std::vector<WPARAM> g_pagesSelected;

LRESULT CALLBACK SheetProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == PSM_SETCURSEL)
        g_pagesSelected.push_back(wParam);
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
        sheetClass.lpszClassName = "QvTestSheet";
        RegisterClassA(&sheetClass); // fails harmlessly from the second test on
        m_sheet = MakeSheet();
        ASSERT_NE(m_sheet, nullptr) << "CreateWindowEx failed with error " << GetLastError()
                                    << ": Wine needs its null graphics driver without a display";
        m_page = CreateWindowExA(0, "STATIC", "", WS_CHILD | WS_VISIBLE, 5, 5, 100, 50, m_sheet, nullptr,
                                 nullptr, nullptr);
        ASSERT_NE(m_page, nullptr) << "CreateWindowEx (child) failed with error " << GetLastError();
        g_pagesSelected.clear();
    }
    void TearDown() override {
        for (HWND window : m_made)
            DestroyWindow(window);
    }

    HWND MakeSheet() {
        m_made.push_back(CreateWindowExA(0, "QvTestSheet", "Sites: Default Web Site, Shop",
                                         WS_OVERLAPPEDWINDOW | WS_VISIBLE, 10, 20, 300, 200, nullptr, nullptr,
                                         nullptr, nullptr));
        return m_made.back();
    }

    std::vector<HWND> m_made;
    HWND m_sheet = nullptr;
    HWND m_page = nullptr;
};

TEST_F(CallerWindowWin32, ThePagesParentIsTheCallerAndTakesEveryStep) {
    qv::CallerWindow caller(HandleOf(m_page));
    ASSERT_TRUE(caller.Exists());
    EXPECT_EQ(caller.Parent(), HandleOf(m_sheet));
    EXPECT_EQ(caller.Title(), "Sites: Default Web Site, Shop");
    EXPECT_EQ(caller.ScreenRect().right - caller.ScreenRect().left, 300);
    caller.Hide();
    caller.Disable();
    EXPECT_FALSE(IsWindowVisible(m_sheet));
    EXPECT_FALSE(IsWindowEnabled(m_sheet));

    caller.ShowNormal();
    caller.Enable();
    const HWND other = MakeSheet();
    caller.BringToTop();
    EXPECT_TRUE(IsWindowVisible(m_sheet));
    EXPECT_TRUE(IsWindowEnabled(m_sheet));
    EXPECT_EQ(GetWindow(other, GW_HWNDPREV), m_sheet);
    caller.SelectFirstPage();
    EXPECT_EQ(g_pagesSelected, std::vector<WPARAM>{0});
    caller.Focus();
    EXPECT_EQ(GetFocus(), m_sheet);
}

// A top-level window, a handle naming nothing, or a sheet closed while the manager runs: no caller or a
// quiet failure.
TEST_F(CallerWindowWin32, NothingToCallEndsNothing) {
    const HWND gone =
        CreateWindowExA(0, "STATIC", "", WS_CHILD, 0, 0, 5, 5, m_sheet, nullptr, nullptr, nullptr);
    DestroyWindow(gone);
    for (std::uint64_t handle :
         {std::uint64_t{0}, HandleOf(m_sheet), HandleOf(gone), std::uint64_t{0x7ffffff0}}) {
        qv::CallerWindow caller(handle);
        EXPECT_FALSE(caller.Exists()) << handle;
        EXPECT_EQ(caller.Parent(), 0u);
        caller.Hide();
        caller.Disable();
    }
    EXPECT_TRUE(IsWindowVisible(m_sheet));
    EXPECT_TRUE(IsWindowEnabled(m_sheet));

    qv::CallerWindow caller(HandleOf(m_page));
    DestroyWindow(m_sheet);
    EXPECT_EQ(caller.Title(), "");
    EXPECT_EQ(caller.ScreenRect().right, 0);
    caller.ShowNormal();
    caller.SelectFirstPage();
    caller.Focus();
    EXPECT_TRUE(g_pagesSelected.empty());
}

} // namespace
