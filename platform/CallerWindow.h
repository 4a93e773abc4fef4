#pragma once
// The window of a calling program, named by its handle on the Settings Manager's command line. The caller is
// that window's parent, a property sheet: the manager hides and disables it while it runs, lists only the
// sites its title names, and gives it back at the end. Win32: user32 on the HWND. POSIX: Xlib on $DISPLAY,
// the parent found through the window tree; without an X display (none, Wayland only, offscreen) there is
// never a caller. With no caller every call does nothing, and a caller that has gone away meanwhile is no
// error: the calls fail quietly.
#include <cstdint>
#include <memory>
#include <string>

namespace qv {

class CallerWindow {
public:
    struct Rect {
        int left = 0;
        int top = 0;
        int right = 0;
        int bottom = 0;
    };

    // handle: the window named on the command line (an HWND or an X window id); 0 names none.
    explicit CallerWindow(std::uint64_t handle);
    ~CallerWindow();
    CallerWindow(const CallerWindow&) = delete;
    CallerWindow& operator=(const CallerWindow&) = delete;

    // True when the handle named a window that has a parent; that parent is the caller.
    bool Exists() const;
    // The caller's handle (the property sheet); 0 without one.
    std::uint64_t Parent() const;
    // The caller's title: ANSI code page on Windows, UTF-8 on POSIX. Empty without one.
    std::string Title() const;
    // The caller's outer rectangle in screen coordinates.
    Rect ScreenRect() const;

    // At start: out of sight and out of reach while the manager's dialog is open.
    void Hide();
    void Disable();
    // At exit: shown normally, enabled, raised; then its first page made current and the focus given to it.
    // X has no disabled windows and no property sheets: Disable, Enable and SelectFirstPage do nothing there.
    void ShowNormal();
    void Enable();
    void BringToTop();
    void SelectFirstPage();
    void Focus();

private:
    struct Impl;
    std::unique_ptr<Impl> m_impl;
};

} // namespace qv
