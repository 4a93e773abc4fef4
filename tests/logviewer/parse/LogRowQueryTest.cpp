#include "logviewer/LogTestFiles.h"
#include "logviewer/parse/LogCsvWriter.h"
#include "logviewer/parse/LogEventTypes.h"
#include "logviewer/parse/LogHourHistogram.h"
#include "logviewer/parse/LogParser.h"
#include "logviewer/parse/LogRowFilter.h"
#include "logviewer/parse/LogText.h"
#include "platform/AsciiText.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace qv;

namespace {

using Rows = std::vector<std::uint32_t>;

const LogFileEntry kEntry{"qv060315.log", 0, "", ""};

// One row of every kind, the hours 0, 10, 11 and 23, and two rows without a time of day.
const char* const kDay = "10:00:01 192.168.1.10 10.0.0.1 /missing.htm - 2\n" // 0 static
                         "10:30:02 192.168.1.11 10.0.0.1 /img/a.gif q=x 3\n" // 1 image
                         "11:00:03 192.168.1.12 10.0.0.1 /dyn.asp id=7 4\n"  // 2 dynamic
                         "23:59:59 192.168.1.13 10.0.0.1 /old.htm - 1 12\n"  // 3 rule
                         "0:00:05 - - /rules.qv - 9 7\n"                     // 4 reload
                         "noon 192.168.1.14 10.0.0.1 /late.htm - 5\n"        // 5 other, no time
                         "10:61:00 192.168.1.15 10.0.0.1 /bad.htm - 12\n";   // 6 other, no time

LogRowQuery Query(std::string text, int column = LogRowQuery::kAllColumns,
                  LogEventKindMask kinds = kAllLogEventKinds, std::uint32_t from = 0,
                  std::uint32_t to = LogRowQuery::kLastSecond) {
    return LogRowQuery{std::move(text), column, kinds, from, to};
}

Rows Shown(const LogFile& file, const LogRowQuery& query, LogTextMode mode = LogTextMode::Utf8OrWindows1252) {
    Rows rows;
    const LogRowFilter filter(query, mode);
    filter.Collect(file, 0, file.RowCount(), rows);
    EXPECT_EQ(filter.Count(file, 0, file.RowCount()), rows.size());
    return rows;
}

constexpr LogEventKindMask Bit(LogEventKind kind) {
    return LogEventKindBit(kind);
}

} // namespace

TEST(LogRowFilter, KindsTimesAndColumnsCombineWithTheFindText) {
    test::LogTestDirectory dir;
    dir.Write(kEntry.fileName, kDay);
    const LogFile file = ReadLogFile(dir.Str(), kEntry);
    ASSERT_EQ(file.RowCount(), 7u);
    const std::uint32_t h10 = 10 * 3600;
    const struct {
        LogRowQuery query;
        Rows rows;
    } cases[] = {
        {Query(""), {0, 1, 2, 3, 4, 5, 6}},
        // Kinds, alone and by the names a user types.
        {Query("", -1, Bit(LogEventKind::StaticFile)), {0}},
        {Query("", -1, LogEventTypes::FromName("quorvane file")), {0, 1, 2}},
        {Query("", -1, LogEventTypes::FromName("Unknown")), {5, 6}},
        // Times: an hour, a range over midnight, a single second; a row without a time only for the whole
        // day.
        {Query("", -1, kAllLogEventKinds, h10, h10 + 3599), {0, 1}},
        {Query("", -1, kAllLogEventKinds, 23 * 3600, 3599), {3, 4}},
        {Query("", -1, kAllLogEventKinds, 5, 5), {4}},
        // One column: the text must be in that one.
        {Query("10.0.0.1", 7), {0, 1, 2, 3, 5, 6}},
        {Query("10.0.0.1", 6), {}},
        {Query("rule", -1), {3, 4}},
        {Query("rule", 2), {3, 4}},
        {Query("rule", 4), {4}},
        {Query("static", 3), {0}},
        {Query("static", 4), {}},
        {Query("2006", 0), {0, 1, 2, 3, 4, 5, 6}},
        {Query("2006", 1), {}},
        {Query("code 12", -1), {6}},
        // Everything at once.
        {Query("HTM", -1, Bit(LogEventKind::StaticFile) | Bit(LogEventKind::RedirectionRule), h10, 86399),
         {0, 3}},
        {Query("2006", -1, Bit(LogEventKind::ImageFile)), {1}},
        {Query("a", 4, kAllLogEventKinds, h10, h10 + 3599), {1}},
    };
    for (const auto& [query, rows] : cases)
        EXPECT_EQ(Shown(file, query), rows)
            << query.text << " in " << query.column << ", kinds " << int(query.kinds) << ", "
            << query.fromSecond << "-" << query.toSecond;
}

