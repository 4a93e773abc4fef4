#include "platform/MachineDirectory.h"

namespace qv {

// Windows has a real registry and metabase: the machine directory plays no part there.
std::string MachineDirectory::Path() {
    return std::string();
}
void MachineDirectory::Set(std::string) {}

} // namespace qv
