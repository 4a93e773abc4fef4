#include "ViewerCommandLine.h"

#include <limits>

namespace qv {

std::uint32_t ViewerCommandLine::RequestedSite(std::string_view commandLine) {
    const std::size_t slash = commandLine.find('/');
    if (slash == std::string_view::npos)
        return 0;
    std::uint64_t number = 0;
    for (std::size_t at = slash + 1;
         at < commandLine.size() && commandLine[at] >= '0' && commandLine[at] <= '9'; ++at) {
        number = number * 10 + static_cast<std::uint64_t>(commandLine[at] - '0');
        if (number > std::numeric_limits<std::uint32_t>::max())
            return std::numeric_limits<std::uint32_t>::max();
    }
    return static_cast<std::uint32_t>(number);
}

std::string ViewerCommandLine::Join(const std::vector<std::string>& arguments) {
    std::string line;
    for (std::size_t i = 1; i < arguments.size(); ++i) {
        if (i > 1)
            line += ' ';
        line += arguments[i];
    }
    return line;
}

} // namespace qv
