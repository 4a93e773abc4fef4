#pragma once
// One row of a log file: the eight column texts. The views point into the file's buffer (LogFile), so a
// record is valid only as long as the file it came from.
#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace qv {

class LogLine;

inline constexpr std::size_t kLogColumnCount = 8;
inline constexpr std::array<std::string_view, kLogColumnCount> kLogColumnNames = {
    "Date", "Time", "Type", "Description", "Path", "Query String", "Client IP", "Server IP"};

struct LogRecord {
    std::string_view date;
    std::string_view time;
    std::string_view type;
    std::string description; // short: "Static", "Rule 12", "7 Rules Read"
    std::string_view path;
    std::string_view queryString;
    std::string_view clientIp;
    std::string_view serverIp;
    std::int32_t code = 0;

    // The text under column 0..7, in the order of kLogColumnNames.
    std::string_view Column(std::size_t column) const;

    // The row of an event line; every row of a file carries the date of the file's name. Codes other than
    // the handler's own still give a row: Type "Unknown", Description "Code <n>".
    static LogRecord FromLine(const LogLine& line, std::string_view date);
};

} // namespace qv
