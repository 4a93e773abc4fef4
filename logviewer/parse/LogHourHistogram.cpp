#include "LogHourHistogram.h"

#include <algorithm>

namespace qv {

namespace {

// One pass over the slots of a run of rows: the kind and the hour come from the index alone.
template <typename RowAt>
bool CountRows(std::array<LogHourHistogram::Hour, LogHourHistogram::kHours>& hours, std::uint64_t& untimed,
               std::size_t count, RowAt rowAt, const LogFile& file, const std::function<bool()>& goOn) {
    for (std::size_t from = 0; from < count; from += LogHourHistogram::kStepRows) {
        if (goOn && !goOn())
            return false;
        const std::size_t to = std::min(count, from + LogHourHistogram::kStepRows);
        for (std::size_t i = from; i < to; ++i) {
            const std::uint64_t slot = file.Slot(rowAt(i));
            const std::uint32_t second = LogFile::SecondOf(slot);
            const auto kind = static_cast<std::size_t>(LogFile::KindOf(slot));
            if (second == LogFile::kNoTime)
                ++untimed;
            else
                ++hours[second / 3600][kind];
        }
    }
    return !goOn || goOn();
}

} // namespace

bool LogHourHistogram::Count(const LogFile& file, std::size_t rows, const std::function<bool()>& goOn) {
    *this = {};
    return CountRows(
        m_hours, m_untimed, std::min(rows, file.RowCount()), [](std::size_t i) { return i; }, file, goOn);
}

bool LogHourHistogram::Count(const LogFile& file, const std::vector<std::uint32_t>& rows,
                             const std::function<bool()>& goOn) {
    *this = {};
    return CountRows(
        m_hours, m_untimed, rows.size(), [&rows](std::size_t i) { return rows[i]; }, file, goOn);
}

std::uint64_t LogHourHistogram::HourTotal(std::size_t hour) const {
    std::uint64_t total = 0;
    for (std::uint64_t count : m_hours[hour])
        total += count;
    return total;
}

std::uint64_t LogHourHistogram::MaxHourTotal() const {
    std::uint64_t most = 0;
    for (std::size_t hour = 0; hour < kHours; ++hour)
        most = std::max(most, HourTotal(hour));
    return most;
}

} // namespace qv
