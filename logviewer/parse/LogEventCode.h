#pragma once
// The event code of a handler log line (its sixth field). 0 marks a line that gives no row.
#include "settings/RulesReader.h"

#include <cstdint>

namespace qv {

enum class LogEventCode : std::int32_t {
    RedirectionRule = 1, // a rule of rules.qv handled the request; the seventh field is the rule number
    StaticFile = 2,
    ImageFile = 3,
    DynamicFile = 4,
    RulesReloaded = kRulesReloadedEvent, // rules.qv was read again; the seventh field is the rule count
};

} // namespace qv
