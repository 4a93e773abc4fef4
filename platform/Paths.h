#pragma once
// Path text: joining with the native separator ('\' on Windows, '/' on POSIX), program file names.
#include <string>
#include <string_view>

namespace qv {

#ifdef _WIN32
inline constexpr char kPathSeparator = '\\';
// Where installations go unless told otherwise, and what a program's file name ends in.
inline constexpr const char* kProgramsDirectory = "C:\\Program Files";
inline constexpr const char* kProgramSuffix = ".exe";
// Whether the file system compares names without letter case (see FileNamesEqual).
inline constexpr bool kFileNamesIgnoreCase = true;
#else
inline constexpr char kPathSeparator = '/';
inline constexpr const char* kProgramsDirectory = "/opt";
inline constexpr const char* kProgramSuffix = "";
inline constexpr bool kFileNamesIgnoreCase = false;
#endif

// The separator to join below dir: a Windows-form stored path ("C:\dir", "\\server\share") keeps its
// backslashes wherever the suite runs, so that the path it shows reads as one; any other takes the native
// one.
inline char SeparatorFor(std::string_view dir) {
    const bool windowsForm = (dir.size() >= 3 && dir[1] == ':' && dir[2] == '\\') || dir.starts_with("\\\\");
    return windowsForm ? '\\' : kPathSeparator;
}

// dir, a separator unless dir already ends in one, and name.
inline std::string JoinPath(std::string_view dir, std::string_view name) {
    const char separator = SeparatorFor(dir);
    std::string result(dir);
    if (result.empty() ||
        (result.back() != separator && result.back() != kPathSeparator && result.back() != '/'))
        result += separator;
    result += name;
    return result;
}

// dir, a separator always, and name (the system's "%s\%s" joins; a doubled separator is harmless).
inline std::string JoinPathAlways(std::string_view dir, std::string_view name) {
    std::string result(dir);
    result += SeparatorFor(dir);
    result += name;
    return result;
}

// Whether two file names name the same entry as the file system compares names: byte for byte on POSIX,
// without regard to letter case on Windows.
bool FileNamesEqual(std::string_view a, std::string_view b);

} // namespace qv
