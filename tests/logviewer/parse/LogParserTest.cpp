#include "logviewer/parse/LogParser.h"
#include "TestData.h"
#include "logviewer/LogTestFiles.h"
#include "logviewer/parse/LogLine.h"
#include "platform/AsciiText.h"
#include "platform/Paths.h"

#include <gtest/gtest.h>

#include <array>
#include <filesystem>
#include <limits>
#include <string>
#include <utility>
#include <vector>

using namespace qv;

namespace {

const std::string kLogs = std::string(QV_TEST_DATA_DIR) + "/logs";

using Row = std::array<std::string, kLogColumnCount>;

std::vector<Row> Rows(const LogFile& file) {
    std::vector<Row> rows;
    for (std::size_t i = 0; i < file.RowCount(); ++i) {
        const LogRecord record = file.Record(i);
        Row row;
        for (std::size_t c = 0; c < kLogColumnCount; ++c)
            row[c] = std::string(record.Column(c));
        rows.push_back(row);
    }
    return rows;
}

LogFileEntry EntryFor(const std::string& name) {
    LogFileEntry entry;
    entry.fileName = name;
    entry.dateText = LogDateFromFileName(name);
    entry.displayText = LogFileDisplayText(entry.dateText, name, 0);
    return entry;
}

} // namespace

TEST(LogParser, EveryKindOfLine) {
    const std::string d = "2006-03-15", file = "Quorvane File";
    const std::vector<Row> expected = {
        Row{d, "10:00:01", file, "Static", "/missing.htm", "-", "192.168.1.10", "10.0.0.1"},
        // indented: read from the first non-space character
        Row{d, "10:00:02", file, "Image", "/img/a.gif", "-", "192.168.1.11", "10.0.0.1"},
        Row{d, "10:00:03", file, "Dynamic", "/dyn.asp", "id=7&x=%20y", "192.168.1.12", "10.0.0.1"},
        Row{d, "10:00:04", "Redirection Rule", "Rule 12", "/old/page.htm", "-", "192.168.1.13", "10.0.0.1"},
        Row{d, "10:00:05", "Rules.qv Reloaded", "5 Rules Read", "/rules.qv", "-", "-", "-"},
        // a line of spaces gives nothing; code 1 without a seventh field shows rule 0
        Row{d, "10:00:06", "Redirection Rule", "Rule 0", "/noseven.htm", "-", "192.168.1.14", "10.0.0.1"},
        // "9x" reads as 9; then codes 0, "x" and a missing code give no row
        Row{d, "10:00:07", "Rules.qv Reloaded", "3 Rules Read", "/nine.htm", "-", "192.168.1.15", "10.0.0.1"},
        // text after the seventh field is ignored
        Row{d, "10:00:11", "Redirection Rule", "Rule 7", "/extra.htm", "q=1", "192.168.1.19", "10.0.0.1"},
        // two spaces give an empty field; an empty sixth field (next line) gives no row
        Row{d, "10:00:12", file, "Static", "/emptyclient.htm", "", "", "10.0.0.1"},
        Row{d, "10:00:14", "Unknown", "Code 5", "/unknown.htm", "-", "192.168.1.21", "10.0.0.1"},
        // a tab is no separator and no leading space
        Row{d, "\t10:00:15", file, "Static", "/tab.htm", "-", "192.168.1.22", "10.0.0.1"},
        // an indented comment gives nothing; a space at the end of the line ends the sixth field
        Row{d, "10:00:17", file, "Static", "/trailing.htm", "-", "192.168.1.24", "10.0.0.1"},
        Row{d, "10:00:18", "Unknown", "Code -3", "/negative.htm", "-", "192.168.1.25", "10.0.0.1"},
        // an empty line does not stop the reading
        Row{d, "10:00:19", file, "Static", "/afterempty.htm", "-", "192.168.1.26", "10.0.0.1"},
        // the last line has no line end
        Row{d, "10:00:20", file, "Dynamic", "/lastline.htm", "-", "192.168.1.27", "10.0.0.1"},
    };
    const std::vector<Row> rows = Rows(ReadLogFile(kLogs + "/kinds", EntryFor("qv060315.log")));
    ASSERT_EQ(rows.size(), expected.size());
    for (std::size_t i = 0; i < rows.size(); ++i)
        EXPECT_EQ(rows[i], expected[i]) << "row " << i;
    // The same file with CR LF line ends gives the same rows.
    EXPECT_EQ(Rows(ReadLogFile(kLogs + "/crlf", EntryFor("qv060315.log"))), rows);
}

