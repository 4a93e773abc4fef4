#include "platform/WindowsEnvironment.h"

#include <windows.h>

#include <vector>

namespace qv {

std::optional<std::string> WindowsEnvironment::Variable(std::string_view name) {
    const std::string key(name);
    std::vector<char> buffer(256);
    for (;;) {
        SetLastError(ERROR_SUCCESS);
        const DWORD length =
            GetEnvironmentVariableA(key.c_str(), buffer.data(), static_cast<DWORD>(buffer.size()));
        if (length == 0)
            return GetLastError() == ERROR_ENVVAR_NOT_FOUND ? std::nullopt : std::optional<std::string>("");
        if (length < buffer.size())
            return std::string(buffer.data(), length);
        buffer.resize(length);
    }
}

std::string WindowsEnvironment::NativeSystemDirectory() {
    char windows[MAX_PATH + 1] = {};
    const UINT length = GetSystemWindowsDirectoryA(windows, MAX_PATH);
    std::string directory = length > 0 && length < MAX_PATH ? std::string(windows, length) : "C:\\Windows";
    if (!directory.empty() && directory.back() == '\\')
        directory.pop_back();
    // A 32-bit program on 64-bit Windows sees SysWOW64 as System32; Sysnative is the real one.
    BOOL wow64 = FALSE;
    if (IsWow64Process(GetCurrentProcess(), &wow64) && wow64)
        return directory + "\\Sysnative";
    return directory + "\\System32";
}

} // namespace qv
