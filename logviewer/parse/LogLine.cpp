#include "LogLine.h"

#include <cstring>
#include <limits>

namespace qv {

LogLine::LogLine(std::string_view line) {
    const std::size_t first = line.find_first_not_of(' ');
    if (first == std::string_view::npos)
        return;
    m_text = line.substr(first);
    if (IsComment())
        return;

    const char* current = m_text.data();
    const char* const end = m_text.data() + m_text.size();
    // Fields 1 to 6: each ends at the next space. A space that is the last character ends the field and
    // leaves every later field absent, as does a field that runs to the line end.
    for (std::size_t index = 0; index < kMaxFields - 1; ++index) {
        const auto* space = static_cast<const char*>(std::memchr(current, ' ', end - current));
        if (!space) {
            m_fields[m_count++] = std::string_view(current, end - current);
            return;
        }
        m_fields[m_count++] = std::string_view(current, space - current);
        if (space + 1 == end)
            return;
        current = space + 1;
    }
    // Field 7 ends at its first space; what follows is not read.
    const auto* space = static_cast<const char*>(std::memchr(current, ' ', end - current));
    m_fields[m_count++] = std::string_view(current, (space ? space : end) - current);
}

} // namespace qv
