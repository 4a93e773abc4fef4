#pragma once
// The system's narrow text (ANSI code page on Windows, UTF-8 on POSIX) to and from UTF-16, refusing every
// conversion that would not come back unchanged: a .reg file never silently turns a letter into '?'.
#include <string>
#include <string_view>

namespace qv {

class NarrowText {
public:
    static bool ToUtf16(std::string_view narrow, std::u16string& wide);
    static bool FromUtf16(std::u16string_view wide, std::string& narrow);
};

} // namespace qv
