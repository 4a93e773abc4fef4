#pragma once
// Starting outside programs without a shell. The command line is split into arguments by the Windows rules
// (CommandLineToArgvW); on Windows it goes to CreateProcess as it is, hidden; on POSIX the arguments go to
// posix_spawn and finished children are reaped. Nothing is waited for. No text ever passes through /bin/sh.
#include <string>
#include <string_view>
#include <vector>

namespace qv {

class Process {
public:
    // Splits a Windows command line into its arguments, the program first.
    static std::vector<std::string> SplitCommandLine(std::string_view commandLine);
    // Starts the command line hidden without waiting; true when the process was started.
    static bool StartHidden(const std::string& commandLine);
    // Starts the command line shown (notepad and the like) without waiting.
    static bool StartShown(const std::string& commandLine);
};

} // namespace qv
