#include "RegFileParser.h"
#include "NarrowText.h"
#include "RegFileWriter.h"
#include "Utf8.h"

#include "platform/RegistryKey.h"

#include <gtest/gtest.h>

#include <vector>

using namespace std::string_literals;

namespace qv::test {
namespace {

using Kind = RegFileEntry::Kind;

std::string Narrow(std::u16string_view text) {
    std::string narrow;
    EXPECT_TRUE(NarrowText::FromUtf16(text, narrow));
    return narrow;
}

std::string Utf16File(std::u16string_view text) {
    std::string bytes = "\xff\xfe";
    for (char16_t c : text) {
        bytes += static_cast<char>(c & 0xff);
        bytes += static_cast<char>(c >> 8);
    }
    return bytes;
}

RegFileEntry Key(std::string key, Kind kind = Kind::CreateKey) {
    RegFileEntry entry;
    entry.kind = kind;
    entry.key = std::move(key);
    return entry;
}

RegFileEntry Value(std::string key, RegValue value, Kind kind = Kind::SetValue) {
    RegFileEntry entry;
    entry.kind = kind;
    entry.key = std::move(key);
    entry.value = std::move(value);
    return entry;
}

// Entries without their line numbers, for comparing what a file says.
std::vector<RegFileEntry> Parsed(std::string_view bytes) {
    RegFileParser parser;
    EXPECT_TRUE(parser.Parse(bytes)) << parser.Error();
    std::vector<RegFileEntry> entries = parser.Entries();
    for (RegFileEntry& entry : entries)
        entry.line = 0;
    return entries;
}

// The line of the fault, after checking that a refused file gives nothing to apply.
int FaultLine(std::string_view bytes, std::string* error = nullptr) {
    RegFileParser parser;
    EXPECT_FALSE(parser.Parse(bytes));
    EXPECT_TRUE(parser.Entries().empty());
    if (error)
        *error = parser.Error();
    return parser.ErrorLine();
}

TEST(RegFileParserTest, EveryTypeComesBackFromAnExportInEitherEncoding) {
    const std::string name = Narrow(u"Gr\u00fc\u00dfe Caf\u00e9");
    const std::string keyName = Narrow(u"Cl\u00e9 \"x\" [1]");
    const std::vector<RegValue> values = {
        {"", kRegSz, "default \\ \"quoted\"\0"s},
        {name, kRegSz, Narrow(u"\u00e0 la carte") + '\0'},
        {"empty string", kRegSz, "\0"s},
        {"no bytes", kRegSz, ""},
        {"unterminated", kRegSz, "abc"},
        {"two lines", kRegSz, "a\r\nb\0"s},
        {"expand", kRegExpandSz, "%SystemRoot%\\x\0"s},
        {"expand empty", kRegExpandSz, ""},
        {"multi", kRegMultiSz, "one\0two\0\0"s},
        {"multi empty", kRegMultiSz, "\0"s},
        {"dword", kRegDword, "\x78\x56\x34\x12"s},
        {"short dword", kRegDword, "\x01"s},
        {"qword", kRegQword, "\x01\x02\x03\x04\x05\x06\x07\x08"s},
        {"binary", kRegBinary, std::string(300, '\x9c')},
        {"binary empty", kRegBinary, ""},
        {"none", kRegNone, ""},
        {"odd type", 0x12345, "\x00\x01"s},
        {"a\\b\"c\"", kRegBinary, "\x00"s},
    };
    RegFileWriter writer;
    std::string error;
    ASSERT_TRUE(writer.AddKey(RegKeyPath::FromSubKey("SOFTWARE\\" + keyName), error));
    for (const RegValue& value : values)
        ASSERT_TRUE(writer.AddValue(value, error)) << error;
    ASSERT_TRUE(writer.AddKey(RegKeyPath::FromSubKey("SOFTWARE\\" + keyName + "\\" + name), error));

    std::vector<RegFileEntry> expected = {Key("SOFTWARE\\" + keyName)};
    for (const RegValue& value : values)
        expected.push_back(Value("SOFTWARE\\" + keyName, value));
    expected.push_back(Key("SOFTWARE\\" + keyName + "\\" + name));

    EXPECT_EQ(Parsed(writer.Bytes(RegFileWriter::Encoding::Utf16Le)), expected);
    EXPECT_EQ(Parsed(writer.Bytes(RegFileWriter::Encoding::Utf8)), expected);
    EXPECT_EQ(Parsed("\xef\xbb\xbf" + writer.Bytes(RegFileWriter::Encoding::Utf8)), expected);
}

TEST(RegFileParserTest, ReadsHandWrittenFilesWithCommentsContinuationsAndDeletions) {
    const std::u16string text = u"Windows Registry Editor Version 5.00\r\n"
                                u"; a comment\r\n"
                                u"\r\n"
                                u"[-HKEY_LOCAL_MACHINE\\SOFTWARE\\Old]\r\n"
                                u"[hklm\\SOFTWARE\\New]   ; trailing comment\r\n"
                                u"  \"Blob\" = hex:01,2,\\\r\n"
                                u"      03,  04,\\\r\n"
                                u"\t05\r\n"
                                u"\"Gone\"=-\r\n"
                                u"@=\"\u00e9t\u00e9\"\r\n"
                                u"\"Num\"=DWORD:ff\r\n"
                                u"\"Exp\"=hex(2):41,00,00,00";
    const std::vector<RegFileEntry> expected = {
        Key("SOFTWARE\\Old", Kind::DeleteKey),
        Key("SOFTWARE\\New"),
        Value("SOFTWARE\\New", {"Blob", kRegBinary, "\x01\x02\x03\x04\x05"}),
        Value("SOFTWARE\\New", {"Gone", 0, ""}, Kind::DeleteValue),
        Value("SOFTWARE\\New", {"", kRegSz, Narrow(u"\u00e9t\u00e9") + '\0'}),
        Value("SOFTWARE\\New", {"Num", kRegDword, "\xff\0\0\0"s}),
        Value("SOFTWARE\\New", {"Exp", kRegExpandSz, "A\0"s}),
    };
    EXPECT_EQ(Parsed(Utf16File(text)), expected);
    EXPECT_EQ(Parsed(Utf8::Encode(text)), expected);

    RegFileParser parser;
    ASSERT_TRUE(parser.Parse(Utf8::Encode(text)));
    EXPECT_EQ(parser.Entries()[2].line, 6) << "a continued value has the line it starts on";
    EXPECT_EQ(parser.Entries()[3].line, 9);
}

TEST(RegFileParserTest, Regedit4FilesHoldStringDataInTheNarrowCodePage) {
    const std::string file = "REGEDIT4\r\n\r\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\Four]\r\n"
                             "\"Path\"=hex(2):25,41,25,00\r\n"
                             "\"List\"=hex(7):61,00,62,00,00\r\n"
                             "\"Text\"=\"plain\"\r\n";
    const std::vector<RegFileEntry> expected = {
        Key("SOFTWARE\\Four"),
        Value("SOFTWARE\\Four", {"Path", kRegExpandSz, "%A%\0"s}),
        Value("SOFTWARE\\Four", {"List", kRegMultiSz, "a\0b\0\0"s}),
        Value("SOFTWARE\\Four", {"Text", kRegSz, "plain\0"s}),
    };
    EXPECT_EQ(Parsed(file), expected);
}

TEST(RegFileParserTest, ACutFileIsRefusedWithTheLineOfTheCut) {
    RegFileWriter writer;
    std::string error;
    ASSERT_TRUE(writer.AddKey(RegKeyPath::FromSubKey("SOFTWARE\\Cut"), error));
    ASSERT_TRUE(writer.AddValue({"Blob", kRegBinary, std::string(100, '\x11')}, error));
    ASSERT_TRUE(writer.AddValue({"Text", kRegSz, "some text\0"s}, error));
    const std::string whole = writer.Bytes(RegFileWriter::Encoding::Utf16Le);
    ASSERT_EQ(Parsed(whole).size(), 3u);

    auto cutAfter = [&](const std::u16string& marker) {
        const std::string bytes = Utf16File(marker).substr(2);
        const std::size_t at = whole.find(bytes);
        EXPECT_NE(at, std::string::npos);
        return whole.substr(0, at + bytes.size());
    };
    // Blob runs from line 4 to line 8, Text is line 9, a blank line 10 ends the file.
    EXPECT_EQ(FaultLine(cutAfter(u"11,\\\r\n"), &error), 4) << "after the first continuation mark";
    EXPECT_NE(error.find("continues past the end"), std::string::npos) << error;
    EXPECT_EQ(FaultLine(cutAfter(u"11,\\")), 4) << "the mark without its line end";
    EXPECT_EQ(FaultLine(cutAfter(u"\"Text\"=\"some")), 9);
    EXPECT_EQ(FaultLine(cutAfter(u"[HKEY_LOCAL_MA")), 3);
    EXPECT_EQ(FaultLine(whole.substr(0, whole.size() - 1), &error), 10);
    EXPECT_NE(error.find("middle of a UTF-16 character"), std::string::npos) << error;
}

TEST(RegFileParserTest, MalformedLinesAreRefusedWithTheirNumber) {
    const std::string head = "Windows Registry Editor Version 5.00\n\n[HKLM\\SOFTWARE\\Bad]\n";
    struct Case {
        std::string line;
        std::string says;
    };
    const std::vector<Case> cases = {
        {"\"a\\qb\"=\"x\"", "bad escape sequence \"\\q\""},
        {"\"a\"=\"x\" junk", "after the string"},
        {"\"a=\"x\"", "'=' expected"},
        {"\"a\"=dword:123456789", "1 to 8 hexadecimal digits"},
        {"\"a\"=hex:01,02,", "ends with ','"},
        {"\"a\"=hex:01,,02", "bad hex byte"},
        {"\"a\"=hex(zz):01", "hex("},
        {"\"a\"=hex(2):41,00,42", "even number of bytes"},
        {"\"a\"=str:\"x\"", "unknown value data"},
        {"[HKCU\\Software\\x]", "Only HKEY_LOCAL_MACHINE"},
        {"[HKLM\\a\\\\b]", "Invalid key name"},
        {"[-HKLM]", "cannot be deleted"},
        {"[HKLM\\x", "no closing ']'"},
        {"just words", "neither a [key]"},
    };
    for (const Case& item : cases) {
        std::string error;
        EXPECT_EQ(FaultLine(head + "\"ok\"=\"fine\"\n" + item.line + "\n\"later\"=\"x\"\n", &error), 5)
            << item.line;
        EXPECT_NE(error.find(item.says), std::string::npos) << item.line << " -> " << error;
        EXPECT_TRUE(error.starts_with("line 5: ")) << error;
    }

    std::string error;
    EXPECT_EQ(FaultLine("Windows Registry Editor Version 4.00\n[HKLM\\x]\n", &error), 1);
    EXPECT_EQ(FaultLine(""), 1);
    EXPECT_EQ(FaultLine("Windows Registry Editor Version 5.00\n\"a\"=\"x\"\n", &error), 2);
    EXPECT_NE(error.find("outside a [key]"), std::string::npos);
    EXPECT_EQ(FaultLine("Windows Registry Editor Version 5.00\n[-HKLM\\x]\n\"a\"=\"x\"\n"), 3);
    EXPECT_EQ(
        FaultLine("\xef\xbb\xbfWindows Registry Editor Version 5.00\n[HKLM\\x]\n\"a\"=\"\xc3\"\n", &error),
        3);
    EXPECT_NE(error.find("not"), std::string::npos);
    EXPECT_EQ(FaultLine("\xfe\xff"s + std::string("\0W", 2)), 1);
}

} // namespace
} // namespace qv::test
