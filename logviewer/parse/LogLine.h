#pragma once
// One line of a handler log file, cut into its fields. Fields are separated by single spaces (a tab is no
// separator) from the first non-space character on; two spaces in a row give an empty field.
#include "platform/AsciiText.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

namespace qv {

class LogLine {
public:
    static constexpr std::size_t kMaxFields = 7;

    // line: the text between two line ends, without them.
    explicit LogLine(std::string_view line);

    // Empty or only spaces: no row, and the reading goes on.
    bool IsBlank() const { return m_text.empty(); }
    bool IsComment() const { return !m_text.empty() && m_text.front() == '#'; }
    // From the first non-space character to the line end.
    std::string_view Text() const { return m_text; }

    // Fields 1..7 as indexes 0..6; an absent field is empty.
    std::string_view Field(std::size_t index) const {
        return index < m_count ? m_fields[index] : std::string_view();
    }
    std::size_t FieldCount() const { return m_count; }

    // The sixth field as a number; 0 (no row) when it is absent, empty or has no digits.
    std::int32_t Code() const { return AsciiText::ParseDecimal(Field(5)); }
    // The seventh field as a number: the rule number or the rule count; absent gives 0.
    std::int32_t Number() const { return AsciiText::ParseDecimal(Field(6)); }

private:
    std::string_view m_text;
    std::array<std::string_view, kMaxFields> m_fields{};
    std::size_t m_count = 0;
};

} // namespace qv
