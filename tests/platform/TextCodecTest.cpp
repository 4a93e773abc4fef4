// POSIX text is UTF-8: conversions to and from UTF-16 are lossless, and cuts keep whole characters.
#include "platform/TextCodec.h"

#include <gtest/gtest.h>

namespace qv {
namespace {

TEST(TextCodecTest, ConvertsUtf8AndUtf16BothWaysWithoutLoss) {
    const std::string narrow = "C:\\Inetpub\\Gr\xC3\xBC\xC3\x9F"
                               "e \xE6\x97\xA5\xE6\x9C\xAC \xF0\x9F\x98\x80";
    const std::u16string wide = u"C:\\Inetpub\\Grüße 日本 \U0001F600";
    EXPECT_EQ(TextCodec::ToUtf16(narrow), wide);
    EXPECT_EQ(TextCodec::FromUtf16(wide), narrow);
    EXPECT_EQ(TextCodec::ToUtf16(""), u"");
    EXPECT_EQ(TextCodec::FromUtf16(u""), "");
}

TEST(TextCodecTest, MalformedInputBecomesReplacementCharacters) {
    // A stray continuation byte, a truncated sequence, an overlong slash, an encoded surrogate.
    EXPECT_EQ(TextCodec::ToUtf16("a\x80"
                                 "b"),
              u"a\uFFFDb");
    EXPECT_EQ(TextCodec::ToUtf16("a\xE6\x97"), u"a\uFFFD\uFFFD");
    EXPECT_EQ(TextCodec::ToUtf16("\xC0\xAF"), u"\uFFFD\uFFFD");
    EXPECT_EQ(TextCodec::ToUtf16("\xED\xA0\x80"), u"\uFFFD\uFFFD\uFFFD");
    const char16_t lone[] = {u'x', 0xD800, u'y', 0xDC00, 0};
    EXPECT_EQ(TextCodec::FromUtf16(lone), "x\xEF\xBF\xBDy\xEF\xBF\xBD");
}

TEST(TextCodecTest, CutNeverSplitsACharacter) {
    const std::string text = "a\xC3\xA9\xF0\x9F\x98\x80z"; // a, e-acute (2 bytes), an emoji (4 bytes), z
    EXPECT_EQ(TextCodec::Cut(text, 0), "");
    EXPECT_EQ(TextCodec::Cut(text, 1), "a");
    EXPECT_EQ(TextCodec::Cut(text, 2), "a");
    EXPECT_EQ(TextCodec::Cut(text, 3), "a\xC3\xA9");
    for (std::size_t max = 4; max <= 6; ++max)
        EXPECT_EQ(TextCodec::Cut(text, max), "a\xC3\xA9") << max;
    EXPECT_EQ(TextCodec::Cut(text, 7), "a\xC3\xA9\xF0\x9F\x98\x80");
    EXPECT_EQ(TextCodec::Cut(text, 8), text);
    EXPECT_EQ(TextCodec::Cut(text, 100), text);
    // Bytes that are no character are cut where the limit falls.
    EXPECT_EQ(TextCodec::Cut("\x80\x80\x80\x80\x80", 3), "\x80\x80\x80");
    EXPECT_EQ(TextCodec::Cut(std::string(300, 'x'), 260).size(), 260u);
}

} // namespace
} // namespace qv
