#pragma once
// One piece of a redirection rule's target: literal text (kind 0) or a token $P, $U, $Q, $R (kind = letter).
#include <cstdint>
#include <string>

namespace qv {

struct RulePart {
    std::uint16_t kind = 0;
    std::string text; // only for kind 0
    bool operator==(const RulePart&) const = default;
};

} // namespace qv
