#pragma once
// Narrow text is the system's ANSI code page on Windows and UTF-8 on POSIX; the metabase speaks UTF-16.
#include <string>
#include <string_view>

namespace qv {

class TextCodec {
public:
    static std::u16string ToUtf16(std::string_view narrow);
    static std::string FromUtf16(std::u16string_view wide);
    // Cuts text to at most maxBytes without splitting a UTF-8 character (POSIX) or a DBCS pair (Windows).
    static std::string Cut(std::string_view text, std::size_t maxBytes);
    // True where narrow text is UTF-8 (POSIX), false where it is the ANSI code page (Windows).
    static bool NarrowIsUtf8();
};

} // namespace qv
