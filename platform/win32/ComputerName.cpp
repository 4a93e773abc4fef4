#include "platform/ComputerName.h"

#include <windows.h>

namespace qv {

std::string ComputerName::Get() {
    char name[MAX_COMPUTERNAME_LENGTH + 1] = {};
    DWORD size = sizeof name;
    if (!GetComputerNameA(name, &size))
        return std::string();
    return std::string(name, size);
}

} // namespace qv
