#include "LogRowFilter.h"

#include "platform/AsciiText.h"

namespace qv {

LogRowFilter::LogRowFilter(std::string_view text) {
    m_needle.reserve(text.size());
    for (char c : text)
        m_needle += AsciiText::Lower(c);
}

bool LogRowFilter::Contains(std::string_view text) const {
    const std::size_t length = m_needle.size();
    if (text.size() < length)
        return false;
    const char first = m_needle.front();
    const std::size_t last = text.size() - length;
    for (std::size_t at = 0; at <= last; ++at) {
        if (AsciiText::Lower(text[at]) != first)
            continue;
        std::size_t i = 1;
        while (i < length && AsciiText::Lower(text[at + i]) == m_needle[i])
            ++i;
        if (i == length)
            return true;
    }
    return false;
}

bool LogRowFilter::Matches(const LogRecord& record) const {
    if (Empty())
        return true;
    for (std::size_t column = 0; column < kLogColumnCount; ++column) {
        if (Contains(record.Column(column)))
            return true;
    }
    return false;
}

void LogRowFilter::Collect(const LogFile& file, std::size_t begin, std::size_t end,
                           std::vector<std::uint32_t>& out) const {
    // The date is the same on every row of a file.
    const bool all = Empty() || Contains(file.DateText());
    for (std::size_t row = begin; row < end; ++row) {
        if (all || Matches(file.Record(row)))
            out.push_back(static_cast<std::uint32_t>(row));
    }
}

} // namespace qv
