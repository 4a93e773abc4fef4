#pragma once
// The viewer's command line: "/" and a site number, as the Settings Manager starts it ("/3", "/0").
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace qv {

class ViewerCommandLine {
public:
    // The decimal number right after the first "/", up to the first non-digit; 0 when there is none.
    // A number past 32 bits names no site.
    static std::uint32_t RequestedSite(std::string_view commandLine);
    // The arguments after the program's name, joined by spaces as Windows hands a program its command line.
    static std::string Join(const std::vector<std::string>& arguments);
};

} // namespace qv
