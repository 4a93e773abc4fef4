#include "TextEditor.h"

#include "Process.h"

#include <cstdlib>

namespace qv {

bool TextEditor::Open(const std::string& path) {
    const std::optional<std::string> command = CommandFor(path);
    return command && Process::StartShown(*command);
}

std::optional<std::string> TextEditor::CommandFor(const std::string& path) {
    const char* program = std::getenv(kOverrideVariable);
    if (program && *program) {
        const std::optional<std::string> quotedProgram = Process::QuoteProgram(program);
        const std::optional<std::string> quotedPath = Process::QuoteArgument(path);
        if (!quotedProgram || !quotedPath)
            return std::nullopt;
        return *quotedProgram + ' ' + *quotedPath;
    }
    return DesktopCommand(path);
}

std::optional<std::string> TextEditor::FromExecLine(std::string_view exec, const std::string& path) {
    const std::size_t first = exec.find_first_not_of(" \t");
    const std::optional<std::string> quotedPath = Process::QuoteArgument(path);
    if (first == std::string_view::npos || exec[first] == '%' || !quotedPath)
        return std::nullopt;
    std::string command;
    bool placed = false;
    for (std::size_t i = 0; i < exec.size(); ++i) {
        if (exec[i] != '%' || i + 1 == exec.size()) {
            command += exec[i];
            continue;
        }
        const char code = exec[++i];
        if (code == '%') {
            command += '%';
        } else if (code == 'f' || code == 'F' || code == 'u' || code == 'U') {
            // One file only, however many the entry accepts.
            if (!placed)
                command += *quotedPath;
            placed = true;
        }
    }
    while (!command.empty() && (command.back() == ' ' || command.back() == '\t'))
        command.pop_back();
    if (!placed)
        command += ' ' + *quotedPath;
    return command;
}

} // namespace qv
