// What qv_reg reads and writes as text: key paths, command line data, query's data column, .reg files.
#include "NarrowText.h"
#include "RegFileParser.h"
#include "RegFileWriter.h"
#include "RegKeyPath.h"
#include "RegValueText.h"
#include "platform/Utf8.h"

#include "platform/RegistryKey.h"

#include <gtest/gtest.h>

#include <optional>
#include <tuple>
#include <vector>

using namespace std::string_literals;

namespace qv::test {
namespace {

std::string Narrow(std::u16string_view text) {
    std::string narrow;
    EXPECT_TRUE(NarrowText::FromUtf16(text, narrow));
    return narrow;
}

// The UTF-8 text as a UTF-16LE file with a BOM; with crlf, lines end in CR LF.
std::string Utf16File(std::string_view utf8, bool crlf = false) {
    std::string bytes = "\xff\xfe";
    std::u16string text;
    EXPECT_TRUE(Utf8::Decode(utf8, text));
    for (char16_t c : text)
        bytes += (crlf && c == u'\n' ? "\r\0"s : ""s) +
                 std::string{static_cast<char>(c & 0xff), static_cast<char>(c >> 8)};
    return bytes;
}

std::string Lines(const RegValue& value) {
    std::u16string lines;
    EXPECT_TRUE(RegFileWriter::FormatValue(value, lines));
    return Utf8::Encode(lines);
}

using Kind = RegFileEntry::Kind;

RegFileEntry Entry(std::string key, Kind kind = Kind::CreateKey, RegValue value = {}) {
    return {.kind = kind, .key = std::move(key), .value = std::move(value)};
}

// The entries (their lines only when asked for); a refusal leaves none and its message in *error.
std::vector<RegFileEntry> Parsed(std::string_view bytes, std::string* error = nullptr,
                                 bool withLines = false) {
    RegFileParser parser;
    EXPECT_EQ(parser.Parse(bytes), !error) << parser.Error();
    if (error)
        *error = parser.Error();
    std::vector<RegFileEntry> entries = parser.Entries();
    for (RegFileEntry& entry : entries)
        entry.line = withLines ? entry.line : 0;
    return entries;
}

TEST(RegKeyPathTest, TakesBothSpellingsOfTheRootAndRefusesEveryOtherRoot) {
    for (const auto& [text, subKey] :
         {std::pair{"HKLM\\SOFTWARE\\Helmark\\", "SOFTWARE\\Helmark"}, {"hkey_local_machine\\x", "x"}}) {
        const auto key = RegKeyPath::Parse(text, nullptr);
        EXPECT_TRUE(key && key->SubKey() == subKey) << text;
    }
    // Refused, with the start of the message that says why.
    const std::pair<const char*, std::vector<const char*>> refused[] = {
        {"Only HKEY_LOCAL_MACHINE (HKLM) is supported.", {"HKCU\\Software", "HKEY_USERS\\.DEFAULT"}},
        {"Remote", {"\\\\server\\HKLM\\Software"}},
        {"Invalid key name.", {"HKLMX\\a", "SOFTWARE\\x", "HKLM\\a\\\\b", "", "HKLM\\\\a"}}};
    for (const auto& [says, texts] : refused) {
        for (const char* text : texts) {
            std::string error;
            EXPECT_TRUE(!RegKeyPath::Parse(text, &error) && error.starts_with(says)) << text << ": " << error;
        }
    }
}

TEST(RegValueTextTest, CommandLineDataBecomesTheBytesOfItsTypeOrIsRefused) {
    const std::tuple<std::uint32_t, const char*, std::string> cases[] = {
        {kRegSz, "a b", "a b\0"s},
        {kRegSz, "", "\0"s},
        {kRegMultiSz, "a\\0bc\\0d", "a\0bc\0d\0\0"s},
        {kRegMultiSz, "a\\0", "a\0\0"s},
        {kRegMultiSz, "", "\0"s},
        {kRegDword, "0x1F", "\x1f\0\0\0"s},
        {kRegDword, "4294967295", "\xff\xff\xff\xff"s},
        {kRegDword, "", "\0\0\0\0"s},
        {kRegQword, "0x0102030405060708", "\x08\x07\x06\x05\x04\x03\x02\x01"s},
        {kRegBinary, "00fF10", "\x00\xff\x10"s},
        {kRegBinary, "", ""s}};
    for (const auto& [type, text, bytes] : cases) {
        std::string data, error;
        EXPECT_TRUE(RegValueText::FromCommandLine(type, text, data, error) && data == bytes)
            << text << ": " << error;
    }
    // An empty string inside a multi-string would end the list for every reader.
    const std::pair<std::uint32_t, std::vector<const char*>> refused[] = {
        {kRegMultiSz, {"a\\0\\0b", "\\0a"}},
        {kRegDword, {"4294967296", "-1", "12ab", "0x", "0x1g", " 1"}},
        {kRegQword, {"18446744073709551616"}},
        {kRegBinary, {"abc", "zz"}},
        {kRegNone, {"x"}}};
    for (const auto& [type, texts] : refused) {
        for (const char* text : texts) {
            std::string data, error;
            EXPECT_TRUE(!RegValueText::FromCommandLine(type, text, data, error) && !error.empty()) << text;
        }
    }
}

TEST(RegValueTextTest, TypeNamesAndTheDataColumnOfQuery) {
    EXPECT_FALSE(RegValueText::ParseTypeName("REG_LINK") || RegValueText::ParseTypeName("REG_SZX"));
    EXPECT_EQ(RegValueText::TypeName(0x1234), "0x1234");
    const std::pair<RegValue, const char*> shown[] = {
        {{"", kRegSz, "text\0junk"s}, "text"},
        {{"", kRegSz, "unterminated"}, "unterminated"},
        {{"", kRegMultiSz, "\0"s}, ""},
        {{"", kRegDword, "\x01\x02"s}, "0102"}, // a number of the wrong size: its bytes, nothing past them
        {{"", kRegQword, "\x01"s}, "01"}};
    for (const auto& [value, text] : shown)
        EXPECT_EQ(RegValueText::Display(value), text);
}

// Pinned lines: strings "..." cannot carry unchanged go as UTF-16LE bytes, odd-sized dwords as bytes.
TEST(RegFileTest, EveryValueIsWrittenAsRegeditDoesAndReadBackInEitherEncoding) {
    const std::string name = Narrow(u"Gr\u00fc\u00dfe Caf\u00e9");
    const std::string key = "SOFTWARE\\" + Narrow(u"Cl\u00e9 \"x\" [1]");
    const std::vector<std::pair<RegValue, const char*>> values = {
        {{"", kRegSz, "default \\ \"quoted\"\0"s}, ""},
        {{name, kRegSz, Narrow(u"\u00e0 la carte") + '\0'}, ""},
        {{"s", kRegSz, "\0"s}, "\"s\"=\"\"\n"},
        {{"s0", kRegSz, ""}, "\"s0\"=hex(1):\n"},
        {{"s1", kRegSz, "ab"}, "\"s1\"=hex(1):61,00,62,00\n"},
        {{"s2", kRegSz, "a\nb\0"s}, "\"s2\"=hex(1):61,00,0a,00,62,00,00,00\n"},
        {{"e", kRegExpandSz, "%A%\0"s}, "\"e\"=hex(2):25,00,41,00,25,00,00,00\n"},
        {{"expand empty", kRegExpandSz, ""}, ""},
        {{"multi", kRegMultiSz, "one\0two\0\0"s}, ""},
        {{"multi empty", kRegMultiSz, "\0"s}, ""},
        {{"dword", kRegDword, "\x78\x56\x34\x12"s}, ""},
        {{"d", kRegDword, "\x01\x02"s}, "\"d\"=hex(4):01,02\n"},
        {{"q", kRegQword, "\x35\x1c\xdc\xdf\x02\0\0\0"s}, "\"q\"=hex(b):35,1c,dc,df,02,00,00,00\n"},
        {{"b", kRegBinary, "\x00\xff\x10"s}, "\"b\"=hex:00,ff,10\n"},
        {{"binary", kRegBinary, std::string(300, '\x9c')}, ""},
        {{"binary empty", kRegBinary, ""}, ""},
        {{"none", kRegNone, ""}, ""},
        {{"odd", 0x1234, "\x01\x02"s}, "\"odd\"=hex(1234):01,02\n"},
        {{"a\\b\"c\"", kRegBinary, "\x00"s}, ""}};
    RegFileWriter writer;
    std::string error;
    std::vector<RegFileEntry> expected = {Entry(key)};
    ASSERT_TRUE(writer.AddKey(RegKeyPath::FromSubKey(key), error));
    for (const auto& [value, lines] : values) {
        ASSERT_TRUE(writer.AddValue(value, error)) << error;
        EXPECT_TRUE(!*lines || Lines(value) == lines) << Lines(value);
        expected.push_back(Entry(key, Kind::SetValue, value));
    }
    ASSERT_TRUE(writer.AddKey(RegKeyPath::FromSubKey(key + "\\" + name), error));
    expected.push_back(Entry(key + "\\" + name));
    EXPECT_EQ(Parsed(writer.Bytes(RegFileWriter::Encoding::Utf16Le)), expected);
    EXPECT_EQ(Parsed(writer.Bytes(RegFileWriter::Encoding::Utf8)), expected);
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
        Entry("SOFTWARE\\New", Kind::SetValue, {"Exp", kRegExpandSz, "A\0"s})};
    EXPECT_EQ(Parsed(text), expected);
    const auto lines = Parsed(text, nullptr, true); // a continued value has the line it starts on
    EXPECT_TRUE(lines.size() == expected.size() && lines[2].line == 6 && lines[3].line == 9);

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
    const std::string head = "Windows Registry Editor Version 5.00\n\n[HKLM\\SOFTWARE\\Bad]\n\"ok\"=\"\"\n";
    const std::string blob = "\"Blob\"=hex:11,11,\\\n  11,11,\\\n  11\n\"Text\"=\"some text\"\n";
    // The file, and "line N: " with part of the message.
    const std::pair<std::string, std::string> cases[] = {
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
         "line 8: middle of a UTF-16 character"}};
    for (const auto& [file, says] : cases) {
        std::string error;
        EXPECT_TRUE(Parsed(file, &error).empty());
        const std::size_t colon = says.find(": ") + 2;
        EXPECT_TRUE(error.starts_with(says.substr(0, colon)) &&
                    error.find(says.substr(colon)) != std::string::npos)
            << file << ": " << error;
    }
}

