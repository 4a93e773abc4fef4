#pragma once
// The kind of a row's event as the index keeps it: the five codes of the handler and one for every other
// code. A set of kinds is a mask with bit (1 << kind).
#include <cstddef>
#include <cstdint>

namespace qv {

enum class LogEventKind : std::uint8_t {
    Other = 0, // a code the handler does not write: Type "Unknown"
    RedirectionRule = 1,
    StaticFile = 2,
    ImageFile = 3,
    DynamicFile = 4,
    RulesReloaded = 5,
};

inline constexpr std::size_t kLogEventKindCount = 6;
using LogEventKindMask = std::uint8_t;
inline constexpr LogEventKindMask kAllLogEventKinds = (1u << kLogEventKindCount) - 1;

constexpr LogEventKindMask LogEventKindBit(LogEventKind kind) {
    return static_cast<LogEventKindMask>(1u << static_cast<unsigned>(kind));
}

} // namespace qv
