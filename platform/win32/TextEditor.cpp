#include "platform/TextEditor.h"

#include "platform/Process.h"

namespace qv {

std::optional<std::string> TextEditor::DesktopCommand(const std::string& path) {
    const std::optional<std::string> quotedPath = Process::QuoteArgument(path);
    if (!quotedPath)
        return std::nullopt;
    return "notepad " + *quotedPath;
}

} // namespace qv