TEST(LogRowFilter, ShowsWhatTheColumnsHoldForEveryTextAndColumn) {
    // The filter skips rows whose line lacks the text; the columns of the rows decide all the same.
    test::LogTestDirectory dir;
    dir.Write(kEntry.fileName, std::string(kDay) +
                                   "10:00:09 a b /p q 1 -4\n10:00:09 a b /p q 7 99999999999\n"
                                   "10:00:09 a b /p q 1 +00012 tail\n"
                                   "10:00:09 a b /p q 1 99999999999\n10:00:09 a b /p q 99999999999\n");
    const LogFile file = ReadLogFile(dir.Str(), kEntry);
    const char* const texts[] = {
        "1", "e", "rule",    "static",  "quorvane file", "code",    "12",   ".htm",  "2006",   "q=x",
        " ", "-", "Rule -4", "7 Rules", "2147483647",    "Rule 12", "tail", "IMAGE", "file /", "0:00:05"};
    for (const char* text : texts) {
        for (int column = -1; column < static_cast<int>(kLogColumnCount); ++column) {
            Rows expected;
            for (std::uint32_t row = 0; row < file.RowCount(); ++row) {
                const LogRecord record = file.Record(row);
                bool holds = false;
                for (std::size_t c = 0; c < kLogColumnCount; ++c) {
                    if (column >= 0 && static_cast<int>(c) != column)
                        continue;
                    holds = holds || AsciiText::Lower(record.Column(c)).find(AsciiText::Lower(text)) !=
                                         std::string::npos;
                }
                if (holds)
                    expected.push_back(row);
            }
            EXPECT_EQ(Shown(file, Query(text, column)), expected) << text << " in " << column;
        }
    }
}

TEST(LogText, WindowsLinesAndUtf8LinesSideBySideAreShownAndFound) {
    const struct {
        const char* bytes;
        const char* utf8;
    } decoded[] = {
        {"caf\xE9", "caf\xC3\xA9"},
        {"\x80", "\xE2\x82\xAC"},
        {"\x93q\x94", "\xE2\x80\x9Cq\xE2\x80\x9D"},
        {"\x81\x8D\x8F\x90\x9D", "\xC2\x81\xC2\x8D\xC2\x8F\xC2\x90\xC2\x9D"},
        {"\x9F\xA0\xFF", "\xC5\xB8\xC2\xA0\xC3\xBF"},
    };
    for (const auto& [bytes, utf8] : decoded) {
        EXPECT_TRUE(LogText::Decodes(bytes, LogTextMode::Utf8OrWindows1252)) << bytes;
        EXPECT_FALSE(LogText::Decodes(bytes, LogTextMode::SystemCodePage)) << bytes;
        EXPECT_EQ(LogText::Narrow(bytes, true), utf8);
        EXPECT_TRUE(LogText::IsUtf8(utf8)) << utf8;
    }
    // Not UTF-8: overlong, a surrogate, cut short, past U+10FFFF, a stray continuation byte.
    for (const char* bytes : {"\xC0\xAF", "\xED\xA0\x80", "a\xE2\x82", "\xF4\x90\x80\x80", "\xBF"})
        EXPECT_FALSE(LogText::IsUtf8(bytes)) << bytes;

    test::LogTestDirectory dir;
    dir.Write(kEntry.fileName, "10:00:01 1.1.1.1 2.2.2.2 /caf\xE9.htm q=\x93quoted\x94 2\n"
                               "10:00:02 1.1.1.1 2.2.2.2 /caf\xC3\xA9.htm q=\xE2\x82\xAC 2\n"
                               "10:00:03 1.1.1.1 2.2.2.2 /price\x80.htm - 2\n"
                               "10:00:04 1.1.1.1 2.2.2.2 /plain.htm - 2\n");
    const LogFile file = ReadLogFile(dir.Str(), kEntry);
    ASSERT_EQ(file.RowCount(), 4u);
    const struct {
        const char* text;
        int column;
        Rows utf8OrWindows;
        Rows systemCodePage;
    } finds[] = {
        {"\xC3\xA9", -1, {0, 1}, {1}},       // é
        {"CAF\xC3\xA9.HTM", 4, {0, 1}, {1}}, // letter case of the ASCII part
        {"\xE2\x82\xAC", -1, {1, 2}, {1}},   // €
        {"\xE2\x82\xAC", 4, {2}, {}},
        {"\xE2\x80\x9C"
         "quoted\xE2\x80\x9D",
         5,
         {0},
         {}},                  // “quoted”
        {"\xE9", -1, {}, {0}}, // the byte itself only where bytes are the text
        {"quoted", -1, {0}, {0}},
    };
    for (const auto& [text, column, utf8OrWindows, systemCodePage] : finds) {
        EXPECT_EQ(Shown(file, Query(text, column)), utf8OrWindows) << text;
        EXPECT_EQ(Shown(file, Query(text, column), LogTextMode::SystemCodePage), systemCodePage) << text;
    }
    // The export writes UTF-8, as CSV or as tab-separated text.
    std::string csv;
    std::string tsv;
    for (std::size_t row = 0; row < 3; ++row) {
        LogCsvWriter::AppendRow(csv, file, row, LogTableFormat::Csv, LogTextMode::Utf8OrWindows1252);
        LogCsvWriter::AppendRow(tsv, file, row, LogTableFormat::Tsv, LogTextMode::Utf8OrWindows1252);
    }
    EXPECT_EQ(csv,
              "2006-03-15,10:00:01,Quorvane File,Static,/caf\xC3\xA9.htm,q=\xE2\x80\x9Cquoted\xE2\x80\x9D,"
              "1.1.1.1,2.2.2.2\r\n"
              "2006-03-15,10:00:02,Quorvane File,Static,/caf\xC3\xA9.htm,q=\xE2\x82\xAC,1.1.1.1,2.2.2.2\r\n"
              "2006-03-15,10:00:03,Quorvane File,Static,/price\xE2\x82\xAC.htm,-,1.1.1.1,2.2.2.2\r\n");
    EXPECT_EQ(
        tsv.substr(0, tsv.find('\n')),
        "2006-03-15\t10:00:01\tQuorvane File\tStatic\t/caf\xC3\xA9.htm\tq=\xE2\x80\x9Cquoted\xE2\x80\x9D\t"
        "1.1.1.1\t2.2.2.2");
}

