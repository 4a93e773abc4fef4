// Narrow text on Windows is the ANSI code page: Western (1252) in one run, Japanese Shift-JIS (932) in the
// other.
#include "platform/TextCodec.h"

#include <gtest/gtest.h>

namespace qv {
namespace {

TEST(TextCodecCp1252Test, ConvertsTheWesternCodePage) {
    const std::string narrow = "Gr\xFC\xDF"
                               "e \x80";
    EXPECT_EQ(TextCodec::ToUtf16(narrow), u"Gr\u00FC\u00DFe \u20AC");
    EXPECT_EQ(TextCodec::FromUtf16(u"Gr\u00FC\u00DFe \u20AC"), narrow);
    EXPECT_EQ(TextCodec::ToUtf16(std::string("a\0b", 3)), std::u16string(u"a\0b", 3));
    // A single-byte code page has no pairs: cuts fall where the limit is.
    EXPECT_EQ(TextCodec::Cut("\x82\xA0\x82\xA0", 3), "\x82\xA0\x82");
}

TEST(TextCodecCp932Test, ConvertsShiftJisAndNeverCutsAPairInTwo) {
    // Hiragana A and I are two bytes each; half-width katakana A is one byte above 0x80 that leads nothing.
    const std::string text = "a\x82\xA0\x82\xA2\xB1z";
    EXPECT_EQ(TextCodec::ToUtf16(text), u"a\u3042\u3044\uFF71z");
    EXPECT_EQ(TextCodec::FromUtf16(u"a\u3042\u3044\uFF71z"), text);
    const std::size_t kept[] = {0, 1, 1, 3, 3, 5, 6, 7}; // bytes kept for a limit of 0 to 7
    for (std::size_t max = 0; max < std::size(kept); ++max)
        EXPECT_EQ(TextCodec::Cut(text, max), text.substr(0, kept[max])) << max;
    // A trail byte can look like a lead byte: pairs are found from the start, not by looking back.
    EXPECT_EQ(TextCodec::Cut("\x82\x82\x82\xA0", 3), "\x82\x82");
    // A lead byte with nothing after it stands alone.
    EXPECT_EQ(TextCodec::Cut("ab\x82", 2), "ab");
}

} // namespace
} // namespace qv
