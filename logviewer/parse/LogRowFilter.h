#pragma once
// The list's test of a row (LogRowQuery): the find text occurs in one of its eight columns (or in the one
// column asked for), without regard to ASCII letter case, and the row's event kind and time of day are
// among those asked for. An empty query shows every row. Text is looked for in the line as LogText shows
// it, so that "é" typed by the user is found in a Windows-1252 line too.
#include "LogFile.h"
#include "LogRecord.h"
#include "LogRowQuery.h"
#include "LogText.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace qv {

class LogRowFilter {
public:
    // The find text alone, in every column.
    explicit LogRowFilter(std::string_view text);
    explicit LogRowFilter(const LogRowQuery& query, LogTextMode mode = LogText::SystemMode());

    // Every row shows.
    bool Empty() const { return m_everything; }
    // The text test alone, on a record whose fields are narrow text already.
    bool Matches(const LogRecord& record) const;
    bool Matches(const LogFile& file, std::size_t row) const;
    // Appends the matching rows of [begin, end) of the file to out, in file order.
    void Collect(const LogFile& file, std::size_t begin, std::size_t end,
                 std::vector<std::uint32_t>& out) const;

    // How many of rows [begin, end) show.
    std::size_t Count(const LogFile& file, std::size_t begin, std::size_t end) const;

private:
    bool Contains(std::string_view text) const;
    bool PassesIndex(std::uint64_t slot) const;
    bool TextMatches(const LogFile& file, std::size_t row, std::uint64_t slot) const;
    bool ColumnsMatch(const LogRecord& record) const;

    std::string m_needle; // lower case
    // The character of the text that the search looks for first, and its two letter cases.
    std::size_t m_anchor = 0;
    char m_anchorLower = 0;
    char m_anchorUpper = 0;
    int m_column = LogRowQuery::kAllColumns;
    LogEventKindMask m_kinds = kAllLogEventKinds;
    std::uint32_t m_from = 0;
    std::uint32_t m_to = LogRowQuery::kLastSecond;
    bool m_wholeDay = true;
    bool m_everything = true;
    bool m_needleHasSpace = false;
    bool m_needleAscii = true;
    LogTextMode m_mode = LogTextMode::SystemCodePage;
    // The text is in every row's Date; by kind, whether it is in the fixed Type or Description of every
    // row of the kind, and whether a row whose line lacks the text may still show (the text may be in a
    // Description made from the line's numbers).
    bool m_inDate = false;
    std::array<bool, kLogEventKindCount> m_inFixedText{};
    std::array<bool, kLogEventKindCount> m_beyondLine{};
};

} // namespace qv
