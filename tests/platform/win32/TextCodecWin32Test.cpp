// Narrow text on Windows is the ANSI code page: Western (1252) in one run, Japanese Shift-JIS (932) in the
// other.
#include "platform/TextCodec.h"

#include <gtest/gtest.h>

namespace qv {
namespace {

TEST(TextCodecCp1252Test, ConvertsTheWesternCodePage) {
    EXPECT_EQ(TextCodec::ToUtf16("Gr\xFC\xDF"
                                 "e \x80"),
              u"Gr\u00FC\u00DFe \u20AC");
    EXPECT_EQ(TextCodec::FromUtf16(u"Gr\u00FC\u00DFe \u20AC"), "Gr\xFC\xDF"
                                                               "e \x80");
    EXPECT_EQ(TextCodec::ToUtf16(std::string("a\0b", 3)), std::u16string(u"a\0b", 3));
    EXPECT_EQ(TextCodec::ToUtf16(""), u"");
    EXPECT_EQ(TextCodec::FromUtf16(u""), "");
    // A single-byte code page has no pairs: cuts fall where the limit is.
    EXPECT_EQ(TextCodec::Cut("\x82\xA0\x82\xA0", 3), "\x82\xA0\x82");
    EXPECT_EQ(TextCodec::Cut("abc", 3), "abc");
    EXPECT_EQ(TextCodec::Cut(std::string(300, 'x'), 260).size(), 260u);
}

TEST(TextCodecCp932Test, ConvertsShiftJisAndNeverCutsAPairInTwo) {
    // Hiragana A and I are two bytes each; half-width katakana A is one byte above 0x80 that leads nothing.
    const std::string text = "a\x82\xA0\x82\xA2\xB1z";
    EXPECT_EQ(TextCodec::ToUtf16(text), u"a\u3042\u3044\uFF71z");
    EXPECT_EQ(TextCodec::FromUtf16(u"a\u3042\u3044\uFF71z"), text);
    EXPECT_EQ(TextCodec::Cut(text, 1), "a");
    EXPECT_EQ(TextCodec::Cut(text, 2), "a");
    EXPECT_EQ(TextCodec::Cut(text, 3), "a\x82\xA0");
    EXPECT_EQ(TextCodec::Cut(text, 4), "a\x82\xA0");
    EXPECT_EQ(TextCodec::Cut(text, 5), "a\x82\xA0\x82\xA2");
    EXPECT_EQ(TextCodec::Cut(text, 6), "a\x82\xA0\x82\xA2\xB1");
    EXPECT_EQ(TextCodec::Cut(text, 7), text);
    // A trail byte can look like a lead byte: pairs are found from the start, not by looking back.
    const std::string tricky = "\x82\x82\x82\xA0";
    EXPECT_EQ(TextCodec::Cut(tricky, 3), "\x82\x82");
    // A lead byte with nothing after it stands alone.
    EXPECT_EQ(TextCodec::Cut("ab\x82", 2), "ab");
}

} // namespace
} // namespace qv
