#include "ManagerCommandLine.h"

#include <limits>

namespace qv {

std::uint64_t ManagerCommandLine::CallerHandle(std::string_view commandLine) {
    const std::size_t end = commandLine.find_last_not_of(" \t");
    if (end == std::string_view::npos)
        return 0;
    commandLine = commandLine.substr(0, end + 1);
    const std::size_t space = commandLine.rfind(' ');
    if (space == std::string_view::npos)
        return 0;
    constexpr std::uint64_t kMax = std::numeric_limits<std::uint64_t>::max();
    std::uint64_t number = 0;
    for (std::size_t at = space + 1;
         at < commandLine.size() && commandLine[at] >= '0' && commandLine[at] <= '9'; ++at) {
        const auto digit = static_cast<std::uint64_t>(commandLine[at] - '0');
        if (number > (kMax - digit) / 10)
            return 0;
        number = number * 10 + digit;
    }
    return number;
}

std::string ManagerCommandLine::Join(const std::vector<std::string>& arguments) {
    std::string line;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        if (i > 0)
            line += ' ';
        line += arguments[i];
    }
    return line;
}

} // namespace qv
