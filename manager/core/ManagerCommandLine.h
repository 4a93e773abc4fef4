#pragma once
// The Settings Manager's command line: a calling program passes the handle of one of its windows as the last
// word, e.g. "Quorvane.exe 1312". Nothing else on the line is read.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace qv {

class ManagerCommandLine {
public:
    // The decimal number at the start of the text after the last space; 0 (no window) when the line has no
    // space, the text does not start with a digit, or the number does not fit in 64 bits. Blanks at the end
    // of the line are ignored, so a caller that appends one still names its window.
    static std::uint64_t CallerHandle(std::string_view commandLine);
    // The program's arguments (the first is its name) joined by spaces, as Windows hands it the whole line.
    static std::string Join(const std::vector<std::string>& arguments);
};

} // namespace qv
