#pragma once
// ASCII letter case and number parsing, the same everywhere whatever the C library's locale says.
#include <cstdint>
#include <string>
#include <string_view>

namespace qv {

class AsciiText {
public:
    static constexpr char Lower(char c) {
        return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
    }
    static std::string Lower(std::string_view text);
    static bool EqualNoCase(std::string_view a, std::string_view b);

    // A hexadecimal digit's value, or -1; for the code units of every width.
    static constexpr int HexDigit(char32_t c) {
        if (c >= U'0' && c <= U'9')
            return static_cast<int>(c - U'0');
        if (c >= U'a' && c <= U'f')
            return static_cast<int>(c - U'a') + 10;
        if (c >= U'A' && c <= U'F')
            return static_cast<int>(c - U'A') + 10;
        return -1;
    }
    // An even number of hexadecimal digits, two to a byte, and nothing else; bytes is empty on failure.
    static bool ParseHex(std::string_view digits, std::string& bytes);

    // Decimal text as strtol reads it: leading white space, an optional sign, digits up to the first other
    // character; no digits gives 0. Values beyond 32 bits are held at the nearest limit.
    static std::int32_t ParseDecimal(std::string_view text);
    // The whole text as a number no larger than max: decimal, or hexadecimal after 0x. No sign, no blanks.
    static bool ParseUnsigned(std::string_view text, std::uint64_t max, std::uint64_t& value);
};

} // namespace qv
