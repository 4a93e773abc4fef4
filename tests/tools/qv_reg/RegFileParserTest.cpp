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

std::string Utf16File(std::string_view utf8) {
    std::string bytes = "\xff\xfe";
    std::u16string text;
    EXPECT_TRUE(Utf8::Decode(utf8, text));
    for (char16_t c : text)
        bytes += {static_cast<char>(c & 0xff), static_cast<char>(c >> 8)};
    return bytes;
}

RegFileEntry Entry(std::string key, Kind kind = Kind::CreateKey, RegValue value = {}) {
    return {.kind = kind, .key = std::move(key), .value = std::move(value)};
}

// Entries with their line numbers, or the refusal as "line N: ..." (which must leave nothing to apply).
std::vector<RegFileEntry> Parsed(std::string_view bytes, std::string* error = nullptr,
                                 bool withLines = false) {
    RegFileParser parser;
    const bool ok = parser.Parse(bytes);
    EXPECT_EQ(ok, !error) << parser.Error();
    if (error)
        *error = parser.Error();
    EXPECT_TRUE(ok || parser.Entries().empty());
    std::vector<RegFileEntry> entries = parser.Entries();
    for (RegFileEntry& entry : entries)
        entry.line = withLines ? entry.line : 0;
    return entries;
}

TEST(RegFileParserTest, EveryTypeComesBackFromAnExportInEitherEncoding) {
    const std::string name = Narrow(u"Gr\u00fc\u00dfe Caf\u00e9");
    const std::string key = "SOFTWARE\\" + Narrow(u"Cl\u00e9 \"x\" [1]");
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
    std::vector<RegFileEntry> expected = {Entry(key)};
    ASSERT_TRUE(writer.AddKey(RegKeyPath::FromSubKey(key), error));
    for (const RegValue& value : values) {
        ASSERT_TRUE(writer.AddValue(value, error)) << error;
        expected.push_back(Entry(key, Kind::SetValue, value));
    }
    ASSERT_TRUE(writer.AddKey(RegKeyPath::FromSubKey(key + "\\" + name), error));
    expected.push_back(Entry(key + "\\" + name));
    EXPECT_EQ(Parsed(writer.Bytes(RegFileWriter::Encoding::Utf16Le)), expected);
    EXPECT_EQ(Parsed(writer.Bytes(RegFileWriter::Encoding::Utf8)), expected);
    EXPECT_EQ(Parsed("\xef\xbb\xbf" + writer.Bytes(RegFileWriter::Encoding::Utf8)), expected);
}

TEST(RegFileParserTest, ReadsHandWrittenFilesWithCommentsContinuationsDeletionsAndRegedit4) {
    const std::string text = "Windows Registry Editor Version 5.00\r\n; a comment\r\n\r\n"
                             "[-HKEY_LOCAL_MACHINE\\SOFTWARE\\Old]\r\n"
                             "[hklm\\SOFTWARE\\New]   ; trailing comment\r\n"
                             "  \"Blob\" = hex:01,2,\\\r\n      03,  04,\\\r\n\t05\r\n"
                             "\"Gone\"=-\r\n" +
                             Utf8::Encode(u"@=\"\u00e9t\u00e9\"\r\n") +
                             "\"Num\"=DWORD:ff\r\n"
                             "\"Exp\"=hex(2):41,00,00,00";
    std::vector<RegFileEntry> expected = {
        Entry("SOFTWARE\\Old", Kind::DeleteKey),
        Entry("SOFTWARE\\New"),
        Entry("SOFTWARE\\New", Kind::SetValue, {"Blob", kRegBinary, "\x01\x02\x03\x04\x05"}),
        Entry("SOFTWARE\\New", Kind::DeleteValue, {"Gone", 0, ""}),
        Entry("SOFTWARE\\New", Kind::SetValue, {"", kRegSz, Narrow(u"\u00e9t\u00e9") + '\0'}),
        Entry("SOFTWARE\\New", Kind::SetValue, {"Num", kRegDword, "\xff\0\0\0"s}),
        Entry("SOFTWARE\\New", Kind::SetValue, {"Exp", kRegExpandSz, "A\0"s}),
    };
    EXPECT_EQ(Parsed(Utf16File(text)), expected);
    EXPECT_EQ(Parsed(text), expected);
    // A continued value has the line it starts on.
    const auto lines = Parsed(text, nullptr, true);
    ASSERT_EQ(lines.size(), expected.size());
    EXPECT_EQ(lines[2].line * 10 + lines[3].line, 69);

    // REGEDIT4 files hold string data in the narrow code page.
    expected = {Entry("SOFTWARE\\Four"),
                Entry("SOFTWARE\\Four", Kind::SetValue, {"Path", kRegExpandSz, "%A%\0"s}),
                Entry("SOFTWARE\\Four", Kind::SetValue, {"List", kRegMultiSz, "a\0b\0\0"s}),
                Entry("SOFTWARE\\Four", Kind::SetValue, {"Text", kRegSz, "plain\0"s})};
    EXPECT_EQ(Parsed("REGEDIT4\r\n\r\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\Four]\r\n\"Path\"=hex(2):25,41,25,00\r\n"
                     "\"List\"=hex(7):61,00,62,00,00\r\n\"Text\"=\"plain\"\r\n"),
              expected);
}

