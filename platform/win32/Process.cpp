#include "platform/Process.h"

#include <windows.h>

#include <vector>

namespace qv {

namespace {

// The whole command line goes to CreateProcess, which finds the program in it; the started program splits
// its own arguments. No handles are inherited and nothing is waited for.
bool Start(const std::string& commandLine, WORD showWindow) {
    if (commandLine.empty())
        return false;
    std::vector<char> buffer(commandLine.begin(), commandLine.end());
    buffer.push_back('\0'); // CreateProcessA may write into the command line
    STARTUPINFOA startup{};
    startup.cb = sizeof(startup);
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = showWindow;
    PROCESS_INFORMATION info{};
    if (!CreateProcessA(nullptr, buffer.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                        &info))
        return false;
    CloseHandle(info.hThread);
    CloseHandle(info.hProcess);
    return true;
}

} // namespace

bool Process::StartHidden(const std::string& commandLine) {
    return Start(commandLine, SW_HIDE);
}

bool Process::StartShown(const std::string& commandLine) {
    return Start(commandLine, SW_SHOWNORMAL);
}

} // namespace qv
