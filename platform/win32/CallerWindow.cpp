#include "platform/CallerWindow.h"

#include <windows.h>

#include <prsht.h>

#include <vector>

namespace qv {

struct CallerWindow::Impl {
    HWND parent = nullptr;
};

CallerWindow::CallerWindow(std::uint64_t handle) : m_impl(std::make_unique<Impl>()) {
    // The handle comes from another program's command line: anything that is not a live window is no caller.
    const HWND named = reinterpret_cast<HWND>(static_cast<std::uintptr_t>(handle));
    if (named != nullptr && IsWindow(named))
        m_impl->parent = GetParent(named);
}

CallerWindow::~CallerWindow() = default;

bool CallerWindow::Exists() const {
    return m_impl->parent != nullptr;
}

std::uint64_t CallerWindow::Parent() const {
    return reinterpret_cast<std::uintptr_t>(m_impl->parent);
}

std::string CallerWindow::Title() const {
    if (m_impl->parent == nullptr)
        return std::string();
    const int length = GetWindowTextLengthA(m_impl->parent);
    if (length <= 0)
        return std::string();
    // The length may overstate (DBCS); the copy's own count is the truth.
    std::vector<char> text(static_cast<std::size_t>(length) + 1);
    const int copied = GetWindowTextA(m_impl->parent, text.data(), length + 1);
    return std::string(text.data(), copied > 0 ? static_cast<std::size_t>(copied) : 0);
}

CallerWindow::Rect CallerWindow::ScreenRect() const {
    RECT rect{};
    if (m_impl->parent == nullptr || !GetWindowRect(m_impl->parent, &rect))
        return Rect{};
    return Rect{rect.left, rect.top, rect.right, rect.bottom};
}

void CallerWindow::Hide() {
    if (m_impl->parent != nullptr)
        ShowWindow(m_impl->parent, SW_HIDE);
}

void CallerWindow::Disable() {
    if (m_impl->parent != nullptr)
        EnableWindow(m_impl->parent, FALSE);
}

void CallerWindow::ShowNormal() {
    if (m_impl->parent != nullptr)
        ShowWindow(m_impl->parent, SW_SHOWNORMAL);
}

void CallerWindow::Enable() {
    if (m_impl->parent != nullptr)
        EnableWindow(m_impl->parent, TRUE);
}

void CallerWindow::BringToTop() {
    if (m_impl->parent != nullptr)
        BringWindowToTop(m_impl->parent);
}

void CallerWindow::SelectFirstPage() {
    // A hung caller must not keep the manager from ending.
    DWORD_PTR result = 0;
    if (m_impl->parent != nullptr)
        SendMessageTimeoutA(m_impl->parent, PSM_SETCURSEL, 0, 0, SMTO_ABORTIFHUNG, 5000, &result);
}

void CallerWindow::Focus() {
    if (m_impl->parent == nullptr)
        return;
    // The sheet usually belongs to another process: SetFocus alone only works within our own thread.
    SetForegroundWindow(m_impl->parent);
    SetFocus(m_impl->parent);
}

} // namespace qv
