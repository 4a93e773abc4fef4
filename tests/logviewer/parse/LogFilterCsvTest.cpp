#include "logviewer/LogTestFiles.h"
#include "logviewer/parse/LogCsvWriter.h"
#include "logviewer/parse/LogParser.h"
#include "logviewer/parse/LogRowFilter.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

using namespace qv;

namespace {

LogFile SampleFile(const test::LogTestDirectory& dir) {
    dir.Write("qv060315.log", "10:00:01 192.168.1.10 10.0.0.1 /Missing.htm - 2\n"
                              "10:00:02 192.168.1.11 10.0.0.1 /img/a.gif q=\"x\",y 3\n"
                              "10:00:03 192.168.1.12 10.0.0.1 /old.htm - 1 12\n"
                              "10:00:04 - - /rules.qv - 9 7\n");
    return ReadLogFile(dir.Str(), LogFileEntry{"qv060315.log", 0, "", ""});
}

std::vector<std::uint32_t> Shown(const LogFile& file, const char* text) {
    std::vector<std::uint32_t> rows;
    LogRowFilter(text).Collect(file, 0, file.RowCount(), rows);
    return rows;
}

} // namespace

TEST(LogRowFilter, MatchesAnyColumnWithoutLetterCaseAndTheCsvWriterWritesTheRows) {
    test::LogTestDirectory dir;
    const LogFile file = SampleFile(dir);
    ASSERT_EQ(file.RowCount(), 4u);
    EXPECT_EQ(Shown(file, ""), (std::vector<std::uint32_t>{0, 1, 2, 3}));
    EXPECT_EQ(Shown(file, "MISSING"), (std::vector<std::uint32_t>{0}));
    // Texts that are not in the line: the type, the description and the date.
    EXPECT_EQ(Shown(file, "quorvane file"), (std::vector<std::uint32_t>{0, 1}));
    EXPECT_EQ(Shown(file, "Rule 12"), (std::vector<std::uint32_t>{2}));
    EXPECT_EQ(Shown(file, "7 rules"), (std::vector<std::uint32_t>{3}));
    EXPECT_EQ(Shown(file, "2006-03"), (std::vector<std::uint32_t>{0, 1, 2, 3}));
    // Rows keep the file's order; a text across two columns is no match.
    EXPECT_EQ(Shown(file, "10.0.0.1"), (std::vector<std::uint32_t>{0, 1, 2}));
    EXPECT_TRUE(Shown(file, "1.10 10.0").empty());
    // Ranges append, so that rows read later can be filtered later.
    std::vector<std::uint32_t> rows;
    const LogRowFilter filter("htm");
    filter.Collect(file, 0, 1, rows);
    filter.Collect(file, 1, 4, rows);
    EXPECT_EQ(rows, (std::vector<std::uint32_t>{0, 2}));
    // The CSV writer, stopped or not.
    rows.assign(3 * LogCsvWriter::kStepRows, 3);
    rows[0] = 1;
    const auto goOnUntil = [](std::size_t stop) {
        return [stop](std::size_t written) { return written < stop; };
    };
    const std::string path = dir.File("rows.csv").string();
    ASSERT_TRUE(LogCsvWriter::WriteFile(path, file, rows, goOnUntil(rows.size() + 1)));
    std::stringstream text;
    text << std::ifstream(path, std::ios::binary).rdbuf();
    // A field in quotes only when it needs them, a quote in it doubled.
    std::string expected =
        "Date,Time,Type,Description,Path,Query String,Client IP,Server IP\r\n"
        "2006-03-15,10:00:02,Quorvane File,Image,/img/a.gif,\"q=\"\"x\"\",y\",192.168.1.11,10.0.0.1\r\n";
    for (std::size_t i = 1; i < rows.size(); ++i)
        expected += "2006-03-15,10:00:04,Rules.qv Reloaded,7 Rules Read,/rules.qv,-,-,-\r\n";
    EXPECT_EQ(text.str(), expected);
    std::string field;
    LogCsvWriter::AppendField(field, "a\r\nb");
    EXPECT_EQ(field, "\"a\r\nb\"");
    // Stopped, midway or at the end, the file begun is removed; a place that cannot be written fails.
    for (const std::vector<std::uint32_t>& some : {rows, std::vector<std::uint32_t>{0}}) {
        EXPECT_FALSE(LogCsvWriter::WriteFile(path, file, some, goOnUntil(1)));
        EXPECT_FALSE(std::filesystem::exists(path));
    }
    EXPECT_FALSE(LogCsvWriter::WriteFile(dir.File("missing/rows.csv").string(), file, rows, goOnUntil(1)));
}
