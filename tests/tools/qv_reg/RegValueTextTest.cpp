#include "RegValueText.h"
#include "RegKeyPath.h"

#include "platform/RegistryKey.h"

#include <gtest/gtest.h>

#include <optional>

using namespace std::string_literals;

namespace qv::test {
namespace {

TEST(RegKeyPathTest, TakesBothSpellingsOfTheRootAndRefusesEveryOtherRoot) {
    // The text, and the sub key it names or "!" and the start of the message that refuses it.
    const std::pair<const char*, const char*> cases[] = {
        {"HKLM\\SOFTWARE\\Helmark\\", "SOFTWARE\\Helmark"},
        {"hkey_local_machine\\x", "x"},
        {"HKLM", ""},
        {"HKCU\\Software", "!Only HKEY_LOCAL_MACHINE (HKLM) is supported."},
        {"HKEY_USERS\\.DEFAULT", "!Only HKEY_LOCAL_MACHINE (HKLM) is supported."},
        {"\\\\server\\HKLM\\Software", "!Remote"},
        {"HKLMX\\a", "!Invalid key name."},
        {"SOFTWARE\\x", "!Invalid key name."},
        {"HKLM\\a\\\\b", "!Invalid key name."},
        {"", "!Invalid key name."},
        {"HKLM\\\\a", "!Invalid key name."}};
    for (const auto& [text, expected] : cases) {
        std::string error;
        const auto key = RegKeyPath::Parse(text, &error);
        EXPECT_TRUE(key ? key->SubKey() == expected : ("!" + error).starts_with(expected))
            << text << ": " << error;
    }
    EXPECT_EQ(RegKeyPath::FromSubKey("SOFTWARE\\Helmark").Display(), "HKEY_LOCAL_MACHINE\\SOFTWARE\\Helmark");
    EXPECT_EQ(RegKeyPath::FromSubKey("").Child("SOFTWARE").Child("Sites").SubKey(), "SOFTWARE\\Sites");
}

TEST(RegValueTextTest, CommandLineDataBecomesTheBytesOfItsTypeOrIsRefused) {
    const std::tuple<std::uint32_t, const char*, std::optional<std::string>> cases[] = {
        {kRegSz, "a b", "a b\0"s},
        {kRegSz, "", "\0"s},
        {kRegMultiSz, "a\\0bc\\0d", "a\0bc\0d\0\0"s},
        {kRegMultiSz, "a\\0", "a\0\0"s},
        {kRegMultiSz, "", "\0"s},
        // An empty string inside a multi-string would end the list for every reader.
        {kRegMultiSz, "a\\0\\0b", std::nullopt},
        {kRegMultiSz, "\\0a", std::nullopt},
        {kRegDword, "0x1F", "\x1f\0\0\0"s},
        {kRegDword, "4294967295", "\xff\xff\xff\xff"s},
        {kRegDword, "", "\0\0\0\0"s},
        {kRegQword, "0x0102030405060708", "\x08\x07\x06\x05\x04\x03\x02\x01"s},
        {kRegBinary, "00fF10", "\x00\xff\x10"s},
        {kRegBinary, "", ""s},
        {kRegQword, "18446744073709551616", std::nullopt},
        {kRegBinary, "abc", std::nullopt},
        {kRegBinary, "zz", std::nullopt},
        {kRegNone, "x", std::nullopt}};
    for (const auto& [type, text, bytes] : cases) {
        std::string data, error;
        const bool ok = RegValueText::FromCommandLine(type, text, data, error);
        EXPECT_EQ(ok ? std::optional(data) : std::nullopt, bytes) << text;
        EXPECT_EQ(error.empty(), ok) << text;
    }
    for (const char* bad : {"4294967296", "-1", "12ab", "0x", "0x1g", " 1"}) {
        std::string data, error;
        EXPECT_FALSE(RegValueText::FromCommandLine(kRegDword, bad, data, error)) << bad;
    }
}

TEST(RegValueTextTest, TypeNamesAndTheDataColumnOfQuery) {
    EXPECT_EQ(RegValueText::ParseTypeName("reg_multi_sz"), kRegMultiSz);
    EXPECT_FALSE(RegValueText::ParseTypeName("REG_LINK") || RegValueText::ParseTypeName("REG_SZX"));
    EXPECT_EQ(RegValueText::TypeName(0x1234), "0x1234");
    const std::pair<RegValue, const char*> shown[] = {
        {{"", kRegSz, "text\0junk"s}, "text"},
        {{"", kRegSz, "unterminated"}, "unterminated"},
        {{"", kRegMultiSz, "a\0bc\0\0"s}, "a\\0bc"},
        {{"", kRegMultiSz, "\0"s}, ""},
        {{"", kRegDword, "\x1f\0\0\0"s}, "0x1f"},
        {{"", kRegQword, "\x35\x1c\xdc\xdf\x02\0\0\0"s}, "0x2dfdc1c35"},
        {{"", kRegBinary, "\x00\xab\x10"s}, "00AB10"},
        // A number of the wrong size is shown as its bytes rather than read past its end.
        {{"", kRegDword, "\x01\x02"s}, "0102"},
        {{"", kRegQword, "\x01"s}, "01"}};
    for (const auto& [value, text] : shown)
        EXPECT_EQ(RegValueText::Display(value), text);
}

} // namespace
} // namespace qv::test
