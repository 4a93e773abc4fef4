#include "LogRowQuery.h"

namespace qv {

bool LogRowQuery::ParseTime(std::string_view text, std::uint32_t& second) {
    std::uint32_t parts[3] = {};
    std::size_t count = 0;
    std::size_t digits = 0;
    for (char c : text) {
        if (c >= '0' && c <= '9') {
            if (++digits > 2)
                return false;
            parts[count] = parts[count] * 10 + static_cast<std::uint32_t>(c - '0');
        } else if (c == ':' && digits > 0 && count < 2) {
            ++count;
            digits = 0;
        } else {
            return false;
        }
    }
    // Minutes and seconds take two digits; the hour one or two.
    if (count == 0 || digits != 2 || parts[0] > 23 || parts[1] > 59 || parts[2] > 59)
        return false;
    if (count == 2 && text.find(':') + 3 != text.rfind(':'))
        return false;
    second = parts[0] * 3600 + parts[1] * 60 + parts[2];
    return true;
}

} // namespace qv
