#pragma once
// A log entry made in memory (the rules file reader's "rules reloaded"), queued on its record.
#include <cstdint>
#include <string>

namespace qv {

struct PendingLogEntry {
    std::string date;          // MM/DD/YY
    std::string time;          // HH:MM:SS, 24-hour clock
    std::string clientAddress; // up to 15 characters
    std::string serverAddress; // up to 23 characters
    std::uint16_t eventCode = 0;
    std::int32_t value = 0;
};

} // namespace qv
