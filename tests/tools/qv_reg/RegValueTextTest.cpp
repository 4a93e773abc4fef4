#include "RegValueText.h"
#include "RegKeyPath.h"

#include "platform/RegistryKey.h"

#include <gtest/gtest.h>

using namespace std::string_literals;

namespace qv::test {
namespace {

std::string Data(std::uint32_t type, std::string_view text) {
    std::string data, error;
    EXPECT_TRUE(RegValueText::FromCommandLine(type, text, data, error)) << text << ": " << error;
    return data;
}

bool Refused(std::uint32_t type, std::string_view text) {
    std::string data, error;
    const bool ok = RegValueText::FromCommandLine(type, text, data, error);
    return !ok && !error.empty();
}

TEST(RegKeyPathTest, TakesBothSpellingsOfTheRootAndRefusesEveryOtherRoot) {
    std::string error;
    auto key = RegKeyPath::Parse("HKLM\\SOFTWARE\\Helmark\\", &error);
    ASSERT_TRUE(key);
    EXPECT_EQ(key->SubKey(), "SOFTWARE\\Helmark");
    EXPECT_EQ(key->Display(), "HKEY_LOCAL_MACHINE\\SOFTWARE\\Helmark");
    EXPECT_EQ(key->Child("Sites").SubKey(), "SOFTWARE\\Helmark\\Sites");

    key = RegKeyPath::Parse("hkey_local_machine\\x", &error);
    ASSERT_TRUE(key);
    EXPECT_EQ(key->SubKey(), "x");
    key = RegKeyPath::Parse("HKLM", &error);
    ASSERT_TRUE(key);
    EXPECT_TRUE(key->IsRoot());
    EXPECT_EQ(key->Child("SOFTWARE").SubKey(), "SOFTWARE");

    for (const char* other : {"HKCU\\Software", "HKEY_USERS\\.DEFAULT"}) {
        EXPECT_FALSE(RegKeyPath::Parse(other, &error));
        EXPECT_EQ(error, "Only HKEY_LOCAL_MACHINE (HKLM) is supported.");
    }
    EXPECT_FALSE(RegKeyPath::Parse("\\\\server\\HKLM\\Software", &error));
    EXPECT_NE(error.find("Remote"), std::string::npos);
    for (const char* bad : {"HKLMX\\a", "SOFTWARE\\x", "HKLM\\a\\\\b", "", "HKLM\\\\a"}) {
        error.clear();
        EXPECT_FALSE(RegKeyPath::Parse(bad, &error)) << bad;
        EXPECT_EQ(error, "Invalid key name.") << bad;
    }
}

TEST(RegValueTextTest, CommandLineDataBecomesTheBytesOfItsType) {
    EXPECT_EQ(Data(kRegSz, "a b"), "a b\0"s);
    EXPECT_EQ(Data(kRegSz, ""), "\0"s);
    EXPECT_EQ(Data(kRegMultiSz, "a\\0bc\\0d"), "a\0bc\0d\0\0"s);
    EXPECT_EQ(Data(kRegMultiSz, "a\\0"), "a\0\0"s);
    EXPECT_EQ(Data(kRegMultiSz, ""), "\0"s);
    EXPECT_EQ(Data(kRegDword, "0x1F"), "\x1f\0\0\0"s);
    EXPECT_EQ(Data(kRegDword, "4294967295"), "\xff\xff\xff\xff"s);
    EXPECT_EQ(Data(kRegDword, ""), "\0\0\0\0"s);
    EXPECT_EQ(Data(kRegQword, "0x0102030405060708"), "\x08\x07\x06\x05\x04\x03\x02\x01"s);
    EXPECT_EQ(Data(kRegBinary, "00fF10"), "\x00\xff\x10"s);
    EXPECT_EQ(Data(kRegBinary, ""), ""s);

    // An empty string inside a multi-string would end the list for every reader.
    EXPECT_TRUE(Refused(kRegMultiSz, "a\\0\\0b"));
    EXPECT_TRUE(Refused(kRegMultiSz, "\\0a"));
    for (const char* bad : {"4294967296", "-1", "12ab", "0x", "0x1g", " 1"})
        EXPECT_TRUE(Refused(kRegDword, bad)) << bad;
    EXPECT_TRUE(Refused(kRegQword, "18446744073709551616"));
    for (const char* bad : {"abc", "zz"})
        EXPECT_TRUE(Refused(kRegBinary, bad)) << bad;
    EXPECT_TRUE(Refused(kRegNone, "x"));
}

TEST(RegValueTextTest, TypeNamesAndTheDataColumnOfQuery) {
    EXPECT_EQ(RegValueText::ParseTypeName("reg_multi_sz"), kRegMultiSz);
    EXPECT_FALSE(RegValueText::ParseTypeName("REG_LINK"));
    EXPECT_FALSE(RegValueText::ParseTypeName("REG_SZX"));
    EXPECT_EQ(RegValueText::TypeName(0x1234), "0x1234");

    EXPECT_EQ(RegValueText::Display({"", kRegSz, "text\0junk"s}), "text");
    EXPECT_EQ(RegValueText::Display({"", kRegSz, "unterminated"}), "unterminated");
    EXPECT_EQ(RegValueText::Display({"", kRegMultiSz, "a\0bc\0\0"s}), "a\\0bc");
    EXPECT_EQ(RegValueText::Display({"", kRegMultiSz, "\0"s}), "");
    EXPECT_EQ(RegValueText::Display({"", kRegDword, "\x1f\0\0\0"s}), "0x1f");
    EXPECT_EQ(RegValueText::Display({"", kRegQword, "\x35\x1c\xdc\xdf\x02\0\0\0"s}), "0x2dfdc1c35");
    EXPECT_EQ(RegValueText::Display({"", kRegBinary, "\x00\xab\x10"s}), "00AB10");
    // A number of the wrong size is shown as its bytes rather than read past its end.
    EXPECT_EQ(RegValueText::Display({"", kRegDword, "\x01\x02"s}), "0102");
    EXPECT_EQ(RegValueText::Display({"", kRegQword, "\x01"s}), "01");
}

} // namespace
} // namespace qv::test
