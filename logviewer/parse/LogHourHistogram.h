#pragma once
// Rows per hour of the day, by event kind, counted from the index (no line is cut): for the small chart
// above the list. Safe off the window's thread while the file is still read or followed.
#include "LogEventKind.h"
#include "LogFile.h"

#include <array>
#include <cstdint>
#include <functional>
#include <vector>

namespace qv {

class LogHourHistogram {
public:
    static constexpr std::size_t kHours = 24;
    using Hour = std::array<std::uint64_t, kLogEventKindCount>; // by LogEventKind

    // Rows [0, rows) of the file. goOn is asked every kStepRows rows; false when it stopped the count.
    static constexpr std::size_t kStepRows = 1 << 20;
    bool Count(const LogFile& file, std::size_t rows, const std::function<bool()>& goOn = {});
    // Only the given rows (the rows a filter shows).
    bool Count(const LogFile& file, const std::vector<std::uint32_t>& rows,
               const std::function<bool()>& goOn = {});

    const std::array<Hour, kHours>& Hours() const { return m_hours; }
    std::uint64_t At(std::size_t hour, LogEventKind kind) const {
        return m_hours[hour][static_cast<std::size_t>(kind)];
    }
    // All kinds of one hour, and the largest such total (the chart's scale).
    std::uint64_t HourTotal(std::size_t hour) const;
    std::uint64_t MaxHourTotal() const;
    // Rows whose Time is no time of day: in no hour.
    std::uint64_t Untimed() const { return m_untimed; }

private:
    std::array<Hour, kHours> m_hours{};
    std::uint64_t m_untimed = 0;
};

} // namespace qv