TEST(LogParser, NumbersAsAtoiBoundedByTheFieldAndDatesFromTheFileName) {
    constexpr std::int32_t kMax = std::numeric_limits<std::int32_t>::max();
    const std::pair<const char*, std::int32_t> numbers[] = {{" \t+12z", 12},
                                                            {"-7", -7},
                                                            {"x1", 0},
                                                            {"", 0},
                                                            {"-", 0},
                                                            {"99999999999", kMax},
                                                            {"-99999999999", -kMax - 1}};
    for (const auto& [text, number] : numbers)
        EXPECT_EQ(AsciiText::ParseDecimal(text), number) << text;
    // A name that ends before place 8 ends the date there.
    const std::pair<const char*, const char*> dates[] = {
        {"qv060315.log", "2006-03-15"}, {"qv1.log", "201.-lo-g"}, {"qv", "20"}};
    for (const auto& [name, date] : dates)
        EXPECT_EQ(LogDateFromFileName(name), date) << name;
}

TEST(LogParser, ListsTheLogFilesOldestFirst) {
    const std::string dir = kLogs + "/list";
    const auto size = [&](const char* name) { return std::filesystem::file_size(dir + "/" + name); };
    std::vector<std::string> names;
    for (const LogFileEntry& entry : ListLogFiles(dir)) {
        names.push_back(entry.fileName);
        EXPECT_EQ(entry.size, static_cast<std::int64_t>(size(entry.fileName.c_str())));
    }
    // Not other names nor a matching directory; the upper-case name only where file names ignore case.
    std::vector<std::string> expected = {"qv060101.log", "qv060314.log", "qv060315.log"};
    if (kPathSeparator == '\\')
        expected.push_back("QV060316.LOG");
    expected.insert(expected.end(), {"qv1.log", "qvabc.log"});
    EXPECT_EQ(names, expected);
    const std::vector<LogFileEntry> entries = ListLogFiles(dir + std::string(1, kPathSeparator));
    ASSERT_EQ(entries.size(), expected.size());
    EXPECT_EQ(entries[2].displayText,
              "2006-03-15  -  qv060315.log    (" + std::to_string(size("qv060315.log")) + " bytes)");
    // A file of size 0 is listed and gives no row.
    EXPECT_EQ(entries[0].displayText, "2006-01-01  -  qv060101.log    (0 bytes)");
    EXPECT_EQ(ReadLogFile(dir, entries[0]).RowCount(), 0u);
    EXPECT_EQ(ReadLogFile(dir, entries[2]).RowCount(), 2u);
    EXPECT_TRUE(ListLogFiles(dir + "/missing").empty());
    EXPECT_TRUE(ListLogFiles("").empty());
    // The list's "None", a file that is gone, a directory with a log file's name: no rows.
    for (const LogFileEntry& entry :
         {LogFileEntry{"", 0, "", "None"}, EntryFor("qv991231.log"), EntryFor("qvdir.log")})
        EXPECT_EQ(ReadLogFile(dir, entry).RowCount(), 0u) << entry.fileName;
}

TEST(LogParser, LongNamesAndOddBytesAreRead) {
    test::LogTestDirectory dir;
    const std::string name = "qv060315" + std::string(150, 'x') + ".log";
    dir.Write(name, "10:00:00 1.1.1.1 2.2.2.2 /p - 2\n");
    const std::vector<LogFileEntry> entries = ListLogFiles(dir.Str());
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_EQ(entries[0].displayText.size(), 127u);
    EXPECT_EQ(entries[0].fileName, name);
    const LogFile file = ReadLogFile(dir.Str(), entries[0]);
    ASSERT_EQ(file.RowCount(), 1u);
    EXPECT_EQ(file.Record(0).date, "2006-03-15");
    // A NUL byte is a character like any other; a CR is dropped only before LF, a lone CR's line no event.
    using namespace std::string_literals;
    dir.Write("qv060315.log", "10:00:00 1.1.1.1 2.2.2.2 /a\0b - 2\n"
                              "\0\0\0\0\n"
                              "\r\n"
                              "\r\r\n"
                              "10:00:01 1.1.1.1 2.2.2.2 /\xff\xfe - 3\r"s);
    const LogFile odd = ReadLogFile(dir.Str(), EntryFor("qv060315.log"));
    ASSERT_EQ(odd.RowCount(), 2u);
    EXPECT_EQ(odd.Record(0).path, "/a\0b"s);
    EXPECT_EQ(odd.Record(1).path, "/\xff\xfe");
    EXPECT_EQ(odd.Record(1).code, 3);
}