TEST(RegFileParserTest, AFaultyOrCutFileIsRefusedWithTheLineOfTheFault) {
    const std::string head =
        "Windows Registry Editor Version 5.00\n\n[HKLM\\SOFTWARE\\Bad]\n\"ok\"=\"fine\"\n";
    const std::string blob = "\"Blob\"=hex:11,11,\\\n  11,11,\\\n  11\n\"Text\"=\"some text\"\n";
    struct Case {
        std::string file;
        std::string error; // "line N: " and part of the message
    };
    const Case cases[] = {
        {head + "\"a\\qb\"=\"x\"\n", "line 5: bad escape sequence \"\\q\""},
        {head + "\"a\"=\"x\" junk\n", "line 5: after the string"},
        {head + "\"a=\"x\"\n", "line 5: '=' expected"},
        {head + "\"a\"=dword:123456789\n", "line 5: 1 to 8 hexadecimal digits"},
        {head + "\"a\"=hex:01,02,\n\"later\"=\"x\"\n", "line 5: ends with ','"},
        {head + "\"a\"=hex:01,,02\n", "line 5: bad hex byte"},
        {head + "\"a\"=hex(zz):01\n", "line 5: hex("},
        {head + "\"a\"=hex(2):41,00,42\n", "line 5: an even number of bytes"},
        {head + "\"a\"=str:\"x\"\n", "line 5: unknown value data"},
        {head + "[HKCU\\Software\\x]\n", "line 5: Only HKEY_LOCAL_MACHINE"},
        {head + "[HKLM\\a\\\\b]\n", "line 5: Invalid key name"},
        {head + "[-HKLM]\n", "line 5: cannot be deleted"},
        {head + "[HKLM\\x\n", "line 5: no closing ']'"},
        {head + "just words\n", "line 5: neither a [key]"},
        {"Windows Registry Editor Version 4.00\n[HKLM\\x]\n", "line 1: "},
        {"", "line 1: "},
        {"\xfe\xff"s + "\0W"s, "line 1: "},
        {"Windows Registry Editor Version 5.00\n\"a\"=\"x\"\n", "line 2: outside a [key]"},
        {"Windows Registry Editor Version 5.00\n[-HKLM\\x]\n\"a\"=\"x\"\n", "line 3: "},
        {"\xef\xbb\xbfWindows Registry Editor Version 5.00\n[HKLM\\x]\n\"a\"=\"\xc3\"\n", "line 3: "},
        // Cut files: within a continued value, before its line end, within a string or a key.
        {head + blob.substr(0, 19), "line 5: continues past the end"},
        {head + blob.substr(0, 18), "line 5: continues past the end"},
        {head + blob.substr(0, blob.size() - 7), "line 8: "},
        {head + "[HKEY_LOCAL_MA", "line 5: "},
        {Utf16File(head + blob).substr(0, Utf16File(head + blob).size() - 1),
         "line 8: middle of a UTF-16 character"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        std::string error;
        EXPECT_TRUE(Parsed(c.file, &error).empty());
        const std::size_t colon = c.error.find(": ") + 2;
        EXPECT_TRUE(error.starts_with(c.error.substr(0, colon)) &&
                    error.find(c.error.substr(colon)) != std::string::npos)
            << error;
    }
}

} // namespace
} // namespace qv::test
