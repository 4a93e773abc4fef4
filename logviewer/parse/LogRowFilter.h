#pragma once
// The find box's test: a row shows when the text occurs in one of its eight columns, without regard to
// ASCII letter case. An empty text shows every row.
#include "LogFile.h"
#include "LogRecord.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace qv {

class LogRowFilter {
public:
    explicit LogRowFilter(std::string_view text);

    bool Empty() const { return m_needle.empty(); }
    bool Matches(const LogRecord& record) const;
    // Appends the matching rows of [begin, end) of the file to out, in file order.
    void Collect(const LogFile& file, std::size_t begin, std::size_t end,
                 std::vector<std::uint32_t>& out) const;

private:
    bool Contains(std::string_view text) const;

    std::string m_needle; // lower case
};

} // namespace qv
