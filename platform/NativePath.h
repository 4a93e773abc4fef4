#pragma once
// A narrow path (the ANSI code page on Windows, UTF-8 on POSIX) as std::filesystem::path. On Windows the
// standard library would read narrow text in its own code page, which mangles non-ASCII names.
#include "TextCodec.h"

#include <filesystem>
#include <string>
#include <string_view>

namespace qv {

inline std::filesystem::path NativePath(std::string_view narrow) {
#ifdef _WIN32
    const std::u16string wide = TextCodec::ToUtf16(narrow);
    return std::filesystem::path(std::wstring(wide.begin(), wide.end()));
#else
    return std::filesystem::path(std::string(narrow));
#endif
}

// The other way: a path (a name found in a directory listing) as narrow text.
inline std::string NarrowPath(const std::filesystem::path& path) {
#ifdef _WIN32
    const std::wstring& wide = path.native();
    return TextCodec::FromUtf16(std::u16string(wide.begin(), wide.end()));
#else
    return path.native();
#endif
}

} // namespace qv
