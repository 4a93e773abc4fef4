// POSIX: the version comes from the machine's registry (else 5.2); text is UTF-8, cut between characters.
#include "platform/OsVersion.h"
#include "platform/RegistryKey.h"
#include "platform/TextCodec.h"
#include "platform/WinError.h"
#include "support/TempMachine.h"

#include <gtest/gtest.h>

#include <string>
#include <tuple>

using namespace std::string_literals;

namespace qv {
namespace {

TEST(OsVersionTest, RecordReadsTheMachinesCurrentVersionOrFallsBackTo2003) {
    // CurrentVersion's type (0: missing) and bytes (the zero is optional), and the version recorded.
    const std::tuple<std::uint32_t, std::string, int, int> cases[] = {{kRegSz, "6.1\0"s, 6, 1},
                                                                      {kRegSz, "10.0", 10, 0},
                                                                      {kRegSz, "six\0"s, 5, 2},
                                                                      {kRegSz, "6.\0"s, 5, 2},
                                                                      {kRegDword, "\6\6\6\6", 5, 2},
                                                                      {kRegSz, std::string(100, '6'), 5, 2},
                                                                      {0, "", 5, 2}};
    for (const auto& [type, bytes, major, minor] : cases) {
        SCOPED_TRACE(bytes);
        test::TempMachine machine;
        RegistryKey key;
        const auto size = static_cast<std::uint32_t>(bytes.size());
        const char* path = "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion";
        ASSERT_TRUE(type == 0 || (!key.Create(path, RegAccess::ReadWrite) &&
                                  !key.SetValue("CurrentVersion", type, bytes.data(), size)));
        OsVersion::Set(6, 3);
        OsVersion::Record();
        EXPECT_EQ(std::tuple(OsVersion::Major(), OsVersion::Minor(), OsVersion::IsIis6()),
                  std::tuple(major, minor, major == 5));
    }
}

TEST(TextCodecTest, ConvertsUtf8AndUtf16LosslesslyMalformedInputToReplacementsAndCutsWholeCharacters) {
    const std::string narrow = "C:\\Inetpub\\Gr\xC3\xBC\xC3\x9F"
                               "e \xE6\x97\xA5\xE6\x9C\xAC \xF0\x9F\x98\x80";
    const std::u16string wide = u"C:\\Inetpub\\Grüße 日本 \U0001F600";
    EXPECT_EQ(TextCodec::ToUtf16(narrow), wide);
    EXPECT_EQ(TextCodec::FromUtf16(wide), narrow);
    // A stray continuation byte, an overlong slash, an encoded surrogate, a sequence cut by the end.
    EXPECT_EQ(TextCodec::ToUtf16("a\200b|\xC0\xAF|\xED\xA0\x80|a\xE6\x97"),
              u"a\uFFFDb|\uFFFD\uFFFD|\uFFFD\uFFFD\uFFFD|a\uFFFD\uFFFD");
    const char16_t lone[] = {u'x', 0xD800, u'y', 0xDC00, 0};
    EXPECT_EQ(TextCodec::FromUtf16(lone), "x\xEF\xBF\xBDy\xEF\xBF\xBD");
    // Cuts keep whole characters; bytes that are no character are cut where the limit falls.
    const std::string text = "a\xC3\xA9\xF0\x9F\x98\x80z";     // a, e-acute (2 bytes), an emoji (4 bytes), z
    const std::size_t kept[] = {0, 1, 1, 3, 3, 3, 3, 7, 8, 8}; // bytes kept for a limit of 0 to 9
    for (std::size_t max = 0; max < std::size(kept); ++max)
        EXPECT_EQ(TextCodec::Cut(text, max), text.substr(0, kept[max])) << max;
    EXPECT_EQ(TextCodec::Cut("\x80\x80\x80\x80\x80", 3), "\x80\x80\x80");
}

} // namespace
} // namespace qv
