#pragma once
// The text of log lines for people. The handler writes its logs in the Windows code page. Where our narrow
// text is UTF-8 (POSIX), a line that is valid UTF-8 is taken as UTF-8 and any other line as Windows-1252;
// where narrow text is the system's code page (Windows), the bytes are that already.
#include <string>
#include <string_view>

namespace qv {

enum class LogTextMode {
    SystemCodePage,    // the bytes are narrow text as they are
    Utf8OrWindows1252, // per line: valid UTF-8 as it is, else Windows-1252
};

class LogText {
public:
    // The mode of this system's narrow text.
    static LogTextMode SystemMode();

    static bool IsUtf8(std::string_view bytes);
    // Whether the fields of this line (the whole text between two line ends) need decoding in mode.
    static bool Decodes(std::string_view line, LogTextMode mode = SystemMode());
    // Windows-1252 to UTF-8, every byte a character: 0x80 is U+20AC, the five bytes the code page leaves
    // undefined (0x81, 0x8D, 0x8F, 0x90, 0x9D) give the control characters of the same value.
    static void AppendWindows1252(std::string& out, std::string_view bytes);
    // A field of a line as narrow text: decoded when Decodes(line) said so, else as it is.
    static std::string Narrow(std::string_view field, bool decode);
    // A field of a line as UTF-8, whatever the mode: in SystemCodePage mode through the system's code page.
    static std::string Utf8(std::string_view field, bool decode, LogTextMode mode = SystemMode());
};

} // namespace qv
