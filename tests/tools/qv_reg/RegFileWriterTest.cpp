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
    ASSERT_TRUE(writer.AddKey(RegKeyPath::FromSubKey("SOFTWARE\\Helmark"), error));
    ASSERT_TRUE(writer.AddValue({"", kRegSz, "C:\\Program Files\\Quorvane\0"s}, error));
    ASSERT_TRUE(writer.AddValue({"say \"hi\"", kRegSz, "a \"quoted\" \\ text\0"s}, error));
    ASSERT_TRUE(writer.AddValue({"Count", kRegDword, "\x1f\0\0\0"s}, error));
    ASSERT_TRUE(writer.AddKey(RegKeyPath::FromSubKey("SOFTWARE\\Helmark\\Empty"), error));
    EXPECT_EQ(Utf8::Encode(writer.Text()), "Windows Registry Editor Version 5.00\n"
                                           "\n"
                                           "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Helmark]\n"
                                           "@=\"C:\\\\Program Files\\\\Quorvane\"\n"
                                           "\"say \\\"hi\\\"\"=\"a \\\"quoted\\\" \\\\ text\"\n"
                                           "\"Count\"=dword:0000001f\n"
                                           "\n"
                                           "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Helmark\\Empty]\n"
                                           "\n");

    EXPECT_EQ(Lines({"b", kRegBinary, "\x00\xff\x10"s}), "\"b\"=hex:00,ff,10\n");
    EXPECT_EQ(Lines({"b", kRegBinary, ""}), "\"b\"=hex:\n");
    EXPECT_EQ(Lines({"q", kRegQword, "\x35\x1c\xdc\xdf\x02\0\0\0"s}),
              "\"q\"=hex(b):35,1c,dc,df,02,00,00,00\n");
    EXPECT_EQ(Lines({"e", kRegExpandSz, "%A%\0"s}), "\"e\"=hex(2):25,00,41,00,25,00,00,00\n");
    EXPECT_EQ(Lines({"n", kRegNone, "\x01"s}), "\"n\"=hex(0):01\n");
    EXPECT_EQ(Lines({"odd", 0x1234, "\x01\x02"s}), "\"odd\"=hex(1234):01,02\n");
    // A dword of the wrong size keeps its bytes.
    EXPECT_EQ(Lines({"d", kRegDword, "\x01\x02"s}), "\"d\"=hex(4):01,02\n");
    // Strings that "..." cannot carry unchanged go as UTF-16LE bytes: no terminator, an empty value, line
    // breaks.
    EXPECT_EQ(Lines({"s", kRegSz, "ab"}), "\"s\"=hex(1):61,00,62,00\n");
    EXPECT_EQ(Lines({"s", kRegSz, ""}), "\"s\"=hex(1):\n");
    EXPECT_EQ(Lines({"s", kRegSz, "\0"s}), "\"s\"=\"\"\n");
    EXPECT_EQ(Lines({"s", kRegSz, "a\nb\0"s}), "\"s\"=hex(1):61,00,0a,00,62,00,00,00\n");
    EXPECT_EQ(Lines({"s", kRegSz, "a\0b\0"s}), "\"s\"=hex(1):61,00,00,00,62,00,00,00\n");
}

TEST(RegFileWriterTest, LongHexDataContinuesOnLinesOfRegeditsWidth) {
    EXPECT_EQ(Lines({"BootExecute", kRegMultiSz, "autocheck autochk *\0\0"s}),
              "\"BootExecute\"=hex(7):61,00,75,00,74,00,6f,00,63,00,68,00,65,00,63,00,6b,00,20,\\\n"
              "  00,61,00,75,00,74,00,6f,00,63,00,68,00,6b,00,20,00,2a,00,00,00,00,00\n");

    const std::string lines = Lines({"Blob", kRegBinary, std::string(200, '\xaa')});
    std::istringstream stream(lines);
    std::string line;
    int count = 0, bytes = 0;
    while (std::getline(stream, line)) {
        EXPECT_LE(line.size(), 80u) << line;
        if (count > 0) {
            EXPECT_EQ(line.substr(0, 2), "  ");
            if (line.back() == '\\') {
                EXPECT_EQ(line.size(), 78u) << "continuation lines hold 25 bytes";
            }
        }
        bytes += static_cast<int>(std::count(line.begin(), line.end(), 'a')) / 2;
        ++count;
    }
    EXPECT_EQ(bytes, 200);
    EXPECT_EQ(count, 9); // 22 bytes on the first line, 25 on each of the next seven, 3 on the last

    // The break comes once a line reaches column 77, so a longer name can fill a line to 80 exactly.
    const std::string wide = Lines({"Blob12", kRegBinary, std::string(30, '\x01')});
    EXPECT_EQ(wide.find('\n'), 80u) << wide;
}

TEST(RegFileWriterTest, EncodesUtf16WithBomAndCrlfOrUtf8WithLf) {
    RegFileWriter writer;
    std::string error;
    std::string name;
    ASSERT_TRUE(NarrowText::FromUtf16(u"Caf\u00e9", name));
    ASSERT_TRUE(writer.AddKey(RegKeyPath::FromSubKey("K"), error));
    ASSERT_TRUE(writer.AddValue({name, kRegSz, "x\0"s}, error));

    const std::string utf16 = writer.Bytes(RegFileWriter::Encoding::Utf16Le);
    ASSERT_GE(utf16.size(), 4u);
    EXPECT_EQ(utf16.substr(0, 4), "\xff\xfeW\0"s);
    EXPECT_NE(utf16.find("\r\0\n\0"s), std::string::npos);
    EXPECT_NE(utf16.find("\xe9\0\"\0"s), std::string::npos) << "the name's letter as one UTF-16 unit";

    const std::string utf8 = writer.Bytes(RegFileWriter::Encoding::Utf8);
    EXPECT_TRUE(utf8.starts_with("Windows Registry Editor Version 5.00\n\n[HKEY_LOCAL_MACHINE\\K]\n"));
    EXPECT_EQ(utf8.find('\r'), std::string::npos);
    EXPECT_NE(utf8.find("\"Caf\xc3\xa9\"=\"x\""), std::string::npos);
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
    if (!convertible) {
        EXPECT_NE(error.find("cannot be written"), std::string::npos);
    }
    // Binary data is never text.
    EXPECT_TRUE(writer.AddValue({"bin", kRegBinary, odd}, error));
}

} // namespace
} // namespace qv::test
