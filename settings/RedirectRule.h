#pragma once
// One accepted line of a site's rules file, numbered from 1 in file order.
#include "RulePart.h"

#include <cstdint>
#include <string>
#include <vector>

namespace qv {

struct RedirectRule {
    std::uint16_t index = 0;
    std::string source;
    std::vector<RulePart> parts;
    std::uint16_t permanent = 0;
};

} // namespace qv
