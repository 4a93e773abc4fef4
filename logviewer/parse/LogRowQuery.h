#pragma once
// What the list shows: the find text, the column it is looked for in, the event kinds and a time-of-day
// range. A row shows when it passes all of them; the default shows every row.
#include "LogEventKind.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace qv {

struct LogRowQuery {
    static constexpr int kAllColumns = -1;
    static constexpr std::uint32_t kLastSecond = 86399;

    std::string text;         // narrow text; without regard to ASCII letter case; empty: any row
    int column = kAllColumns; // or one of 0..7, in the order of kLogColumnNames
    LogEventKindMask kinds = kAllLogEventKinds;
    // Seconds of the day, both ends included; a range with from > to runs over midnight. A row whose
    // Time is no time of day shows only while the range is the whole day.
    std::uint32_t fromSecond = 0;
    std::uint32_t toSecond = kLastSecond;

    bool WholeDay() const { return fromSecond == 0 && toSecond == kLastSecond; }
    bool ShowsEverything() const { return text.empty() && kinds == kAllLogEventKinds && WholeDay(); }

    // "H:MM", "HH:MM" or "HH:MM:SS" (hours 0-23) as seconds of the day; false for anything else.
    static bool ParseTime(std::string_view text, std::uint32_t& second);
};

} // namespace qv
