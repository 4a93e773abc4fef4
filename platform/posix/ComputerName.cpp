#include "platform/ComputerName.h"

#include <unistd.h>

namespace qv {

std::string ComputerName::Get() {
    char name[256] = {};
    if (gethostname(name, sizeof name - 1) != 0)
        return std::string();
    std::string host(name);
    // A fully qualified host name: the first label is the machine.
    const std::size_t dot = host.find('.');
    if (dot != std::string::npos)
        host.resize(dot);
    return host;
}

} // namespace qv
