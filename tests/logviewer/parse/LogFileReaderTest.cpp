#include "logviewer/parse/LogFileReader.h"
#include "TestData.h"
#include "logviewer/LogTestFiles.h"
#include "logviewer/parse/LogLine.h"
#include "logviewer/parse/LogParser.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <regex>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

using namespace qv;

namespace {

const LogFileEntry kEntry{"qv060315.log", 0, "", ""};

std::vector<std::string> Lines(const LogFile& file) {
    std::vector<std::string> lines;
    for (std::size_t i = 0; i < file.RowCount(); ++i)
        lines.emplace_back(file.Line(i));
    return lines;
}

// The text of every line that LogLine reads as a row: the reference for the fast index.
std::vector<std::string> RowsByFieldRules(const std::string& text) {
    std::vector<std::string> rows;
    for (std::size_t start = 0; start <= text.size();) {
        std::size_t end = text.find('\n', start);
        const bool last = end == std::string::npos;
        if (last)
            end = text.size();
        std::string_view line(text.data() + start, end - start);
        if (!last && !line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        const LogLine parsed(line);
        if (!parsed.IsBlank() && !parsed.IsComment() && parsed.Code() != 0)
            rows.emplace_back(parsed.Text());
        start = end + 1;
    }
    return rows;
}

// The kind and the time of day that the index keeps for a row's line, by the field rules: the code of the
// sixth field, and a first field that is "H:MM:SS" or "HH:MM:SS", maybe followed by more than digits.
LogEventKind KindByFieldRules(std::string_view line) {
    switch (LogLine(line).Code()) {
    case 1:
        return LogEventKind::RedirectionRule;
    case 2:
        return LogEventKind::StaticFile;
    case 3:
        return LogEventKind::ImageFile;
    case 4:
        return LogEventKind::DynamicFile;
    case 9:
        return LogEventKind::RulesReloaded;
    default:
        return LogEventKind::Other;
    }
}

std::uint32_t TimeByFieldRules(std::string_view line) {
    static const std::regex time("^([0-9]{1,2}):([0-5][0-9]):([0-5][0-9])([^0-9].*)?$");
    const std::string first(LogLine(line).Field(0));
    std::smatch match;
    if (!std::regex_match(first, match, time) || std::stoi(match[1]) > 23)
        return LogFile::kNoTime;
    return static_cast<std::uint32_t>(std::stoi(match[1]) * 3600 + std::stoi(match[2]) * 60 +
                                      std::stoi(match[3]));
}

// The rows of text read whole, in pieces, and read ahead by another thread (with and without the pages
// faulted in ahead of it); the rows indexed after each piece are already the right ones.
void ExpectIndexedAsByFieldRules(const std::string& text, const std::vector<std::uint64_t>& pieces) {
    const std::vector<std::string> expected = RowsByFieldRules(text);
    test::LogTestDirectory dir;
    dir.Write("qv060315.log", text);
    EXPECT_EQ(Lines(ReadLogFile(dir.Str(), kEntry)), expected) << "one read";
    for (std::uint64_t piece : pieces) {
        for (int ahead = 0; ahead < 3; ++ahead) {
            LogFileReader reader;
            ASSERT_TRUE(reader.Open(dir.Str(), kEntry));
            if (ahead)
                reader.ReadAhead(piece, ahead == 2);
            std::size_t seen = 0;
            for (bool more = true; more;) {
                more = reader.ReadNext(piece);
                const LogFile& file = *reader.File();
                ASSERT_LE(file.RowCount(), expected.size());
                for (; seen < file.RowCount(); ++seen) {
                    ASSERT_EQ(file.Line(seen), expected[seen])
                        << "pieces of " << piece << ", read ahead " << ahead;
                    ASSERT_EQ(file.Kind(seen), KindByFieldRules(expected[seen])) << expected[seen];
                    ASSERT_EQ(file.SecondOfDay(seen), TimeByFieldRules(expected[seen])) << expected[seen];
                }
            }
            EXPECT_EQ(reader.BytesRead(), text.size());
            EXPECT_EQ(seen, expected.size()) << "pieces of " << piece << ", read ahead " << ahead;
        }
    }
}

// Lines shaped like the handler's, of every length so that starts, fifth spaces and line ends fall anywhere
// in a 64-byte block and past the fast path's 128 bytes; odd sixth fields, comments, blanks, CR LF and NULs.
std::string LogLikeLines(unsigned seed, int lines) {
    const std::string fieldBytes("ab09.:/-+\t\r\0#x1", 16);
    // Sixth fields: rows, zeros, signs, the white space that the number reading skips, no digits, a NUL.
    std::vector<std::string> codes = {"2",   "1",   "9", "0", "00", "007", "+3", "-0", "-4", "\t5",
                                      "\r1", "\v0", "x", "",  "9x", "0x",  "+",  "-",  "#1"};
    codes.push_back(std::string(1, '\0') + "1");
    std::mt19937 random(seed);
    const auto chance = [&](unsigned percent) { return random() % 100 < percent; };
    const auto field = [&](unsigned longest) {
        std::string bytes(random() % (longest + 1), 'x');
        for (char& c : bytes)
            c = chance(15) ? fieldBytes[random() % fieldBytes.size()]
                           : static_cast<char>('a' + random() % 26);
        return bytes;
    };
    std::string text;
    for (int line = 0; line < lines; ++line) {
        const unsigned kind = random() % 100;
        if (kind < 3) {
            // empty
        } else if (kind < 6) {
            text += std::string(1 + random() % 70, ' ');
        } else if (kind < 9) {
            text += std::string(random() % 3, ' ') + "#" + field(40) + " " + field(10) + " 2";
        } else {
            if (chance(10))
                text += std::string(1 + random() % (chance(20) ? 70 : 3), ' ');
            const unsigned longest = chance(10) ? 90 : 24;
            const unsigned fields = chance(85) ? 6 + random() % 2 : random() % 10;
            for (unsigned f = 1; f <= fields; ++f) {
                text += f == 6 ? codes[random() % codes.size()] : field(longest);
                if (f < fields)
                    text += chance(5) ? "  " : " ";
            }
            if (chance(5))
                text += ' ';
        }
        if (chance(15))
            text += '\r';
        text += '\n';
    }
    return text;
}

} // namespace

TEST(LogFileReader, PiecesGiveTheRowsOfOneRead) {
    // Pieces that cut lines, and CR LF pairs, anywhere.
    for (const char* dir : {"/logs/kinds", "/logs/crlf"}) {
        std::stringstream text;
        text
            << std::ifstream(std::string(QV_TEST_DATA_DIR) + dir + "/qv060315.log", std::ios::binary).rdbuf();
        ASSERT_EQ(RowsByFieldRules(text.str()).size(), 15u);
        ExpectIndexedAsByFieldRules(text.str(), {1, 2, 7, 64});
    }
}

TEST(LogFileReader, ReadingAheadStopsWhenTheReaderGoes) {
    test::LogTestDirectory dir;
    dir.Write("qv060315.log", LogLikeLines(5, 2000));
    for (int i = 0; i < 20; ++i) {
        LogFileReader ahead;
        ASSERT_TRUE(ahead.Open(dir.Str(), kEntry));
        ahead.ReadAhead(1 + i * 97);
        if (i % 2)
            ahead.ReadNext(1000);
    }
}

TEST(LogFileReader, ReadsTheFileAsItWasWhenOpened) {
    test::LogTestDirectory dir;
    const std::string line = "10:00:00 1.1.1.1 2.2.2.2 /a - 2\n";
    dir.Write("qv060315.log", line + line);
    LogFileReader grown;
    ASSERT_TRUE(grown.Open(dir.Str(), kEntry));
    std::ofstream(dir.File("qv060315.log"), std::ios::binary | std::ios::app) << line;
    while (grown.ReadNext(1 << 20)) {
    }
    EXPECT_EQ(grown.File()->RowCount(), 2u);
    // A file cut short meanwhile ends where its data ends; the cut line still counts.
    LogFileReader shrunk;
    ASSERT_TRUE(shrunk.Open(dir.Str(), kEntry));
    std::filesystem::resize_file(dir.File("qv060315.log"), line.size() + 10);
    while (shrunk.ReadNext(1 << 20)) {
    }
    EXPECT_EQ(shrunk.BytesRead(), line.size() + 10);
    EXPECT_EQ(shrunk.File()->RowCount(), 1u);
}

TEST(LogFileReader, IndexAgreesWithTheFieldRules) {
    // Every mix of the characters that matter: the index picks exactly the lines LogLine reads as rows.
    const std::string alphabet = "    \t\r\n#0019+-xa";
    std::mt19937 random(7);
    std::string text;
    for (int i = 0; i < 20000; ++i)
        text += alphabet[random() % alphabet.size()];
    for (int i = 0; i < 2000; ++i)
        text += " t c s p q " + std::string(1, alphabet[random() % alphabet.size()]) + "1\n";
    // Times of day and codes of every kind, on both the fast and the careful path.
    const char* const times[] = {"9:05:07",   "23:59:59", "00:00:00",   "24:00:00",   "10:60:00", "10:00:0",
                                 "10:00:001", "1:2:03",   "10:00:01.5", "x10:00:01",  "10:00",    "7:00:00,",
                                 "1/:00:00",  "10:00:5:", "1a:00:00",   "10:00:0\xB9"};
    const char* const codes[] = {"1 4", "2",  "3",  "4",   "9 12", "5",
                                 "12",  "+2", "-2", "\t9", "0003", "99999999999"};
    for (int i = 0; i < 1000; ++i) {
        text += std::string(i % 7 == 0 ? "  " : "") + times[random() % std::size(times)] + " c s p q " +
                codes[random() % std::size(codes)] + (i % 5 ? "\n" : "\r\n");
    }
    ASSERT_GT(RowsByFieldRules(text).size(), 500u);
    ExpectIndexedAsByFieldRules(text, {3, 4096, 1 << 20});
    for (unsigned seed = 1; seed <= 4; ++seed) {
        text = LogLikeLines(seed, 6000);
        // The last line without LF, with and without a CR.
        if (seed % 2)
            text += "10:00:00 1.1.1.1 2.2.2.2 /last - 3" + std::string(seed == 1 ? "\r" : "");
        ASSERT_GT(RowsByFieldRules(text).size(), 1000u);
        ExpectIndexedAsByFieldRules(text, {1 + random() % 200, 4096 + random() % 64, 1 << 20});
    }
    // Large enough for ReadLogFile to read on a second thread while it indexes.
    for (unsigned seed = 5; text.size() < (6u << 20); ++seed)
        text += LogLikeLines(seed, 20000);
    ExpectIndexedAsByFieldRules(text, {1 << 20});
}

TEST(LogFileReader, IndexAgreesWhereTheFastPathEnds) {
    // Lines of every length around the fast path's 128 bytes, the fifth space either side and the start
    // anywhere in a block; then lines longer than the 4 KiB indexed in one batch, with and without a row.
    std::string text;
    for (std::size_t length = 118; length <= 134; ++length) {
        for (std::size_t fifth = length - 12; fifth <= length; ++fifth) {
            // Beginning with a digit, so that a look past a line's end at the next one would show.
            std::string line = "3 c s p q" + std::string(fifth - 9, 'x');
            line += fifth < length ? " 7" : "";
            line.resize(length, 'y');
            text += line + (fifth % 3 ? "\n" : "\r\n");
        }
        text += "4" + std::string(length % 64, 'z') + "\n";
    }
    for (std::size_t length : {4095, 4096, 5000, 9000, 20000}) {
        text += "t c s p q 2 " + std::string(length, 'y') + "\n";
        text += std::string(length, 'z') + " c s p q 3\n";
        text += "t c s p q" + std::string(length, ' ') + "4\n";
        text += std::string(length, ' ') + "t c s p q 9\n";
    }
    text += "t c s p q 1 " + std::string(6000, 'y');
    ASSERT_GT(RowsByFieldRules(text).size(), 200u);
    ExpectIndexedAsByFieldRules(text, {61, 4096 + 7, 1 << 20});
}