TEST(RegFileWriterTest, WritesSectionsAndEachKindOfValueAsRegeditDoes) {
    RegFileWriter writer;
    std::string error;
    ASSERT_TRUE(writer.AddKey(RegKeyPath::FromSubKey("SOFTWARE\\Helmark"), error) &&
                writer.AddValue({"", kRegSz, "C:\\Program Files\\Quorvane\0"s}, error) &&
                writer.AddValue({"say \"hi\"", kRegSz, "a \"quoted\" \\ text\0"s}, error) &&
                writer.AddValue({Narrow(u"Caf\u00e9"), kRegDword, "\x1f\0\0\0"s}, error) &&
                writer.AddKey(RegKeyPath::FromSubKey("SOFTWARE\\Helmark\\Empty"), error));
    const std::string text = "Windows Registry Editor Version 5.00\n\n"
                             "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Helmark]\n"
                             "@=\"C:\\\\Program Files\\\\Quorvane\"\n"
                             "\"say \\\"hi\\\"\"=\"a \\\"quoted\\\" \\\\ text\"\n"
                             "\"Caf\xc3\xa9\"=dword:0000001f\n\n"
                             "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Helmark\\Empty]\n\n";
    EXPECT_EQ(writer.Bytes(RegFileWriter::Encoding::Utf8), text);
    // UTF-16LE with a BOM and CRLF line ends, each letter one UTF-16 unit.
    EXPECT_EQ(writer.Bytes(RegFileWriter::Encoding::Utf16Le), Utf16File(text, true));
}