TEST(LogHourHistogram, CountsRowsByHourAndKindAndStopsWhenAsked) {
    test::LogTestDirectory dir;
    dir.Write(kEntry.fileName, kDay);
    const LogFile file = ReadLogFile(dir.Str(), kEntry);
    LogHourHistogram histogram;
    ASSERT_TRUE(histogram.Count(file, file.RowCount()));
    LogHourHistogram::Hour expected[LogHourHistogram::kHours] = {};
    expected[0][static_cast<std::size_t>(LogEventKind::RulesReloaded)] = 1;
    expected[10][static_cast<std::size_t>(LogEventKind::StaticFile)] = 1;
    expected[10][static_cast<std::size_t>(LogEventKind::ImageFile)] = 1;
    expected[11][static_cast<std::size_t>(LogEventKind::DynamicFile)] = 1;
    expected[23][static_cast<std::size_t>(LogEventKind::RedirectionRule)] = 1;
    for (std::size_t hour = 0; hour < LogHourHistogram::kHours; ++hour)
        EXPECT_EQ(histogram.Hours()[hour], expected[hour]) << hour;
    EXPECT_EQ(histogram.Untimed(), 2u);
    EXPECT_EQ(histogram.MaxHourTotal(), 2u);
    // The rows a filter shows; a count stopped midway says so.
    ASSERT_TRUE(histogram.Count(file, Rows{1, 2, 5}));
    EXPECT_EQ(histogram.HourTotal(10) + histogram.HourTotal(11) + histogram.Untimed(), 3u);
    EXPECT_EQ(histogram.At(10, LogEventKind::ImageFile), 1u);
    EXPECT_FALSE(histogram.Count(file, file.RowCount(), [] { return false; }));

    EXPECT_EQ(LogEventTypes::Present(file, file.RowCount()).size(), kLogEventKindCount);
    EXPECT_EQ(LogEventTypes::Present(file, 2),
              (std::vector{LogEventKind::StaticFile, LogEventKind::ImageFile}));
}

TEST(LogRowQuery, TypeNamesAndTimesAsUsersTypeThem) {
    const std::pair<const char*, LogEventKindMask> names[] = {
        {"static", Bit(LogEventKind::StaticFile)},
        {"Quorvane File / Image", Bit(LogEventKind::ImageFile)},
        {"QUORVANE FILE",
         Bit(LogEventKind::StaticFile) | Bit(LogEventKind::ImageFile) | Bit(LogEventKind::DynamicFile)},
        {"redirection rule", Bit(LogEventKind::RedirectionRule)},
        {"Reload", Bit(LogEventKind::RulesReloaded)},
        {"other", Bit(LogEventKind::Other)},
        {"", 0},
        {"stat", 0},
    };
    for (const auto& [name, kinds] : names)
        EXPECT_EQ(LogEventTypes::FromName(name), kinds) << name;
    for (std::size_t kind = 0; kind < kLogEventKindCount; ++kind)
        EXPECT_EQ(LogEventTypes::FromName(LogEventTypes::Name(static_cast<LogEventKind>(kind))),
                  Bit(static_cast<LogEventKind>(kind)));

    const std::pair<const char*, std::uint32_t> good[] = {
        {"9:05", 32700}, {"09:05:07", 32707}, {"23:59:59", 86399}, {"0:00", 0}};
    for (const auto& [text, second] : good) {
        std::uint32_t parsed = 1;
        EXPECT_TRUE(LogRowQuery::ParseTime(text, parsed)) << text;
        EXPECT_EQ(parsed, second) << text;
    }
    for (const char* text :
         {"24:00", "9:5", "12:60", "1:02:03:04", "", "ab", ":30", "123:00", "10:00:7", "1:2:03", "10:"}) {
        std::uint32_t parsed = 0;
        EXPECT_FALSE(LogRowQuery::ParseTime(text, parsed)) << text;
    }
}
