#include "RegFileWriter.h"
#include "NarrowText.h"
#include "Utf8.h"

#include "platform/RegistryKey.h"

#include <gtest/gtest.h>

#include <sstream>

using namespace std::string_literals;

namespace qv::test {
namespace {

std::string Lines(const RegValue& value) {
    std::u16string lines;
    EXPECT_TRUE(RegFileWriter::FormatValue(value, lines));
    return Utf8::Encode(lines);
}

TEST(RegFileWriterTest, WritesSectionsAndEachKindOfValueAsRegeditDoes) {
    RegFileWriter writer;
    std::string error;
    std::string cafe;
    ASSERT_TRUE(NarrowText::FromUtf16(u"Caf\u00e9", cafe));
    ASSERT_TRUE(writer.AddKey(RegKeyPath::FromSubKey("SOFTWARE\\Helmark"), error));
    ASSERT_TRUE(writer.AddValue({"", kRegSz, "C:\\Program Files\\Quorvane\0"s}, error));
    ASSERT_TRUE(writer.AddValue({"say \"hi\"", kRegSz, "a \"quoted\" \\ text\0"s}, error));
    ASSERT_TRUE(writer.AddValue({cafe, kRegDword, "\x1f\0\0\0"s}, error));
    ASSERT_TRUE(writer.AddKey(RegKeyPath::FromSubKey("SOFTWARE\\Helmark\\Empty"), error));
    const std::string text = "Windows Registry Editor Version 5.00\n"
                             "\n"
                             "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Helmark]\n"
                             "@=\"C:\\\\Program Files\\\\Quorvane\"\n"
                             "\"say \\\"hi\\\"\"=\"a \\\"quoted\\\" \\\\ text\"\n"
                             "\"Caf\xc3\xa9\"=dword:0000001f\n"
                             "\n"
                             "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Helmark\\Empty]\n"
                             "\n";
    EXPECT_EQ(writer.Bytes(RegFileWriter::Encoding::Utf8), text);
    // UTF-16LE with a BOM and CRLF line ends, each letter one UTF-16 unit.
    std::string utf16 = "\xff\xfe";
    for (char16_t c : writer.Text()) {
        if (c == u'\n')
            utf16 += "\r\0"s;
        utf16 += {static_cast<char>(c & 0xff), static_cast<char>(c >> 8)};
    }
    EXPECT_EQ(writer.Bytes(RegFileWriter::Encoding::Utf16Le), utf16);

    EXPECT_EQ(Lines({"b", kRegBinary, "\x00\xff\x10"s}), "\"b\"=hex:00,ff,10\n");
    EXPECT_EQ(Lines({"q", kRegQword, "\x35\x1c\xdc\xdf\x02\0\0\0"s}),
              "\"q\"=hex(b):35,1c,dc,df,02,00,00,00\n");
    EXPECT_EQ(Lines({"e", kRegExpandSz, "%A%\0"s}), "\"e\"=hex(2):25,00,41,00,25,00,00,00\n");
    EXPECT_EQ(Lines({"odd", 0x1234, "\x01\x02"s}), "\"odd\"=hex(1234):01,02\n");
    // A dword of the wrong size keeps its bytes; strings that "..." cannot carry unchanged go as UTF-16LE
    // bytes: no terminator, an empty value, line breaks.
    EXPECT_EQ(Lines({"d", kRegDword, "\x01\x02"s}), "\"d\"=hex(4):01,02\n");
    EXPECT_EQ(Lines({"s", kRegSz, "ab"}), "\"s\"=hex(1):61,00,62,00\n");
    EXPECT_EQ(Lines({"s", kRegSz, ""}), "\"s\"=hex(1):\n");
    EXPECT_EQ(Lines({"s", kRegSz, "\0"s}), "\"s\"=\"\"\n");
    EXPECT_EQ(Lines({"s", kRegSz, "a\nb\0"s}), "\"s\"=hex(1):61,00,0a,00,62,00,00,00\n");
}

TEST(RegFileWriterTest, LongHexDataContinuesOnLinesOfRegeditsWidth) {
    EXPECT_EQ(Lines({"BootExecute", kRegMultiSz, "autocheck autochk *\0\0"s}),
              "\"BootExecute\"=hex(7):61,00,75,00,74,00,6f,00,63,00,68,00,65,00,63,00,6b,00,20,\\\n"
              "  00,61,00,75,00,74,00,6f,00,63,00,68,00,6b,00,20,00,2a,00,00,00,00,00\n");
    // 22 bytes on the first line, 25 on each of the next seven, 3 on the last.
    std::istringstream stream(Lines({"Blob", kRegBinary, std::string(200, '\xaa')}));
    std::vector<std::size_t> widths;
    for (std::string line; std::getline(stream, line);)
        widths.push_back(line.size());
    EXPECT_EQ(widths, (std::vector<std::size_t>{78, 78, 78, 78, 78, 78, 78, 78, 10}));
    // The break comes once a line reaches column 77, so a longer name can fill a line to 80 exactly.
    EXPECT_EQ(Lines({"Blob12", kRegBinary, std::string(30, '\x01')}).find('\n'), 80u);
}

TEST(RegFileWriterTest, TextTheFileCannotCarryUnchangedIsRefusedNotMangled) {
    // Bytes that are no text in the narrow code page (UTF-8 on POSIX) have no UTF-16 form.
    const std::string odd = "\xff\xfe\xc3";
    std::u16string wide;
    const bool convertible = NarrowText::ToUtf16(odd, wide);
    RegFileWriter writer;
    std::string error;
    EXPECT_EQ(writer.AddValue({odd, kRegSz, "x\0"s}, error), convertible);
    EXPECT_EQ(writer.AddValue({"name", kRegSz, odd + '\0'}, error), convertible);
    EXPECT_EQ(writer.AddKey(RegKeyPath::FromSubKey("K\\" + odd), error), convertible);
    EXPECT_TRUE(convertible || error.find("cannot be written") != std::string::npos) << error;
    // Binary data is never text.
    EXPECT_TRUE(writer.AddValue({"bin", kRegBinary, odd}, error));
}

} // namespace
} // namespace qv::test
