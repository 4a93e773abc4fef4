#include "LogRowFilter.h"

#include "LogLine.h"
#include "platform/AsciiText.h"

namespace qv {

namespace {
constexpr std::size_t kDateColumn = 0;
constexpr std::size_t kTypeColumn = 2;
constexpr std::size_t kDescriptionColumn = 3;
} // namespace

LogRowFilter::LogRowFilter(std::string_view text) : LogRowFilter(LogRowQuery{std::string(text)}) {}

LogRowFilter::LogRowFilter(const LogRowQuery& query, LogTextMode mode)
    : m_column(query.column), m_kinds(query.kinds), m_from(query.fromSecond), m_to(query.toSecond),
      m_wholeDay(query.WholeDay()), m_everything(query.ShowsEverything()), m_mode(mode) {
    m_needle.reserve(query.text.size());
    for (char c : query.text) {
        m_needle += AsciiText::Lower(c);
        m_needleHasSpace = m_needleHasSpace || c == ' ';
        m_needleAscii = m_needleAscii && static_cast<unsigned char>(c) < 0x80;
    }
    if (m_column < LogRowQuery::kAllColumns || m_column >= static_cast<int>(kLogColumnCount))
        m_column = LogRowQuery::kAllColumns;
    const bool all = m_column == LogRowQuery::kAllColumns;
    // The fixed texts of the kinds whose Type and Description do not depend on the line.
    const auto fixedText = [&](std::string_view type, std::string_view description) {
        return ((all || m_column == static_cast<int>(kTypeColumn)) && Contains(type)) ||
               ((all || m_column == static_cast<int>(kDescriptionColumn)) && Contains(description));
    };
    if (!m_needle.empty()) {
        m_inDate = (all || m_column == static_cast<int>(kDateColumn));
        const bool lineOnly = !all && m_column != static_cast<int>(kTypeColumn) &&
                              m_column != static_cast<int>(kDescriptionColumn);
        for (std::size_t kind = 0; kind < kLogEventKindCount; ++kind)
            m_beyondLine[kind] = !lineOnly;
        if (!lineOnly) {
            m_beyondLine[static_cast<std::size_t>(LogEventKind::StaticFile)] =
                fixedText("Quorvane File", "Static");
            m_beyondLine[static_cast<std::size_t>(LogEventKind::ImageFile)] =
                fixedText("Quorvane File", "Image");
            m_beyondLine[static_cast<std::size_t>(LogEventKind::DynamicFile)] =
                fixedText("Quorvane File", "Dynamic");
        }
    }
}

bool LogRowFilter::Contains(std::string_view text) const {
    const std::size_t length = m_needle.size();
    if (length == 0)
        return true;
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

bool LogRowFilter::ColumnsMatch(const LogRecord& record) const {
    if (m_column != LogRowQuery::kAllColumns)
        return Contains(record.Column(static_cast<std::size_t>(m_column)));
    for (std::size_t column = 0; column < kLogColumnCount; ++column) {
        if (Contains(record.Column(column)))
            return true;
    }
    return false;
}

bool LogRowFilter::Matches(const LogRecord& record) const {
    return m_needle.empty() || ColumnsMatch(record);
}

bool LogRowFilter::PassesIndex(std::uint64_t slot) const {
    if (!(m_kinds & LogEventKindBit(LogFile::KindOf(slot))))
        return false;
    if (m_wholeDay)
        return true;
    const std::uint32_t second = LogFile::SecondOf(slot);
    if (second == LogFile::kNoTime)
        return false;
    return m_from <= m_to ? (second >= m_from && second <= m_to) : (second >= m_from || second <= m_to);
}

bool LogRowFilter::TextMatches(const LogFile& file, std::size_t row, std::uint64_t slot) const {
    const std::string_view line = file.Line(row);
    // An ASCII text reads the same in the bytes as in the decoded line: decoding only adds characters
    // beyond ASCII. Any other text is looked for in the line as it is shown.
    if (!m_needleAscii && LogText::Decodes(line, m_mode)) {
        std::string text;
        text.reserve(line.size() + line.size() / 2);
        LogText::AppendWindows1252(text, line);
        return ColumnsMatch(LogRecord::FromLine(LogLine(text), file.DateText()));
    }
    // A text without a space lies inside one field when it is in the line's columns at all.
    if (!m_needleHasSpace && !m_beyondLine[static_cast<std::size_t>(LogFile::KindOf(slot))] &&
        !Contains(line))
        return false;
    return ColumnsMatch(file.Record(row));
}

bool LogRowFilter::Matches(const LogFile& file, std::size_t row) const {
    const std::uint64_t slot = file.Slot(row);
    if (!PassesIndex(slot))
        return false;
    return m_needle.empty() || (m_inDate && Contains(file.DateText())) || TextMatches(file, row, slot);
}

void LogRowFilter::Collect(const LogFile& file, std::size_t begin, std::size_t end,
                           std::vector<std::uint32_t>& out) const {
    // The date is the same on every row of a file.
    const bool anyText = m_needle.empty() || (m_inDate && Contains(file.DateText()));
    for (std::size_t row = begin; row < end; ++row) {
        const std::uint64_t slot = file.Slot(row);
        if (PassesIndex(slot) && (anyText || TextMatches(file, row, slot)))
            out.push_back(static_cast<std::uint32_t>(row));
    }
}

std::size_t LogRowFilter::Count(const LogFile& file, std::size_t begin, std::size_t end) const {
    const bool anyText = m_needle.empty() || (m_inDate && Contains(file.DateText()));
    std::size_t count = 0;
    for (std::size_t row = begin; row < end; ++row) {
        const std::uint64_t slot = file.Slot(row);
        count += PassesIndex(slot) && (anyText || TextMatches(file, row, slot));
    }
    return count;
}

} // namespace qv
