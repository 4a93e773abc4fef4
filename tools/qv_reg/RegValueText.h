#pragma once
// Values as reg.exe shows and takes them on the command line: type names, the data column of "query",
// and the /t and /d arguments of "add".
#include "RegValue.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace qv {

class RegValueText {
public:
    // "REG_SZ" and the like; other types as their number ("0x123").
    static std::string TypeName(std::uint32_t type);
    // The types that "add" accepts, letter case ignored.
    static std::optional<std::uint32_t> ParseTypeName(std::string_view name);
    // The data column of "query": text up to its terminator, "\0" between the strings of REG_MULTI_SZ,
    // numbers in hexadecimal with 0x, everything else as hexadecimal digits.
    static std::string Display(const RegValue& value);
    // The bytes to store for "add /t type /d text"; false with a message when the text does not fit the type.
    static bool FromCommandLine(std::uint32_t type, std::string_view text, std::string& data,
                                std::string& error);
};

} // namespace qv
