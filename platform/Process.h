#pragma once
// Starting outside programs without a shell. The command line is split into arguments by the Windows rules
// (CommandLineToArgvW); on Windows it goes to CreateProcess as it is, hidden; on POSIX the arguments go to
// posix_spawn and finished children are reaped. Nothing is waited for. No text ever passes through /bin/sh.
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace qv {

class Process {
public:
    // Splits a Windows command line into its arguments, the program first.
    static std::vector<std::string> SplitCommandLine(std::string_view commandLine);
    // The program's path in quotation marks, as the first item of a command line; nothing when it holds a
    // quotation mark, which the program name cannot carry.
    static std::optional<std::string> QuoteProgram(std::string_view program);
    // An argument in quotation marks that SplitCommandLine gives back unchanged: a quotation mark escaped,
    // the backslashes before it and before the closing mark doubled. Win32: nothing when the text holds a
    // quotation mark, which no Windows path or account does.
    static std::optional<std::string> QuoteArgument(std::string_view text);
    // Starts the command line hidden without waiting; true when the process was started.
    static bool StartHidden(const std::string& commandLine);
    // Starts the command line shown (notepad and the like) without waiting.
    static bool StartShown(const std::string& commandLine);
};

} // namespace qv
