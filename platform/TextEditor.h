#pragma once
// Opens a file in the system's text editor, shown normally, without waiting and without a shell. The program
// named by $QUORVANE_EDITOR takes the path as its one argument when set. Otherwise:
//
// Win32: notepad "PATH".
// POSIX: the desktop's default application for text/plain (mimeapps.list, then its .desktop file), else the
// first one registered for it (mimeinfo.cache), so that a file whose name the desktop does not know
// (rules.qv) still opens as text and not in a browser.
#include <optional>
#include <string>
#include <string_view>

namespace qv {

class TextEditor {
public:
    static constexpr const char* kOverrideVariable = "QUORVANE_EDITOR";

    // True when the editor was started; nothing is reported otherwise.
    static bool Open(const std::string& path);
    // The command line that Open runs for path; nothing when no editor is known.
    static std::optional<std::string> CommandFor(const std::string& path);
    // A desktop entry's Exec line made into a command line for path: %f, %F, %u and %U become the quoted
    // path (appended when the line has none of them), %% a percent sign, other field codes are dropped.
    static std::optional<std::string> FromExecLine(std::string_view exec, const std::string& path);

private:
    static std::optional<std::string> DesktopCommand(const std::string& path);
};

} // namespace qv
