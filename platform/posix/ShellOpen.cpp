#include "platform/ShellOpen.h"

namespace qv {

ShellOpenResult ShellOpen::File(const std::string&, std::uintptr_t) {
    return ShellOpenResult::NotHandled;
}

} // namespace qv
