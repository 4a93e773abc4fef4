#include "platform/Paths.h"

namespace qv {

bool FileNamesEqual(std::string_view a, std::string_view b) {
    return a == b;
}

} // namespace qv
