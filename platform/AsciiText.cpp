#include "platform/AsciiText.h"

#include <algorithm>
#include <charconv>
#include <limits>

namespace qv {

std::string AsciiText::Lower(std::string_view text) {
    std::string lower(text);
    for (char& c : lower)
        c = Lower(c);
    return lower;
}

bool AsciiText::EqualNoCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) { return Lower(x) == Lower(y); });
}

bool AsciiText::ParseHex(std::string_view digits, std::string& bytes) {
    bytes.clear();
    if (digits.size() % 2 != 0 || std::any_of(digits.begin(), digits.end(), [](char c) {
            return HexDigit(static_cast<unsigned char>(c)) < 0;
        }))
        return false;
    bytes.reserve(digits.size() / 2);
    for (std::size_t i = 0; i < digits.size(); i += 2)
        bytes += static_cast<char>(HexDigit(static_cast<unsigned char>(digits[i])) * 16 +
                                   HexDigit(static_cast<unsigned char>(digits[i + 1])));
    return true;
}

std::int32_t AsciiText::ParseDecimal(std::string_view text) {
    std::size_t at = 0;
    while (at < text.size() && (text[at] == ' ' || (text[at] >= '\t' && text[at] <= '\r')))
        ++at;
    bool negative = false;
    if (at < text.size() && (text[at] == '+' || text[at] == '-'))
        negative = text[at++] == '-';
    constexpr std::int64_t kLimit = std::int64_t{std::numeric_limits<std::int32_t>::max()} + 1;
    std::int64_t value = 0;
    for (; at < text.size() && text[at] >= '0' && text[at] <= '9'; ++at)
        value = std::min(value * 10 + (text[at] - '0'), kLimit);
    return static_cast<std::int32_t>(negative ? -value : std::min(value, kLimit - 1));
}

bool AsciiText::ParseUnsigned(std::string_view text, std::uint64_t max, std::uint64_t& value) {
    int base = 10;
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        text.remove_prefix(2);
        base = 16;
    }
    if (text.empty())
        return false;
    std::uint64_t parsed = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), parsed, base);
    if (error != std::errc() || end != text.data() + text.size() || parsed > max)
        return false;
    value = parsed;
    return true;
}

} // namespace qv
