// The one parser of each kind the programs share: decimal as strtol reads it, whole numbers as reg.exe
// takes them, hexadecimal bytes, and letter case that ignores the locale.
#include "platform/AsciiText.h"

#include <gtest/gtest.h>

#include <optional>

using namespace std::string_literals;

namespace qv {
namespace {

TEST(AsciiTextTest, ParsesDecimalUnsignedAndHexOrRefuses) {
    const std::pair<std::string, std::int32_t> decimals[] = {{" \t+42x", 42},
                                                             {"-17", -17},
                                                             {"", 0},
                                                             {"x1", 0},
                                                             {"2147483647", INT32_MAX},
                                                             {"99999999999", INT32_MAX},
                                                             {"-2147483648", INT32_MIN},
                                                             {"-99999999999", INT32_MIN},
                                                             {"12\0003"s, 12}};
    for (const auto& [text, value] : decimals)
        EXPECT_EQ(AsciiText::ParseDecimal(text), value) << text;

    const std::pair<const char*, std::optional<std::uint64_t>> numbers[] = {
        {"0x1F", 31},         {"4294967295", 4294967295u}, {"4294967296", std::nullopt},
        {"0x", std::nullopt}, {"", std::nullopt},          {"-1", std::nullopt},
        {" 1", std::nullopt}, {"12ab", std::nullopt}};
    for (const auto& [text, value] : numbers) {
        std::uint64_t parsed = 0;
        const bool ok = AsciiText::ParseUnsigned(text, UINT32_MAX, parsed);
        EXPECT_EQ(ok ? std::optional(parsed) : std::nullopt, value) << text;
    }

    std::string bytes;
    EXPECT_TRUE(AsciiText::ParseHex("00fF10", bytes) && bytes == "\x00\xff\x10"s);
    for (const char* bad : {"abc", "zz", "0 "})
        EXPECT_FALSE(AsciiText::ParseHex(bad, bytes) || !bytes.empty()) << bad;
    EXPECT_EQ(AsciiText::HexDigit(u'f') + AsciiText::HexDigit(U'G'), 15 - 1);

    EXPECT_EQ(AsciiText::Lower("QUERY /V \xc3\x84"), "query /v \xc3\x84");
    EXPECT_TRUE(AsciiText::EqualNoCase("Reg_Sz", "REG_SZ") && !AsciiText::EqualNoCase("REG_SZ", "REG_SZX"));
}

} // namespace
} // namespace qv
