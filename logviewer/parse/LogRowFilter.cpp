#include "LogRowFilter.h"

#include "LogEventTypes.h"
#include "LogLine.h"
#include "platform/AsciiText.h"

#include <cstring>

namespace qv {

namespace {

constexpr std::size_t kDateColumn = 0;
constexpr std::size_t kTypeColumn = 2;
constexpr std::size_t kDescriptionColumn = 3;

// How often a character turns up in log lines, roughly: the find looks for the text's rarest one first.
int Commonness(char c) {
    static constexpr std::string_view kLettersByUse = "zqxjkvbpygfwmucldrhsnioate";
    if (c == ' ' || c == '.' || c == '/' || c == ':' || c == '-' || (c >= '0' && c <= '9'))
        return 40;
    const std::size_t letter = kLettersByUse.find(c);
    return letter == std::string_view::npos ? 0 : static_cast<int>(letter) + 1;
}

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
    for (std::size_t i = 1; i < m_needle.size(); ++i) {
        if (Commonness(m_needle[i]) < Commonness(m_needle[m_anchor]))
            m_anchor = i;
    }
    if (!m_needle.empty()) {
        m_anchorLower = m_needle[m_anchor];
        m_anchorUpper = (m_anchorLower >= 'a' && m_anchorLower <= 'z')
                            ? static_cast<char>(m_anchorLower - 'a' + 'A')
                            : m_anchorLower;
    }
    if (m_column < LogRowQuery::kAllColumns || m_column >= static_cast<int>(kLogColumnCount))
        m_column = LogRowQuery::kAllColumns;
    if (m_needle.empty())
        return;
    const bool all = m_column == LogRowQuery::kAllColumns;
    const bool inType = all || m_column == static_cast<int>(kTypeColumn);
    const bool inDescription = all || m_column == static_cast<int>(kDescriptionColumn);
    m_inDate = all || m_column == static_cast<int>(kDateColumn);
    // Type is the same for every row of a kind, and so is Description for some kinds; for the others
    // Description is made from the line's numbers.
    for (std::size_t index = 0; index < kLogEventKindCount; ++index) {
        const auto kind = static_cast<LogEventKind>(index);
        const std::string_view description = LogEventTypes::Description(kind);
        m_inFixedText[index] = (inType && Contains(LogEventTypes::Type(kind))) ||
                               (inDescription && !description.empty() && Contains(description));
        m_beyondLine[index] = inDescription && description.empty();
    }
}

bool LogRowFilter::Contains(std::string_view text) const {
    const std::size_t length = m_needle.size();
    if (length == 0)
        return true;
    if (text.size() < length)
        return false;
    // Candidates from memchr for the anchor character in either letter case: most lines hold neither.
    const char* const first = text.data() + m_anchor;
    const char* const end = first + (text.size() - length + 1);
    const auto next = [end](const char* from, char c) {
        const auto* found =
            static_cast<const char*>(std::memchr(from, c, static_cast<std::size_t>(end - from)));
        return found ? found : end;
    };
    const char* atLower = next(first, m_anchorLower);
    const char* atUpper = m_anchorUpper == m_anchorLower ? end : next(first, m_anchorUpper);
    while (atLower < end || atUpper < end) {
        const bool takeLower = atLower < atUpper;
        const char* const at = takeLower ? atLower : atUpper;
        const char* const start = at - m_anchor;
        std::size_t i = 0;
        while (i < length && AsciiText::Lower(start[i]) == m_needle[i])
            ++i;
        if (i == length)
            return true;
        if (takeLower)
            atLower = next(at + 1, m_anchorLower);
        else
            atUpper = next(at + 1, m_anchorUpper);
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
    const auto kind = static_cast<std::size_t>(LogFile::KindOf(slot));
    if (m_inFixedText[kind])
        return true;
    const std::string_view line = file.Line(row);
    // An ASCII text reads the same in the bytes as in the decoded line: decoding only adds characters
    // beyond ASCII. Any other text is looked for in the line as it is shown.
    if (!m_needleAscii && LogText::Decodes(line, m_mode)) {
        std::string text;
        text.reserve(line.size() + line.size() / 2);
        LogText::AppendWindows1252(text, line);
        return ColumnsMatch(LogRecord::FromLine(LogLine(text), file.DateText()));
    }
    // A text without a space lies inside one field when it is in the line's columns at all; else only
    // a Description made from the line's numbers may hold it.
    if (!m_needleHasSpace && !Contains(line))
        return m_beyondLine[kind] && Contains(file.Record(row).description);
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
