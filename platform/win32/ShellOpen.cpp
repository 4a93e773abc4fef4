#include "platform/ShellOpen.h"

#include <windows.h>

#include <shellapi.h>

namespace qv {

ShellOpenResult ShellOpen::File(const std::string& path, std::uintptr_t owner) {
    SHELLEXECUTEINFOA info{};
    info.cbSize = sizeof(info);
    // Failures are the caller's to report, or not: the shell shows no box of its own.
    info.fMask = SEE_MASK_FLAG_NO_UI | SEE_MASK_NOASYNC;
    info.hwnd = reinterpret_cast<HWND>(owner);
    info.lpVerb = "open";
    info.lpFile = path.c_str();
    info.nShow = SW_SHOWNORMAL;
    return ShellExecuteExA(&info) ? ShellOpenResult::Opened : ShellOpenResult::Failed;
}

} // namespace qv
