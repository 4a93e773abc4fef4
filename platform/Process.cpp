#include "platform/Process.h"

namespace qv {

namespace {

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

} // namespace

// The rules of CommandLineToArgvW and of the C runtimes since 2008:
// - the program name ends at the next quote when it starts with one, else at the first blank; no escapes;
// - elsewhere 2n backslashes before a quote give n backslashes and the quote opens or closes quoting,
//   2n+1 backslashes before a quote give n backslashes and a literal quote;
// - inside quotes "" gives a literal quote and quoting goes on;
// - backslashes not before a quote are taken as they are.
std::vector<std::string> Process::SplitCommandLine(std::string_view commandLine) {
    std::vector<std::string> args;
    std::size_t i = 0;
    const std::size_t n = commandLine.size();
    // CreateProcess skips blanks before the program name.
    while (i < n && IsBlank(commandLine[i]))
        ++i;
    if (i == n)
        return args;

    std::string program;
    if (commandLine[i] == '"') {
        ++i;
        while (i < n && commandLine[i] != '"')
            program += commandLine[i++];
        if (i < n)
            ++i; // the closing quote; what follows it starts the next argument, blank or not
    } else {
        while (i < n && !IsBlank(commandLine[i]))
            program += commandLine[i++];
    }
    args.push_back(std::move(program));

    for (;;) {
        while (i < n && IsBlank(commandLine[i]))
            ++i;
        if (i == n)
            break;
        std::string arg;
        bool quoted = false;
        while (i < n) {
            std::size_t backslashes = 0;
            while (i < n && commandLine[i] == '\\') {
                ++backslashes;
                ++i;
            }
            if (i < n && commandLine[i] == '"') {
                arg.append(backslashes / 2, '\\');
                if (backslashes % 2 == 1) {
                    arg += '"';
                } else if (quoted && i + 1 < n && commandLine[i + 1] == '"') {
                    arg += '"';
                    ++i;
                } else {
                    quoted = !quoted;
                }
                ++i;
                continue;
            }
            arg.append(backslashes, '\\');
            if (i == n || (!quoted && IsBlank(commandLine[i])))
                break;
            arg += commandLine[i++];
        }
        args.push_back(std::move(arg));
    }
    return args;
}

std::optional<std::string> Process::QuoteProgram(std::string_view program) {
    if (program.find('"') != std::string_view::npos)
        return std::nullopt;
    return "\"" + std::string(program) + "\"";
}

std::optional<std::string> Process::QuoteArgument(std::string_view text) {
#ifdef _WIN32
    if (text.find('"') != std::string_view::npos)
        return std::nullopt;
#endif
    std::string quoted = "\"";
    std::size_t backslashes = 0;
    for (char c : text) {
        if (c == '\\') {
            ++backslashes;
            continue;
        }
        if (c == '"') {
            quoted.append(2 * backslashes + 1, '\\');
        } else {
            quoted.append(backslashes, '\\');
        }
        backslashes = 0;
        quoted += c;
    }
    // Before the closing mark they would escape it.
    quoted.append(2 * backslashes, '\\');
    return quoted + "\"";
}

} // namespace qv
