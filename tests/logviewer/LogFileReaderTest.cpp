#include "logviewer/LogFileReader.h"
#include "LogTestFiles.h"
#include "TestData.h"
#include "logviewer/LogLine.h"
#include "logviewer/LogParser.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <random>
#include <string>
#include <vector>

using namespace qv;

namespace {

std::vector<std::string> Lines(const LogFile& file) {
    std::vector<std::string> lines;
    for (std::size_t i = 0; i < file.RowCount(); ++i)
        lines.emplace_back(file.Line(i));
    return lines;
}

} // namespace

TEST(LogFileReader, PiecesGiveTheRowsOfOneRead) {
    for (const char* dir : {"/logs/kinds", "/logs/crlf"}) {
        const std::string directory = std::string(QV_TEST_DATA_DIR) + dir;
        const LogFileEntry entry{"qv060315.log", 0, "", ""};
        const std::vector<std::string> whole = Lines(ReadLogFile(directory, entry));
        ASSERT_EQ(whole.size(), 15u);
        // Pieces that cut lines, and CR LF pairs, anywhere.
        for (std::uint64_t piece : {1, 2, 7, 64}) {
            LogFileReader reader;
            ASSERT_TRUE(reader.Open(directory, entry));
            // Odd pieces read ahead by another thread as well.
            if (piece % 2)
                reader.ReadAhead(piece * 3);
            std::size_t seen = 0;
            while (reader.ReadNext(piece)) {
                EXPECT_GE(reader.File()->RowCount(), seen);
                seen = reader.File()->RowCount();
            }
            EXPECT_TRUE(reader.Done());
            EXPECT_EQ(reader.BytesRead(), reader.Length());
            EXPECT_EQ(Lines(*reader.File()), whole) << dir << " in pieces of " << piece;
        }
    }
}

TEST(LogFileReader, StoppingKeepsTheRowsSoFar) {
    test::LogTestDirectory dir;
    std::string text;
    for (int i = 0; i < 1000; ++i)
        text += "10:00:00 1.1.1.1 2.2.2.2 /page" + std::to_string(i) + ".htm - 2\n";
    dir.Write("qv060315.log", text);
    LogFileReader reader;
    ASSERT_TRUE(reader.Open(dir.Str(), LogFileEntry{"qv060315.log", 0, "", ""}));
    reader.ReadNext(text.size() / 2);
    const std::shared_ptr<LogFile> file = reader.File();
    ASSERT_GT(file->RowCount(), 400u);
    ASSERT_LT(file->RowCount(), 600u);
    for (std::size_t i = 0; i < file->RowCount(); ++i)
        ASSERT_EQ(file->Record(i).path, "/page" + std::to_string(i) + ".htm");

    // A reader that reads ahead stops when it goes, whatever it was doing.
    for (int i = 0; i < 20; ++i) {
        auto ahead = std::make_unique<LogFileReader>();
        ASSERT_TRUE(ahead->Open(dir.Str(), LogFileEntry{"qv060315.log", 0, "", ""}));
        ahead->ReadAhead(1 + i * 97);
        if (i % 2)
            ahead->ReadNext(1000);
        ahead.reset();
    }
}

TEST(LogFileReader, ReadsTheFileAsItWasWhenOpened) {
    test::LogTestDirectory dir;
    const std::string line = "10:00:00 1.1.1.1 2.2.2.2 /a - 2\n";
    dir.Write("qv060315.log", line + line);
    const LogFileEntry entry{"qv060315.log", 0, "", ""};

    LogFileReader grown;
    ASSERT_TRUE(grown.Open(dir.Str(), entry));
    std::ofstream(dir.File("qv060315.log"), std::ios::binary | std::ios::app) << line;
    while (grown.ReadNext(1 << 20)) {
    }
    EXPECT_EQ(grown.File()->RowCount(), 2u);

    // A file cut short meanwhile ends where its data ends; the cut line still counts.
    LogFileReader shrunk;
    ASSERT_TRUE(shrunk.Open(dir.Str(), entry));
    std::filesystem::resize_file(dir.File("qv060315.log"), line.size() + 10);
    while (shrunk.ReadNext(1 << 20)) {
    }
    EXPECT_EQ(shrunk.BytesRead(), line.size() + 10);
    EXPECT_EQ(shrunk.File()->RowCount(), 1u);
}

TEST(LogFileReader, IndexAgreesWithTheFieldRules) {
    // Lines of the characters that matter to the rules, in every mix; the fast index must pick exactly the
    // lines whose sixth field LogLine reads as a number other than 0.
    const std::string alphabet = "    \t\r\n#0019+-xa";
    std::mt19937 random(7);
    std::string text;
    for (int i = 0; i < 20000; ++i)
        text += alphabet[random() % alphabet.size()];
    for (int i = 0; i < 2000; ++i)
        text += " t c s p q " + std::string(1, alphabet[random() % alphabet.size()]) + "1\n";

    std::vector<std::string> expected;
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
            expected.emplace_back(parsed.Text());
        start = end + 1;
    }
    ASSERT_GT(expected.size(), 500u);

    test::LogTestDirectory dir;
    dir.Write("qv060315.log", text);
    for (std::uint64_t piece : {3, 4096, 1 << 20}) {
        LogFileReader reader;
        ASSERT_TRUE(reader.Open(dir.Str(), LogFileEntry{"qv060315.log", 0, "", ""}));
        while (reader.ReadNext(piece)) {
        }
        EXPECT_EQ(Lines(*reader.File()), expected) << "pieces of " << piece;
    }
}