TEST(RegFileWriterTest, LongHexDataContinuesOnLinesOfRegeditsWidth) {
    EXPECT_EQ(Lines({"BootExecute", kRegMultiSz, "autocheck autochk *\0\0"s}),
              "\"BootExecute\"=hex(7):61,00,75,00,74,00,6f,00,63,00,68,00,65,00,63,00,6b,00,20,\\\n"
              "  00,61,00,75,00,74,00,6f,00,63,00,68,00,6b,00,20,00,2a,00,00,00,00,00\n");
    std::string blob = "\"Blob\"=hex:"; // 22 bytes on the first line, 25 on each next one
    for (int i = 0; i < 200; ++i)
        blob += i == 199 ? "aa\n" : i % 25 == 21 ? "aa,\\\n  " : "aa,";
    EXPECT_EQ(Lines({"Blob", kRegBinary, std::string(200, '\xaa')}), blob);
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
    const std::vector<bool> added = {writer.AddValue({odd, kRegSz, "x\0"s}, error),
                                     writer.AddValue({"name", kRegSz, odd + '\0'}, error),
                                     writer.AddKey(RegKeyPath::FromSubKey("K\\" + odd), error)};
    EXPECT_EQ(added, std::vector<bool>(3, convertible));
    EXPECT_TRUE(convertible || error.find("cannot be written") != std::string::npos) << error;
    EXPECT_TRUE(writer.AddValue({"bin", kRegBinary, odd}, error)) << "binary data is never text";
}

} // namespace
} // namespace qv::test
