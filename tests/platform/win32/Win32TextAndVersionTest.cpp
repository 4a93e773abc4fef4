// Win32: narrow text is the ANSI code page (1252 or 932, by run); the version is the true one.
#include "platform/OsVersion.h"
#include "platform/RegistryKey.h"
#include "platform/TextCodec.h"
#include "platform/WinError.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <tuple>

namespace qv {
namespace {

TEST(TextCodecCp1252Test, ConvertsTheWesternCodePage) {
    const std::string narrow = "Gr\xFC\xDF"
                               "e \x80";
    EXPECT_EQ(TextCodec::ToUtf16(narrow), u"Gr\u00FC\u00DFe \u20AC");
    EXPECT_EQ(TextCodec::FromUtf16(u"Gr\u00FC\u00DFe \u20AC"), narrow);
    EXPECT_EQ(TextCodec::ToUtf16(std::string("a\0b", 3)), std::u16string(u"a\0b", 3));
    // What XML files hold is UTF-8 whatever the code page.
    EXPECT_EQ(TextCodec::Utf8ToUtf16("Caf\xC3\xA9 \xF0\x9D\x84\x9E"), u"Caf\u00E9 \U0001D11E");
    // A single-byte code page has no pairs: cuts fall where the limit is.
    EXPECT_EQ(TextCodec::Cut("\x82\xA0\x82\xA0", 3), "\x82\xA0\x82");
}

TEST(TextCodecCp932Test, ConvertsShiftJisAndNeverCutsAPairInTwo) {
    // Hiragana A and I are two bytes each; half-width katakana A is one byte above 0x80 that leads nothing.
    const std::string text = "a\x82\xA0\x82\xA2\xB1z";
    EXPECT_EQ(TextCodec::ToUtf16(text), u"a\u3042\u3044\uFF71z");
    EXPECT_EQ(TextCodec::FromUtf16(u"a\u3042\u3044\uFF71z"), text);
    EXPECT_EQ(TextCodec::Utf8ToUtf16("a\xE3\x81\x82\xEF\xBD\xB1z"), u"a\u3042\uFF71z");
    const std::size_t kept[] = {0, 1, 1, 3, 3, 5, 6, 7}; // bytes kept for a limit of 0 to 7
    for (std::size_t max = 0; max < std::size(kept); ++max)
        EXPECT_EQ(TextCodec::Cut(text, max), text.substr(0, kept[max])) << max;
    // A trail byte can look like a lead byte, and a lead byte with nothing after it stands alone.
    EXPECT_EQ(TextCodec::Cut("\x82\x82\x82\xA0", 3), "\x82\x82");
    EXPECT_EQ(TextCodec::Cut("ab\x82", 2), "ab");
}

TEST(OsVersionWin32Test, RecordsTheVersionTheSystemRecordsForItself) {
    // Windows 10 and later keep their version as two numbers, older ones only as the text "6.1".
    RegistryKey key;
    ASSERT_EQ(key.Open("SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion", RegAccess::Read), kErrorSuccess);
    std::uint32_t major = 0, minor = 0, size = sizeof major;
    std::string text;
    if (key.QueryValue("CurrentMajorVersionNumber", nullptr, &major, &size) == kErrorSuccess) {
        ASSERT_EQ(key.QueryValue("CurrentMinorVersionNumber", nullptr, &minor, &size), kErrorSuccess);
    } else {
        ASSERT_EQ(key.ReadText("CurrentVersion", 16, text), kErrorSuccess);
        ASSERT_EQ(std::sscanf(text.c_str(), "%u.%u", &major, &minor), 2) << text;
    }
    OsVersion::Record();
    EXPECT_EQ(std::tuple(OsVersion::Major(), OsVersion::Minor(), OsVersion::IsIis6()),
              std::tuple(static_cast<int>(major), static_cast<int>(minor), major == 5 && minor >= 2));
}

} // namespace
} // namespace qv
